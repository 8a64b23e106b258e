#pragma once

#include "FuzzSupport.h"

#include <QString>
#include <QStringList>
#include <algorithm>

namespace QuillfenFuzz {

// Line ends are CR LF throughout.
inline void requireCrLf(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n')
            require(i > 0 && text[i - 1] == u'\r', "lone LF in a document's text");
        if (text[i] == u'\r')
            require(i + 1 < text.size() && text[i + 1] == u'\n', "lone CR in a document's text");
    }
}

// As the readers build it: CR LF, paragraphs apart by exactly one empty
// line, none at the start or the end, no paragraph of blanks alone.
inline void requireDocumentText(const QString &text)
{
    requireCrLf(text);
    require(!text.contains(QStringLiteral("\r\n\r\n\r\n")), "more than one empty line");
    require(!text.startsWith(u'\r') && !text.endsWith(u'\n'), "line end at the start or end");
    for (const QString &paragraph : text.split(QStringLiteral("\r\n\r\n"))) {
        const bool blank = std::all_of(paragraph.cbegin(), paragraph.cend(),
                                       [](QChar c) { return c.unicode() <= 0x20; });
        require(!blank || text.isEmpty(), "a blank paragraph");
    }
}

} // namespace QuillfenFuzz
