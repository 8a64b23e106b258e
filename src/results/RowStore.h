#pragma once

#include "extract/RowTexts.h"

#include <QString>
#include <cstdint>
#include <vector>

namespace Quillfen {

// The rows of the results list without an object per row: the texts in
// UTF-8 blocks (see RowTexts), which may be shared with the lists rows were
// taken from, and one check bit per row. Growing never copies what is
// stored, so appending stays quick at any size. Rows are numbered from 0.
class RowStore
{
public:
    qsizetype size() const { return m_texts.size(); }
    bool isEmpty() const { return m_texts.isEmpty(); }

    void append(QStringView text, bool checked);
    // Rows [from, to) of texts, in place.
    void appendRowsOf(const RowTexts &texts, qsizetype from, qsizetype to, bool checked);
    QString text(qsizetype row) const { return m_texts.text(row); }
    const RowTexts &texts() const { return m_texts; }
    bool isChecked(qsizetype row) const;
    void setChecked(qsizetype row, bool checked);
    // Later rows move up by one. The removed text's room is not reused
    // until the store is cleared.
    void remove(qsizetype row);
    // Empties the store and gives its memory back.
    void clear();
    // Empties the store but moves its text blocks to the end of retired
    // instead of freeing them: giving back hundreds of megabytes at once
    // takes long enough to stall a window, so the caller frees them in
    // steps.
    void clear(std::vector<RowTexts::SharedBlock> &retired);

    // Bytes held by the store's own buffers, allocated capacity included.
    std::size_t bytesHeld() const;

private:
    void appendCheckBits(qsizetype count, bool checked);

    RowTexts m_texts;
    std::vector<std::uint64_t> m_checked;
};

} // namespace Quillfen
