#include "TreeFixture.h"
#include "Utf8RowCollector.h"
#include "extract/FileExtraction.h"
#include "extract/Utf8Paragraphs.h"
#include "reading/TextDecoding.h"
#include "reading/encodings/TextFileDecoding.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

// Rows from either path, as UTF-8.
QList<QByteArray> rowsOf(const QString &text, const LineFilter &filter)
{
    QList<QByteArray> rows;
    for (const QString &row : extractRows(text, ExtractMode::Paragraph, {}, filter))
        rows.append(row.toUtf8());
    return rows;
}

// Texts of what the paragraph rules look at: line ends of both kinds,
// lone CRs, spaces and tabs at the ends, "?" and ".", and letters of one,
// two, three and four bytes; and what filters look at: letters in both
// cases, characters that fold to ASCII letters (KELVIN SIGN, LONG S) or
// fold longer (U+023A), digits, "_" and combining marks.
QString randomText(QRandomGenerator &random, int parts)
{
    static const QString pieces[] = {
        u"a"_s,  u"b"_s,  u"é"_s,  u"€"_s,      u"😀"_s,      u"."_s,      u"?"_s,
        u" "_s,  u"\t"_s, u"\r"_s, u"\n"_s,     u"\r\n"_s,   u"\r\n"_s,   u"\n\n"_s,
        u"ab"_s, u"A"_s,  u"É"_s,  u"\uFDD0"_s, u"\u212A"_s, u"\u017F"_s, u"s"_s,
        u"k"_s,  u"K"_s,  u"1"_s,  u"_"_s,      u"\u0301"_s, u"\u023A"_s, u"\u2C65"_s};
    QString text;
    for (int i = 0; i < parts; ++i)
        text += pieces[random.bounded(int(std::size(pieces)))];
    return text;
}

LineFilter randomFilter(QRandomGenerator &random)
{
    static const QStringList needles{u""_s,   u"a"_s,  u"é"_s, u"?"_s,  u"b\r"_s,     u"😀"_s,
                                     u"Ab"_s, u"És"_s, u"k"_s, u"SK"_s, u"\u2C65a"_s, u"b1_"_s};
    return Testing::randomFilter(random, needles);
}

// A row as a sink that joins line breaks writes it: each one space.
QByteArray joined(QByteArray row)
{
    return row.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
}

// Joins the rows it is given with line breaks; takes the others as they
// stand, so that a break handed as none shows in the rows.
struct JoiningRows final : Utf8RowSink
{
    QList<QByteArray> rows;
    int withoutBreaks = 0;
    void appendUtf8Row(QByteArrayView row) override { rows.append(joined(row.toByteArray())); }
    void appendUtf8RowWithoutBreaks(QByteArrayView row) override
    {
        rows.append(row.toByteArray());
        ++withoutBreaks;
    }
    bool joinsLineBreaks() const override { return true; }
    // Room for every other row, filled with "#" so that a byte the cut
    // leaves unwritten shows.
    char *rowRoom(qsizetype size) override
    {
        if (++roomsAsked % 2 == 0)
            return nullptr;
        room = QByteArray(size, '#');
        return room.data();
    }
    void appendRowWritten(qsizetype size) override
    {
        QVERIFY(size <= room.size());
        rows.append(room.first(size));
        ++withoutBreaks;
    }
    QByteArray room;
    int roomsAsked = 0;
};

QList<QByteArray> joinedRowsOf(const QString &text, const LineFilter &filter)
{
    QList<QByteArray> rows = rowsOf(text, filter);
    for (QByteArray &row : rows)
        row = joined(row);
    return rows;
}

} // namespace

