// Hand-written: 1.4x (to UTF-16), 4.2x (to UTF-8) as fast as ICU; --text 1.27x faster (bench/parts)
#include "AsciiWidening.h"
#include "TextDecoding.h"
#include "Utf8Encoding.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace Quillfen {
namespace {

// Bytes 80..9F; the five bytes the code page leaves unassigned stand for the
// C1 control of the same value.
constexpr char16_t HighControlRange[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, // 80
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F, // 88
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, // 90
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178, // 98
};

constexpr std::array<char16_t, 256> makeTable()
{
    std::array<char16_t, 256> table{};
    for (int b = 0; b < 256; ++b)
        table[b] = (b >= 0x80 && b <= 0x9F) ? HighControlRange[b - 0x80] : char16_t(b);
    return table;
}

constexpr std::array<char16_t, 256> Windows1252Table = makeTable();

} // namespace

QString decodeWindows1252(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return QString();
    QString text(bytes.size(), Qt::Uninitialized);
    char16_t *o = reinterpret_cast<char16_t *>(text.data());
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + bytes.size();
    // Blocks are widened as if ASCII; only their other bytes are looked up.
    for (; end - p >= Detail::BlockSize; p += Detail::BlockSize, o += Detail::BlockSize) {
        for (unsigned highBits = Detail::widenBlock(p, o); highBits != 0;
             highBits &= highBits - 1) {
            const int i = std::countr_zero(highBits);
            o[i] = Windows1252Table[p[i]];
        }
    }
    while (p < end)
        *o++ = Windows1252Table[*p++];
    return text;
}

void windows1252ToUtf8(QByteArrayView bytes, QByteArray &out)
{
    out.resize(bytes.size() * 3);
    char *o = out.data();
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + bytes.size();
    while (p < end) {
        // Blocks without bytes of 80..9F are Latin-1; the rest go a byte at
        // a time, a block at least.
        p = Detail::latin1BlocksToUtf8(p, end, o);
        const uchar *const stop = std::min(end, p + Detail::BlockSize);
        for (; p < stop; ++p) {
            const char16_t unit = Windows1252Table[*p];
            if (unit < 0x80) {
                *o++ = char(unit);
            } else if (unit < 0x800) {
                *o++ = char(0xC0 | (unit >> 6));
                *o++ = char(0x80 | (unit & 0x3F));
            } else {
                *o++ = char(0xE0 | (unit >> 12));
                *o++ = char(0x80 | ((unit >> 6) & 0x3F));
                *o++ = char(0x80 | (unit & 0x3F));
            }
        }
    }
    out.truncate(o - out.constData());
}

} // namespace Quillfen
