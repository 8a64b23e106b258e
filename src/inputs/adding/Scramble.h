#pragma once

#include "platform/WindowState.h"

#include <QString>

namespace Quillfen {

// Scrambles the UTF-8 bytes of text with the bytes of key, used in turn:
// each byte c becomes c + k, less 255 when that reaches 256. The result
// holds one character per byte, with codes 1 to 255. A NUL byte, which no
// path holds, is kept as NUL so that every text comes back unchanged. An
// empty key changes nothing. Yields now and then when given a loop.
QString scrambleText(const QString &text, const QString &key, EventLoop *loop = nullptr);

// The inverse: each character's code (a code above 255 counts as "?")
// less k, plus 255 when that is 0 or less, the bytes read as UTF-8 (bytes
// that are not UTF-8 come back as U+FFFD).
QString unscrambleText(const QString &text, const QString &key, EventLoop *loop = nullptr);

} // namespace Quillfen
