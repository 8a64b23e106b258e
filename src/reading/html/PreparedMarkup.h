#pragma once

#include "TextStandIns.h"

#include <QByteArray>
#include <cstdint>

namespace Quillfen {

struct PreparedMarkup
{
    QByteArray bytes;
    bool tooDeep = false;  // nests too deeply for the parser to be quick
    TextStandIns standIns; // the stretches of text that bytes stand in for
};

// A page's UTF-8 markup as the parser is given it, with less to read and
// the same tree for what shows: the content of scripts, styles, titles and
// the other raw-text elements that never show is left out (a noscript
// element's content too, as in a browser that runs scripts), comments are
// emptied, tags keep only the attributes that matter to the rendered text,
// and a comment goes before every </form> so that gumbo keeps the text
// before it inside the form. tooDeep, with no bytes, when the estimated
// nesting work passes workLimit: the parser's scope lookups would then
// cost too much. With standInBytes above zero, stretches of text of at
// least that many bytes outside SVG and MathML are given as stand-ins (see
// TextStandIns.h); the stand-ins refer to utf8, which must outlive them.
PreparedMarkup prepareMarkup(const QByteArray &utf8, std::uint64_t workLimit,
                             qsizetype standInBytes = 0);

} // namespace Quillfen
