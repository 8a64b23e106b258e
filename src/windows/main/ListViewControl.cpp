#include "ListViewControl.h"

#include "AccessibleFactory.h"
#include "VisibleTextDelegate.h"

#include <QContextMenuEvent>
#include <QHeaderView>
#include <QKeyEvent>
#include <QMetaMethod>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>
#include <algorithm>
#include <limits>

namespace Quillfen {

ListViewControl::ListViewControl(QWidget *parent)
    : QAbstractItemView(parent), m_header(new QHeaderView(Qt::Horizontal, this))
{
    m_header->setSectionsClickable(false);
    m_header->setHighlightSections(false);
    m_header->setStretchLastSection(false);
    m_header->setSectionResizeMode(QHeaderView::Interactive);
    m_header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    connect(m_header, &QHeaderView::sectionResized, this, [this] {
        updateGeometries();
        viewport()->update();
    });
    setSelectionMode(SingleSelection);
    setSelectionBehavior(SelectRows);
    setEditTriggers(NoEditTriggers);
    setHorizontalScrollMode(ScrollPerPixel);
    setVerticalScrollMode(ScrollPerPixel);
    setTextElideMode(Qt::ElideRight);
    m_textDelegate = new VisibleTextDelegate(this);
    setItemDelegate(m_textDelegate);
    viewport()->setMouseTracking(true);
    updateRowHeight();
    installAccessibleFactory();
}

void ListViewControl::setModel(QAbstractItemModel *model)
{
    for (const QMetaObject::Connection &connection : std::as_const(m_modelConnections))
        disconnect(connection);
    m_modelConnections.clear();
    QAbstractItemView::setModel(model);
    m_header->setModel(model);
    if (model) {
        m_modelConnections = {
            connect(model, &QAbstractItemModel::rowsRemoved, this, &ListViewControl::rowsChanged),
            connect(model, &QAbstractItemModel::rowsMoved, this, &ListViewControl::rowsChanged),
            connect(model, &QAbstractItemModel::layoutChanged, this, &ListViewControl::rowsChanged),
            // The list is named after its column header.
            connect(model, &QAbstractItemModel::headerDataChanged, this,
                    [this] { tellAccessibility(QAccessible::NameChanged); })};
    }
    updateGeometries();
}

int ListViewControl::columnWidth(int column) const
{
    return column < m_header->count() ? m_header->sectionSize(column) : 0;
}

void ListViewControl::setColumnWidth(int column, int pixels)
{
    if (column < m_header->count())
        m_header->resizeSection(column, pixels);
}

int ListViewControl::rowWidth() const
{
    return m_header->length();
}

bool ListViewControl::isOnCheckIndicator(const QPoint &point) const
{
    const QModelIndex index = indexAt(point);
    if (!index.isValid() || !(index.flags() & Qt::ItemIsUserCheckable))
        return false;
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = visualRect(index);
    option.features |= QStyleOptionViewItem::HasCheckIndicator | QStyleOptionViewItem::HasDisplay;
    return style()
        ->subElementRect(QStyle::SE_ItemViewItemCheckIndicator, &option, this)
        .contains(point);
}

// From the selection's ranges: a list of millions of rows selected whole
// is one range, not millions of indexes.
int ListViewControl::selectedRow() const
{
    if (!selectionModel())
        return -1;
    int first = -1;
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        if (range.isValid() && (first < 0 || range.top() < first))
            first = range.top();
    }
    return first;
}

