#pragma once

#include "extract/RunInterfaces.h"

#include <QAbstractListModel>
#include <QStringList>

namespace Quillfen {

// The input file list: an ordered list of paths, duplicates allowed. The
// run reads it through InputRows, numbered from 1; the views see rows
// numbered from 0.
class InputListModel final : public QAbstractListModel, public InputRows
{
    Q_OBJECT

public:
    explicit InputListModel(QObject *parent = nullptr);

    void appendRow(const QString &path);
    void appendRows(const QStringList &paths);
    void removeRowAt(int row);
    void clearRows();
    // Moves one row to another place; the rows between shift by one.
    void moveRowTo(int from, int to);

    const QStringList &paths() const { return m_paths; }
    QString pathAt(int row) const { return m_paths.at(row); }

    // InputRows
    int rowCount() const override { return int(m_paths.size()); }
    QString rowText(int row) const override;

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
    QString m_header;
};

} // namespace Quillfen
