#pragma once

#include "inputs/RowDragReorder.h"

#include <QCursor>
#include <QObject>
#include <optional>

class QDropEvent;

namespace Quillfen {

class InputListModel;
class ListViewControl;
class PointerControl;
class ResultsModel;

// The input list's mouse and key handling: removal of the selected row by
// double-click and by the Delete key (refused while busy), reordering rows
// by dragging them, and files dropped on it from a file manager.
class InputListBehaviour final : public QObject
{
    Q_OBJECT

public:
    InputListBehaviour(ListViewControl &view, InputListModel &rows, PointerControl &pointer);

    // The list's pointer while a row is dragged; without one, the system's
    // closed hand.
    void setDragPointer(std::optional<QCursor> pointer) { m_dragPointer = std::move(pointer); }
    const RowDragReorder &drag() const { return m_drag; }

    // Removes the selected row unless the window is busy.
    void removeSelectedRow();

Q_SIGNALS:
    // Local files and folders were dropped on the list, in the drop's order.
    void filesDropped(const QStringList &paths);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void pressed(const QPoint &position);
    void moved(const QPoint &position);
    void released();
    bool dragOver(QDropEvent *event) const;
    void dropped(QDropEvent *event);

    ListViewControl &m_view;
    InputListModel &m_rows;
    PointerControl &m_pointer;
    RowDragReorder m_drag;
    std::optional<QCursor> m_dragPointer;
};

// The results list's double-click removal, refused while busy. A double
// click on a row's check box only ticks it.
class ResultsListBehaviour final : public QObject
{
    Q_OBJECT

public:
    ResultsListBehaviour(ListViewControl &view, ResultsModel &rows, PointerControl &pointer);

    void removeSelectedRow();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    ListViewControl &m_view;
    ResultsModel &m_rows;
    PointerControl &m_pointer;
};

} // namespace Quillfen
