#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace Quillfen::Detail {

// The bytes as UTF-8 text, or nothing at the first malformed sequence. One
// pass serves both to validate and to decode.
std::optional<QString> decodeUtf8Strictly(QByteArrayView bytes);

// Decodes the bytes into out, which has room for bytes.size() units, each
// malformed part as U+FFFD; returns the number of units written.
qsizetype decodeUtf8To(QByteArrayView bytes, char16_t *out);

// As decodeUtf8To, reading the three bytes of a surrogate as that surrogate:
// the inverse of encodeKeepingSurrogates.
qsizetype decodeKeepingSurrogates(QByteArrayView bytes, char16_t *out);

// Whether the bytes are UTF-8, a character (or a block of ASCII and
// two-byte characters) at a time: what isValidUtf8 does on a processor
// without AVX2, and the reference of the vectorised one.
bool isValidUtf8Scalar(QByteArrayView bytes);

// Whether the processor has AVX2, and the check of a window of bytes
// that starts a character with it (Utf8Validation.cpp): whether they are
// whole, valid UTF-8. Only to be called where hasAvx2().
bool hasAvx2();
bool isValidUtf8Wide(const char *bytes, qsizetype size);

} // namespace Quillfen::Detail
