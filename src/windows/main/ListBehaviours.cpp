#include "ListBehaviours.h"

#include "FileDrop.h"
#include "ListViewControl.h"
#include "PointerControl.h"
#include "inputs/InputListModel.h"
#include "results/ResultsModel.h"

#include <QDropEvent>
#include <QKeyEvent>
#include <QMouseEvent>

namespace Quillfen {

InputListBehaviour::InputListBehaviour(ListViewControl &view, InputListModel &rows,
                                       PointerControl &pointer)
    : QObject(&view), m_view(view), m_rows(rows), m_pointer(pointer), m_drag(rows)
{
    // Rows move within the list only; our own edge scrolling replaces Qt's.
    m_view.setDragEnabled(false);
    m_view.setAutoScroll(false);
    // Files from other programs may land; the event filter decides which.
    m_view.setAcceptDrops(true);
    m_view.viewport()->setAcceptDrops(true);
    m_view.installEventFilter(this);
    m_view.viewport()->installEventFilter(this);
}

void InputListBehaviour::removeSelectedRow()
{
    if (m_pointer.isBusy() || m_rows.rowCount() == 0)
        return;
    const int row = m_view.selectedRow();
    if (row >= 0)
        m_rows.removeRowAt(row);
}

void InputListBehaviour::pressed(const QPoint &position)
{
    m_drag.press();
    const QModelIndex index = m_view.indexAt(position);
    if (!index.isValid())
        return;
    m_view.viewport()->setCursor(m_dragPointer.value_or(QCursor(Qt::ClosedHandCursor)));
    m_view.selectRow(index.row());
    m_drag.clickRow(index.row());
}

void InputListBehaviour::moved(const QPoint &position)
{
    const QModelIndex under = m_view.indexAt(position);
    const DragStep step = m_drag.moveOver(under.isValid() ? under.row() : -1, position.y(),
                                          m_view.viewport()->height(), m_view.rowHeight());
    if (step.selectRow >= 0)
        m_view.selectRow(step.selectRow);
    if (step.revealRow >= 0)
        m_view.scrollTo(m_rows.index(step.revealRow, 0));
}

void InputListBehaviour::released()
{
    m_drag.release();
    m_view.viewport()->unsetCursor();
}

// Only a list of local files may land; anything else gets the no-drop
// pointer. Rows are never dragged out of the list, so a drag that comes
// from it is none of ours either.
bool InputListBehaviour::dragOver(QDropEvent *event) const
{
    const bool files = event->source() != &m_view && event->source() != m_view.viewport() &&
                       !droppedFilePaths(event->mimeData()).isEmpty();
    if (!files) {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
        return false;
    }
    // Copy where offered: a file manager that was told "moved" might
    // delete the files it dragged.
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    event->accept();
    return true;
}

void InputListBehaviour::dropped(QDropEvent *event)
{
    if (!dragOver(event))
        return;
    // The paths are handed on through a queued connection, so that the
    // dragging program hears that the drop is done before a folder walk.
    Q_EMIT filesDropped(droppedFilePaths(event->mimeData()));
}

bool InputListBehaviour::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == &m_view) {
        if (event->type() == QEvent::KeyPress &&
            static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete) {
            removeSelectedRow();
            return true;
        }
        return false;
    }
    // Only a mouse event may be taken as one; the others pass here too.
    const auto mouse = [event] { return static_cast<QMouseEvent *>(event); };
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove:
        dragOver(static_cast<QDropEvent *>(event));
        return true;
    case QEvent::DragLeave:
        return true;
    case QEvent::Drop:
        dropped(static_cast<QDropEvent *>(event));
        return true;
    case QEvent::MouseButtonPress:
        pressed(mouse()->position().toPoint());
        break;
    case QEvent::MouseMove:
        if (!m_drag.dragActive())
            break;
        // While a row is dragged the list's own selection dragging stays out.
        moved(mouse()->position().toPoint());
        return true;
    case QEvent::MouseButtonRelease:
        released();
        break;
    case QEvent::MouseButtonDblClick:
        removeSelectedRow();
        return true;
    default:
        break;
    }
    return false;
}

ResultsListBehaviour::ResultsListBehaviour(ListViewControl &view, ResultsModel &rows,
                                           PointerControl &pointer)
    : QObject(&view), m_view(view), m_rows(rows), m_pointer(pointer)
{
    m_view.setDragEnabled(false);
    m_view.viewport()->installEventFilter(this);
}

void ResultsListBehaviour::removeSelectedRow()
{
    if (m_pointer.isBusy() || m_rows.rowCount() == 0)
        return;
    const int row = m_view.selectedRow();
    if (row >= 0)
        m_rows.removeRowAt(row);
}

bool ResultsListBehaviour::eventFilter(QObject *, QEvent *event)
{
    if (event->type() != QEvent::MouseButtonDblClick)
        return false;
    const auto *mouse = static_cast<QMouseEvent *>(event);
    if (m_view.isOnCheckIndicator(mouse->position().toPoint()))
        return false;
    removeSelectedRow();
    return true;
}

} // namespace Quillfen
