#include "TextFileDecoding.h"

#include "LegacyEncoding.h"
#include "UnmarkedWideText.h"
#include "platform/Failure.h"
#include "platform/FileReading.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

QByteArray &forcedName()
{
    static QByteArray name;
    return name;
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
    const bool wholeSample = wholeFile && sample.size() == head.size();
    std::optional<TextEncoding> wide;
    if (!(mark && isWide(mark->encoding)) && sample.contains('\0')) {
        wide = unmarkedWideEncoding(sample, wholeSample);
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
    if (const auto eastAsian = unmarkedEastAsianUtf16(sample, wholeSample))
        return {TextDecision::Kind::Encoding, *eastAsian, 0, {}};
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
