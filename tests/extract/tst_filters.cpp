#include "extract/ExtractionChoices.h"
#include "extract/Utf8LineFilter.h"
#include "extract/Utf8TermSearch.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

// A row with its expected bold places in brackets: "[Pass]word".
struct Marked
{
    QString text;
    std::vector<TextRange> ranges;
};

Marked unmark(const QString &marked)
{
    Marked out;
    qsizetype start = -1;
    for (const QChar c : marked) {
        if (c == u'[') {
            start = out.text.size();
        } else if (c == u']') {
            out.ranges.push_back({start, out.text.size() - start});
        } else {
            out.text += c;
        }
    }
    return out;
}

// "i" ignores case, "w" whole words, "E" patterns.
TermMatching matchingOf(const QString &flags)
{
    return {.matchCase = !flags.contains(u'i'),
            .wholeWords = flags.contains(u'w'),
            .regularExpression = flags.contains(u'E')};
}

} // namespace

class FiltersTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The window's boxes: what passes and what is drawn in bold, the same
    // on the UTF-16 and the UTF-8 paths.
    void box_passesAndShowsItsMatches_data()
    {
        QTest::addColumn<bool>("containing"); // else "not containing"
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QString>("row"); // matches in brackets
        QTest::addColumn<bool>("passes");
        auto add = [](const char *name, bool containing, const QString &box, const QString &flags,
                      const QString &row, bool passes) {
            QTest::newRow(name) << containing << box << flags << row << passes;
        };
        add("case counts by default", true, u"password"_s, {}, u"Password reset"_s, false);
        add("ignoring case", true, u"password"_s, u"i"_s, u"[Password] reset"_s, true);
        add("folding beyond ASCII", true, u"ÉLODIE"_s, u"i"_s, u"Ask [élodie] first"_s, true);
        add("KELVIN SIGN folds to k", true, u"kg"_s, u"i"_s, u"5 [\u212Ag]"_s, true);
        add("folding around ASCII", true, u"CRÈME"_s, u"i"_s, u"cr, [crÈme] and [CRèME]"_s, true);
        add("folding: the letters around differ", true, u"CRÈME"_s, u"i"_s, u"crame crèmf"_s,
            false);
        add("folding, whole words", true, u"CRÈME"_s, u"iw"_s, u"crèmes"_s, false);
        add("folding, a pair before the run", true, u"😀É1"_s, u"iw"_s, u"x [😀é1]"_s, true);
        add("folding, another pair before it", true, u"😀É1"_s, u"i"_s, u"x 😁é1"_s, false);
        add("a fold into a later term", true, u"xyz | kg"_s, u"i"_s, u"5 [\u212Ag]"_s, true);
        add("a fold into a word", true, u"kg"_s, u"iw"_s, u"5 \u212Agx"_s, false);
        add("simple folding: no ß to ss", true, u"STRASSE"_s, u"i"_s, u"Hauptstraße 5"_s, false);
        add("every match shown", true, u"ab"_s, {}, u"[ab]c[ab]"_s, true);
        add("any of the terms", true, u"passwords | credentials"_s, {},
            u"store [credentials] safely"_s, true);
        add("touching matches merged", true, u"ab | bc"_s, {}, u"x[abc]"_s, true);
        add("a bar without spaces is text", true, u"a|b"_s, {}, u"x [a|b]"_s, true);
        add("a bar without spaces, not split", true, u"a|b"_s, {}, u"a b"_s, false);
        add("an empty box: every row", true, {}, {}, u"anything"_s, true);
        add("whole word", true, u"art"_s, u"w"_s, u"party [art]."_s, true);
        add("inside a word", true, u"art"_s, u"w"_s, u"party"_s, false);
        add("touching _", true, u"art"_s, u"w"_s, u"art_deco"_s, false);
        add("touching a digit", true, u"art"_s, u"w"_s, u"art1"_s, false);
        add("touching a letter beyond ASCII", true, u"art"_s, u"w"_s, u"élart"_s, false);
        add("touching a combining mark", true, u"cafe"_s, u"w"_s, u"cafe\u0301"_s, false);
        add("a later whole match", true, u"art"_s, u"w"_s, u"party, [art]"_s, true);
        add("whole word, any case", true, u"ÉTÉ"_s, u"iw"_s, u"en [été] 2020"_s, true);
        add("a pattern", true, u"colou?r"_s, u"E"_s, u"the [color] red"_s, true);
        add("a pattern minds case", true, u"colou?r"_s, u"E"_s, u"Colour"_s, false);
        add("a pattern ignoring case", true, u"colou?r"_s, u"Ei"_s, u"[Colour]"_s, true);
        add("a pattern in whole words", true, u"\\d+"_s, u"Ew"_s, u"abc123 [45]"_s, true);
        add("a pattern, no whole word", true, u"\\d+"_s, u"Ew"_s, u"abc123"_s, false);
        add("a pattern is one, bars and all", true, u"a | b"_s, u"E"_s, u"x[a ]y"_s, true);
        add("a pattern with its spaces", true, u"a | b"_s, u"E"_s, u"ab"_s, false);
        add("anchored at the row's start", true, u"^The"_s, u"E"_s, u"x The"_s, false);
        add("not containing any term", false, u"b | c"_s, {}, u"abc"_s, false);
        add("not containing, none there", false, u"b | c"_s, {}, u"xyz"_s, true);
        add("not containing, any case", false, u"DRAFT"_s, u"i"_s, u"a draft"_s, false);
        add("not containing a pattern", false, u"\\d"_s, u"E"_s, u"no digits"_s, true);
        add("an invalid pattern passes nothing", true, u"a(b"_s, u"E"_s, u"a(b"_s, false);
        add("nor does it leave rows out", false, u"a(b"_s, u"E"_s, u"xyz"_s, false);
    }
    void box_passesAndShowsItsMatches()
    {
        QFETCH(bool, containing);
        QFETCH(QString, box);
        QFETCH(QString, flags);
        QFETCH(QString, row);
        QFETCH(bool, passes);
        const LineFilter filter(containing ? LineFilterKind::Containing
                                           : LineFilterKind::NotContaining,
                                box, matchingOf(flags));
        const Marked marked = unmark(row);
        QCOMPARE(filter.accepts(marked.text), passes);
        QCOMPARE(Utf8LineFilter(filter).accepts(marked.text.toUtf8()), passes);
        // Matches are shown only for the rows a "containing" filter passes.
        const std::vector<TextRange> expected =
            containing && passes ? marked.ranges : std::vector<TextRange>{};
        if (containing && passes)
            QCOMPARE(filter.matchesIn(marked.text), expected);
        else if (!containing)
            QVERIFY(filter.matchesIn(marked.text).empty());
    }

    // The command line's repeatable options: any --containing term, none of
    // the --not-containing terms.
    void terms_passAnyContainedAndNoneLeftOut_data()
    {
        QTest::addColumn<QStringList>("containing");
        QTest::addColumn<QStringList>("notContaining");
        QTest::addColumn<QString>("flags");
        QTest::addColumn<QStringList>("passing");
        const QStringList rows{u"apple pie"_s, u"Apple tart"_s, u"cherry pie"_s, u"plum"_s};
        QTest::newRow("any of two") << QStringList{u"apple"_s, u"cherry"_s} << QStringList{}
                                    << QString() << QStringList{rows[0], rows[2]};
        QTest::newRow("any, ignoring case") << QStringList{u"apple"_s, u"cherry"_s} << QStringList{}
                                            << u"i"_s << QStringList{rows[0], rows[1], rows[2]};
        QTest::newRow("and none of these")
            << QStringList{u"pie"_s, u"tart"_s} << QStringList{u"cherry"_s, u"Apple"_s} << QString()
            << QStringList{rows[0]};
        QTest::newRow("only left out")
            << QStringList{} << QStringList{u"pie"_s} << QString() << QStringList{rows[1], rows[3]};
        QTest::newRow("patterns") << QStringList{u"^\\w+ pie$"_s} << QStringList{u"^c"_s} << u"E"_s
                                  << QStringList{rows[0]};
        QTest::newRow("a bar in a term is text")
            << QStringList{u"apple | plum"_s} << QStringList{} << QString() << QStringList{};
    }
    void terms_passAnyContainedAndNoneLeftOut()
    {
        QFETCH(QStringList, containing);
        QFETCH(QStringList, notContaining);
        QFETCH(QString, flags);
        QFETCH(QStringList, passing);
        const LineFilter filter = LineFilter::ofTerms(containing, notContaining, matchingOf(flags));
        QStringList passed;
        for (const QString &row : {u"apple pie"_s, u"Apple tart"_s, u"cherry pie"_s, u"plum"_s}) {
            QCOMPARE(Utf8LineFilter(filter).accepts(row.toUtf8()), filter.accepts(row));
            if (filter.accepts(row))
                passed << row;
        }
        QCOMPARE(passed, passing);
    }

    // The byte search against a plain one, from every place of texts whose
    // lengths cross the search's blocks of 16, ASCII letters in any case.
    void findBytes_findsWhatAPlainSearchFinds()
    {
        QRandomGenerator random(7);
        const char alphabet[] = "aAbB\xC3\xA9 ";
        for (int round = 0; round < 3000; ++round) {
            QByteArray text;
            for (int i = int(random.bounded(70)); i > 0; --i)
                text += alphabet[random.bounded(int(sizeof alphabet) - 1)];
            QByteArray needle;
            for (int i = 1 + int(random.bounded(4)); i > 0; --i)
                needle += alphabet[random.bounded(int(sizeof alphabet) - 1)];
            const bool caseless = random.bounded(2) == 0;
            if (caseless)
                needle = needle.toLower();
            const QByteArray folded = caseless ? text.toLower() : text;
            for (qsizetype from = 0; from <= text.size(); ++from) {
                const qsizetype expected = folded.indexOf(needle, from);
                if (findBytes(text, from, needle, caseless) != expected) {
                    qWarning() << text << needle << caseless << from;
                    QCOMPARE(findBytes(text, from, needle, caseless), expected);
                }
            }
        }
    }

    void invalidPattern_namesTheProblemAndItsPlace_data()
    {
        QTest::addColumn<QStringList>("containing");
        QTest::addColumn<QStringList>("notContaining");
        QTest::addColumn<QString>("message");
        QTest::newRow("at the end")
            << QStringList{u"a(b"_s} << QStringList{}
            << u"Invalid regular expression \"a(b\": missing closing parenthesis at the end."_s;
        QTest::newRow("inside, among the left out")
            << QStringList{u"ok"_s} << QStringList{u"x)y"_s}
            << u"Invalid regular expression \"x)y\": unmatched closing parenthesis at "
               "character 2."_s;
    }
    void invalidPattern_namesTheProblemAndItsPlace()
    {
        QFETCH(QStringList, containing);
        QFETCH(QStringList, notContaining);
        QFETCH(QString, message);
        const LineFilter filter =
            LineFilter::ofTerms(containing, notContaining, matchingOf(u"E"_s));
        QVERIFY(filter.problem().has_value());
        QCOMPARE(filter.problem()->message(), message);
        // The same text as literal terms is no problem.
        QVERIFY(!LineFilter::ofTerms(containing, notContaining, {}).problem().has_value());
    }
};

QTEST_APPLESS_MAIN(FiltersTest)
#include "tst_filters.moc"
