#include "UnmarkedWideText.h"

#include <QtEndian>
#include <array>

namespace Quillfen {

namespace {

constexpr bool isHighSurrogate(char32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

constexpr bool isLowSurrogate(char32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// How much one character says for the reading that gives it, for two
// bytes: a character of four bytes counts twice, so that readings of the
// same bytes compare.
int weight(char32_t c)
{
    if (c == u'\t' || c == u'\n' || c == u'\r' || c == u'\f')
        return 2;
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F))
        return -4; // controls
    if (c <= 0xFF)
        return 2; // Latin-1: the NUL byte beside it is its own
    if (c >= 0x0370 && c <= 0x06FF)
        return 2; // Greek, Cyrillic, Armenian, Hebrew, Arabic: words of one block
    // Latin Extended and combining marks, whose byte-swapped forms are
    // common CJK punctuation, count as any other letter.
    if ((c >= 0xE000 && c <= 0xF8FF) || (c >= 0xFFF0 && c <= 0xFFFF && c != 0xFFFD))
        return -4; // private use, specials and noncharacters
    if (c <= 0xFFFF)
        return 1;
    if (c <= 0x3FFFF || (c >= 0xE0000 && c <= 0xE01EF))
        return 4; // a character outside the first plane: a pair is strong evidence
    return -4;    // unassigned planes and supplementary private use
}

quint16 unit16(const uchar *p, bool bigEndian)
{
    return bigEndian ? qFromBigEndian<quint16>(p) : qFromLittleEndian<quint16>(p);
}

// The weight of the sample read as UTF-16; nothing when it does not hold
// together.
std::optional<qint64> utf16Weight(QByteArrayView sample, bool wholeFile, bool bigEndian)
{
    const qsizetype units = sample.size() / 2;
    if (units == 0 || (wholeFile && sample.size() % 2 != 0))
        return std::nullopt;
    const uchar *p = reinterpret_cast<const uchar *>(sample.data());
    qint64 total = 0;
    for (qsizetype i = 0; i < units; ++i) {
        const quint16 unit = unit16(p + 2 * i, bigEndian);
        if (unit == 0 || isLowSurrogate(unit))
            return std::nullopt;
        if (!isHighSurrogate(unit)) {
            total += weight(unit);
            continue;
        }
        if (i + 1 == units) {
            if (wholeFile)
                return std::nullopt;
            break; // its partner was cut off
        }
        const quint16 next = unit16(p + 2 * ++i, bigEndian);
        if (!isLowSurrogate(next))
            return std::nullopt;
        total += 2 * weight(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (next - 0xDC00));
    }
    return total;
}

std::optional<qint64> utf32Weight(QByteArrayView sample, bool wholeFile, bool bigEndian)
{
    const qsizetype units = sample.size() / 4;
    if (units == 0 || (wholeFile && sample.size() % 4 != 0))
        return std::nullopt;
    qint64 total = 0;
    for (qsizetype i = 0; i < units; ++i) {
        const uchar *p = reinterpret_cast<const uchar *>(sample.data()) + 4 * i;
        const quint32 c = bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
        // The planes 4 to 13 hold no character: a UTF-16 text read as
        // UTF-32 lands there.
        if (c == 0 || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF) || (c >= 0x40000 && c < 0xE0000))
            return std::nullopt;
        total += 2 * weight(c);
    }
    return total;
}

bool isEastAsian(quint16 unit)
{
    return (unit >= 0x3000 && unit <= 0x30FF) || (unit >= 0x3400 && unit <= 0x9FFF) ||
           (unit >= 0xAC00 && unit <= 0xD7A3) || (unit >= 0xF900 && unit <= 0xFAFF) ||
           (unit >= 0xFF00 && unit <= 0xFFEF);
}

// Whether the sample reads as East Asian UTF-16 in this byte order.
bool readsAsEastAsian(QByteArrayView sample, bool wholeFile, bool bigEndian)
{
    const qsizetype units = sample.size() / 2;
    if (wholeFile && sample.size() % 2 != 0)
        return false;
    const uchar *p = reinterpret_cast<const uchar *>(sample.data());
    qsizetype eastAsian = 0;
    qsizetype lowByteUnder40 = 0;
    // Past this many other units nine in ten cannot be East Asian any more:
    // most text is found out within its first tenth.
    const qsizetype mostOthers = units - (units * 9 + 9) / 10;
    qsizetype others = 0;
    for (qsizetype i = 0; i < units; ++i) {
        const quint16 unit = unit16(p + 2 * i, bigEndian);
        if (isLowSurrogate(unit))
            return false;
        if (isHighSurrogate(unit)) {
            if (i + 1 == units) {
                if (wholeFile)
                    return false;
                break; // its partner was cut off
            }
            if (!isLowSurrogate(unit16(p + 2 * ++i, bigEndian)))
                return false;
            eastAsian += 2; // CJK beyond the first plane
            continue;
        }
        if (isEastAsian(unit)) {
            ++eastAsian;
            if ((unit & 0xFF) < 0x40)
                ++lowByteUnder40;
        } else if (++others > mostOthers) {
            return false;
        }
    }
    return eastAsian * 10 >= units * 9 && lowByteUnder40 * 20 >= units;
}

} // namespace

std::optional<TextEncoding> unmarkedWideEncoding(QByteArrayView sample, bool wholeFile)
{
    // In this order, which wins a tie.
    static constexpr std::array Candidates{TextEncoding::Utf16LE, TextEncoding::Utf16BE,
                                           TextEncoding::Utf32LE, TextEncoding::Utf32BE};
    std::optional<TextEncoding> best;
    qint64 bestWeight = 0;
    for (const TextEncoding encoding : Candidates) {
        const bool bigEndian =
            encoding == TextEncoding::Utf16BE || encoding == TextEncoding::Utf32BE;
        const std::optional<qint64> w =
            encoding == TextEncoding::Utf16LE || encoding == TextEncoding::Utf16BE
                ? utf16Weight(sample, wholeFile, bigEndian)
                : utf32Weight(sample, wholeFile, bigEndian);
        if (w && (!best || *w > bestWeight)) {
            best = encoding;
            bestWeight = *w;
        }
    }
    return best;
}

std::optional<TextEncoding> unmarkedEastAsianUtf16(QByteArrayView sample, bool wholeFile)
{
    constexpr qsizetype LeastBytes = 64;
    if (sample.size() < LeastBytes)
        return std::nullopt;
    const bool little = readsAsEastAsian(sample, wholeFile, false);
    const bool big = readsAsEastAsian(sample, wholeFile, true);
    if (little == big)
        return std::nullopt;
    return little ? TextEncoding::Utf16LE : TextEncoding::Utf16BE;
}

} // namespace Quillfen
