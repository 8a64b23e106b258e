#include "RowStore.h"

namespace Quillfen {

void RowStore::append(QStringView text, bool checked)
{
    m_texts.append(text);
    appendCheckBits(1, checked);
}

void RowStore::appendRowsOf(const RowTexts &texts, qsizetype from, qsizetype to, bool checked)
{
    m_texts.appendRowsOf(texts, from, to);
    appendCheckBits(to - from, checked);
}

// The bits of the last count rows, which the texts already hold.
void RowStore::appendCheckBits(qsizetype count, bool checked)
{
    const std::size_t rows = std::size_t(size());
    m_checked.resize((rows + 63) / 64, 0);
    for (std::size_t row = rows - std::size_t(count); row < rows; ++row)
        setChecked(qsizetype(row), checked);
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
    m_texts.remove(row);

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
    if ((std::size_t(size()) + 63) / 64 < m_checked.size())
        m_checked.pop_back();
}

void RowStore::clear()
{
    m_texts.clear();
    std::vector<std::uint64_t>().swap(m_checked);
}

void RowStore::clear(std::vector<RowTexts::SharedBlock> &retired)
{
    m_texts.clear(retired);
    std::vector<std::uint64_t>().swap(m_checked);
}

std::size_t RowStore::bytesHeld() const
{
    return m_texts.bytesHeld() + m_checked.capacity() * sizeof(std::uint64_t);
}

} // namespace Quillfen
