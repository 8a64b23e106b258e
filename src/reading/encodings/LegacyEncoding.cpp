#include "LegacyEncoding.h"

#include "platform/Failure.h"
#include "reading/TextDecoding.h"

#include <algorithm>
#include <memory>
#include <uchardet/uchardet.h>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// Fewer bytes outside ASCII than this give uchardet too little to go on:
// "Café." alone comes out as ISO-8859-2.
constexpr qsizetype MinimumHighBytes = 8;

// Names whose text Windows-1252 decodes as today (the WHATWG labels of
// windows-1252, plus Latin-9, whose few differences are rare in text).
bool isWindows1252Name(QByteArrayView name)
{
    static constexpr QLatin1StringView names[] = {
        "windows-1252"_L1, "cp1252"_L1,      "x-cp1252"_L1, "iso-8859-1"_L1, "iso8859-1"_L1,
        "latin1"_L1,       "iso-8859-15"_L1, "l1"_L1,       "us-ascii"_L1,   "ascii"_L1};
    const QLatin1StringView given(name);
    return std::any_of(std::begin(names), std::end(names), [&](QLatin1StringView known) {
        return given.compare(known, Qt::CaseInsensitive) == 0;
    });
}

struct DetectorDeleter
{
    void operator()(uchardet_t detector) const { uchardet_delete(detector); }
};

QByteArray detectedName(QByteArrayView sample)
{
    const std::unique_ptr<std::remove_pointer_t<uchardet_t>, DetectorDeleter> detector(
        uchardet_new());
    if (!detector ||
        uchardet_handle_data(detector.get(), sample.data(), size_t(sample.size())) != 0)
        return {};
    uchardet_data_end(detector.get());
    return QByteArray(uchardet_get_charset(detector.get()));
}

// A decoding that needed replacement characters or gave C1 controls is a
// wrong guess (binary bytes, or a near miss between similar encodings).
bool decodesCleanly(QByteArrayView sample, QByteArrayView name)
{
    QStringDecoder decoder(name.toByteArray().constData(), QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(sample);
    if (decoder.hasError())
        return false;
    return std::none_of(text.cbegin(), text.cend(), [](QChar c) {
        return c == QChar::ReplacementCharacter || (c.unicode() >= 0x80 && c.unicode() <= 0x9F);
    });
}

QStringDecoder decoderFor(QByteArrayView name)
{
    QStringDecoder decoder(name.toByteArray().constData());
    if (!decoder.isValid())
        throw Failure(u"No decoder knows the encoding \""_s + QString::fromLatin1(name) + u'"');
    return decoder;
}

} // namespace

std::optional<QByteArray> legacyEncodingOf(QByteArrayView bytes)
{
    const QByteArrayView sample = bytes.first(std::min(bytes.size(), LegacySampleBytes));
    const qsizetype highBytes =
        std::count_if(sample.begin(), sample.end(), [](char b) { return uchar(b) >= 0x80; });
    if (highBytes < MinimumHighBytes)
        return std::nullopt;
    const QByteArray name = detectedName(sample);
    // UTF-16 or UTF-32 without a mark is what uchardet says of binary data.
    if (name.isEmpty() || isWindows1252Name(name) || name.startsWith("UTF-") ||
        name.startsWith("X-ISO-10646"))
        return std::nullopt;
    if (!isKnownEncodingName(name) || !decodesCleanly(sample, name))
        return std::nullopt;
    return name;
}

bool isKnownEncodingName(QByteArrayView name)
{
    return !name.isEmpty() && QStringDecoder(name.toByteArray().constData()).isValid();
}

QString decodeWithEncoding(QByteArrayView bytes, QByteArrayView name)
{
    QString text;
    NamedBlockDecoder decoder(name);
    decoder.feed(bytes, text);
    decoder.finish(text);
    return text;
}

QString decodeUnmarkedText(QByteArrayView bytes)
{
    if (const auto name = legacyEncodingOf(bytes))
        return decodeWithEncoding(bytes, *name);
    return decodeWindows1252(bytes);
}

NamedBlockDecoder::NamedBlockDecoder(QByteArrayView name)
    : m_windows1252(isWindows1252Name(name)),
      m_decoder(m_windows1252 ? QStringDecoder() : decoderFor(name))
{}

void NamedBlockDecoder::feed(QByteArrayView bytes, QString &out)
{
    // The program's own Windows-1252 is WHATWG's, which ICU's is not (it
    // has no characters for 81, 8D, 8F, 90 and 9D).
    if (m_windows1252)
        out.append(decodeWindows1252(bytes));
    else
        out.append(m_decoder.decode(bytes));
}

void NamedBlockDecoder::finish(QString &) {}

} // namespace Quillfen
