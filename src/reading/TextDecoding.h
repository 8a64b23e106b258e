#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace Quillfen {

enum class TextEncoding { Utf8, Utf16LE, Utf16BE, Utf32LE, Utf32BE, Windows1252 };

struct ByteOrderMark
{
    TextEncoding encoding;
    int length; // bytes of the mark itself
};

// The byte-order mark at the start of a file, tested in this order:
// FF FE 00 00, 00 00 FE FF, EF BB BF, FF FE, FE FF.
std::optional<ByteOrderMark> detectByteOrderMark(QByteArrayView bytes);

bool isValidUtf8(QByteArrayView bytes);

// Decoders. Malformed input becomes U+FFFD, one per maximal malformed
// subpart as the WHATWG Encoding Standard's decoders give it.
QString decodeUtf8(QByteArrayView bytes);
QString decodeUtf16(QByteArrayView bytes, bool bigEndian);
// The same into a text whose room is used again.
void decodeUtf16(QByteArrayView bytes, bool bigEndian, QString &into);
QString decodeUtf32(QByteArrayView bytes, bool bigEndian);
QString decodeWindows1252(QByteArrayView bytes);
// The Windows-1252 bytes as UTF-8 in place of what into held: the same
// text, without UTF-16 between.
void windows1252ToUtf8(QByteArrayView bytes, QByteArray &into);
QString decode(QByteArrayView bytes, TextEncoding encoding);
// The same into a text whose room is used again where the decoder can.
void decode(QByteArrayView bytes, TextEncoding encoding, QString &into);

// A file's bytes as text: by its byte-order mark (which is not part of the
// text); without one, UTF-8 when the bytes are valid UTF-8, else
// Windows-1252.
QString decodeTextFile(QByteArrayView bytes);

} // namespace Quillfen
