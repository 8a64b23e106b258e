#pragma once

#include <QPersistentModelIndex>

namespace Quillfen {

class InputListModel;

// What one pointer movement during a row drag asks of the list.
struct DragStep
{
    int selectRow = -1; // the row to select, -1 for none
    int revealRow = -1; // the row to scroll into view as little as needed
};

// Reordering the input list by dragging a row with the mouse, apart from
// the widgets. DragActive follows the mouse button; DraggedRow is the row
// clicked last and follows that row when others are removed or moved.
class RowDragReorder
{
public:
    explicit RowDragReorder(InputListModel &rows) : m_rows(rows) {}

    bool dragActive() const { return m_active; }
    // The dragged row, numbered from 0; -1 when none (or it was removed).
    int draggedRow() const;

    // A mouse button went down over the list.
    void press() { m_active = true; }
    // A row was clicked (and selected).
    void clickRow(int row);
    // The pointer moved over the list. rowUnderPointer is -1 over no row;
    // pointerY is measured from the top of the rows area, which is
    // areaHeight high with rows of rowHeight. When the dragged row and the
    // row under the pointer hold different texts, the dragged row moves to
    // that place (the rows between shift by one), is selected, and the row
    // beyond it is revealed when the pointer is within one row of an edge.
    DragStep moveOver(int rowUnderPointer, int pointerY, int areaHeight, int rowHeight);
    // The mouse button went up.
    void release() { m_active = false; }

private:
    InputListModel &m_rows;
    bool m_active = false;
    QPersistentModelIndex m_dragged;
};

} // namespace Quillfen
