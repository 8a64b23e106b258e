#pragma once

#include "TermSearch.h"

#include <QString>
#include <QStringList>
#include <memory>

namespace Quillfen {

// Extraction mode: paragraphs, sentences by the fixed rules, sentences as a
// reader sees them (SmartSentences.h), or none (no mode button selected).
enum class ExtractMode { None, Paragraph, Sentence, SmartSentence };

// The window's filter buttons: keep all, only rows containing the box's
// terms, or only rows containing none of them; None when no filter button
// is selected, which emits nothing.
enum class LineFilterKind { None, All, Containing, NotContaining };

// Which rows pass. Containing: rows that hold any of terms() and none of
// excluded(); NotContaining: rows that hold none of terms(). The terms are
// compiled once, when the filter is made, and shared by its copies.
class LineFilter
{
public:
    LineFilter() = default;
    // The window's filter: the selected button and its box's text, whose
    // terms are separated by " | " (with regular expressions the text is
    // one pattern, as typed).
    LineFilter(LineFilterKind kind, const QString &text, TermMatching matching = {});
    // Terms given one by one, as the command line's repeatable
    // --containing and --not-containing give them: rows holding any of
    // containing (every row when there are none) and none of notContaining.
    static LineFilter ofTerms(const QStringList &containing, const QStringList &notContaining,
                              TermMatching matching);

    // The terms of a box's text: split at " | ", empty terms left out
    // unless nothing else is there (an empty box is one empty term).
    static QStringList splitTerms(const QString &text);

    LineFilterKind kind() const { return m_kind; }
    const QStringList &terms() const { return m_compiled->terms.terms(); }
    const QStringList &excluded() const { return m_compiled->excluded.terms(); }
    const TermMatching &matching() const { return m_compiled->terms.matching(); }
    // The compiled terms, for the searches on other forms of text.
    std::shared_ptr<const TermSet> termSet() const { return {m_compiled, &m_compiled->terms}; }
    std::shared_ptr<const TermSet> excludedSet() const
    {
        return {m_compiled, &m_compiled->excluded};
    }

    // The first pattern that does not compile; a filter with one passes no
    // row.
    std::optional<PatternProblem> problem() const;

    bool accepts(QStringView item) const;
    // Where item holds the terms that made it pass, for showing them: none
    // for a filter that only leaves rows out.
    std::vector<TextRange> matchesIn(QStringView item) const;

    friend bool operator==(const LineFilter &a, const LineFilter &b);

private:
    struct Compiled
    {
        TermSet terms;
        TermSet excluded;
    };
    LineFilter(LineFilterKind kind, const QStringList &terms, const QStringList &excluded,
               TermMatching matching);
    static const std::shared_ptr<const Compiled> &noTerms();

    LineFilterKind m_kind = LineFilterKind::All;
    std::shared_ptr<const Compiled> m_compiled = noTerms();
};

} // namespace Quillfen
