#include "extract/Segmentation.h"

#include <QRandomGenerator>
#include <QTest>
#include <vector>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

const LineFilter KeepAll{LineFilterKind::All, {}};

// A deliberately plain model of the rules, written from them and not from
// the code: the entries replaced one after another by opaque tokens, then
// split, blanks collapsed, trimmed, questions split and tokens put back.
namespace Model {

struct Unit
{
    char16_t ch = 0;
    int entry = -1;       // a token for this entry when not negative
    bool lineEnd = false; // paragraph text: a CR LF pair or a lone LF
    QString original{};   // a token's text as the document has it
};
using Units = std::vector<Unit>;

bool isChar(const Unit &u, char16_t c)
{
    return u.entry < 0 && !u.lineEnd && u.ch == c;
}

char16_t fold(char16_t c)
{
    return char16_t(QChar::toCaseFolded(char32_t(c)));
}

Units tokenize(const QString &text, const QStringList &entries)
{
    Units units;
    for (QChar c : text)
        units.push_back({c.unicode(), -1, false});
    for (int k = 0; k < entries.size(); ++k) {
        const QString &entry = entries[k];
        if (entry.isEmpty())
            continue;
        const size_t length = size_t(entry.size());
        Units out;
        size_t i = 0;
        while (i < units.size()) {
            bool match = i + length <= units.size();
            for (size_t j = 0; match && j < length; ++j)
                match = units[i + j].entry < 0 &&
                        fold(units[i + j].ch) == fold(entry[qsizetype(j)].unicode());
            if (match) {
                QString original;
                for (size_t j = 0; j < length; ++j)
                    original += QChar(units[i + j].ch);
                out.push_back({0, k, false, original});
                i += length;
            } else {
                out.push_back(units[i++]);
            }
        }
        units = out;
    }
    return units;
}

QString render(const Units &units)
{
    QString text;
    for (const Unit &u : units) {
        if (u.entry >= 0)
            text += u.original;
        else if (u.lineEnd)
            text += u'\r';
        else
            text += QChar(u.ch);
    }
    return text;
}

bool accepts(const LineFilter &filter, const QString &item)
{
    switch (filter.kind()) {
    case LineFilterKind::All:
        return true;
    case LineFilterKind::Containing:
        return item.indexOf(filter.terms().value(0)) >= 0;
    case LineFilterKind::NotContaining:
        return item.indexOf(filter.terms().value(0)) < 0;
    case LineFilterKind::None:
        return false;
    }
    return false;
}

void handle(const Units &piece, const LineFilter &filter, QStringList &rows)
{
    if (piece.empty() || (piece.size() == 1 && isChar(piece[0], u'.')))
        return;
    std::vector<Units> parts(1);
    for (const Unit &u : piece) {
        if (isChar(u, u'?'))
            parts.emplace_back();
        else
            parts.back().push_back(u);
    }
    for (size_t q = 0; q < parts.size(); ++q) {
        if (parts[q].empty())
            continue;
        const QString item = render(parts[q]);
        if (item == u"."_s || !accepts(filter, item))
            continue;
        rows << (q + 1 < parts.size() ? item + u'?' : item);
    }
}

bool isBlank(const Unit &u)
{
    return isChar(u, u' ') || isChar(u, u'\t') || isChar(u, u'\r') || isChar(u, u'\n');
}

QStringList sentenceRows(const QString &text, const QStringList &entries, const LineFilter &filter)
{
    QStringList rows;
    if (text.isEmpty())
        return rows;
    std::vector<Units> pieces(1);
    for (const Unit &u : tokenize(text, entries)) {
        if (isChar(u, u'.'))
            pieces.emplace_back();
        else
            pieces.back().push_back(u);
    }
    for (const Units &piece : pieces) {
        Units collapsed;
        for (size_t i = 0; i < piece.size();) {
            if (!isBlank(piece[i])) {
                collapsed.push_back(piece[i++]);
                continue;
            }
            size_t j = i;
            bool lineEnd = false;
            for (; j < piece.size() && isBlank(piece[j]); ++j)
                lineEnd = lineEnd || isChar(piece[j], u'\r') || isChar(piece[j], u'\n');
            if (lineEnd)
                collapsed.push_back({u' ', -1, false});
            else
                collapsed.insert(collapsed.end(), piece.begin() + qsizetype(i),
                                 piece.begin() + qsizetype(j));
            i = j;
        }
        while (!collapsed.empty() && isChar(collapsed.back(), u' '))
            collapsed.pop_back();
        while (!collapsed.empty() && isChar(collapsed.front(), u' '))
            collapsed.erase(collapsed.begin());
        collapsed.push_back({u'.', -1, false});
        handle(collapsed, filter, rows);
    }
    return rows;
}

QStringList paragraphRows(const QString &text, const LineFilter &filter)
{
    QStringList rows;
    if (text.isEmpty())
        return rows;
    Units units;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'\r' && i + 1 < text.size() && text[i + 1] == u'\n') {
            units.push_back({0, -1, true});
            ++i;
        } else {
            units.push_back({text[i].unicode(), -1, text[i] == u'\n'});
        }
    }
    std::vector<Units> pieces(1);
    for (size_t i = 0; i < units.size();) {
        size_t run = 0;
        while (i + run < units.size() && units[i + run].lineEnd)
            ++run;
        if (run >= 2) {
            pieces.emplace_back();
        } else if (run == 1) {
            pieces.back().push_back(units[i]);
        } else {
            pieces.back().push_back(units[i]);
            run = 1;
        }
        i += run;
    }
    auto edge = [](const Unit &u) {
        return u.lineEnd || isChar(u, u' ') || isChar(u, u'\r') || isChar(u, u'\n');
    };
    for (Units piece : pieces) {
        while (!piece.empty() && edge(piece.back()))
            piece.pop_back();
        while (!piece.empty() && edge(piece.front()))
            piece.erase(piece.begin());
        Units finished;
        for (const QChar c : render(piece))
            finished.push_back({c.unicode(), -1, false});
        handle(finished, filter, rows);
    }
    return rows;
}

} // namespace Model

