#include "TermSearch.h"

#include <QChar>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// What whole words put around a pattern. "\E" ends a "\Q" the pattern may
// leave open; elsewhere PCRE2 ignores it.
const QString WordClass = u"[\\p{L}\\p{M}\\p{Nd}_]"_s;
const QString WholeBefore = u"(?<!"_s + WordClass + u")(?:"_s;
const QString WholeAfter = u"\\E)(?!"_s + WordClass + u')';

char32_t codePointBefore(QStringView text, qsizetype at)
{
    const QChar unit = text[at - 1];
    if (unit.isLowSurrogate() && at >= 2 && text[at - 2].isHighSurrogate())
        return QChar::surrogateToUcs4(text[at - 2], unit);
    return unit.unicode();
}

char32_t codePointAt(QStringView text, qsizetype at)
{
    const QChar unit = text[at];
    if (unit.isHighSurrogate() && at + 1 < text.size() && text[at + 1].isLowSurrogate())
        return QChar::surrogateToUcs4(unit, text[at + 1]);
    return unit.unicode();
}

bool touchesWord(QStringView text, qsizetype start, qsizetype end)
{
    return (start > 0 && isWordCharacter(codePointBefore(text, start))) ||
           (end < text.size() && isWordCharacter(codePointAt(text, end)));
}

} // namespace

bool isWordCharacter(char32_t c)
{
    if (c < 0x80)
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') ||
               c == u'_';
    return QChar::isLetter(c) || QChar::isMark(c) ||
           QChar::category(c) == QChar::Number_DecimalDigit;
}

QString PatternProblem::message() const
{
    const QString where = offset >= pattern.size()
                              ? u"at the end"_s
                              : u"at character "_s + QString::number(offset + 1);
    return u"Invalid regular expression \""_s + pattern + u"\": "_s + error + u' ' + where + u'.';
}

TermSet::TermSet(const QStringList &terms, TermMatching matching)
    : m_terms(terms), m_matching(matching)
{
    if (!matching.regularExpression)
        return;
    QRegularExpression::PatternOptions options = QRegularExpression::UseUnicodePropertiesOption;
    if (!matching.matchCase)
        options |= QRegularExpression::CaseInsensitiveOption;
    for (const QString &term : terms) {
        QRegularExpression pattern(term, options);
        qsizetype shift = 0; // of the typed pattern in the one compiled
        if (pattern.isValid() && matching.wholeWords) {
            pattern.setPattern(WholeBefore + term + WholeAfter);
            shift = WholeBefore.size();
        }
        if (!pattern.isValid() && !m_problem) {
            const qsizetype offset =
                std::clamp<qsizetype>(pattern.patternErrorOffset() - shift, 0, term.size());
            m_problem = PatternProblem{term, pattern.errorString(), offset};
        }
        m_patterns.push_back(std::move(pattern));
    }
}

std::optional<TextRange> TermSet::findLiteral(qsizetype i, QStringView text, qsizetype from) const
{
    const QString &term = m_terms[i];
    if (term.isEmpty())
        return TextRange{from, 0};
    const Qt::CaseSensitivity cs = m_matching.matchCase ? Qt::CaseSensitive : Qt::CaseInsensitive;
    for (qsizetype at = text.indexOf(term, from, cs); at >= 0;
         at = text.indexOf(term, at + 1, cs)) {
        if (!m_matching.wholeWords || !touchesWord(text, at, at + term.size()))
            return TextRange{at, term.size()};
    }
    return std::nullopt;
}

bool TermSet::foundIn(QStringView text) const
{
    if (m_problem)
        return false;
    for (qsizetype i = 0; i < m_terms.size(); ++i) {
        if (m_matching.regularExpression ? m_patterns[size_t(i)].match(text).hasMatch()
                                         : findLiteral(i, text, 0).has_value())
            return true;
    }
    return false;
}

std::vector<TextRange> TermSet::matchesIn(QStringView text) const
{
    std::vector<TextRange> found;
    if (m_problem)
        return found;
    for (qsizetype i = 0; i < m_terms.size(); ++i) {
        if (m_matching.regularExpression) {
            auto matches = m_patterns[size_t(i)].globalMatch(text);
            while (matches.hasNext()) {
                const QRegularExpressionMatch match = matches.next();
                if (match.capturedLength() > 0)
                    found.push_back({match.capturedStart(), match.capturedLength()});
            }
            continue;
        }
        if (m_terms[i].isEmpty())
            continue;
        for (auto match = findLiteral(i, text, 0); match;
             match = findLiteral(i, text, match->start + match->length))
            found.push_back(*match);
    }
    std::sort(found.begin(), found.end(),
              [](const TextRange &a, const TextRange &b) { return a.start < b.start; });
    std::vector<TextRange> merged;
    for (const TextRange &range : found) {
        if (!merged.empty() && range.start <= merged.back().start + merged.back().length) {
            TextRange &last = merged.back();
            last.length =
                std::max(last.start + last.length, range.start + range.length) - last.start;
        } else {
            merged.push_back(range);
        }
    }
    return merged;
}

} // namespace Quillfen
