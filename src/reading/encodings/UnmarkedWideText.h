#pragma once

#include "reading/TextDecoding.h"

#include <QByteArrayView>
#include <optional>

namespace Quillfen {

// UTF-16 or UTF-32 text without a byte-order mark, told apart by the whole
// evidence of a file's first block rather than by the first reading that
// holds together.

// For a sample that holds a NUL byte: the reading among UTF-16LE, UTF-16BE,
// UTF-32LE and UTF-32BE that holds together (no NUL character, surrogates
// in pairs, UTF-32 values in the planes that have characters) and looks
// most like text: a character of Latin-1 (whose other byte is the NUL)
// weighs most, letters and signs of the scripts in use less, controls and
// private use count against. Nothing when no reading holds together. A
// sample cut short (wholeFile false) may end in a cut unit or a high
// surrogate that lost its partner.
std::optional<TextEncoding> unmarkedWideEncoding(QByteArrayView sample, bool wholeFile);

// For a sample without a NUL byte that is not UTF-8: UTF-16 of East Asian
// text, which has no NUL byte when it holds no ASCII. Taken only when one
// byte order alone reads at least 90% of its characters as East Asian
// letters and signs, and at least 5% of them have a low byte under 0x40, which no
// legacy double-byte encoding's second byte has. At least 64 bytes.
std::optional<TextEncoding> unmarkedEastAsianUtf16(QByteArrayView sample, bool wholeFile);

} // namespace Quillfen
