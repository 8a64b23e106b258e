#pragma once

#include "RowStore.h"
#include "extract/RunInterfaces.h"

#include <QAbstractListModel>
#include <QTimer>
#include <vector>

namespace Quillfen {

// The results list: one column, each row a text and a check box. New rows
// start checked. Rows appended by a run are announced to the views in one
// batch at flushRows(), which the run calls before every yield. Clearing
// empties the list at once and gives the texts' memory back a few buffers
// per turn of the event loop.
class ResultsModel final : public QAbstractListModel, public ResultRows
{
    Q_OBJECT

public:
    // Display and tooltip texts are cut at these lengths; the row keeps
    // its whole text.
    static constexpr qsizetype DisplayLimit = 2000;
    static constexpr qsizetype TooltipLimit = 4000;

    explicit ResultsModel(QObject *parent = nullptr);

    // ResultRows
    void append(QStringView row) override;
    void appendRows(const std::shared_ptr<RowTexts> &texts, qsizetype from, qsizetype to) override;
    void clearRows() override;
    void flushRows() override;

    // Rows numbered from 0, as the views see them (flushed rows only).
    int rowCount(const QModelIndex &parent = {}) const override;
    QString rowText(int row) const { return m_rows.text(row); }
    // The rows as stored: UTF-8, read in place.
    const RowStore &rows() const { return m_rows; }
    bool isChecked(int row) const { return m_rows.isChecked(row); }
    void removeRowAt(int row);

    QString headerText() const { return m_header; }
    void setHeaderText(const QString &text);

    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

    // Memory of the rows in the list.
    std::size_t bytesHeld() const { return m_rows.bytesHeld(); }
    // Memory of cleared rows not yet given back.
    std::size_t retiredBytes() const;

    // Text blocks (of 2 MB each) or row tables given back per turn of the
    // event loop.
    static constexpr std::size_t ReleasesPerTurn = 4;

private:
    void releaseRetired();

    RowStore m_rows;
    std::vector<RowStore::SharedTexts> m_retiredLists;
    std::vector<RowTexts::SharedBlock> m_retiredBlocks;
    QTimer m_release;
    int m_shownRows = 0;
    QString m_header;
};

} // namespace Quillfen
