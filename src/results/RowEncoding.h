#pragma once

#include "reading/Utf8Encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

namespace Quillfen {

// Appends the text as a JSON string literal, quotes included: exact for
// every character, control characters and unpaired surrogates escaped.
void appendJsonString(QByteArray &out, QStringView text);
// The same for text given as valid UTF-8.
void appendJsonString(QByteArray &out, QByteArrayView utf8);

} // namespace Quillfen
