#pragma once

#include <QByteArray>
#include <QStringView>

namespace Quillfen {

// Appends the text as UTF-8. An unpaired surrogate becomes U+FFFD.
void appendUtf8(QByteArray &out, QStringView text);

} // namespace Quillfen