QString visible(const QString &text)
{
    QString out;
    for (const QChar c : text) {
        if (c == u'\r')
            out += u"\\r"_s;
        else if (c == u'\n')
            out += u"\\n"_s;
        else if (c == u'\t')
            out += u"\\t"_s;
        else if (c.unicode() > 0x7E)
            out += u"\\u"_s + QString::number(c.unicode(), 16);
        else
            out += c;
    }
    return u'\'' + out + u'\'';
}

QString describe(const QString &text, const QStringList &entries, const LineFilter &filter)
{
    QStringList shown;
    for (const QString &entry : entries)
        shown << visible(entry);
    return u"text "_s + visible(text) + u" entries ["_s + shown.join(u", "_s) + u"] filter "_s +
           QString::number(int(filter.kind())) + visible(filter.terms().join(u" | "_s));
}

class RandomCases
{
public:
    explicit RandomCases(quint32 seed) : m_random(seed) {}

    QString text(qsizetype maxLength, bool unusual)
    {
        static const QString plain = u"ab.? \r\n\tAB"_s;
        static const QString extra = u"\uFDD0\uE000\uFDD1\u00C9\u00E9"_s;
        const QString alphabet = unusual ? plain + extra : plain;
        QString out;
        const qsizetype length = m_random.bounded(maxLength + 1);
        for (qsizetype i = 0; i < length; ++i)
            out += alphabet[m_random.bounded(alphabet.size())];
        return out;
    }
    QStringList entries(bool unusual)
    {
        QStringList out;
        const int count = m_random.bounded(6);
        for (int i = 0; i < count; ++i)
            out << text(3, unusual);
        return out;
    }
    LineFilter filter()
    {
        switch (m_random.bounded(4)) {
        case 0:
            return {LineFilterKind::Containing, u"a"_s};
        case 1:
            return {LineFilterKind::NotContaining, u"b"_s};
        default:
            return KeepAll;
        }
    }
    bool chance(int percent) { return m_random.bounded(100) < percent; }

private:
    QRandomGenerator m_random;
};

} // namespace

class AbbreviationShieldTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void protectedSentences_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("abbreviations");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("entry without a period among others")
            << u"A e.g. a.k.a. i.e. done"_s << QStringList{u"e.g."_s, u"a"_s, u"i.e."_s}
            << QStringList{u"A e.g. a."_s, u"k."_s, u"a."_s, u"i.e. done."_s};
        QTest::newRow("entries made of placeholder characters")
            << u"\uFDD0\uE000\uFDD1. x. \uFDD0."_s
            << QStringList{u"x."_s, u"\uFDD0"_s, u"\uE000"_s, u"\uFDD1"_s}
            << QStringList{u"\uFDD0\uE000\uFDD1."_s, u"x. \uFDD0."_s};
        QTest::newRow("document holds placeholder characters")
            << u"x\uFDD0\uE000\uFDD1y e.g. z\uFDD0\uFDD2. w"_s << QStringList{u"e.g."_s}
            << QStringList{u"x\uFDD0\uE000\uFDD1y e.g. z\uFDD0\uFDD2."_s, u"w."_s};
        QTest::newRow("document holds the old placeholder text")
            << u"See Abbreviation_0 e.g. Abbreviation_1."_s << QStringList{u"e.g."_s, u"vs."_s}
            << QStringList{u"See Abbreviation_0 e.g. Abbreviation_1."_s};
        QTest::newRow("earlier entry wins an overlap")
            << u"a.b.c"_s << QStringList{u"b.c"_s, u"a.b"_s} << QStringList{u"a."_s, u"b.c."_s};
        QTest::newRow("earlier entry wins an overlap, other order")
            << u"a.b.c"_s << QStringList{u"a.b"_s, u"b.c"_s} << QStringList{u"a.b."_s, u"c."_s};
        QTest::newRow("own occurrences do not overlap")
            << u"a.a.a"_s << QStringList{u"a.a"_s} << QStringList{u"a.a."_s, u"a."_s};
        QTest::newRow("later entry takes what is left")
            << u"a.a.a"_s << QStringList{u"a.a"_s, u".a"_s} << QStringList{u"a.a.a."_s};
        QTest::newRow("accented capital")
            << u"STÉ. Marie"_s << QStringList{u"sté."_s} << QStringList{u"STÉ. Marie."_s};
        QTest::newRow("final sigma")
            << u"ΛΌΓΟΣ. Ναι"_s << QStringList{u"λόγος."_s} << QStringList{u"ΛΌΓΟΣ. Ναι."_s};
        QTest::newRow("letters outside the basic plane")
            << u"\U00010400\U00010400. end"_s << QStringList{u"\U00010428\U00010428."_s}
            << QStringList{u"\U00010400\U00010400. end."_s};
        QTest::newRow("Kelvin sign")
            << u"5 \u212A. x"_s << QStringList{u"k."_s} << QStringList{u"5 \u212A. x."_s};
        QTest::newRow("entry with a space") << u"Smith ET AL. wrote"_s << QStringList{u"et al."_s}
                                            << QStringList{u"Smith ET AL. wrote."_s};
        QTest::newRow("entry with a line end kept as the document has it")
            << u"P.\r\nQ end. x"_s << QStringList{u"p.\r\nq"_s}
            << QStringList{u"P.\r\nQ end."_s, u"x."_s};
        QTest::newRow("entry with a question mark")
            << u"EH? ok. Why? no"_s << QStringList{u"eh?"_s}
            << QStringList{u"EH? ok."_s, u"Why?"_s, u" no."_s};
        QTest::newRow("entry with a leading blank")
            << u"a etc. b. c"_s << QStringList{u" etc."_s} << QStringList{u"a etc. b."_s, u"c."_s};
        QTest::newRow("entry blank stops a line-end run")
            << u"a\r\n x. b"_s << QStringList{u" x."_s} << QStringList{u"a  x. b."_s};
        QTest::newRow("entry blank at the end is not trimmed")
            << u"a x. "_s << QStringList{u"X. "_s} << QStringList{u"a x. ."_s};
    }
    void protectedSentences()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, abbreviations);
        QFETCH(QStringList, rows);
        QCOMPARE(extractRows(text, ExtractMode::Sentence, abbreviations, KeepAll), rows);
    }

    void manyEntries_numbersStayApart()
    {
        QStringList entries;
        for (int i = 0; i < 300; ++i)
            entries << u"w%1."_s.arg(i);
        QCOMPARE(
            extractRows(u"W299. w16. w1. W256. end"_s, ExtractMode::Sentence, entries, KeepAll),
            QStringList{u"W299. w16. w1. W256. end."_s});
    }

    void protectsNothing_whenNoEntryHasText()
    {
        QVERIFY(AbbreviationShield().protectsNothing());
        QVERIFY(AbbreviationShield(QStringList{}).protectsNothing());
        QVERIFY(AbbreviationShield({QString(), QString()}).protectsNothing());
        QVERIFY(!AbbreviationShield({QString(), u"a"_s}).protectsNothing());
    }

    void shield_hidesOccurrencesUntilRestored()
    {
        const AbbreviationShield shield({u"Mr."_s, u"a b"_s});
        ShieldedOccurrences occurrences;
        const QString shielded = shield.shield(u"mr. A b? c."_s, occurrences);
        QVERIFY(AbbreviationShield::holdsPlaceholder(shielded));
        QVERIFY(!shielded.contains(u"mr"_s, Qt::CaseInsensitive));
        QCOMPARE(shielded.count(u'.'), 1);
        QCOMPARE(shielded.count(u' '), 2);
        QVERIFY(shielded.contains(u'?'));
        QString restored;
        AbbreviationShield::restore(shielded, occurrences, restored);
        QCOMPARE(restored, u"mr. A b? c."_s);
        QVERIFY(!AbbreviationShield::holdsPlaceholder(u"Mr. a b? c."_s));
    }

    void sentenceCut_withoutOccurrences_isNotShielded()
    {
        const AbbreviationShield shield({u"Mr."_s});
        const PieceList pieces = cutSentences(u"No title here. \uFDD0"_s, shield);
        QVERIFY(!pieces.shielded);
        QCOMPARE(pieces.size(), 2);
        QCOMPARE(pieces.piece(1).toString(), u"\uFDD0."_s);
    }

    // Every fifth text is long enough for many blocks of the scans and
    // many protected spans.
    void randomSentences_matchModel()
    {
        RandomCases random(20240611);
        for (int i = 0; i < 4000; ++i) {
            const bool unusual = random.chance(30);
            const QString text = random.text(i % 5 == 0 ? 300 : 30, unusual);
            const QStringList entries = random.entries(unusual);
            const LineFilter filter = random.filter();
            const QStringList expected = Model::sentenceRows(text, entries, filter);
            const QStringList actual = extractRows(text, ExtractMode::Sentence, entries, filter);
            if (actual != expected) {
                qWarning().noquote() << "expected" << expected << "actual" << actual;
                QFAIL(qPrintable(describe(text, entries, filter)));
            }
        }
    }

    void randomShield_restoresAsModel()
    {
        RandomCases random(77);
        for (int i = 0; i < 3000; ++i) {
            const bool unusual = random.chance(50);
            const QString text = random.text(i % 5 == 0 ? 300 : 30, unusual);
            const QStringList entries = random.entries(unusual);
            const AbbreviationShield shield(entries);
            QString restored;
            ShieldedOccurrences occurrences;
            AbbreviationShield::restore(shield.shield(text, occurrences), occurrences, restored);
            const QString expected = Model::render(Model::tokenize(text, entries));
            if (restored != expected)
                QFAIL(qPrintable(describe(text, entries, KeepAll)));
        }
    }

    void randomParagraphs_matchModel()
    {
        RandomCases random(4242);
        for (int i = 0; i < 3000; ++i) {
            const bool unusual = random.chance(20);
            const QString text = random.text(i % 5 == 0 ? 300 : 30, unusual);
            const QStringList entries = random.entries(unusual);
            const LineFilter filter = random.filter();
            const QStringList expected = Model::paragraphRows(text, filter);
            const QStringList actual = extractRows(text, ExtractMode::Paragraph, entries, filter);
            if (actual != expected) {
                qWarning().noquote() << "expected" << expected << "actual" << actual;
                QFAIL(qPrintable(describe(text, entries, filter)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(AbbreviationShieldTest)
#include "tst_abbreviationshield.moc"
