#pragma once

#include <QAccessibleWidget>
#include <QMap>

namespace Quillfen {

class ListViewControl;

// What screen readers see of a ListViewControl: a list named after its
// column header whose children are its rows, one list item per row, and a
// one-column table underneath for positions and selection. Qt's own item
// view interfaces only serve Qt's own views. Row items are made when asked
// for, so a list of millions of rows costs nothing until a reader walks it.
class ListViewAccessible final : public QAccessibleWidget, public QAccessibleTableInterface
{
public:
    explicit ListViewAccessible(ListViewControl *view);
    ~ListViewAccessible() override;

    void *interface_cast(QAccessible::InterfaceType type) override;
    QString text(QAccessible::Text t) const override;
    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

    QAccessibleInterface *caption() const override { return nullptr; }
    QAccessibleInterface *summary() const override { return nullptr; }
    QAccessibleInterface *cellAt(int row, int column) const override;
    int selectedCellCount() const override { return int(selectedRows().size()); }
    QList<QAccessibleInterface *> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int) const override { return {}; }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return int(selectedRows().size()); }
    int columnCount() const override { return 1; }
    int rowCount() const override;
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override;
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int) override { return false; }
    bool unselectRow(int row) override;
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent *event) override;

private:
    ListViewControl *view() const;
    // Drops the row items from this row on: their rows now hold others.
    void forgetRowsFrom(int row);

    mutable QMap<int, QAccessible::Id> m_rows;
};

} // namespace Quillfen
