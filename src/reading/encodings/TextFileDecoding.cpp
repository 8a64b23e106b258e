#include "TextFileDecoding.h"

#include "LegacyEncoding.h"
#include "UnmarkedWideText.h"
#include "platform/Failure.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

bool isWide(TextEncoding encoding)
{
    return encoding != TextEncoding::Utf8 && encoding != TextEncoding::Windows1252;
}

} // namespace

TextDecision decideTextDecoding(QByteArrayView head, bool wholeFile, bool validUtf8,
                                const QByteArray &forced)
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
    if (!forced.isEmpty())
        return {TextDecision::Kind::Named, TextEncoding::Utf8, 0, forced};
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

TextDecision decideTextDecoding(QByteArrayView bytes, const QByteArray &forced)
{
    const std::optional<ByteOrderMark> mark = detectByteOrderMark(bytes);
    return decideTextDecoding(bytes, true, isValidUtf8(bytes.sliced(mark ? mark->length : 0)),
                              forced);
}

void refuseBinaryFile(const QString &path)
{
    throw Failure(u"Cannot read \""_s + path + u"\": it is a binary file, not text"_s);
}

QString decodeTextOfFile(const QString &path, QByteArrayView bytes, const QByteArray &forced)
{
    const TextDecision decision = decideTextDecoding(bytes, forced);
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

} // namespace Quillfen
