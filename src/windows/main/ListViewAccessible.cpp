#include "ListViewAccessible.h"

#include "ListViewControl.h"

#include <QItemSelectionModel>
#include <QPointer>
#include <algorithm>

namespace Quillfen {

namespace {

// One row of the list, known by its position. It reads everything from the
// view when asked, so a row item stays right while the row's text changes.
class RowAccessible final : public QAccessibleInterface,
                            public QAccessibleTableCellInterface,
                            public QAccessibleActionInterface
{
public:
    RowAccessible(ListViewControl *view, int row) : m_view(view), m_row(row) {}

    bool isValid() const override
    {
        return m_view && m_view->model() && m_row < m_view->model()->rowCount();
    }
    QObject *object() const override { return nullptr; }
    QWindow *window() const override { return m_view ? m_view->window()->windowHandle() : nullptr; }
    QAccessibleInterface *childAt(int, int) const override { return nullptr; }
    QAccessibleInterface *parent() const override
    {
        return QAccessible::queryAccessibleInterface(m_view.data());
    }
    QAccessibleInterface *child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface *) const override { return -1; }

    QString text(QAccessible::Text t) const override
    {
        if (!isValid())
            return {};
        // A model may give a reader other words than the screen shows: the
        // results give the row with its own line breaks, and its file.
        const auto either = [this](int readerRole, int screenRole) {
            const QVariant reader = index().data(readerRole);
            return (reader.isValid() ? reader : index().data(screenRole)).toString();
        };
        switch (t) {
        case QAccessible::Name:
            return either(Qt::AccessibleTextRole, Qt::DisplayRole);
        case QAccessible::Description:
            return either(Qt::AccessibleDescriptionRole, Qt::ToolTipRole);
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString &) override {}

    QRect rect() const override
    {
        if (!isValid())
            return {};
        const QRect row = m_view->visualRect(index());
        return QRect(m_view->viewport()->mapToGlobal(row.topLeft()), row.size());
    }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QAccessible::State state() const override
    {
        QAccessible::State state;
        if (!isValid()) {
            state.invalid = true;
            return state;
        }
        const QModelIndex row = index();
        const Qt::ItemFlags flags = row.flags();
        state.selectable = flags.testFlag(Qt::ItemIsSelectable);
        state.selected = isSelected();
        state.focusable = true;
        state.focused = m_view->hasFocus() && m_view->currentIndex() == row;
        if (flags.testFlag(Qt::ItemIsUserCheckable)) {
            state.checkable = true;
            state.checked = row.data(Qt::CheckStateRole).toInt() == Qt::Checked;
        }
        if (!m_view->isVisible())
            state.invisible = true;
        if (!m_view->viewport()->rect().intersects(m_view->visualRect(row)))
            state.offscreen = true;
        return state;
    }

    void *interface_cast(QAccessible::InterfaceType type) override
    {
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface *>(this);
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface *>(this);
        return nullptr;
    }

    bool isSelected() const override
    {
        return isValid() && m_view->selectionModel() &&
               m_view->selectionModel()->isSelected(index());
    }
    QList<QAccessibleInterface *> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface *> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return m_row; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface *table() const override { return parent(); }

    QStringList actionNames() const override
    {
        QStringList names{setFocusAction()};
        if (isValid() && index().flags().testFlag(Qt::ItemIsUserCheckable))
            names << toggleAction();
        return names;
    }
    void doAction(const QString &name) override
    {
        if (!isValid())
            return;
        if (name == setFocusAction()) {
            m_view->setFocus(Qt::OtherFocusReason);
            m_view->selectRow(m_row);
        } else if (name == toggleAction() && index().flags().testFlag(Qt::ItemIsUserCheckable)) {
            const bool checked = index().data(Qt::CheckStateRole).toInt() == Qt::Checked;
            m_view->model()->setData(index(), checked ? Qt::Unchecked : Qt::Checked,
                                     Qt::CheckStateRole);
        }
    }
    QStringList keyBindingsForAction(const QString &) const override { return {}; }

private:
    QModelIndex index() const { return m_view->model()->index(m_row, 0, m_view->rootIndex()); }

    QPointer<ListViewControl> m_view;
    int m_row;
};

} // namespace

ListViewAccessible::ListViewAccessible(ListViewControl *view)
    : QAccessibleWidget(view, QAccessible::List)
{}

ListViewAccessible::~ListViewAccessible()
{
    forgetRowsFrom(0);
}

ListViewControl *ListViewAccessible::view() const
{
    return static_cast<ListViewControl *>(widget());
}

void *ListViewAccessible::interface_cast(QAccessible::InterfaceType type)
{
    if (type == QAccessible::TableInterface)
        return static_cast<QAccessibleTableInterface *>(this);
    return QAccessibleWidget::interface_cast(type);
}

QString ListViewAccessible::text(QAccessible::Text t) const
{
    if (t == QAccessible::Name && view()->accessibleName().isEmpty())
        return columnDescription(0);
    return QAccessibleWidget::text(t);
}

int ListViewAccessible::rowCount() const
{
    const QAbstractItemModel *model = view()->model();
    return model ? model->rowCount(view()->rootIndex()) : 0;
}

int ListViewAccessible::childCount() const
{
    return rowCount();
}

QAccessibleInterface *ListViewAccessible::child(int index) const
{
    if (index < 0 || index >= rowCount())
        return nullptr;
    if (const auto known = m_rows.constFind(index); known != m_rows.constEnd())
        return QAccessible::accessibleInterface(*known);
    auto *row = new RowAccessible(view(), index);
    m_rows.insert(index, QAccessible::registerAccessibleInterface(row));
    return row;
}

int ListViewAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    auto *row = const_cast<QAccessibleInterface *>(child);
    const QAccessibleTableCellInterface *cell = row ? row->tableCellInterface() : nullptr;
    if (!cell)
        return -1;
    const auto known = m_rows.constFind(cell->rowIndex());
    return known != m_rows.constEnd() && *known == QAccessible::uniqueId(row) ? known.key() : -1;
}

