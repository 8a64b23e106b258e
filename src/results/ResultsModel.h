#pragma once

#include "RowFinder.h"
#include "RowStore.h"
#include "run/RunInterfaces.h"

#include <QAbstractTableModel>
#include <QStringList>
#include <QTimer>
#include <memory>
#include <vector>

namespace Quillfen {

// The results list: two columns, each row a text with a check box and the
// file it came from. New rows start checked. Rows appended by a run are
// announced to the views in one batch at flushRows(), which the run calls
// before every yield. Clearing empties the list at once and gives the
// texts' memory back a few buffers per turn of the event loop.
//
// The rows the views see ("shown rows") are the flushed rows of the list,
// or, while a find text is set, those that hold it. The list is searched a
// few milliseconds per turn of the event loop; rows found so far are shown
// meanwhile. Shown rows and rows of the list are both numbered from 0; the
// exports read the list (rows(), listRowCount()).
class ResultsModel final : public QAbstractTableModel, public ResultRows
{
    Q_OBJECT

public:
    enum Column { TextColumn, FileColumn };

    // Display and tooltip texts are cut at these lengths; the row keeps
    // its whole text.
    static constexpr qsizetype DisplayLimit = 2000;
    static constexpr qsizetype TooltipLimit = 4000;
    // Time the find spends in one turn of the event loop.
    static constexpr int FindSliceMilliseconds = 8;

    explicit ResultsModel(QObject *parent = nullptr);

    // ResultRows
    void beginFile(const QString &path) override;
    void append(QStringView row) override;
    void appendRows(const std::shared_ptr<RowTexts> &texts, qsizetype from, qsizetype to) override;
    void clearRows() override;
    void flushRows() override;

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    using QAbstractTableModel::index;
    // The shown row's text, with its check box.
    QModelIndex index(int row) const { return index(row, TextColumn); }

    // Shown rows.
    QString rowText(int row) const { return m_rows.text(listRow(row)); }
    bool isChecked(int row) const { return m_rows.isChecked(listRow(row)); }
    // The full path of the row's file; empty when it has none.
    QString filePathOf(int row) const { return listFilePath(listRow(row)); }
    void removeRowAt(int row);
    // Checks or unchecks every shown row.
    void setAllChecked(bool checked);
    // The row of the list that shown row is.
    int listRow(int row) const { return m_finder ? m_shown[std::size_t(row)] : row; }

    // The whole list, as stored: UTF-8, read in place; its first
    // listRowCount() rows are flushed.
    const RowStore &rows() const { return m_rows; }
    int listRowCount() const { return m_flushed; }
    // Checked rows of the list.
    qsizetype checkedRowCount() const { return m_rows.checkedCount(m_flushed); }
    QString listFilePath(qsizetype listRow) const;

    // Removes every row of the list whose text an earlier row has too;
    // returns how many went.
    int removeDuplicateRows();

    // Shows only the rows that hold text, in any case; empty shows all.
    void setFindText(const QString &text);
    // True when every flushed row was looked at for the find text.
    bool findComplete() const { return !m_finder || m_scanned == m_flushed; }

    QString headerText() const { return m_header; }
    void setHeaderText(const QString &text);

    QVariant data(const QModelIndex &index, int role) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role) override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    bool setHeaderData(int section, Qt::Orientation orientation, const QVariant &value,
                       int role = Qt::EditRole) override;

    // Memory of the rows in the list.
    std::size_t bytesHeld() const;
    // Memory of cleared rows not yet given back.
    std::size_t retiredBytes() const;

    // Text blocks (of 2 MB each) or row tables given back per turn of the
    // event loop.
    static constexpr std::size_t ReleasesPerTurn = 4;

Q_SIGNALS:
    // Every row was looked at for the find text.
    void findFinished();

private:
    void releaseRetired();
    // Looks at flushed rows for the find text for up to a slice of time,
    // shows those that hold it, and goes on at the next turn if some are
    // left.
    void findMore();

    RowStore m_rows;
    QStringList m_files; // of the rows' file numbers
    qint32 m_file = RowStore::NoFile;
    std::vector<RowStore::SharedTexts> m_retiredLists;
    std::vector<RowTexts::SharedBlock> m_retiredBlocks;
    QTimer m_release;
    int m_flushed = 0;
    QString m_header;

    QString m_findText;
    std::unique_ptr<RowFinder> m_finder; // none: every row is shown
    std::vector<int> m_shown;            // rows of the list, ascending
    int m_scanned = 0;                   // rows of the list looked at
    QTimer m_findTurn;
};

} // namespace Quillfen
