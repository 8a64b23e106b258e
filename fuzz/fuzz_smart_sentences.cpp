// The smart sentence cut on any text, with an abbreviation list and a line
// filter taken from the input, whole and in parts.
#include "FuzzSupport.h"
#include "extract/SmartSentences.h"

#include <QList>

using namespace Quillfen;
using QuillfenFuzz::require;

namespace {

struct Collect final : Utf8RowSink
{
    QList<QByteArray> rows;
    // Each piece's row, or a null array for a piece that gave none.
    QList<QByteArray> pieces;
    bool rowInPiece = false;
    void appendUtf8Row(QByteArrayView row) override
    {
        rows.append(row.toByteArray());
        pieces.append(rows.back());
        rowInPiece = true;
    }
    void pieceEnded() override
    {
        if (!rowInPiece)
            pieces.append(QByteArray());
        rowInPiece = false;
    }
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The text with each run of blanks that holds a line end as one space.
QByteArray collapsed(QByteArrayView text)
{
    QByteArray out;
    for (qsizetype i = 0; i < text.size();) {
        qsizetype end = i;
        bool lineEnd = false;
        for (; end < text.size() && isBlank(text[end]); ++end)
            lineEnd = lineEnd || text[end] == '\r' || text[end] == '\n';
        if (end == i)
            out += text[i++];
        else
            out += lineEnd ? QByteArrayView(" ") : text.sliced(i, end - i);
        i = std::max(i, end);
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QuillfenFuzz::Reader in(data, size);
    const std::uint8_t choice = in.byte();
    const std::uint8_t partSeed = in.byte();
    LineFilter filter{LineFilterKind::All, {}};
    const QString needle = in.string(8);
    const TermMatching matching{.matchCase = (choice & 4) == 0,
                                .wholeWords = (choice & 8) != 0,
                                .regularExpression = (choice & 16) != 0};
    switch (choice & 3) {
    case 1:
        filter = {LineFilterKind::Containing, needle, matching};
        break;
    case 2:
        filter = {LineFilterKind::NotContaining, needle, matching};
        break;
    default:
        break;
    }
    const QStringList abbreviations = in.string(120).split(u'|');
    // Valid UTF-8, as the cut requires.
    const QByteArray text = QString::fromUtf8(in.rest()).toUtf8();

    const SmartSentences all(abbreviations, {LineFilterKind::All, {}});
    Collect whole;
    all.extract(text, whole);

    const QByteArray rest = collapsed(text);
    qsizetype at = 0;
    for (const QByteArray &row : whole.pieces) {
        while (at < rest.size() && (rest[at] == ' ' || rest[at] == '\t'))
            ++at;
        if (row.isNull()) {
            // Only a lone "." gives no row.
            require(QByteArrayView(rest).sliced(at).startsWith("."), "a piece without a row");
            ++at;
            continue;
        }
        require(!row.isEmpty(), "empty row");
        require(!isBlank(row.front()) && !isBlank(row.back()), "row not trimmed");
        require(!row.contains('\r') && !row.contains('\n'), "line end in a row");
        require(QByteArrayView(rest).sliced(at).startsWith(row),
                "rows are not the text in order, less blanks");
        at += row.size();
    }
    while (at < rest.size() && (rest[at] == ' ' || rest[at] == '\t'))
        ++at;
    require(at == rest.size(), "text left over after the rows");

    // Fed in parts of 1 to 64 bytes, cut anywhere.
    Collect parts;
    SmartSentenceStream stream(all, parts);
    std::uint32_t state = partSeed * 2654435761u + 1;
    for (qsizetype from = 0; from < text.size();) {
        state = state * 1664525u + 1013904223u;
        const qsizetype length = std::min<qsizetype>(1 + (state >> 26), text.size() - from);
        stream.feed(QByteArrayView(text).sliced(from, length));
        from += length;
    }
    stream.finish();
    require(parts.rows == whole.rows, "rows fed in parts differ from the whole text's");
    require(parts.pieces == whole.pieces, "pieces fed in parts differ");

    // The filter keeps those rows it accepts, in order.
    if (filter.kind() != LineFilterKind::All) {
        const Utf8LineFilter utf8Filter(filter);
        QList<QByteArray> kept;
        for (const QByteArray &row : whole.rows) {
            if (utf8Filter.accepts(row))
                kept.append(row);
        }
        Collect filtered;
        SmartSentences(abbreviations, filter).extract(text, filtered);
        require(filtered.rows == kept, "filtered rows are not the accepted rows");
        require(filtered.pieces.size() == whole.pieces.size(), "the filter changed the pieces");
    }

    // The UTF-16 form gives the same rows.
    const QStringList utf16 = smartSentences(QString::fromUtf8(text), abbreviations);
    require(utf16.size() == whole.rows.size(), "UTF-16 rows differ in number");
    for (qsizetype k = 0; k < utf16.size(); ++k)
        require(utf16[k].toUtf8() == whole.rows[k], "UTF-16 rows differ");
    return 0;
}
