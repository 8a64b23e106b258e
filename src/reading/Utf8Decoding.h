#pragma once

#include <QByteArrayView>
#include <QString>
#include <optional>

namespace Quillfen::Detail {

// The bytes as UTF-8 text, or nothing at the first malformed sequence. One
// pass serves both to validate and to decode.
std::optional<QString> decodeUtf8Strictly(QByteArrayView bytes);

} // namespace Quillfen::Detail
