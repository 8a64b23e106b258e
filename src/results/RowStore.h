#pragma once

#include <QString>
#include <QStringView>
#include <cstdint>
#include <vector>

namespace Quillfen {

// The rows of the results list without an object per row: every text in
// one UTF-16 buffer, where each row starts in an offset table, and one
// check bit per row. Rows are numbered from 0 here.
class RowStore
{
public:
    qsizetype size() const { return qsizetype(m_starts.size()) - 1; }
    bool isEmpty() const { return size() == 0; }

    void append(QStringView text, bool checked);
    QStringView text(qsizetype row) const;
    bool isChecked(qsizetype row) const;
    void setChecked(qsizetype row, bool checked);
    // Later rows move up by one.
    void remove(qsizetype row);
    // Empties the store and gives its memory back.
    void clear();

    // Bytes held by the store's own buffers, allocated capacity included.
    std::size_t bytesHeld() const;

private:
    std::vector<char16_t> m_text;
    std::vector<std::int64_t> m_starts{0};
    std::vector<std::uint64_t> m_checked;
};

} // namespace Quillfen
