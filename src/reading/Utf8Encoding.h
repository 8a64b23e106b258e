#pragma once

#include <QByteArray>
#include <QStringView>

namespace Quillfen {

// Appends the text as UTF-8. An unpaired surrogate becomes U+FFFD.
void appendUtf8(QByteArray &out, QStringView text);

namespace Detail {
// Writes the text as UTF-8 at out and returns the end. An unpaired
// surrogate is written as its own three bytes, a form decodeKeepingSurrogates
// reads back, so any UTF-16 text returns unchanged; keptSurrogate is then
// set. Needs room for three bytes a unit, or for
// lengthKeepingSurrogates(text) + 16 bytes.
char *encodeKeepingSurrogates(QStringView text, char *out, bool &keptSurrogate);
qsizetype lengthKeepingSurrogates(QStringView text);

// Writes the bytes at p as code points below U+0100 in UTF-8 at dst, 16 at
// a time, up to the first block of 16 that holds a byte in 80..9F or to the
// last whole block; returns where it stopped. Needs room for two bytes a
// byte; may do nothing where the processor lacks the instructions.
const uchar *latin1BlocksToUtf8(const uchar *p, const uchar *end, char *&dst);
} // namespace Detail

} // namespace Quillfen
