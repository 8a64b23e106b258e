#include "RowStore.h"

#include <algorithm>
#include <bit>
#include <unordered_set>

namespace Quillfen {

void RowStore::append(QStringView text, bool checked, qint32 file)
{
    if (!m_own)
        m_own = std::make_shared<RowTexts>();
    m_own->append(text);
    m_keepsSurrogates = m_keepsSurrogates || m_own->keepsSurrogates();
    appendStretch(m_own, m_own->size() - 1, 1, file);
    appendCheckBits(1, checked);
}

void RowStore::appendRowsOf(const SharedTexts &texts, qsizetype from, qsizetype to, bool checked,
                            qint32 file)
{
    if (to <= from)
        return;
    m_keepsSurrogates = m_keepsSurrogates || texts->keepsSurrogates();
    appendStretch(texts, from, to - from, file);
    appendCheckBits(to - from, checked);
}

void RowStore::appendStretch(const SharedTexts &texts, qsizetype from, qsizetype count, qint32 file)
{
    if (!m_stretches.empty()) {
        Stretch &last = m_stretches.back();
        if (last.texts == texts && last.from + last.count == from && last.file == file) {
            last.count += count;
            m_size += count;
            return;
        }
    }
    m_stretches.push_back({texts, from, count, file});
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

std::size_t RowStore::stretchOf(qsizetype row) const
{
    const auto after = std::upper_bound(m_firstRows.begin(), m_firstRows.end(), row);
    return std::size_t(after - m_firstRows.begin()) - 1;
}

std::pair<const RowTexts *, qsizetype> RowStore::locate(qsizetype row) const
{
    const std::size_t index = stretchOf(row);
    const Stretch &stretch = m_stretches[index];
    return {stretch.texts.get(), stretch.from + (row - m_firstRows[index])};
}

qint32 RowStore::file(qsizetype row) const
{
    return m_stretches[stretchOf(row)].file;
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

qsizetype RowStore::checkedCount(qsizetype rows) const
{
    qsizetype count = 0;
    const std::size_t whole = std::size_t(rows) / 64;
    for (std::size_t w = 0; w < whole; ++w)
        count += std::popcount(m_checked[w]);
    // The last word may hold bits past the rows (setAllChecked fills words).
    if (rows % 64 != 0)
        count += std::popcount(m_checked[whole] & ((std::uint64_t(1) << (rows % 64)) - 1));
    return count;
}

void RowStore::setAllChecked(bool checked)
{
    std::fill(m_checked.begin(), m_checked.end(), checked ? ~std::uint64_t(0) : 0);
}

void RowStore::remove(qsizetype row)
{
    const std::size_t index = stretchOf(row);
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
        const Stretch tail{stretch.texts, stretch.from + offset + 1, stretch.count - offset - 1,
                           stretch.file};
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

void RowStore::removeMarked(const std::vector<std::uint64_t> &marked)
{
    auto isMarked = [&](qsizetype row) {
        const std::size_t word = std::size_t(row) / 64;
        return word < marked.size() && ((marked[word] >> (row % 64)) & 1u);
    };
    std::vector<Stretch> stretches;
    std::vector<qsizetype> firstRows;
    std::vector<std::uint64_t> checked;
    qsizetype kept = 0;
    for (std::size_t s = 0; s < m_stretches.size(); ++s) {
        const Stretch &stretch = m_stretches[s];
        const qsizetype first = m_firstRows[s];
        for (qsizetype i = 0; i < stretch.count; ++i) {
            if (isMarked(first + i))
                continue;
            const qsizetype at = stretch.from + i;
            if (stretches.empty() || stretches.back().texts != stretch.texts ||
                stretches.back().from + stretches.back().count != at ||
                stretches.back().file != stretch.file) {
                stretches.push_back({stretch.texts, at, 0, stretch.file});
                firstRows.push_back(kept);
            }
            ++stretches.back().count;
            if (std::size_t(kept) / 64 >= checked.size())
                checked.push_back(0);
            if (isChecked(first + i))
                checked.back() |= std::uint64_t(1) << (kept % 64);
            ++kept;
        }
    }
    m_stretches = std::move(stretches);
    m_firstRows = std::move(firstRows);
    m_checked = std::move(checked);
    m_size = kept;
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