QList<int> ListViewControl::selectedRowNumbers() const
{
    QList<int> rows;
    if (!selectionModel())
        return rows;
    for (const QItemSelectionRange &range : selectionModel()->selection()) {
        for (int row = range.top(); range.isValid() && row <= range.bottom(); ++row)
            rows << row;
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

void ListViewControl::selectRow(int row)
{
    if (!model() || row < 0 || row >= rowCount())
        return;
    const QModelIndex index = model()->index(row, 0, rootIndex());
    selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect |
                                                 QItemSelectionModel::Rows);
}

int ListViewControl::rowCount() const
{
    return model() ? model()->rowCount(rootIndex()) : 0;
}

QRect ListViewControl::visualRect(const QModelIndex &index) const
{
    if (!index.isValid() || index.parent() != rootIndex() || index.column() >= m_header->count())
        return {};
    return {m_header->sectionPosition(index.column()) - horizontalOffset(), rowTop(index.row()),
            columnWidth(index.column()), m_rowHeight};
}

void ListViewControl::scrollTo(const QModelIndex &index, ScrollHint hint)
{
    if (!index.isValid())
        return;
    const int top = index.row() * m_rowHeight;
    const int height = viewport()->height();
    QScrollBar *bar = verticalScrollBar();
    switch (hint) {
    case EnsureVisible:
        if (top < bar->value())
            bar->setValue(top);
        else if (top + m_rowHeight > bar->value() + height)
            bar->setValue(top + m_rowHeight - height);
        break;
    case PositionAtTop:
        bar->setValue(top);
        break;
    case PositionAtBottom:
        bar->setValue(top + m_rowHeight - height);
        break;
    case PositionAtCenter:
        bar->setValue(top + m_rowHeight / 2 - height / 2);
        break;
    }
}

QModelIndex ListViewControl::indexAt(const QPoint &point) const
{
    const int x = point.x() + horizontalOffset();
    const int y = point.y() + verticalOffset();
    if (!model() || x < 0 || x >= rowWidth() || y < 0)
        return {};
    const int row = y / m_rowHeight;
    const int column = m_header->logicalIndexAt(point.x());
    if (row >= rowCount() || column < 0)
        return {};
    return model()->index(row, column, rootIndex());
}

void ListViewControl::reset()
{
    QAbstractItemView::reset();
    // The view lays out nothing per row: what the base schedules for a
    // timer would only repaint the whole list once more after the next
    // paint, at the start of every run.
    executeDelayedItemsLayout();
    rowsChanged();
}

QModelIndex ListViewControl::moveCursor(CursorAction cursorAction, Qt::KeyboardModifiers)
{
    const int count = rowCount();
    if (count == 0)
        return {};
    const QModelIndex current = currentIndex();
    const int row = current.isValid() ? current.row() : -1;
    const int page = qMax(1, viewport()->height() / m_rowHeight);
    int target = row;
    switch (cursorAction) {
    case MoveUp:
    case MovePrevious:
        target = row < 0 ? 0 : row - 1;
        break;
    case MoveDown:
    case MoveNext:
        target = row + 1;
        break;
    case MovePageUp:
        target = row - page;
        break;
    case MovePageDown:
        target = row < 0 ? page - 1 : row + page;
        break;
    case MoveHome:
        target = 0;
        break;
    case MoveEnd:
        target = count - 1;
        break;
    case MoveLeft:
    case MoveRight:
        return current;
    }
    return model()->index(qBound(0, target, count - 1), 0, rootIndex());
}

int ListViewControl::horizontalOffset() const
{
    return horizontalScrollBar()->value();
}

int ListViewControl::verticalOffset() const
{
    return verticalScrollBar()->value();
}

void ListViewControl::setSelection(const QRect &rect, QItemSelectionModel::SelectionFlags command)
{
    const int count = rowCount();
    const QRect rows = rect.normalized();
    const int left = rows.left() + horizontalOffset();
    const int right = rows.right() + horizontalOffset();
    if (count == 0 || right < 0 || left >= rowWidth()) {
        selectionModel()->select(QItemSelection(), command);
        return;
    }
    const int first = qBound(0, (rows.top() + verticalOffset()) / m_rowHeight, count - 1);
    const int last = qBound(0, (rows.bottom() + verticalOffset()) / m_rowHeight, count - 1);
    const int lastColumn = std::max(0, model()->columnCount(rootIndex()) - 1);
    const QItemSelection selection(model()->index(first, 0, rootIndex()),
                                   model()->index(last, lastColumn, rootIndex()));
    selectionModel()->select(selection, command);
}

QRegion ListViewControl::visualRegionForSelection(const QItemSelection &selection) const
{
    QRegion region;
    const QRect shown = viewport()->rect();
    for (const QItemSelectionRange &range : selection) {
        if (range.parent() != rootIndex())
            continue;
        const QRect rows(-horizontalOffset(), rowTop(range.top()), rowWidth(),
                         (range.bottom() - range.top() + 1) * m_rowHeight);
        region += rows.intersected(shown);
    }
    return region;
}

void ListViewControl::updateGeometries()
{
    const int headerHeight = m_header->sizeHint().height();
    setViewportMargins(0, headerHeight, 0, 0);
    const QRect area = viewport()->geometry();
    m_header->setGeometry(area.left(), area.top() - headerHeight, area.width(), headerHeight);
    m_header->setOffset(horizontalOffset());

    const qint64 contentHeight = qint64(rowCount()) * m_rowHeight;
    const int height = viewport()->height();
    verticalScrollBar()->setSingleStep(m_rowHeight);
    verticalScrollBar()->setPageStep(qMax(m_rowHeight, height));
    verticalScrollBar()->setRange(
        0, int(std::clamp<qint64>(contentHeight - height, 0, std::numeric_limits<int>::max())));

    const int width = viewport()->width();
    horizontalScrollBar()->setSingleStep(qMax(1, m_rowHeight));
    horizontalScrollBar()->setPageStep(qMax(1, width));
    horizontalScrollBar()->setRange(0, qMax(0, rowWidth() - width));
    QAbstractItemView::updateGeometries();
}

void ListViewControl::scrollContentsBy(int dx, int dy)
{
    QAbstractItemView::scrollContentsBy(dx, dy);
    m_header->setOffset(horizontalOffset());
}

void ListViewControl::rowsInserted(const QModelIndex &parent, int start, int end)
{
    QAbstractItemView::rowsInserted(parent, start, end);
    updateGeometries();
    // Only rows that land in view need painting.
    if (rowTop(start) < viewport()->height())
        viewport()->update();
}

// Qt's item views name the row in their focus and selection events; a view
// of our own has to do it itself, or a screen reader hears only the list.
// The row is named once events run again: a removal moves the current row
// before the rows are gone, and the row it names then would be gone too.
void ListViewControl::currentChanged(const QModelIndex &current, const QModelIndex &previous)
{
    QAbstractItemView::currentChanged(current, previous);
    announceRowLater();
}

void ListViewControl::selectionChanged(const QItemSelection &selected,
                                       const QItemSelection &deselected)
{
    QAbstractItemView::selectionChanged(selected, deselected);
    announceRowLater();
}

void ListViewControl::focusInEvent(QFocusEvent *event)
{
    QAbstractItemView::focusInEvent(event);
    announceRowLater();
}

void ListViewControl::announceRowLater()
{
    if (m_announcePending || !QAccessible::isActive())
        return;
    m_announcePending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            m_announcePending = false;
            const int selected = selectedRow();
            if (selected >= 0)
                tellAccessibility(QAccessible::Selection, selected);
            const QModelIndex current = currentIndex();
            if (current.isValid() && hasFocus())
                tellAccessibility(QAccessible::Focus, current.row());
        },
        Qt::QueuedConnection);
}

