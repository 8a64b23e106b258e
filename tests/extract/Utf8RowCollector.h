#pragma once

#include "extract/RowSink.h"
#include "extract/Utf8Paragraphs.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStringList>

namespace Quillfen::Testing {

// Rows from either the engine or a UTF-8 cut, as UTF-8, with how many came
// through each and how many pieces the UTF-8 cut ended.
struct CollectRows final : RowSink, Utf8RowSink
{
    QList<QByteArray> rows;
    int utf8Rows = 0;
    qsizetype pieces = 0;
    void append(QStringView row) override { rows.append(row.toUtf8()); }
    void pieceEnded() override { ++pieces; }
    void appendUtf8Row(QByteArrayView row) override
    {
        rows.append(row.toByteArray());
        ++utf8Rows;
    }
};

// A filter as the window or the command line makes one from needles:
// containing or not containing one needle, or a box of two (" | "), or
// the command line's lists with terms left out as well; or everything (a
// third of the time). Case, whole words and patterns (the needles escaped,
// in a few forms) are chosen at random.
inline LineFilter randomFilter(QRandomGenerator &random, const QStringList &needles)
{
    const TermMatching matching{.matchCase = random.bounded(2) == 0,
                                .wholeWords = random.bounded(3) == 0,
                                .regularExpression = random.bounded(4) == 0};
    auto term = [&] {
        const QString needle = needles[random.bounded(int(needles.size()))];
        if (!matching.regularExpression)
            return needle;
        static const QString forms[] = {QStringLiteral("%1"), QStringLiteral("(?:%1)+"),
                                        QStringLiteral("%1|\\d"), QStringLiteral("\\w%1"),
                                        QStringLiteral("[ab]%1")};
        return forms[random.bounded(int(std::size(forms)))].arg(QRegularExpression::escape(needle));
    };
    switch (random.bounded(6)) {
    case 0:
        return LineFilter(LineFilterKind::Containing, term(), matching);
    case 1:
        return LineFilter(LineFilterKind::NotContaining, term(), matching);
    case 2:
        if (matching.regularExpression)
            return LineFilter(LineFilterKind::Containing, term() + QStringLiteral("|") + term(),
                              matching);
        return LineFilter(random.bounded(2) == 0 ? LineFilterKind::Containing
                                                 : LineFilterKind::NotContaining,
                          term() + QStringLiteral(" | ") + term(), matching);
    case 3:
        return LineFilter::ofTerms({term(), term()}, {term()}, matching);
    default:
        return LineFilter(LineFilterKind::All, {});
    }
}

// The filter in a failure message.
inline QString describeFilter(const LineFilter &filter)
{
    const TermMatching &matching = filter.matching();
    return QStringLiteral("kind %1 terms [%2] excluded [%3]%4%5%6")
        .arg(int(filter.kind()))
        .arg(filter.terms().join(QStringLiteral("] [")),
             filter.excluded().join(QStringLiteral("] [")),
             matching.matchCase ? QString() : QStringLiteral(" -i"),
             matching.wholeWords ? QStringLiteral(" -w") : QString(),
             matching.regularExpression ? QStringLiteral(" -E") : QString());
}

} // namespace Quillfen::Testing
