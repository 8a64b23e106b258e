#include "TreeFixture.h"
#include "Utf8RowCollector.h"
#include "extract/FileExtraction.h"
#include "extract/Utf8AbbreviationMatcher.h"
#include "extract/Utf8Sentences.h"

#include <QRandomGenerator>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

QList<QByteArray> engineRows(const QString &text, const QStringList &entries,
                             const LineFilter &filter)
{
    QList<QByteArray> rows;
    for (const QString &row : extractRows(text, ExtractMode::Sentence, entries, filter))
        rows.append(row.toUtf8());
    return rows;
}

CollectRows utf8Cut(const QString &text, const AbbreviationShield &shield, const LineFilter &filter)
{
    CollectRows sink;
    Utf8Sentences(shield.utf8Matcher(), filter).extract(text.toUtf8(), sink);
    return sink;
}

QList<QByteArray> utf8Rows(const QString &text, const AbbreviationShield &shield,
                           const LineFilter &filter)
{
    return utf8Cut(text, shield, filter).rows;
}

// What the sentence rules and the shield look at: periods, "?", blanks and
// line ends of every kind, letters in both cases, characters that fold to
// ASCII letters (KELVIN SIGN, LONG S), letters of two, three and four bytes,
// the shield's own marker character, and abbreviation-like runs.
QString randomText(QRandomGenerator &random, int parts)
{
    static const QString pieces[] = {
        u"a"_s,   u"e"_s,   u"g"_s,      u"."_s,    u"."_s,      u"?"_s,      u" "_s,    u" "_s,
        u"\t"_s,  u"\r"_s,  u"\n"_s,     u"\r\n"_s, u"é"_s,      u"É"_s,      u"€"_s,    u"😀"_s,
        u"K"_s,   u"k"_s,   u"\u212A"_s, u"s"_s,    u"\u017F"_s, u"\uFDD0"_s, u"E.G."_s, u"e.g."_s,
        u"Mr."_s, u"MR "_s, u"i.e.?"_s,  u"Σ"_s,    u"σ"_s,      u"ς"_s};
    QString text;
    for (int i = 0; i < parts; ++i)
        text += pieces[random.bounded(int(std::size(pieces)))];
    return text;
}

// Entry lists that overlap each other, end or begin with blanks, hold "?",
// fold from other characters, or are empty.
QStringList randomEntries(QRandomGenerator &random)
{
    static const QString pool[] = {u"e.g."_s, u"g."_s,      u".g"_s,       u"g.e"_s, u"e.g. e"_s,
                                   u"Mr."_s,  u"mr. "_s,    u"k."_s,       u"K."_s,  u"\u212A."_s,
                                   u"s."_s,   u"\u017F."_s, u"?."_s,       u"."_s,   u"a.a"_s,
                                   u" ."_s,   u". "_s,      u"é."_s,       u"😀."_s,  u"\uFDD0."_s,
                                   u""_s,     u"ge."_s,     u"gee."_s,     u"a?"_s,  u"?"_s,
                                   u"σ."_s,   u"i.e.?"_s,   u"E.G.E.G."_s, u".\r"_s, u"\n."_s};
    QStringList entries;
    const int count = random.bounded(5);
    for (int i = 0; i < count; ++i)
        entries.append(pool[random.bounded(int(std::size(pool)))]);
    return entries;
}

LineFilter randomFilter(QRandomGenerator &random)
{
    static const QStringList needles{u""_s,   u"a"_s,   u"é"_s, u"?"_s,       u"g. "_s, u"."_s,
                                     u"MR"_s, u"Ése"_s, u"k"_s, u"\u212A."_s, u"ΣΣ"_s,  u"s a"_s};
    return Testing::randomFilter(random, needles);
}

} // namespace