class Utf8ParagraphsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void randomTexts_giveTheRowsOfTheEngine()
    {
        QRandomGenerator random(2718);
        for (int round = 0; round < 5000; ++round) {
            // Some texts run over several of the 4 KB stretches that the
            // line ends are looked for in.
            const int parts = round % 100 == 0 ? 6000 : round % 10 == 0 ? 300 : 30;
            const QString text = randomText(random, random.bounded(parts));
            const LineFilter filter = randomFilter(random);
            CollectRows sink;
            Utf8Paragraphs(filter).extract(text.toUtf8(), sink);
            if (sink.rows != rowsOf(text, filter)) {
                qWarning() << "text" << text << "filter" << describeFilter(filter);
                QCOMPARE(sink.rows, rowsOf(text, filter));
            }
            // Pieces are numbered as the decoded text's cut numbers them.
            QCOMPARE(sink.pieces, cutParagraphs(text).size());
        }
    }

    // A sink that joins line breaks may be handed the text's own: joined,
    // its rows are the engine's rows joined, with a filter or without.
    void joiningSink_getsTheJoinedRowsOfTheEngine()
    {
        QRandomGenerator random(1618);
        for (int round = 0; round < 3000; ++round) {
            QString text = randomText(random, random.bounded(round % 10 == 0 ? 300 : 40));
            // Half the texts without a CR of their own, whose rows then
            // come with their line ends as spaces.
            if (round % 4 < 2)
                text.replace(QRegularExpression(u"\r(?!\n)"_s), u"a"_s);
            const LineFilter filter =
                round % 2 == 0 ? LineFilter(LineFilterKind::All, {}) : randomFilter(random);
            JoiningRows sink;
            Utf8Paragraphs(filter).extract(text.toUtf8(), sink);
            const QList<QByteArray> expected = joinedRowsOf(text, filter);
            if (sink.rows != expected) {
                qWarning() << "text" << text << "filter" << describeFilter(filter);
                QCOMPARE(sink.rows, expected);
            }
        }
    }

    // The CRs of a text are looked for 64 bytes at a time: a CR LF split
    // between two blocks is no CR of its own, a CR that ends a block or
    // the text before anything else is.
    void joiningSink_lineEndsAtBlockEdges_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("withoutBreaks");
        const QString a63(63, u'a');
        const QString b100(100, u'b');
        QTest::newRow("LF only") << a63 + u"\n"_s + b100 + u"\n\n"_s + b100 << true;
        QTest::newRow("CR LF across two blocks") << a63 + u"\r\n"_s + b100 << true;
        QTest::newRow("CR LF inside a block") << u"ab\r\ncd"_s + b100 << true;
        QTest::newRow("CR ends a block, then a letter") << a63 + u"\rc\n"_s + b100 << false;
        QTest::newRow("CR at the first byte of a block") << a63 + u"b\rc"_s + b100 << false;
        QTest::newRow("CR ends the text after whole blocks")
            << QString(127, u'a') + u"\r"_s << false;
        QTest::newRow("CR ends the text") << u"ab\r\ncd\r"_s << false;
        QTest::newRow("CR CR LF") << b100 + u"\r\r\nc"_s << false;
    }

    void joiningSink_lineEndsAtBlockEdges()
    {
        QFETCH(QString, text);
        QFETCH(bool, withoutBreaks);
        const LineFilter all(LineFilterKind::All, {});
        JoiningRows sink;
        Utf8Paragraphs(all).extract(text.toUtf8(), sink);
        QCOMPARE(sink.rows, joinedRowsOf(text, all));
        QCOMPARE(sink.withoutBreaks == sink.rows.size(), withoutBreaks);
    }

    void canFilter_refusesUnpairedSurrogates_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("can");
        QTest::newRow("plain") << u"abc"_s << true;
        QTest::newRow("pair") << u"a😀"_s << true;
        QTest::newRow("high alone") << QString(QChar(0xD83D)) << false;
        QTest::newRow("low alone") << u"a"_s + QChar(0xDE00) << false;
    }

    // In UTF-16 a lone half of a pair matches inside the pair; its bytes
    // could never match in UTF-8.
    void canFilter_refusesUnpairedSurrogates()
    {
        QFETCH(QString, text);
        QFETCH(bool, can);
        QCOMPARE(Utf8LineFilter::canFilter({LineFilterKind::Containing, text}), can);
    }

    void windows1252_toUtf8_asDecoded()
    {
        QByteArray every;
        for (int b = 0; b < 256; ++b)
            every.append(char(b));
        QByteArray utf8;
        for (int shift = 0; shift < 20; ++shift) {
            const QByteArray bytes = QByteArray(shift, 'x') + every + every;
            windows1252ToUtf8(bytes, utf8);
            QCOMPARE(utf8, decodeWindows1252(bytes).toUtf8());
        }
    }

    // One scratch through texts of every encoding, each shorter than the one
    // before in its converted form, so that room left from the one before
    // would show.
    void utf8TextOfFile_withScratchUsedAgain_isEachDecodedText()
    {
        const QByteArray texts[] = {
            "\xFF\xFE"_ba + QByteArray("x\0\xE9\0", 4).repeated(3000),
            QByteArray("\0\0\xFE\xFF\0\0\0\xE9\0\0\0?\0\0", 14),
            "caf\xE9 \x80 "_ba.repeated(900),
            "\xFE\xFF\0A\xD8\x3D"_ba,
            "\xEF\xBB\xBF"
            "A\xE2\x82 \xC3\xA9"_ba,
            "\xEF\xBB\xBF"
            "ok \xC3\xA9"_ba,
            "plain"_ba,
            "\x81"_ba,
            QByteArray(),
        };
        Utf8Scratch scratch;
        for (int round = 0; round < 2; ++round) {
            for (const QByteArray &bytes : texts) {
                const QByteArrayView utf8 = utf8TextOfFile(u"t"_s, bytes, scratch);
                QCOMPARE(QString::fromUtf8(utf8), decodeTextOfFile(u"t"_s, bytes));
                scratch.trim();
            }
        }
    }

    // Every encoding, malformed input too, is cut as UTF-8.
    void files_giveTheRowsOfTheEngine_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("UTF-8") << "A\r\n\r\nCaf\xC3\xA9 x?y\nz"_ba;
        QTest::newRow("UTF-8 with mark") << "\xEF\xBB\xBF"
                                            "A\n\nB\xE2\x82\xAC"_ba;
        QTest::newRow("UTF-8 with mark, malformed") << "\xEF\xBB\xBF"
                                                       "A\n\nB\xE2\x82 \xC3\xA9"_ba;
        QTest::newRow("Windows-1252") << "Caf\xE9\r\n\r\n\x80 \x81?"_ba;
        QTest::newRow("UTF-16LE, an unpaired surrogate") << "\xFF\xFE"
                                                            "A\0\n\0\n\0\xE9\0\x3D\xD8"_ba;
        QTest::newRow("UTF-32BE") << "\0\0\xFE\xFF"
                                     "\0\0\0\xE9\0\0\0?"_ba;
    }

    void files_giveTheRowsOfTheEngine()
    {
        QFETCH(QByteArray, bytes);
        TreeFixture folder;
        const QString path = folder.write(u"t.txt"_s, bytes);
        for (const LineFilter &filter : {LineFilter{LineFilterKind::All, {}},
                                         LineFilter{LineFilterKind::Containing, u"é"_s}}) {
            const RunChoices choices{ExtractMode::Paragraph, {}, filter, {}};
            CollectRows engine;
            QVERIFY(!extractFile(path, choices, engine));
            CollectRows both;
            QVERIFY(!extractFileAsUtf8(path, choices, both, both));
            QCOMPARE(both.rows, engine.rows);
            QCOMPARE(both.utf8Rows, both.rows.size()); // all cut as UTF-8
        }
    }

    void missingFile_failsAsTheEngine()
    {
        CollectRows sink;
        const QString path = u"/nonexistent/file.txt"_s;
        const auto failure = extractFileAsUtf8(path, {}, sink, sink);
        const auto expected = extractFile(path, {}, sink);
        QVERIFY(failure && expected);
        QCOMPARE(failure->path, path);
        QCOMPARE(failure->description, expected->description);
    }
};

QTEST_GUILESS_MAIN(Utf8ParagraphsTest)
#include "tst_utf8paragraphs.moc"
