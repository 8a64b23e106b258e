#include "RunDoubles.h"
#include "extract/Segmentation.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

const LineFilter KeepAll{LineFilterKind::All, {}};

const QStringList Months = {u"Jan."_s, u"Feb."_s, u"Mar."_s, u"Apr."_s, u"May."_s, u"Jun."_s,
                            u"Jul."_s, u"Aug."_s, u"Sep."_s, u"Oct."_s, u"Nov."_s, u"Dec."_s};

} // namespace

class SegmentationTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paragraphMode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("empty line separates") << u"A\r\n\r\nB"_s << QStringList{u"A"_s, u"B"_s};
        QTest::newRow("three empty lines act as one")
            << u"A\r\n\r\n\r\n\r\nB"_s << QStringList{u"A"_s, u"B"_s};
        QTest::newRow("seven line ends act as one")
            << u"A\r\n\r\n\r\n\r\n\r\n\r\n\r\nB"_s << QStringList{u"A"_s, u"B"_s};
        QTest::newRow("CR LF inside becomes CR") << u"A\r\nB"_s << QStringList{u"A\rB"_s};
        QTest::newRow("LF LF separates") << u"A\n\nB"_s << QStringList{u"A"_s, u"B"_s};
        QTest::newRow("lone LF inside becomes CR") << u"A\nB"_s << QStringList{u"A\rB"_s};
        QTest::newRow("LF then CR LF separates") << u"A\n\r\nB"_s << QStringList{u"A"_s, u"B"_s};
        QTest::newRow("lone CR is no line end") << u"A\r\rB"_s << QStringList{u"A\r\rB"_s};
        QTest::newRow("lone CR breaks a run of line ends")
            << u"A\r\n\r\r\nB"_s << QStringList{u"A\r\r\rB"_s};
        QTest::newRow("line of spaces does not separate")
            << u"A\r\n   \r\nB"_s << QStringList{u"A\r   \rB"_s};
        QTest::newRow("line of a tab does not separate")
            << u"A\n\t\nB"_s << QStringList{u"A\r\t\rB"_s};
        QTest::newRow("final line end goes") << u"A\r\n"_s << QStringList{u"A"_s};
        QTest::newRow("spaces and line ends at both ends go")
            << u" \r\n A \r\n  "_s << QStringList{u"A"_s};
        QTest::newRow("stray CR at the ends goes") << u"\rA\r"_s << QStringList{u"A"_s};
        QTest::newRow("tabs at the ends stay") << u"\tA\t\r\n"_s << QStringList{u"\tA\t"_s};
        QTest::newRow("paragraph after a line of spaces")
            << u"A\r\n\r\n   \r\nB\r\n"_s << QStringList{u"A"_s, u"B"_s};
        QTest::newRow("paragraph of a single period is dropped")
            << u"A\r\n\r\n.\r\n\r\nB"_s << QStringList{u"A"_s, u"B"_s};
        QTest::newRow("periods do not cut")
            << u"One. Two. Three"_s << QStringList{u"One. Two. Three"_s};
        QTest::newRow("question split keeps the leading space")
            << u"Is it? Yes."_s << QStringList{u"Is it?"_s, u" Yes."_s};
        QTest::newRow("double question mark gives one row") << u"Why??"_s << QStringList{u"Why?"_s};
        QTest::newRow("question mark first") << u"?A"_s << QStringList{u"A"_s};
        QTest::newRow("period after a question is dropped") << u"A?."_s << QStringList{u"A?"_s};
        QTest::newRow("question over two lines")
            << u"Who\r\nknows? Me\r\n\r\nNext"_s
            << QStringList{u"Who\rknows?"_s, u" Me"_s, u"Next"_s};
        QTest::newRow("empty text") << QString() << QStringList{};
        QTest::newRow("only line ends") << u"\r\n\r\n\n\n"_s << QStringList{};
        QTest::newRow("only spaces") << u"   "_s << QStringList{};
    }
    void paragraphMode()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        QCOMPARE(extractRows(text, ExtractMode::Paragraph, {}, KeepAll), rows);
        // Paragraphs shield nothing, so the list makes no difference.
        QCOMPARE(extractRows(text, ExtractMode::Paragraph, Months, KeepAll), rows);
    }

    void paragraphMode_keepsPlaceholderLookalikes()
    {
        const QString text = u"See Abbreviation_0 and \uFDD0\uE000\uFDD1 and Jan."_s;
        QCOMPARE(extractRows(text, ExtractMode::Paragraph, Months, KeepAll), QStringList{text});
    }

    void sentenceMode_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("abbreviations");
        QTest::addColumn<QStringList>("rows");

        const QStringList none;
        QTest::newRow("last piece gets a period")
            << u"Hello world. Bye"_s << none << QStringList{u"Hello world."_s, u"Bye."_s};
        QTest::newRow("ellipsis gives no empty rows")
            << u"Wait... what."_s << none << QStringList{u"Wait."_s, u"what."_s};
        QTest::newRow("line end becomes a space") << u"a\r\nb."_s << none << QStringList{u"a b."_s};
        QTest::newRow("blanks around a line end become one space")
            << u"a \t\n\r\n \tb."_s << none << QStringList{u"a b."_s};
        QTest::newRow("blanks without a line end stay")
            << u"a \t b."_s << none << QStringList{u"a \t b."_s};
        QTest::newRow("lone CR is a line end here") << u"a\rb."_s << none << QStringList{u"a b."_s};
        QTest::newRow("blank lines do not end sentences")
            << u"One\r\n\r\nTwo."_s << none << QStringList{u"One Two."_s};
        QTest::newRow("spaces at both ends go, tabs stay")
            << u"  a\t. \r\n b  "_s << none << QStringList{u"a\t."_s, u"b."_s};
        QTest::newRow("exclamation mark does not end")
            << u"Stop! Go."_s << none << QStringList{u"Stop! Go."_s};
        QTest::newRow("question split") << u"One. Two? Three! Four"_s << none
                                        << QStringList{u"One."_s, u"Two?"_s, u" Three! Four."_s};
        QTest::newRow("question at the end gives no period row")
            << u"Ask me why?"_s << none << QStringList{u"Ask me why?"_s};
        QTest::newRow("question parts are not trimmed")
            << u"Why? Because."_s << none << QStringList{u"Why?"_s, u" Because."_s};
        QTest::newRow("closing quote starts the next sentence")
            << u"\"Go.\" He went."_s << none << QStringList{u"\"Go."_s, u"\" He went."_s};
        QTest::newRow("without the abbreviation")
            << u"Dr. Smith arrived."_s << none << QStringList{u"Dr."_s, u"Smith arrived."_s};
        QTest::newRow("with the abbreviation") << u"Dr. Smith arrived."_s << QStringList{u"Dr."_s}
                                               << QStringList{u"Dr. Smith arrived."_s};
        // A shielded abbreviation keeps the document's own letters.
        QTest::newRow("abbreviation keeps the document's case")
            << u"MR. Smith and mr. Jones left"_s << QStringList{u"Mr."_s}
            << QStringList{u"MR. Smith and mr. Jones left."_s};
        QTest::newRow("entry inside a word keeps the word")
            << u"It runs on many systems. It is fast."_s << QStringList{u"Ms."_s}
            << QStringList{u"It runs on many systems. It is fast."_s};
        QTest::newRow("entry in capitals, document in lower case")
            << u"Ask mr. Hale."_s << QStringList{u"MR."_s} << QStringList{u"Ask mr. Hale."_s};
        QTest::newRow("abbreviation inside a word")
            << u"Ask the devs. They know."_s << QStringList{u"vs."_s}
            << QStringList{u"Ask the devs. They know."_s};
        QTest::newRow("empty entries keep the numbering")
            << u"Dr. Who. Mr. X."_s << QStringList{QString(), u"Mr."_s, QString()}
            << QStringList{u"Dr."_s, u"Who."_s, u"Mr. X."_s};
        QTest::newRow("eleventh and twelfth entries")
            << u"From Nov. to Dec. only. Then jan. again"_s << Months
            << QStringList{u"From Nov. to Dec. only."_s, u"Then jan. again."_s};
        QTest::newRow("abbreviation in a question")
            << u"Is it Mr. X? Yes."_s << QStringList{u"Mr."_s}
            << QStringList{u"Is it Mr. X?"_s, u" Yes."_s};
        QTest::newRow("abbreviation ends the text")
            << u"Ask Mr."_s << QStringList{u"Mr."_s} << QStringList{u"Ask Mr.."_s};
        QTest::newRow("text without a period") << u"Hello"_s << none << QStringList{u"Hello."_s};
        QTest::newRow("only blanks") << u" \r\n "_s << none << QStringList{};
        QTest::newRow("empty text") << QString() << QStringList{u"Mr."_s} << QStringList{};
    }
    void sentenceMode()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, abbreviations);
        QFETCH(QStringList, rows);
        QCOMPARE(extractRows(text, ExtractMode::Sentence, abbreviations, KeepAll), rows);
    }

    void filters_data()
    {
        QTest::addColumn<bool>("paragraphs");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("filterText");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("rows");

        const int all = int(LineFilterKind::All);
        const int containing = int(LineFilterKind::Containing);
        const int notContaining = int(LineFilterKind::NotContaining);
        const int none = int(LineFilterKind::None);
        QTest::newRow("containing is case-sensitive")
            << false << containing << u"cat"_s << u"Concatenate. CAT."_s
            << QStringList{u"Concatenate."_s};
        QTest::newRow("containing an empty text keeps all")
            << false << containing << QString() << u"a. b"_s << QStringList{u"a."_s, u"b."_s};
        QTest::newRow("containing text is not trimmed")
            << false << containing << u" b"_s << u"a b. b."_s << QStringList{u"a b."_s};
        QTest::newRow("not containing") << false << notContaining << u"x"_s << u"ax. b. cx. d"_s
                                        << QStringList{u"b."_s, u"d."_s};
        QTest::newRow("not containing an empty text keeps none")
            << false << notContaining << QString() << u"a. b"_s << QStringList{};
        QTest::newRow("no filter option keeps none")
            << false << none << QString() << u"a. b"_s << QStringList{};
        QTest::newRow("keep all") << false << all << u"zzz"_s << u"a. b"_s
                                  << QStringList{u"a."_s, u"b."_s};
        QTest::newRow("filter sees no question suffix")
            << false << containing << u"?"_s << u"Why? Because."_s << QStringList{};
        QTest::newRow("not containing sees no question suffix")
            << false << notContaining << u"?"_s << u"Why? Because."_s
            << QStringList{u"Why?"_s, u" Because."_s};
        QTest::newRow("filter applies to each question part")
            << true << containing << u"y"_s << u"Why? No? Yes, my"_s
            << QStringList{u"Why?"_s, u" Yes, my"_s};
        QTest::newRow("paragraph filter sees finished text")
            << true << containing << u"A\rB"_s << u" A\r\nB \r\n\r\nA\nC"_s
            << QStringList{u"A\rB"_s};
    }
    void filters()
    {
        QFETCH(bool, paragraphs);
        QFETCH(int, kind);
        QFETCH(QString, filterText);
        QFETCH(QString, text);
        QFETCH(QStringList, rows);
        const LineFilter filter{LineFilterKind(kind), filterText};
        const ExtractMode mode = paragraphs ? ExtractMode::Paragraph : ExtractMode::Sentence;
        QCOMPARE(extractRows(text, mode, {}, filter), rows);
    }

    // The filter sees the row as the document has it.
    void filter_seesRestoredAbbreviation()
    {
        const LineFilter filter{LineFilterKind::Containing, u"mr."_s};
        QCOMPARE(extractRows(u"mr. Smith. Jones."_s, ExtractMode::Sentence, {u"Mr."_s}, filter),
                 QStringList{u"mr. Smith."_s});
    }

    void noMode_givesNothing()
    {
        QVERIFY(extractRows(u"A. B\r\n\r\nC"_s, ExtractMode::None, {}, KeepAll).isEmpty());
        QCOMPARE(cutText(u"A. B"_s, ExtractMode::None, AbbreviationShield()).size(), 0);
    }

    // The run finishes pieces by the mode selected when it handles them,
    // which may not be the mode they were cut in.
    void handler_followsModeAtHandling()
    {
        const AbbreviationShield shield({u"Mr."_s});
        StringRows sink;
        PieceHandler handler;

        const PieceList paragraphs = cutParagraphs(u" A\r\nB \r\n\r\nC"_s);
        QCOMPARE(paragraphs.size(), 2);
        handler.handle(paragraphs.piece(0), false, nullptr, KeepAll, sink);
        QCOMPARE(sink.rows, QStringList{u" A\r\nB "_s});

        sink.rows.clear();
        const PieceList sentences = cutSentences(u"Hi mr. X\r\n. ."_s, shield);
        QVERIFY(sentences.shielded);
        for (qsizetype i = 0; i < sentences.size(); ++i)
            handler.handle(sentences.piece(i), true, &sentences.occurrences, KeepAll, sink);
        QCOMPARE(sink.rows, QStringList{u"Hi mr. X."_s});
    }
};

QTEST_GUILESS_MAIN(SegmentationTest)
#include "tst_segmentation.moc"
