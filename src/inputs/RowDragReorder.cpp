#include "RowDragReorder.h"

#include "InputListModel.h"

namespace Quillfen {

int RowDragReorder::draggedRow() const
{
    return m_dragged.isValid() ? m_dragged.row() : -1;
}

void RowDragReorder::clickRow(int row)
{
    m_dragged = QPersistentModelIndex(m_rows.index(row, 0));
}

DragStep RowDragReorder::moveOver(int rowUnderPointer, int pointerY, int areaHeight, int rowHeight)
{
    const int count = m_rows.rowCount();
    const int from = draggedRow();
    if (!m_active || from < 0 || rowUnderPointer < 0 || rowUnderPointer >= count)
        return {};
    if (m_rows.pathAt(from) == m_rows.pathAt(rowUnderPointer))
        return {};

    const int to = rowUnderPointer;
    m_rows.moveRowTo(from, to);
    m_dragged = QPersistentModelIndex(m_rows.index(to, 0));

    DragStep step;
    step.selectRow = to;
    if (pointerY < rowHeight && to > 0)
        step.revealRow = to - 1;
    else if (pointerY >= areaHeight - rowHeight && to + 1 < count)
        step.revealRow = to + 1;
    return step;
}

} // namespace Quillfen
