#include "RowStore.h"

#include <algorithm>
#include <unordered_set>

namespace Quillfen {

void RowStore::append(QStringView text, bool checked)
{
    if (!m_own)
        m_own = std::make_shared<RowTexts>();
    m_own->append(text);
    m_keepsSurrogates = m_keepsSurrogates || m_own->keepsSurrogates();
    appendStretch(m_own, m_own->size() - 1, 1);
    appendCheckBits(1, checked);
}

void RowStore::appendRowsOf(const SharedTexts &texts, qsizetype from, qsizetype to, bool checked)
{
    if (to <= from)
        return;
    m_keepsSurrogates = m_keepsSurrogates || texts->keepsSurrogates();
    appendStretch(texts, from, to - from);
    appendCheckBits(to - from, checked);
}

void RowStore::appendStretch(const SharedTexts &texts, qsizetype from, qsizetype count)
{
    if (!m_stretches.empty()) {
        Stretch &last = m_stretches.back();
        if (last.texts == texts && last.from + last.count == from) {
            last.count += count;
            m_size += count;
            return;
        }
    }
    m_stretches.push_back({texts, from, count});
    m_firstRows.push_back(m_size);
    m_size += count;
}

// The bits of the last count rows, which the stretches already hold.
void RowStore::appendCheckBits(qsizetype count, bool checked)
{
    const std::size_t end = std::size_t(m_size);
    std::size_t row = end - std::size_t(count);
    m_checked.resize((end + 63) / 64, 0);
    // A word at a time, the first and last ones through a mask.
    while (row < end) {
        const std::size_t wordEnd = std::min(end, (row / 64 + 1) * 64);
        const std::size_t bits = wordEnd - row;
        const std::uint64_t ones = bits == 64 ? ~std::uint64_t(0) : (std::uint64_t(1) << bits) - 1;
        const std::uint64_t mask = ones << (row % 64);
        std::uint64_t &word = m_checked[row / 64];
        word = checked ? (word | mask) : (word & ~mask);
        row = wordEnd;
    }
}

std::pair<const RowTexts *, qsizetype> RowStore::locate(qsizetype row) const
{
    const auto after = std::upper_bound(m_firstRows.begin(), m_firstRows.end(), row);
    const std::size_t index = std::size_t(after - m_firstRows.begin()) - 1;
    const Stretch &stretch = m_stretches[index];
    return {stretch.texts.get(), stretch.from + (row - m_firstRows[index])};
}

QString RowStore::text(qsizetype row) const
{
    const auto [texts, at] = locate(row);
    return texts->text(at);
}

QString RowStore::textStart(qsizetype row, qsizetype count) const
{
    const auto [texts, at] = locate(row);
    return texts->textStart(at, count);
}

QByteArrayView RowStore::utf8(qsizetype row) const
{
    const auto [texts, at] = locate(row);
    return texts->utf8(at);
}

qsizetype RowStore::utf16Length(qsizetype row) const
{
    const auto [texts, at] = locate(row);
    return texts->utf16Length(at);
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
    const auto after = std::upper_bound(m_firstRows.begin(), m_firstRows.end(), row);
    const std::size_t index = std::size_t(after - m_firstRows.begin()) - 1;
    Stretch &stretch = m_stretches[index];
    const qsizetype offset = row - m_firstRows[index];
    std::size_t later = index + 1; // the first stretch whose first row moves up
    if (stretch.count == 1) {
        m_stretches.erase(m_stretches.begin() + std::ptrdiff_t(index));
        m_firstRows.erase(m_firstRows.begin() + std::ptrdiff_t(index));
        later = index;
    } else if (offset == 0) {
        ++stretch.from;
        --stretch.count;
    } else if (offset == stretch.count - 1) {
        --stretch.count;
    } else {
        // Split around the row: the part after it starts where the row was.
        const Stretch tail{stretch.texts, stretch.from + offset + 1, stretch.count - offset - 1};
        stretch.count = offset;
        m_stretches.insert(m_stretches.begin() + std::ptrdiff_t(index + 1), tail);
        m_firstRows.insert(m_firstRows.begin() + std::ptrdiff_t(index + 1), row + 1);
    }
    for (std::size_t i = later; i < m_firstRows.size(); ++i)
        --m_firstRows[i];
    --m_size;

    // Shift the check bits above the row down by one, a word at a time.
    const std::size_t r = std::size_t(row);
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
    if ((std::size_t(m_size) + 63) / 64 < m_checked.size())
        m_checked.pop_back();
}

void RowStore::clear()
{
    std::vector<SharedTexts> retired;
    clear(retired);
}

void RowStore::clear(std::vector<SharedTexts> &retired)
{
    // Each list once, however many stretches it has.
    std::unordered_set<const RowTexts *> seen;
    for (Stretch &stretch : m_stretches) {
        if (seen.insert(stretch.texts.get()).second)
            retired.push_back(std::move(stretch.texts));
    }
    m_own.reset();
    std::vector<Stretch>().swap(m_stretches);
    std::vector<qsizetype>().swap(m_firstRows);
    m_size = 0;
    m_keepsSurrogates = false;
    std::vector<std::uint64_t>().swap(m_checked);
}

std::size_t RowStore::bytesHeld() const
{
    std::size_t bytes = m_checked.capacity() * sizeof(std::uint64_t) +
                        m_stretches.capacity() * sizeof(Stretch) +
                        m_firstRows.capacity() * sizeof(qsizetype);
    // Lists that follow one another may share a block: each counts once.
    std::unordered_set<const RowTexts *> lists;
    std::unordered_set<const RowTexts::Block *> blocks;
    for (const Stretch &stretch : m_stretches) {
        if (lists.insert(stretch.texts.get()).second)
            bytes += stretch.texts->bytesHeld(blocks);
    }
    return bytes;
}

} // namespace Quillfen