void ListViewControl::tellAccessibility(QAccessible::Event type, int row)
{
    if (!QAccessible::isActive())
        return;
    QAccessibleEvent event(this, type);
    event.setChild(row);
    QAccessible::updateAccessibility(&event);
}

void ListViewControl::rowsChanged()
{
    updateGeometries();
    viewport()->update();
}

// A row's own tooltip where it has one, the list's hint everywhere else.
bool ListViewControl::viewportEvent(QEvent *event)
{
    if (event->type() != QEvent::ToolTip)
        return QAbstractItemView::viewportEvent(event);
    const auto *help = static_cast<QHelpEvent *>(event);
    const QModelIndex index = indexAt(help->pos());
    const QString rowTip = index.isValid() ? index.data(Qt::ToolTipRole).toString() : QString();
    const QString tip = rowTip.isEmpty() ? toolTip() : rowTip;
    if (tip.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(help->globalPos(), tip, viewport(),
                           rowTip.isEmpty() ? QRect() : visualRect(index));
    return true;
}

void ListViewControl::setPlaceholderText(const QString &text)
{
    m_placeholder = text;
    viewport()->update();
}

void ListViewControl::paintPlaceholder()
{
    if (m_placeholder.isEmpty())
        return;
    QPainter painter(viewport());
    QColor colour = palette().color(QPalette::Text);
    colour.setAlphaF(0.55f);
    painter.setPen(colour);
    painter.drawText(viewport()->rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                     m_placeholder);
}

void ListViewControl::paintEvent(QPaintEvent *event)
{
    const int count = rowCount();
    if (count == 0) {
        paintPlaceholder();
        return;
    }
    QPainter painter(viewport());
    const QRect area = event->rect();
    const int first = qMax(0, (area.top() + verticalOffset()) / m_rowHeight);
    const int last = qMin(count - 1, (area.bottom() + verticalOffset()) / m_rowHeight);

    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const QModelIndex current = currentIndex();
    const bool focused = hasFocus();
    const int columns = m_header->count();
    for (int row = first; row <= last; ++row) {
        const QModelIndex head = model()->index(row, 0, rootIndex());
        // Rows are selected whole: the first column's state stands for all.
        const bool selected = selectionModel()->isSelected(head);
        const bool hasFocus = focused && current.isValid() && current.row() == row;
        for (int column = 0; column < columns; ++column) {
            const QModelIndex index = column == 0 ? head : head.siblingAtColumn(column);
            QStyleOptionViewItem cell = option;
            cell.rect = visualRect(index);
            if (!cell.rect.intersects(area))
                continue;
            cell.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus);
            if (selected)
                cell.state |= QStyle::State_Selected;
            if (hasFocus && column == 0)
                cell.state |= QStyle::State_HasFocus;
            if (alternatingRowColors() && row % 2 == 1)
                cell.features |= QStyleOptionViewItem::Alternate;
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &cell, &painter, this);
            itemDelegateForIndex(index)->paint(&painter, cell, index);
        }
    }
}

