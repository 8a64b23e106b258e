#include "ExtractionChoices.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

bool selectsRows(LineFilterKind kind)
{
    return kind == LineFilterKind::Containing || kind == LineFilterKind::NotContaining;
}

} // namespace

const std::shared_ptr<const LineFilter::Compiled> &LineFilter::noTerms()
{
    static const std::shared_ptr<const Compiled> none = std::make_shared<const Compiled>();
    return none;
}

LineFilter::LineFilter(LineFilterKind kind, const QStringList &terms, const QStringList &excluded,
                       TermMatching matching)
    : m_kind(kind)
{
    // Keeping all rows or none, the terms and how they match do not count.
    if (selectsRows(kind))
        m_compiled = std::make_shared<const Compiled>(
            Compiled{TermSet(terms, matching), TermSet(excluded, matching)});
}

LineFilter::LineFilter(LineFilterKind kind, const QString &text, TermMatching matching)
    : LineFilter(kind, matching.regularExpression ? QStringList{text} : splitTerms(text), {},
                 matching)
{}

LineFilter LineFilter::ofTerms(const QStringList &containing, const QStringList &notContaining,
                               TermMatching matching)
{
    if (!containing.isEmpty())
        return LineFilter(LineFilterKind::Containing, containing, notContaining, matching);
    if (!notContaining.isEmpty())
        return LineFilter(LineFilterKind::NotContaining, notContaining, {}, matching);
    return LineFilter();
}

QStringList LineFilter::splitTerms(const QString &text)
{
    QStringList terms = text.split(u" | "_s, Qt::SkipEmptyParts);
    if (terms.isEmpty())
        terms.append(QString());
    return terms;
}

std::optional<PatternProblem> LineFilter::problem() const
{
    if (m_compiled->terms.problem())
        return m_compiled->terms.problem();
    return m_compiled->excluded.problem();
}

bool LineFilter::accepts(QStringView item) const
{
    switch (m_kind) {
    case LineFilterKind::All:
        return true;
    case LineFilterKind::Containing:
        return m_compiled->terms.foundIn(item) && !m_compiled->excluded.foundIn(item) &&
               !m_compiled->excluded.problem();
    case LineFilterKind::NotContaining:
        return !m_compiled->terms.foundIn(item) && !m_compiled->terms.problem();
    case LineFilterKind::None:
        break;
    }
    return false;
}

std::vector<TextRange> LineFilter::matchesIn(QStringView item) const
{
    if (m_kind != LineFilterKind::Containing)
        return {};
    return m_compiled->terms.matchesIn(item);
}

bool operator==(const LineFilter &a, const LineFilter &b)
{
    return a.m_kind == b.m_kind && (a.m_compiled == b.m_compiled ||
                                    (a.terms() == b.terms() && a.excluded() == b.excluded() &&
                                     a.matching() == b.matching()));
}

} // namespace Quillfen
