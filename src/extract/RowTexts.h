#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringView>
#include <cstdint>
#include <cstring>
#include <deque>
#include <memory>
#include <stdexcept>
#include <unordered_set>
#include <vector>

namespace Quillfen {

// Row texts in UTF-8, in blocks that never move once written, each row a
// packed location and a length. One list can take rows of another in place:
// the blocks are shared, never copied, so rows cut on a worker reach the
// results list without being touched again. An unpaired surrogate is kept
// as its own three bytes, so every text comes back exactly as it went in.
// Rows are numbered from 0.
class RowTexts
{
public:
    class Block
    {
    public:
        explicit Block(qsizetype capacity);
        ~Block();
        Q_DISABLE_COPY_MOVE(Block)

        char *bytes() const { return m_bytes; }
        qsizetype capacity() const { return m_capacity; }
        // Bytes from the start taken from the system, ready to be written.
        qsizetype ready() const { return m_ready; }
        // Makes the bytes up to end ready, and a stretch beyond them.
        void prepare(qsizetype end);
        qsizetype used = 0;

    private:
        char *m_bytes;
        qsizetype m_capacity;
        qsizetype m_ready = 0;
    };
    using SharedBlock = std::shared_ptr<Block>;

    qsizetype size() const { return qsizetype(m_locations.size()); }

    void append(QStringView text);
    // Bytes that are well-formed UTF-8.
    void appendUtf8(QByteArrayView text)
    {
        char *const at = roomFor(text.size());
        if (!text.isEmpty())
            std::memcpy(at, text.data(), std::size_t(text.size()));
        added(text.size());
    }
    // Rows [from, to) of other, after this list's rows.
    void appendRowsOf(const RowTexts &other, qsizetype from, qsizetype to);

    QString text(qsizetype row) const;
    // The row's first count UTF-16 units (all of it when shorter), read
    // without decoding the rest.
    QString textStart(qsizetype row, qsizetype count) const;
    QByteArrayView utf8(qsizetype row) const;
    qsizetype utf16Length(qsizetype row) const;
    // Whether some row holds an unpaired surrogate, which is not UTF-8.
    bool keepsSurrogates() const { return m_keepsSurrogates; }

    // Empties the list; its blocks go to the end of retired, where they are
    // given back once no other list shares them.
    void clear(std::vector<SharedBlock> &retired);
    void clear();
    // The block this list appends to, if any. Another list may go on
    // writing in its free room once this one appends no more: small texts
    // then share blocks, and a list of many of them holds no half-empty
    // block per text.
    SharedBlock writingBlock() const;
    // Appends after what block holds, from now on.
    void continueIn(SharedBlock block);

    // Bytes held by the list's own buffers, allocated capacity included.
    std::size_t bytesHeld() const;
    // The same, but blocks already in counted are left out and the others
    // added to it: lists that share blocks count each once.
    std::size_t bytesHeld(std::unordered_set<const Block *> &counted) const;

    static constexpr qsizetype BlockBytes = qsizetype(2) << 20;

private:
    // Inline, through a pointer to the block written: appending is done once
    // a row, for millions of rows.

    // Ready bytes left at the end of the block this list writes (none
    // without one).
    qsizetype freeRoom() const
    {
        return m_writingBlock ? m_writingBlock->ready() - m_writingBlock->used : 0;
    }
    // Room for bytes more bytes at the end of the block this list writes.
    char *roomFor(qsizetype bytes)
    {
        if (freeRoom() < bytes)
            makeRoom(bytes);
        return m_writingBlock->bytes() + m_writingBlock->used;
    }
    void makeRoom(qsizetype bytes);
    void added(qsizetype bytes)
    {
        if (bytes > qsizetype(UINT32_MAX))
            throw std::length_error("row too long");
        m_locations.push_back((std::uint64_t(m_writing) << OffsetBits) |
                              std::uint64_t(m_writingBlock->used));
        m_lengths.push_back(std::uint32_t(bytes));
        m_writingBlock->used += bytes;
    }
    void writeIn(qsizetype block);
    qsizetype blockIndexOf(const SharedBlock &block);

    static constexpr int OffsetBits = 40;
    static constexpr std::uint64_t OffsetMask = (std::uint64_t(1) << OffsetBits) - 1;

    std::vector<SharedBlock> m_blocks;
    qsizetype m_writing = -1;              // the block of m_blocks this list appends to
    Block *m_writingBlock = nullptr;       // that block
    std::deque<std::uint64_t> m_locations; // block index << OffsetBits | offset
    std::deque<std::uint32_t> m_lengths;   // in bytes
    bool m_keepsSurrogates = false;
};

} // namespace Quillfen
