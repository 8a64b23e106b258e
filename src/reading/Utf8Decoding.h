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

// How many of the bytes are valid UTF-8 of ASCII and two-byte characters,
// taken a block at a time: the bytes up to the first block that holds
// anything else (or a malformed sequence), cut at a character's start.
qsizetype narrowUtf8Prefix(QByteArrayView bytes);

} // namespace Quillfen::Detail
