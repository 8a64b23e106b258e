#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QStringDecoder>
#include <optional>

namespace Quillfen {

// The bytes of a file's start that detection looks at.
constexpr qsizetype LegacySampleBytes = 4 * 1024;

// The encoding of text that has no byte-order mark and is not valid UTF-8,
// as uchardet names it from at most the first LegacySampleBytes of bytes,
// when it names one with confidence: a legacy encoding QStringDecoder
// knows, not one of the Western encodings Windows-1252 already covers, with
// enough bytes outside ASCII to judge by and whose decoding of the sample
// is clean. Otherwise nothing, and the text stays Windows-1252.
std::optional<QByteArray> legacyEncodingOf(QByteArrayView bytes);

// True when QStringDecoder can decode text in the encoding so named
// (any name ICU knows, in any letter case).
bool isKnownEncodingName(QByteArrayView name);

// The bytes decoded with the named encoding; a byte-order mark matching it
// is not part of the text. Throws Failure for a name no decoder knows.
QString decodeWithEncoding(QByteArrayView bytes, QByteArrayView name);

// A text file's bytes without a mark that are not UTF-8: in the detected
// legacy encoding, else Windows-1252.
QString decodeUnmarkedText(QByteArrayView bytes);

// Decodes, block by block, a stream in a named encoding to the text
// decodeWithEncoding gives for all of it at once. Throws Failure for a name
// no decoder knows.
class NamedBlockDecoder
{
public:
    explicit NamedBlockDecoder(QByteArrayView name);

    void feed(QByteArrayView bytes, QString &out);
    // The stream has ended. An unfinished character at the end is dropped,
    // as decodeWithEncoding drops it.
    void finish(QString &out);

private:
    bool m_windows1252 = false;
    QStringDecoder m_decoder;
};

} // namespace Quillfen
