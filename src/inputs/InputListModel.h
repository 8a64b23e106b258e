#pragma once

#include "inputs/adding/InputListTarget.h"
#include "run/RunInterfaces.h"

#include <QAbstractListModel>
#include <QHash>
#include <QStringList>

namespace Quillfen {

// The input file list: an ordered list of paths, duplicates allowed. The
// run and the fillers read it numbered from 1; the views see rows numbered
// from 0.
//
// Inside an AppendBatch the fillers' appendRow() only stores the path; the
// views learn of the new rows at flushRows(), which the window calls before
// every yield and the batch calls at its end. So a folder add of 100,000
// files announces a few large blocks instead of 100,000 single rows.
class InputListModel final : public QAbstractListModel, public InputRows, public InputListTarget
{
    Q_OBJECT

public:
    explicit InputListModel(QObject *parent = nullptr);

    // Shown at once, whether or not a batch is open.
    void appendRows(const QStringList &paths);
    void removeRowAt(int row);
    void clearRows();
    // Moves one row to another place; the rows between shift by one.
    void moveRowTo(int from, int to);

    // Every row, also those the views have not been told of yet.
    const QStringList &paths() const { return m_paths; }
    QString pathAt(int row) const { return m_paths.at(row); }

    // InputRows and InputListTarget: every row, numbered from 1.
    void appendRow(const QString &path) override;
    int rowCount() const override { return int(m_paths.size()); }
    QString rowText(int row) const override;
    // A file the last run could not read shows a warning sign, and why as
    // its tooltip, until the next run.
    void markUnread(const QString &path, const QString &reason) override;
    void clearUnreadMarks() override;

    // Tells the views of the rows appended since the last flush.
    void flushRows();

    // Appends made while one is alive wait for flushRows() or its end.
    class AppendBatch
    {
    public:
        explicit AppendBatch(InputListModel &model) : m_model(model) { ++m_model.m_batches; }
        ~AppendBatch()
        {
            --m_model.m_batches;
            m_model.flushRows();
        }
        Q_DISABLE_COPY_MOVE(AppendBatch)

    private:
        InputListModel &m_model;
    };

    QString headerText() const { return m_header; }
    void setHeaderText(const QString &text);

    int rowCount(const QModelIndex &parent) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

private:
    QStringList m_paths;
    QHash<QString, QString> m_unread; // path: why it could not be read
    // The views see the first m_shownRows paths; the rest wait for a flush.
    int m_shownRows = 0;
    int m_batches = 0;
    QString m_header;
};

} // namespace Quillfen