void ListViewControl::mousePressEvent(QMouseEvent *event)
{
    // A press beside the rows keeps the selection, as the list always has.
    if (!indexAt(event->position().toPoint()).isValid()) {
        setFocus(Qt::MouseFocusReason);
        event->accept();
        return;
    }
    QAbstractItemView::mousePressEvent(event);
}

void ListViewControl::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Copy) &&
        isSignalConnected(QMetaMethod::fromSignal(&ListViewControl::copyRequested))) {
        Q_EMIT copyRequested();
        event->accept();
        return;
    }
    QAbstractItemView::keyPressEvent(event);
}

void ListViewControl::contextMenuEvent(QContextMenuEvent *event)
{
    QPoint point = event->pos();
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QModelIndex current = currentIndex();
        const int row = current.isValid() ? current.row() : selectedRow();
        point = row >= 0 ? visualRect(model()->index(row, 0, rootIndex())).center() : QPoint(0, 0);
    }
    event->accept();
    Q_EMIT menuRequested(point);
}

void ListViewControl::changeEvent(QEvent *event)
{
    QAbstractItemView::changeEvent(event);
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) {
        m_header->setFont(font());
        updateRowHeight();
        updateGeometries();
    }
}

void ListViewControl::updateRowHeight()
{
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.features |= QStyleOptionViewItem::HasDisplay | QStyleOptionViewItem::HasCheckIndicator;
    option.text = QStringLiteral("Xg");
    const QSize size = style()->sizeFromContents(QStyle::CT_ItemViewItem, &option, QSize(), this);
    m_rowHeight = qMax(size.height(), fontMetrics().height() + 4);
}

} // namespace Quillfen
