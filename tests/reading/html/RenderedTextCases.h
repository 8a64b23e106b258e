#pragma once

#include <QString>

namespace Quillfen::Testing {

// Adds the rows "markup" (QByteArray) and "text" (QString) of the rendered
// text table to the current test's data.
void addRenderedTextRows();

// Every line end is CR LF: no lone LF, no lone CR.
inline bool onlyCrLfLineEnds(const QString &text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\n' && (i == 0 || text[i - 1] != u'\r'))
            return false;
        if (text[i] == u'\r' && (i + 1 == text.size() || text[i + 1] != u'\n'))
            return false;
    }
    return true;
}

} // namespace Quillfen::Testing
