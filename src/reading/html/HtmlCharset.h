#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <optional>

namespace Quillfen {

// The encoding a page's bytes are read in, as a browser decides it for a
// local file.
struct HtmlCharset
{
    enum Kind { Utf8, Windows1252, Other };
    Kind kind = Utf8;
    QByteArray name; // the decoder's name, for Other
};

// The encoding named by a <meta charset> or <meta http-equiv=Content-Type>
// in bytes (the caller passes the first 1024), found the way the HTML
// standard's prescan finds it. None when nothing usable is declared: no
// such meta, an unknown label, or bytes that end inside the declaration.
std::optional<HtmlCharset> declaredHtmlCharset(QByteArrayView bytes);

// The encoding an encoding label stands for, or none for an unknown one.
// UTF-16 labels give UTF-8 and x-user-defined gives Windows-1252, as a
// <meta> declaration is taken.
std::optional<HtmlCharset> htmlCharsetForLabel(QByteArrayView label);

// The page's bytes as UTF-8: by its byte-order mark; else by the encoding
// its first 1024 bytes declare; else UTF-8 when the bytes are valid UTF-8;
// else Windows-1252. Bytes that cannot be decoded become U+FFFD.
QByteArray htmlBytesAsUtf8(QByteArrayView bytes);

} // namespace Quillfen
