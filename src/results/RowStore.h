#pragma once

#include "extract/RowTexts.h"

#include <QString>
#include <cstdint>
#include <memory>
#include <vector>

namespace Quillfen {

// The rows of the results list without an object per row: stretches of
// rows of RowTexts lists, its own (for rows appended one by one) or those
// it was handed whole, and one check bit per row. Taking a stretch of rows
// touches none of them, and growing never copies what is stored, so
// appending stays quick at any size. Each stretch also names the file its
// rows came from, by a number the caller gives (NoFile for none): a file's
// rows share it instead of each holding a path. Rows are numbered from 0.
class RowStore
{
public:
    using SharedTexts = std::shared_ptr<RowTexts>;
    static constexpr qint32 NoFile = -1;

    qsizetype size() const { return m_size; }
    bool isEmpty() const { return m_size == 0; }

    void append(QStringView text, bool checked, qint32 file = NoFile);
    // Rows [from, to) of texts, in place; texts must not change them.
    void appendRowsOf(const SharedTexts &texts, qsizetype from, qsizetype to, bool checked,
                      qint32 file = NoFile);

    QString text(qsizetype row) const;
    // The row's first count UTF-16 units (all of it when shorter).
    QString textStart(qsizetype row, qsizetype count) const;
    QByteArrayView utf8(qsizetype row) const;
    qsizetype utf16Length(qsizetype row) const;
    // Whether some row holds an unpaired surrogate, which utf8() keeps in a
    // form that is not UTF-8.
    bool keepsSurrogates() const { return m_keepsSurrogates; }

    // The file number the row was appended with.
    qint32 file(qsizetype row) const;

    bool isChecked(qsizetype row) const;
    void setChecked(qsizetype row, bool checked);
    void setAllChecked(bool checked);
    // How many of the first rows rows are checked.
    qsizetype checkedCount(qsizetype rows) const;
    // Later rows move up by one. The removed text's room is not reused
    // until the store is cleared.
    void remove(qsizetype row);
    // Removes every row whose bit is set in marked (a bit a row, 64 to a
    // word), keeping the order, the files and the check marks of the rest;
    // one pass, however many go.
    void removeMarked(const std::vector<std::uint64_t> &marked);
    // Empties the store and gives its memory back.
    void clear();
    // Empties the store but moves its lists to the end of retired instead
    // of freeing them: giving back hundreds of megabytes at once takes long
    // enough to stall a window, so the caller frees them in steps.
    void clear(std::vector<SharedTexts> &retired);

    // Bytes held by the store's own buffers and the lists it holds rows of,
    // allocated capacity included.
    std::size_t bytesHeld() const;

private:
    // Rows [from, from + count) of texts.
    struct Stretch
    {
        SharedTexts texts;
        qsizetype from;
        qsizetype count;
        qint32 file;
    };
    // The stretch that holds row, and the row's number in its list.
    std::pair<const RowTexts *, qsizetype> locate(qsizetype row) const;
    std::size_t stretchOf(qsizetype row) const;
    void appendStretch(const SharedTexts &texts, qsizetype from, qsizetype count, qint32 file);
    void appendCheckBits(qsizetype count, bool checked);

    SharedTexts m_own;
    std::vector<Stretch> m_stretches;
    std::vector<qsizetype> m_firstRows; // of each stretch, ascending
    qsizetype m_size = 0;
    bool m_keepsSurrogates = false;
    std::vector<std::uint64_t> m_checked;
};

} // namespace Quillfen
