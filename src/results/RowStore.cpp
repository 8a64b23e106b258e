#include "RowStore.h"

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <new>
#include <stdexcept>
#include <sys/mman.h>

namespace Quillfen {

namespace {

constexpr std::size_t HugePageBytes = std::size_t(2) << 20;

// Room for units UTF-16 units. A chunk of exactly one huge page is asked to
// be backed by one, where the system allows: a list of millions of rows
// then costs a page fault per 2 MB instead of one per 4 kB.
char16_t *allocateUnits(qsizetype units)
{
    const std::size_t bytes = std::size_t(units) * sizeof(char16_t);
    void *memory =
        bytes == HugePageBytes ? std::aligned_alloc(HugePageBytes, bytes) : std::malloc(bytes);
    if (!memory)
        throw std::bad_alloc();
    if (bytes == HugePageBytes)
        madvise(memory, bytes, MADV_HUGEPAGE); // advice only: may be refused
    return static_cast<char16_t *>(memory);
}

} // namespace

void RowStore::FreeUnits::operator()(char16_t *units) const
{
    std::free(units);
}

void RowStore::append(QStringView text, bool checked)
{
    const qsizetype length = text.size();
    if (length > qsizetype(UINT32_MAX))
        throw std::length_error("row too long");
    if (m_chunks.empty() || m_chunks.back().capacity - m_chunks.back().used < length) {
        // A row longer than a chunk gets a chunk of its own size.
        const qsizetype capacity = std::max(ChunkUnits, length);
        m_chunks.push_back({decltype(Chunk::units)(allocateUnits(capacity)), capacity, 0});
    }
    Chunk &chunk = m_chunks.back();
    std::copy_n(text.utf16(), length, chunk.units.get() + chunk.used);
    m_locations.push_back((std::uint64_t(m_chunks.size() - 1) << OffsetBits) |
                          std::uint64_t(chunk.used));
    m_lengths.push_back(std::uint32_t(length));
    chunk.used += length;

    const qsizetype row = size() - 1;
    if (std::size_t(row) / 64 >= m_checked.size())
        m_checked.push_back(0);
    setChecked(row, checked);
}

QStringView RowStore::text(qsizetype row) const
{
    const std::uint64_t location = m_locations[std::size_t(row)];
    const Chunk &chunk = m_chunks[std::size_t(location >> OffsetBits)];
    const qsizetype offset = qsizetype(location & ((std::uint64_t(1) << OffsetBits) - 1));
    return QStringView(chunk.units.get() + offset, qsizetype(m_lengths[std::size_t(row)]));
}

bool RowStore::isChecked(qsizetype row) const
{
    return (m_checked[std::size_t(row) / 64] >> (row % 64)) & 1u;
}

void RowStore::setChecked(qsizetype row, bool checked)
{
    std::uint64_t &word = m_checked[std::size_t(row) / 64];
    const std::uint64_t bit = std::uint64_t(1) << (row % 64);
    word = checked ? (word | bit) : (word & ~bit);
}

void RowStore::remove(qsizetype row)
{
    const std::size_t r = std::size_t(row);
    m_locations.erase(m_locations.begin() + std::ptrdiff_t(r));
    m_lengths.erase(m_lengths.begin() + std::ptrdiff_t(r));

    // Shift the check bits above the row down by one, a word at a time.
    const std::size_t first = r / 64;
    const unsigned bit = unsigned(r % 64);
    std::uint64_t &word = m_checked[first];
    const std::uint64_t below = bit == 0 ? 0 : word & ((std::uint64_t(1) << bit) - 1);
    const std::uint64_t above = bit == 63 ? 0 : (word >> (bit + 1)) << bit;
    word = below | above;
    for (std::size_t w = first + 1; w < m_checked.size(); ++w) {
        m_checked[w - 1] |= (m_checked[w] & 1u) << 63;
        m_checked[w] >>= 1;
    }
    if ((m_locations.size() + 63) / 64 < m_checked.size())
        m_checked.pop_back();
}

void RowStore::clear()
{
    std::vector<Chunk>().swap(m_chunks);
    std::deque<std::uint64_t>().swap(m_locations);
    std::deque<std::uint32_t>().swap(m_lengths);
    std::vector<std::uint64_t>().swap(m_checked);
}

void RowStore::clear(std::vector<Chunk> &retired)
{
    retired.insert(retired.end(), std::make_move_iterator(m_chunks.begin()),
                   std::make_move_iterator(m_chunks.end()));
    clear();
}

std::size_t RowStore::bytesHeld() const
{
    std::size_t bytes = m_checked.capacity() * sizeof(std::uint64_t);
    for (const Chunk &chunk : m_chunks)
        bytes += std::size_t(chunk.capacity) * sizeof(char16_t);
    // A deque holds its elements in blocks of 512 bytes, at least one, and
    // a map of at least eight block pointers.
    auto blocks = [](std::size_t count, std::size_t size) {
        const std::size_t used = count * size / 512 + 1;
        return used * 512 + std::max<std::size_t>(8, used + 2) * sizeof(void *);
    };
    return bytes + blocks(m_locations.size(), sizeof(std::uint64_t)) +
           blocks(m_lengths.size(), sizeof(std::uint32_t));
}

} // namespace Quillfen
