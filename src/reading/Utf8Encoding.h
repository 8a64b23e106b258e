#pragma once

#include <QByteArray>
#include <QStringView>

namespace Quillfen {

// Appends the text as UTF-8. An unpaired surrogate becomes U+FFFD.
void appendUtf8(QByteArray &out, QStringView text);

namespace Detail {
// Writes the bytes at p as code points below U+0100 in UTF-8 at dst, 16 at
// a time, up to the first block of 16 that holds a byte in 80..9F or to the
// last whole block; returns where it stopped. Needs room for two bytes a
// byte; may do nothing where the processor lacks the instructions.
const uchar *latin1BlocksToUtf8(const uchar *p, const uchar *end, char *&dst);
} // namespace Detail

} // namespace Quillfen