QAccessibleInterface *ListViewAccessible::childAt(int x, int y) const
{
    const QPoint point = view()->viewport()->mapFromGlobal(QPoint(x, y));
    if (!view()->viewport()->rect().contains(point))
        return nullptr;
    const QModelIndex index = view()->indexAt(point);
    return index.isValid() ? child(index.row()) : nullptr;
}

QAccessibleInterface *ListViewAccessible::focusChild() const
{
    const QModelIndex current = view()->currentIndex();
    if (!view()->hasFocus() || !current.isValid())
        return nullptr;
    return child(current.row());
}

QAccessibleInterface *ListViewAccessible::cellAt(int row, int column) const
{
    return column == 0 ? child(row) : nullptr;
}

QList<QAccessibleInterface *> ListViewAccessible::selectedCells() const
{
    QList<QAccessibleInterface *> cells;
    const QList<int> rows = selectedRows();
    for (int row : rows) {
        if (QAccessibleInterface *cell = child(row))
            cells << cell;
    }
    return cells;
}

QString ListViewAccessible::columnDescription(int column) const
{
    const QAbstractItemModel *model = view()->model();
    if (!model || column != 0)
        return {};
    return model->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString();
}

QList<int> ListViewAccessible::selectedRows() const
{
    QList<int> rows;
    if (const QItemSelectionModel *selection = view()->selectionModel()) {
        const QModelIndexList selected = selection->selectedRows();
        for (const QModelIndex &index : selected)
            rows << index.row();
    }
    std::sort(rows.begin(), rows.end());
    return rows;
}

bool ListViewAccessible::isRowSelected(int row) const
{
    const QItemSelectionModel *selection = view()->selectionModel();
    return selection && selection->isRowSelected(row, view()->rootIndex());
}

bool ListViewAccessible::selectRow(int row)
{
    if (row < 0 || row >= rowCount())
        return false;
    view()->selectRow(row);
    return true;
}

bool ListViewAccessible::unselectRow(int row)
{
    QItemSelectionModel *selection = view()->selectionModel();
    if (!selection || !isRowSelected(row))
        return false;
    selection->select(view()->model()->index(row, 0, view()->rootIndex()),
                      QItemSelectionModel::Deselect | QItemSelectionModel::Rows);
    return true;
}

void ListViewAccessible::modelChange(QAccessibleTableModelChangeEvent *event)
{
    switch (event->modelChangeType()) {
    case QAccessibleTableModelChangeEvent::DataChanged:
        // Rows read their text when asked; nothing is kept to go stale.
        return;
    case QAccessibleTableModelChangeEvent::RowsInserted:
    case QAccessibleTableModelChangeEvent::RowsRemoved:
        forgetRowsFrom(qMax(0, event->firstRow()));
        return;
    default:
        forgetRowsFrom(0);
        return;
    }
}

void ListViewAccessible::forgetRowsFrom(int row)
{
    auto known = m_rows.lowerBound(row);
    while (known != m_rows.end()) {
        QAccessible::deleteAccessibleInterface(known.value());
        known = m_rows.erase(known);
    }
}

} // namespace Quillfen
