#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <deque>
#include <memory>
#include <vector>

namespace Quillfen {

// The rows of the results list without an object per row: the texts in
// UTF-16 chunks of fixed size that never move once written, a packed
// location and a length per row, and one check bit per row. Growing never
// copies what is stored, so appending stays quick at any size. Rows are
// numbered from 0 here.
class RowStore
{
public:
    struct FreeUnits
    {
        void operator()(char16_t *units) const;
    };
    // One buffer of row texts.
    struct Chunk
    {
        std::unique_ptr<char16_t[], FreeUnits> units;
        qsizetype capacity = 0;
        qsizetype used = 0;
    };

    qsizetype size() const { return qsizetype(m_locations.size()); }
    bool isEmpty() const { return m_locations.empty(); }

    void append(QStringView text, bool checked);
    QStringView text(qsizetype row) const;
    bool isChecked(qsizetype row) const;
    void setChecked(qsizetype row, bool checked);
    // Later rows move up by one. The removed text's room is not reused
    // until the store is cleared.
    void remove(qsizetype row);
    // Empties the store and gives its memory back.
    void clear();
    // Empties the store but moves its text buffers to the end of retired
    // instead of freeing them: giving back hundreds of megabytes at once
    // takes long enough to stall a window, so the caller frees them in
    // steps.
    void clear(std::vector<Chunk> &retired);

    // Bytes held by the store's own buffers, allocated capacity included.
    std::size_t bytesHeld() const;

private:
    static constexpr qsizetype ChunkUnits = qsizetype(1) << 20;
    static constexpr int OffsetBits = 40;

    std::vector<Chunk> m_chunks;
    std::deque<std::uint64_t> m_locations; // chunk index << OffsetBits | offset
    std::deque<std::uint32_t> m_lengths;
    std::vector<std::uint64_t> m_checked;
};

} // namespace Quillfen
