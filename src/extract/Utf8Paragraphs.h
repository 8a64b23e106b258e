#pragma once

#include "ExtractionChoices.h"
#include "Utf8LineFilter.h"

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace Quillfen {

// Receives rows as UTF-8. The bytes are only valid during the call.
class Utf8RowSink
{
public:
    virtual ~Utf8RowSink() = default;
    virtual void appendUtf8Row(QByteArrayView row) = 0;
    // Called after the rows of each piece, one call per piece that the
    // decoded text's cut would give, rows or none.
    virtual void pieceEnded() {}
    // True when the sink writes every line break in a row alike, CR LF, LF
    // or a lone CR: a cut may then hand a row with the text's own line
    // breaks where it would write each as CR, and save copying it.
    virtual bool joinsLineBreaks() const { return false; }
    // A row that holds no CR and no LF, which a sink that joins line breaks
    // can take as it stands.
    virtual void appendUtf8RowWithoutBreaks(QByteArrayView row) { appendUtf8Row(row); }
    // Room at the end of the sink's rows for a row of at most size bytes
    // and no line break, which a cut writes itself and then hands on with
    // appendRowWritten: no copy of it on the way. Null where the sink has
    // no such room.
    virtual char *rowRoom(qsizetype size)
    {
        Q_UNUSED(size);
        return nullptr;
    }
    virtual void appendRowWritten(qsizetype size) { Q_UNUSED(size); }
};

// Paragraph mode straight from UTF-8 bytes, for output that wants UTF-8:
// exactly the rows that cutParagraphs and PieceHandler give for the
// decoded text, each encoded as UTF-8, without decoding to UTF-16 and
// encoding back. A paragraph's row is its bytes with the ends trimmed and
// every line end as CR. For a sink that joins line breaks, and no filter
// (which could tell them apart), each line end is a space instead, or,
// where the text holds a CR of its own that ends no line, the line breaks
// are handed on as they stand for the sink to join.
class Utf8Paragraphs
{
public:
    explicit Utf8Paragraphs(const LineFilter &filter);

    // text must be valid UTF-8.
    void extract(QByteArrayView text, Utf8RowSink &sink);

private:
    void handlePiece(const char *s, qsizetype from, qsizetype to, Utf8RowSink &sink);
    void emitItem(QByteArrayView item, bool question, Utf8RowSink &sink);
    char *copyLines(const char *s, qsizetype from, qsizetype to, char *out);

    Utf8LineFilter m_filter;
    QByteArray m_piece;
    std::vector<qsizetype> m_lineFeeds;
    std::vector<qsizetype> m_questions;
    size_t m_nextLineFeed = 0;
    size_t m_nextQuestion = 0;
    // How a row holds the line ends inside its paragraph.
    enum class LineEnds { AsCr, AsSpace, AsTheyStand };
    LineEnds m_lineEnds = LineEnds::AsCr;
};

} // namespace Quillfen
