#pragma once

#include "RowStore.h"
#include "extract/RunInterfaces.h"

#include <QAbstractListModel>

namespace Quillfen {

// The results list: one column, each row a text and a check box. New rows
// start checked. Rows appended by a run are announced to the views in one
// batch at flushRows(), which the run calls before every yield.
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
    void clearRows() override;
    void flushRows() override;

    // Rows numbered from 0, as the views see them (flushed rows only).
    int rowCount(const QModelIndex &parent = {}) const override;
    QStringView rowText(int row) const { return m_rows.text(row); }
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

    std::size_t bytesHeld() const { return m_rows.bytesHeld(); }

private:
    RowStore m_rows;
    int m_shownRows = 0;
    QString m_header;
};

} // namespace Quillfen
