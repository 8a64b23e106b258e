#pragma once

#include "ExtractionChoices.h"
#include "RowSink.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

namespace Quillfen {

class Utf8AbbreviationMatcher;

// The document's own text of each occurrence a cut protected, by the
// number its placeholder carries.
class ShieldedOccurrences
{
public:
    void add(QStringView text)
    {
        m_texts.append(text);
        m_ends.push_back(m_texts.size());
    }
    qsizetype size() const { return qsizetype(m_ends.size()); }
    QStringView text(qsizetype k) const
    {
        const qsizetype begin = k == 0 ? 0 : m_ends[size_t(k - 1)];
        return QStringView(m_texts).sliced(begin, m_ends[size_t(k)] - begin);
    }

private:
    QString m_texts;
    std::vector<qsizetype> m_ends;
};

// Protects the abbreviations of one list from being taken for sentence
// ends. Entries are numbered by position; empty entries protect nothing.
// Matching ignores letter case (Unicode simple case folding, character by
// character); entries are applied in list order, each over what the earlier
// ones left, leftmost first without overlap. A protected occurrence is held
// as an internal placeholder that neither a document nor an entry can
// match, and comes back exactly as the document wrote it.
class AbbreviationShield
{
public:
    AbbreviationShield() = default;
    explicit AbbreviationShield(QStringList entries);

    const QStringList &entries() const { return m_entries; }
    bool protectsNothing() const;

    // The text with every protected occurrence replaced by its placeholder;
    // the occurrences' own text goes to occurrences.
    QString shield(QStringView text, ShieldedOccurrences &occurrences) const;
    // Appends item to out with every placeholder replaced by the text of
    // its occurrence.
    static void restore(QStringView item, const ShieldedOccurrences &occurrences, QString &out);
    // True when item holds a placeholder.
    static bool holdsPlaceholder(QStringView item);

    // True when the same protection can be had on valid UTF-8: every entry
    // can be found there by a byte search (see Utf8AbbreviationMatcher).
    bool worksOnUtf8() const { return !m_matcher || m_utf8Matcher; }
    // The matcher for UTF-8 when worksOnUtf8(), or null when there is none.
    const Utf8AbbreviationMatcher *utf8Matcher() const { return m_utf8Matcher.get(); }

private:
    friend struct ShieldAccess;
    QStringList m_entries;
    struct Matcher;
    std::shared_ptr<const Matcher> m_matcher;
    std::shared_ptr<const Utf8AbbreviationMatcher> m_utf8Matcher;
};

// The pieces of one text, cut in one mode. Pieces are ranges of buffer.
struct PieceList
{
    struct Range
    {
        qsizetype offset;
        qsizetype length;
        bool plain; // known to hold neither "?" nor a placeholder
    };

    QString buffer;
    std::vector<Range> ranges;
    bool shielded = false; // pieces hold placeholders for these occurrences:
    ShieldedOccurrences occurrences;

    qsizetype size() const { return qsizetype(ranges.size()); }
    QStringView piece(qsizetype i) const
    {
        return QStringView(buffer).mid(ranges[size_t(i)].offset, ranges[size_t(i)].length);
    }
    bool isPlain(qsizetype i) const { return ranges[size_t(i)].plain; }
};

// Paragraph mode: cut at empty lines (two or more line ends in a row, a
// line end being CR LF or a lone LF).
PieceList cutParagraphs(const QString &text);
// Sentence mode: shield, cut at every ".", then in every piece each run of
// CR, LF, space and tab that holds a CR or LF becomes one space, the
// blanks at both ends go, and one "." is appended.
PieceList cutSentences(QStringView text, const AbbreviationShield &shield);
// Smart sentence mode (SmartSentences.h): one piece per sentence, its row
// as it stands; a sentence without a row is an empty piece.
PieceList cutSmartSentences(QStringView text, const QStringList &abbreviations);
PieceList cutText(const QString &text, ExtractMode mode, const AbbreviationShield &shield);

// Finishes, splits at "?", restores and filters one piece, appending the
// resulting rows to the sink. Keeps scratch buffers between calls.
class PieceHandler
{
public:
    // finishAsParagraph: Paragraph mode is selected at the moment of handling.
    // restoreWith: the occurrences of the cut the piece comes from, or null
    // when it was not shielded. plain: the piece is known to hold neither "?" nor a
    // placeholder (PieceList::isPlain), which spares a scan.
    void handle(QStringView piece, bool finishAsParagraph, const ShieldedOccurrences *restoreWith,
                const LineFilter &filter, RowSink &sink, bool plain = false);

private:
    QString m_piece;
    QString m_item;
    QString m_row;
};

// All rows of one text, for the command line and tests.
QStringList extractRows(const QString &text, ExtractMode mode, const QStringList &abbreviations,
                        const LineFilter &filter);
QStringList extractRowsWithShield(const QString &text, ExtractMode mode,
                                  const AbbreviationShield &shield, const LineFilter &filter);

} // namespace Quillfen
