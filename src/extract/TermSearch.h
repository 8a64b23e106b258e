#pragma once

#include <QRegularExpression>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace Quillfen {

// How a filter's terms are matched: "Match case", "Whole words" and
// "Regular expression" in the window, -i, -w and -E on the command line.
struct TermMatching
{
    bool matchCase = true;
    bool wholeWords = false;
    bool regularExpression = false; // each term is a Perl-compatible pattern

    friend bool operator==(const TermMatching &, const TermMatching &) = default;
};

// The characters a whole word may not touch: letters, combining marks,
// decimal digits and "_". A character and its case fold are alike in this,
// so whole words can be judged on folded text too.
bool isWordCharacter(char32_t c);

// A pattern that does not compile: the pattern, Qt's (PCRE2's) description
// and the number of characters before the place it names.
struct PatternProblem
{
    QString pattern;
    QString error;
    qsizetype offset = 0;

    // One sentence for the user: the pattern, the problem and where.
    QString message() const;
};

struct TextRange
{
    qsizetype start = 0;
    qsizetype length = 0;
    friend bool operator==(const TextRange &, const TextRange &) = default;
};

// Terms compiled once for texts in UTF-16. Literal terms go to Qt's search
// (ignoring case folds each character as QChar::toCaseFolded does); patterns
// to QRegularExpression. An empty literal term is in every text. Const use is
// safe from several threads.
class TermSet
{
public:
    TermSet() = default;
    TermSet(const QStringList &terms, TermMatching matching);

    const QStringList &terms() const { return m_terms; }
    const TermMatching &matching() const { return m_matching; }
    // The first pattern that does not compile, if any.
    const std::optional<PatternProblem> &problem() const { return m_problem; }

    // True when text holds any of the terms (never for an invalid pattern).
    bool foundIn(QStringView text) const;
    // Every place in text where a term matches, in order, overlapping and
    // touching places merged; empty matches are left out.
    std::vector<TextRange> matchesIn(QStringView text) const;

private:
    // The first match of term i in text at or after from.
    std::optional<TextRange> findLiteral(qsizetype i, QStringView text, qsizetype from) const;

    QStringList m_terms;
    TermMatching m_matching;
    std::vector<QRegularExpression> m_patterns; // one per term when patterns
    std::optional<PatternProblem> m_problem;
};

} // namespace Quillfen