class Utf8SentencesTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomTexts_giveTheRowsOfTheEngine()
    {
        QRandomGenerator random(16180);
        for (int round = 0; round < 6000; ++round) {
            const QString text = randomText(random, random.bounded(round % 10 == 0 ? 200 : 25));
            const QStringList entries = randomEntries(random);
            const LineFilter filter = randomFilter(random);
            const AbbreviationShield shield(entries);
            QVERIFY(shield.worksOnUtf8());
            const QList<QByteArray> expected = engineRows(text, entries, filter);
            const CollectRows cut = utf8Cut(text, shield, filter);
            const QList<QByteArray> &rows = cut.rows;
            // Pieces are numbered as the decoded text's cut numbers them.
            QCOMPARE(cut.pieces, cutSentences(text, shield).size());
            if (rows != expected) {
                qWarning() << "text" << text << "entries" << entries << "filter"
                           << describeFilter(filter);
                QCOMPARE(rows, expected);
            }
        }
    }

    // Line ends become spaces in sentences: rows come as holding no line
    // break unless an occurrence copied as it stands holds one. The sink
    // takes those as they stand, so that a break handed as none shows.
    void joiningSink_getsTheJoinedRowsOfTheEngine()
    {
        struct JoiningRows final : Utf8RowSink
        {
            QList<QByteArray> rows;
            void appendUtf8Row(QByteArrayView row) override
            {
                rows.append(
                    row.toByteArray().replace("\r\n", " ").replace('\r', ' ').replace('\n', ' '));
            }
            void appendUtf8RowWithoutBreaks(QByteArrayView row) override
            {
                rows.append(row.toByteArray());
            }
            bool joinsLineBreaks() const override { return true; }
        };
        QRandomGenerator random(31415);
        const LineFilter all{LineFilterKind::All, {}};
        for (int round = 0; round < 3000; ++round) {
            const QString text = randomText(random, random.bounded(round % 10 == 0 ? 200 : 25));
            QStringList entries = randomEntries(random);
            if (round % 3 == 0)
                entries.append(round % 2 == 0 ? u".\r"_s : u"\n."_s);
            const AbbreviationShield shield(entries);
            JoiningRows sink;
            Utf8Sentences(shield.utf8Matcher(), all).extract(text.toUtf8(), sink);
            QList<QByteArray> expected = engineRows(text, entries, all);
            for (QByteArray &row : expected)
                row.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
            if (sink.rows != expected) {
                qWarning() << "text" << text << "entries" << entries;
                QCOMPARE(sink.rows, expected);
            }
        }
    }

    void worksOnUtf8_onlyWhereAByteSearchFindsEveryEntry_data()
    {
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("works");
        QTest::newRow("none") << QStringList{} << true;
        QTest::newRow("only empty") << QStringList{u""_s} << true;
        QTest::newRow("periods") << QStringList{u"e.g."_s, u"Mr."_s} << true;
        QTest::newRow("question mark") << QStringList{u"why?"_s} << true;
        QTest::newRow("digit") << QStringList{u"No1"_s} << true;
        QTest::newRow("letters only") << QStringList{u"e.g."_s, u"Inc"_s} << false;
        QTest::newRow("non-ASCII only") << QStringList{u"éé"_s} << false;
        QTest::newRow("unpaired surrogate") << QStringList{u"a."_s + QChar(0xD83D)} << false;
    }

    // Letters match other characters (case, KELVIN SIGN for "k"), so an
    // entry of letters alone cannot be found by a byte search: the engine
    // then cuts the decoded text.
    void worksOnUtf8_onlyWhereAByteSearchFindsEveryEntry()
    {
        QFETCH(QStringList, entries);
        QFETCH(bool, works);
        QCOMPARE(AbbreviationShield(entries).worksOnUtf8(), works);
    }

    // Entries found by a letter-free anchor other than ".": "?" and a digit.
    void otherAnchors_giveTheRowsOfTheEngine_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("question") << u"Why? Then. WHY? no."_s << QStringList{u"why?"_s};
        QTest::newRow("digit") << u"Room no1. NO1 here. n\u00F61."_s << QStringList{u"No1."_s};
        QTest::newRow("dash") << u"a-b. A-B. a-c."_s << QStringList{u"a-b. a"_s};
    }

    void otherAnchors_giveTheRowsOfTheEngine()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, entries);
        const LineFilter all{LineFilterKind::All, {}};
        QCOMPARE(utf8Rows(text, AbbreviationShield(entries), all), engineRows(text, entries, all));
    }

    void files_giveTheRowsOfTheEngine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<int>("utf8Rows");
        const QStringList defaults{u"etc."_s, u"e.g."_s, u"Mr."_s};
        QTest::newRow("UTF-8") << "Mr. Caf\xC3\xA9 is here, e.g. now.\r\nWhy? Yes."_ba << defaults
                               << 3;
        QTest::newRow("Windows-1252") << "MR. Caf\xE9 etc. ok.\x80?"_ba << defaults << 2;
        QTest::newRow("UTF-16LE") << "\xFF\xFE"
                                     "M\0r\0.\0 \0x\0.\0"_ba
                                  << defaults << 1;
        QTest::newRow("entry without a byte to search")
            << "Inc. here. inc. there."_ba << QStringList{u"Inc"_s} << 0;
    }

    void files_giveTheRowsOfTheEngine()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        QFETCH(int, utf8Rows);
        TreeFixture folder;
        const QString path = folder.write(u"t.txt"_s, bytes);
        const RunChoices choices{
            ExtractMode::Sentence, AbbreviationShield(entries), {LineFilterKind::All, {}}, {}};
        CollectRows engine;
        QVERIFY(!extractFile(path, choices, engine));
        CollectRows both;
        QVERIFY(!extractFileAsUtf8(path, choices, both, both));
        QCOMPARE(both.rows, engine.rows);
        QVERIFY(!both.rows.isEmpty());
        QCOMPARE(both.utf8Rows, utf8Rows);
    }
};

QTEST_GUILESS_MAIN(Utf8SentencesTest)
#include "tst_utf8sentences.moc"
