#include "TextDecoding.h"

// Placeholder until the decoders land.
namespace Quillfen {

std::optional<ByteOrderMark> detectByteOrderMark(QByteArrayView) { return std::nullopt; }
bool isValidUtf8(QByteArrayView) { return true; }
QString decodeUtf8(QByteArrayView bytes) { return QString::fromUtf8(bytes); }
QString decodeUtf16(QByteArrayView, bool) { return {}; }
QString decodeUtf32(QByteArrayView, bool) { return {}; }
QString decodeWindows1252(QByteArrayView bytes) { return QString::fromLatin1(bytes); }
QString decode(QByteArrayView bytes, TextEncoding) { return decodeUtf8(bytes); }
QString decodeTextFile(QByteArrayView bytes) { return decodeUtf8(bytes); }

} // namespace Quillfen
