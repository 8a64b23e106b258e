#pragma once

#include "ExtractionChoices.h"
#include "Utf8LineFilter.h"
#include "Utf8Paragraphs.h"

#include <string>
#include <vector>

namespace Quillfen {

class Utf8AbbreviationMatcher;

// Sentence mode straight from UTF-8 bytes: exactly the rows that
// cutSentences and PieceHandler give for the decoded text, each encoded as
// UTF-8. Protected occurrences are copied as the text has them, so
// no placeholder is ever made; a piece that needs no change is handed on
// as the text's own bytes.
class Utf8Sentences
{
public:
    // matcher: the shield's, or null when it protects nothing.
    Utf8Sentences(const Utf8AbbreviationMatcher *matcher, const LineFilter &filter);

    // text must be valid UTF-8.
    void extract(QByteArrayView text, Utf8RowSink &sink);

private:
    void emitPiece(const char *base, qsizetype begin, qsizetype end, Utf8RowSink &sink);
    void emitItem(const char *item, qsizetype length, bool question, Utf8RowSink &sink);

    const Utf8AbbreviationMatcher *m_matcher;
    Utf8LineFilter m_filter;
    std::string m_piece;
    std::vector<qsizetype> m_questions; // offsets within the piece
    bool m_rowsWithoutBreaks = true;    // no occurrence holds a line break
};

} // namespace Quillfen
