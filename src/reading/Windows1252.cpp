#include "AsciiWidening.h"
#include "TextDecoding.h"

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

QByteArray windows1252ToUtf8(QByteArrayView bytes)
{
    QByteArray out(bytes.size() * 3, Qt::Uninitialized);
    char *o = out.data();
    const uchar *p = reinterpret_cast<const uchar *>(bytes.data());
    const uchar *const end = p + bytes.size();
    while (p < end) {
#if defined(__SSE2__)
        // Sixteen bytes copied as they are, then kept up to the first that
        // is not ASCII: runs are short and a call per run costs more. The
        // room of three bytes a byte holds the overrun.
        if (end - p >= Detail::BlockSize) {
            const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(o), block);
            const unsigned highBits = unsigned(_mm_movemask_epi8(block));
            const int ascii = highBits == 0 ? int(Detail::BlockSize) : std::countr_zero(highBits);
            p += ascii;
            o += ascii;
            if (ascii == Detail::BlockSize)
                continue;
        } else {
            for (; p < end && *p < 0x80; ++p)
                *o++ = char(*p);
            if (p == end)
                break;
        }
#else
        for (; p < end && *p < 0x80; ++p)
            *o++ = char(*p);
        if (p == end)
            break;
#endif
        const char16_t unit = Windows1252Table[*p++];
        if (unit < 0x800) {
            *o++ = char(0xC0 | (unit >> 6));
            *o++ = char(0x80 | (unit & 0x3F));
        } else {
            *o++ = char(0xE0 | (unit >> 12));
            *o++ = char(0x80 | ((unit >> 6) & 0x3F));
            *o++ = char(0x80 | (unit & 0x3F));
        }
    }
    out.truncate(o - out.constData());
    return out;
}

} // namespace Quillfen
