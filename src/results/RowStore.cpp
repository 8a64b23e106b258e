#include "RowStore.h"

namespace Quillfen {

void RowStore::append(QStringView text, bool checked)
{
    const qsizetype row = size();
    m_text.insert(m_text.end(), text.utf16(), text.utf16() + text.size());
    m_starts.push_back(std::int64_t(m_text.size()));
    if (std::size_t(row) / 64 >= m_checked.size())
        m_checked.push_back(0);
    setChecked(row, checked);
}

QStringView RowStore::text(qsizetype row) const
{
    const std::int64_t start = m_starts[std::size_t(row)];
    const std::int64_t end = m_starts[std::size_t(row) + 1];
    return QStringView(m_text.data() + start, qsizetype(end - start));
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
    const std::int64_t start = m_starts[r];
    const std::int64_t length = m_starts[r + 1] - start;
    m_text.erase(m_text.begin() + start, m_text.begin() + start + length);
    m_starts.erase(m_starts.begin() + std::ptrdiff_t(r) + 1);
    for (std::size_t i = r + 1; i < m_starts.size(); ++i)
        m_starts[i] -= length;
    // Shift the check bits of the later rows down by one.
    const qsizetype count = size();
    for (qsizetype i = row; i < count; ++i)
        setChecked(i, isChecked(i + 1));
    if (std::size_t(count + 63) / 64 < m_checked.size())
        m_checked.pop_back();
}

void RowStore::clear()
{
    std::vector<char16_t>().swap(m_text);
    std::vector<std::int64_t>{0}.swap(m_starts);
    std::vector<std::uint64_t>().swap(m_checked);
}

std::size_t RowStore::bytesHeld() const
{
    return m_text.capacity() * sizeof(char16_t) + m_starts.capacity() * sizeof(std::int64_t) +
           m_checked.capacity() * sizeof(std::uint64_t);
}

} // namespace Quillfen
