#include "TextFileDecoding.h"

#include "LegacyEncoding.h"
#include "platform/Failure.h"
#include "platform/FileReading.h"

#include <QtEndian>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

QByteArray &forcedName()
{
    static QByteArray name;
    return name;
}

bool isSurrogate(quint32 unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// Whether the sample reads as UTF-32 text: every unit a character that is
// not NUL. A sample cut short mid-unit leaves the cut unit out; a whole
// file must be whole units.
bool readsAsUtf32(QByteArrayView sample, bool wholeFile, bool bigEndian)
{
    const qsizetype units = sample.size() / 4;
    if (units == 0 || (wholeFile && sample.size() % 4 != 0))
        return false;
    for (qsizetype i = 0; i < units; ++i) {
        const uchar *p = reinterpret_cast<const uchar *>(sample.data()) + 4 * i;
        const quint32 unit = bigEndian ? qFromBigEndian<quint32>(p) : qFromLittleEndian<quint32>(p);
        if (unit == 0 || unit > 0x10FFFF || isSurrogate(unit))
            return false;
    }
    return true;
}

// Whether the sample reads as UTF-16 text: no NUL unit, every surrogate in
// a pair (a high one ending the sample may have lost its partner).
bool readsAsUtf16(QByteArrayView sample, bool wholeFile, bool bigEndian)
{
    const qsizetype units = sample.size() / 2;
    if (units == 0 || (wholeFile && sample.size() % 2 != 0))
        return false;
    const uchar *p = reinterpret_cast<const uchar *>(sample.data());
    auto unitAt = [&](qsizetype i) {
        return bigEndian ? qFromBigEndian<quint16>(p + 2 * i) : qFromLittleEndian<quint16>(p + 2 * i);
    };
    for (qsizetype i = 0; i < units; ++i) {
        const quint16 unit = unitAt(i);
        if (unit == 0)
            return false;
        if (unit >= 0xDC00 && unit <= 0xDFFF)
            return false; // a low surrogate without its high one
        if (unit >= 0xD800 && unit <= 0xDBFF) {
            if (i + 1 == units && !wholeFile)
                break;
            if (i + 1 == units)
                return false;
            const quint16 next = unitAt(++i);
            if (next < 0xDC00 || next > 0xDFFF)
                return false;
        }
    }
    return true;
}

// UTF-32 or UTF-16 without a mark that the sample holding a NUL reads as.
std::optional<TextEncoding> unmarkedWideEncoding(QByteArrayView sample, bool wholeFile)
{
    for (const TextEncoding encoding : {TextEncoding::Utf32LE, TextEncoding::Utf32BE}) {
        if (readsAsUtf32(sample, wholeFile, encoding == TextEncoding::Utf32BE))
            return encoding;
    }
    for (const TextEncoding encoding : {TextEncoding::Utf16LE, TextEncoding::Utf16BE}) {
        if (readsAsUtf16(sample, wholeFile, encoding == TextEncoding::Utf16BE))
            return encoding;
    }
    return std::nullopt;
}

bool isWide(TextEncoding encoding)
{
    return encoding != TextEncoding::Utf8 && encoding != TextEncoding::Windows1252;
}

} // namespace

TextDecision decideTextDecoding(QByteArrayView head, bool wholeFile, bool validUtf8)
{
    const std::optional<ByteOrderMark> mark = detectByteOrderMark(head);
    const QByteArrayView sample = head.first(std::min(head.size(), BinarySampleBytes));
    std::optional<TextEncoding> wide;
    if (!(mark && isWide(mark->encoding)) && sample.contains('\0')) {
        wide = unmarkedWideEncoding(sample, wholeFile && sample.size() == head.size());
        if (!wide)
            return {TextDecision::Kind::Binary, TextEncoding::Utf8, 0, {}};
    }
    if (!forcedName().isEmpty())
        return {TextDecision::Kind::Named, TextEncoding::Utf8, 0, forcedName()};
    if (mark)
        return {TextDecision::Kind::Encoding, mark->encoding, mark->length, {}};
    if (wide)
        return {TextDecision::Kind::Encoding, *wide, 0, {}};
    if (validUtf8)
        return {TextDecision::Kind::Encoding, TextEncoding::Utf8, 0, {}};
    if (std::optional<QByteArray> legacy = legacyEncodingOf(head))
        return {TextDecision::Kind::Named, TextEncoding::Utf8, 0, *std::move(legacy)};
    return {TextDecision::Kind::Encoding, TextEncoding::Windows1252, 0, {}};
}

TextDecision decideTextDecoding(QByteArrayView bytes)
{
    const std::optional<ByteOrderMark> mark = detectByteOrderMark(bytes);
    return decideTextDecoding(bytes, true, isValidUtf8(bytes.sliced(mark ? mark->length : 0)));
}

void refuseBinaryFile(const QString &path)
{
    throw Failure(u"Cannot read \""_s + path + u"\": it is a binary file, not text"_s);
}

QString decodeTextOfFile(const QString &path, QByteArrayView bytes)
{
    const TextDecision decision = decideTextDecoding(bytes);
    switch (decision.kind) {
    case TextDecision::Kind::Binary:
        refuseBinaryFile(path);
    case TextDecision::Kind::Named:
        return decodeWithEncoding(bytes, decision.name);
    case TextDecision::Kind::Encoding:
        break;
    }
    return decode(bytes.sliced(decision.markLength), decision.encoding);
}

QStringList ReadTextFile(const QString &path)
{
    return {decodeTextOfFile(path, readWholeFile(path))};
}

void forceTextEncoding(const QByteArray &name)
{
    forcedName() = name;
}

const QByteArray &forcedTextEncoding()
{
    return forcedName();
}

} // namespace Quillfen
