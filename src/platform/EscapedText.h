#pragma once

#include <QString>
#include <QStringView>

namespace Quillfen {

// text as it may be shown on a terminal or in a report: every control
// character is written as an escape, as `ls` shows such file names, so a
// name cannot move the cursor, clear the screen or set a terminal's title.
// Tab, line feed and carriage return (and the other C escapes) become
// "\t", "\n", "\r" ...; other C0 characters and DEL become "\x1b"-like
// escapes, the C1 characters U+0080..U+009F "\u009b"-like ones. Everything
// else, non-ASCII letters included, is kept as it is.
QString escapedText(QStringView text);

} // namespace Quillfen
