#include "reading/documents/PdfLayout.h"
#include "reading/documents/PdfLineText.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

// Lines given as poppler gives a page's words: "x y size text" per line, y
// the line's top, the words as drawn left to right, each 0.5 em a
// character and a space of 0.25 em between them, or spread to end at 288
// pt when the text starts with "=" (a justified line).
PdfPageLines page(const QStringList &lines)
{
    PdfLineCollector collector;
    for (const QString &spec : lines) {
        const QStringList parts = spec.split(u' ');
        double x = parts[0].toDouble();
        const double y = parts[1].toDouble();
        const double size = parts[2].toDouble();
        QStringList words = parts.mid(3);
        double space = size / 4;
        if (words[0].startsWith(u'=')) {
            words[0].remove(0, 1);
            const double letters = double(words.join(QString()).size()) * size / 2;
            space = (288 - x - letters) / double(std::max<qsizetype>(1, words.size() - 1));
        }
        for (qsizetype i = 0; i < words.size(); ++i) {
            // "^" before a word: a superscript, smaller and raised.
            const bool raised = words[i].startsWith(u'^');
            const QString word = raised ? words[i].mid(1) : words[i];
            const double height = raised ? size * 0.7 : size;
            const double width = double(word.size()) * height / 2;
            collector.addWord(word, QRectF(x, raised ? y - size * 0.4 : y, width, height), true,
                              i + 1 == words.size());
            x += width + space;
        }
    }
    return collector.take();
}

// A column of lines at 72 pt from the left, 12 pt type, 14 pt apart, a
// blank ("") a paragraph gap of 12 pt more.
QStringList column(const QStringList &lines, double top = 100, double left = 72)
{
    QStringList specs;
    double y = top;
    for (const QString &line : lines) {
        if (line.isEmpty()) {
            y += 12;
            continue;
        }
        specs << u"%1 %2 12 %3"_s.arg(left).arg(y).arg(line);
        y += 14;
    }
    return specs;
}

QStringList paragraphsOf(const std::vector<QStringList> &pages)
{
    std::vector<PdfPageLines> lines;
    for (const QStringList &p : pages)
        lines.push_back(page(p));
    return pdfTextFromLines(std::move(lines)).split(u"\r\n\r\n"_s);
}

// A paragraph's lines, as a justified column fills them.
const QStringList Wrapped{u"=The lines of a paragraph fill their"_s,
                          u"=column from edge to edge, all except"_s, u"the last one."_s};
const QString WrappedText =
    u"The lines of a paragraph fill their column from edge to edge, all except the last one."_s;

} // namespace

class PdfLayoutTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lineText_data()
    {
        QTest::addColumn<QStringList>("words");
        QTest::addColumn<QString>("text");

        QTest::newRow("Arabic with Latin runs, drawn left to right")
            << QStringList{u"Pythonو"_s, u"R"_s, u"ةغلب"_s, u"ةجمربلا"_s}
            << u"البرمجة بلغة R وPython"_s;
        QTest::newRow("Hebrew with a number after a Latin word")
            << QStringList{u"תחא"_s, u"הרושב"_s, u"HTML"_s, u"5"_s, u"םגו"_s, u"םולש"_s}
            << u"שלום וגם HTML 5 בשורה אחת"_s;
        QTest::newRow("Persian numbers keep their digits' order")
            << QStringList{u"86"_s, u"نم"_s, u"12"_s, u"هحفص"_s} << u"صفحه 12 من 86"_s;
        QTest::newRow("a Hebrew word in an English line")
            << QStringList{u"The"_s, u"word"_s, u"םולש"_s, u"means"_s, u"peace."_s}
            << u"The word שלום means peace."_s;
        QTest::newRow("mirrored brackets put back")
            << QStringList{u"(3)"_s, u"ةملك"_s, u"ىرخأ"_s} << u"أخرى كلمة (3)"_s;
        QTest::newRow("ligatures as their letters")
            << QStringList{u"ﬁle"_s, u"ﬂow"_s, u"eﬃcient"_s, u"staﬀ"_s, u"oﬄine"_s, u"ﬆar"_s}
            << u"file flow efficient staff offline star"_s;
        QTest::newRow("Arabic lam-alef ligature after reordering")
            << QStringList{u"ﻻ"_s, u"مالس"_s} << u"سلام لا"_s;
        QTest::newRow("nothing else normalised")
            << QStringList{u"ＡＢＣ"_s, u"e\u0301"_s, u"½"_s, u"ℌ"_s, u"ǆ"_s}
            << u"ＡＢＣ e\u0301 ½ ℌ ǆ"_s;
    }

    void lineText()
    {
        QFETCH(QStringList, words);
        QFETCH(QString, text);
        const PdfPageLines lines = page({u"72 100 12 "_s + words.join(u' ')});
        QCOMPARE(lines.lines.size(), std::size_t(1));
        QCOMPARE(lines.lines[0].text, text);
    }

    void joinsWithoutSpace_data()
    {
        QTest::addColumn<QString>("before");
        QTest::addColumn<QString>("after");
        QTest::addColumn<bool>("joined");

        QTest::newRow("Han") << u"功"_s << u"能"_s << true;
        QTest::newRow("kana and Han") << u"ひらがな"_s << u"カタカナ"_s << true;
        QTest::newRow("ideographic full stop") << u"です。"_s << u"次"_s << true;
        QTest::newRow("full-width forms") << u"ＡＢＣ"_s << u"漢字"_s << true;
        QTest::newRow("Han beyond the BMP") << u"𠀀"_s << u"𠀁"_s << true;
        QTest::newRow("Hangul keeps its spaces") << u"사이에"_s << u"띄어쓰기를"_s << false;
        QTest::newRow("Latin after Han") << u"漢字"_s << u"word"_s << false;
        QTest::newRow("Han after Latin") << u"word"_s << u"漢字"_s << false;
    }

    void joinsWithoutSpace()
    {
        QFETCH(QString, before);
        QFETCH(QString, after);
        QFETCH(bool, joined);
        QCOMPARE(Quillfen::joinsWithoutSpace(before, after), joined);
    }

    void paragraphs_data()
    {
        QTest::addColumn<std::vector<QStringList>>("pages");
        QTest::addColumn<QStringList>("paragraphs");

        const QString joined = WrappedText;
        QTest::newRow("most paragraphs a single line, set apart by space")
            << std::vector<QStringList>{column({u"Dear members,"_s,
                                                {},
                                                u"The meeting moves."_s,
                                                {},
                                                Wrapped[0],
                                                Wrapped[1],
                                                Wrapped[2],
                                                {},
                                                u"Tea will be served."_s,
                                                {},
                                                u"Yours,"_s,
                                                {},
                                                u"The secretary"_s})}
            << QStringList{
                   u"Dear members,"_s, u"The meeting moves."_s, joined, u"Tea will be served."_s,
                   u"Yours,"_s,        u"The secretary"_s};
        QTest::newRow("superscripts do not make gaps of their own")
            << std::vector<QStringList>{column({u"=The lines of a paragraph ^1 fill their"_s,
                                                u"=column from ^2 edge to edge, all except"_s,
                                                u"=the last one, and ^3 the lines of the"_s,
                                                u"next one fill it too. ^4"_s,
                                                {},
                                                u"=A third paragraph fills ^5 its lines"_s,
                                                u"from edge to edge."_s})}
            << QStringList{u"The lines of a paragraph 1 fill their column from 2 edge to edge, "
                           "all except the last one, and 3 the lines of the next one fill it too. "
                           "4"_s,
                           u"A third paragraph fills 5 its lines from edge to edge."_s};
        QTest::newRow("a line ended early in spaced paragraphs is a line break")
            << std::vector<QStringList>{column({Wrapped[0],
                                                u"Short."_s,
                                                Wrapped[1],
                                                Wrapped[2],
                                                {},
                                                u"Next."_s,
                                                {},
                                                u"Last."_s})}
            << QStringList{
                   u"The lines of a paragraph fill their Short.\r\ncolumn from edge to edge, all except the last one."_s,
                   u"Next."_s, u"Last."_s};
        QTest::newRow("hyphenated words joined, not a hyphen before a capital")
            << std::vector<QStringList>{column({u"=A paragraph with a word that is hyph-"_s,
                                                u"=enated, and a famous name like Jean-"_s,
                                                u"Paul too."_s})}
            << QStringList{
                   u"A paragraph with a word that is hyphenated, and a famous name like Jean- "
                   "Paul too."_s};
        QTest::newRow("CJK lines joined without a space")
            << std::vector<QStringList>{column({u"这个程序的功"_s, u"能是列出句子"_s})}
            << QStringList{u"这个程序的功能是列出句子"_s};
        QTest::newRow("list items each a paragraph")
            << std::vector<QStringList>{column(
                   {u"Bring these things to the meeting:"_s, u"• the minutes of March and"_s,
                    u"• a pen that still writes.."_s, u"1. Open the meeting, then read"_s,
                    u"2. Close the meeting, and go."_s})}
            << QStringList{u"Bring these things to the meeting:"_s, u"• the minutes of March and"_s,
                           u"• a pen that still writes.."_s, u"1. Open the meeting, then read"_s,
                           u"2. Close the meeting, and go."_s};
        QTest::newRow("a heading in larger type")
            << std::vector<QStringList>{QStringList{u"72 70 18 Background and History"_s} +
                                        column({Wrapped[0], Wrapped[1], Wrapped[2]})}
            << QStringList{u"Background and History"_s, joined};
        QTest::newRow("a sentence running on across a page break")
            << std::vector<QStringList>{column({Wrapped[0], Wrapped[1]}),
                                        column({u"the last one."_s, {}, u"Next one."_s})}
            << QStringList{joined, u"Next one."_s};
        QTest::newRow("a heading at the top of a page")
            << std::vector<QStringList>{column({Wrapped[0], Wrapped[1]}),
                                        {u"72 70 18 Background and History"_s}}
            << QStringList{u"The lines of a paragraph fill their column from edge to edge, all "
                           "except"_s,
                           u"Background and History"_s};
        QTest::newRow("a sentence ended at a page break ends its paragraph")
            << std::vector<QStringList>{column({Wrapped[0],
                                                u"=column from edge to edge, all done."_s}),
                                        column({u"The next paragraph starts here."_s})}
            << QStringList{
                   u"The lines of a paragraph fill their column from edge to edge, all done."_s,
                   u"The next paragraph starts here."_s};
        QTest::newRow("a sentence running on into the next column")
            << std::vector<QStringList>{column({Wrapped[0], Wrapped[1]}) +
                                        column({u"the last one."_s}, 100, 320)}
            << QStringList{joined};
        QTest::newRow("first-line indents, across a page break without one")
            << std::vector<QStringList>{{u"90 100 12 =An indented first line of"_s,
                                         u"72 114 12 =a paragraph that runs on after"_s,
                                         u"72 128 12 this. And ends here."_s,
                                         u"90 142 12 =Another indented first"_s,
                                         u"72 156 12 =line; a sentence, and a page end."_s},
                                        {u"72 100 12 That paragraph goes on here."_s}}
            << QStringList{u"An indented first line of a paragraph that runs on after this. And "
                           "ends here."_s,
                           u"Another indented first line; a sentence, and a page end. That "
                           "paragraph goes on here."_s};
    }

    void paragraphs()
    {
        QFETCH(std::vector<QStringList>, pages);
        QFETCH(QStringList, paragraphs);
        QCOMPARE(paragraphsOf(pages), paragraphs);
    }

    void runningLines_data()
    {
        QTest::addColumn<std::vector<QStringList>>("pages");
        QTest::addColumn<QStringList>("paragraphs");

        const auto framed = [](const QStringList &body, const QString &head, const QString &foot) {
            QStringList lines{u"72 40 9 "_s + head};
            lines += column(body);
            lines << u"280 800 9 "_s + foot;
            return lines;
        };
        QTest::newRow("header and page numbers left out, a title kept")
            << std::vector<QStringList>{QStringList{u"72 60 16 Annual Report"_s} +
                                            framed({Wrapped[0], Wrapped[1]},
                                                   u"Auto Multiple Choice"_s, u"1 / 86"_s),
                                        framed({u"the last one."_s}, u"Auto Multiple Choice"_s,
                                               u"2 / 86"_s),
                                        framed({u"Another."_s}, u"Auto Multiple Choice"_s,
                                               u"3 / 86"_s)}
            << QStringList{u"Annual Report"_s, WrappedText, u"Another."_s};
        QTest::newRow("a header of two lines beside each other")
            << std::vector<QStringList>{{u"72 40 9 Auto Multiple Choice"_s, u"480 40 9 11 / 86"_s,
                                         u"72 100 12 First page."_s},
                                        {u"72 40 9 Auto Multiple Choice"_s, u"480 40 9 12 / 86"_s,
                                         u"72 100 12 Second page."_s}}
            << QStringList{u"First page."_s, u"Second page."_s};
        QTest::newRow("in any script, page numbers in Roman numerals")
            << std::vector<QStringList>{framed({u"Первая страница."_s}, u"Глава первая"_s, u"iv"_s),
                                        framed({u"Вторая страница."_s}, u"Глава первая"_s, u"v"_s)}
            << QStringList{u"Первая страница."_s, u"Вторая страница."_s};
        QTest::newRow("a two-page invoice keeps its title")
            << std::vector<QStringList>{{u"72 60 16 Invoice 2024-117"_s,
                                         u"72 100 11 Bill to: Marsh Field Station"_s,
                                         u"72 140 11 Item 1: forty seed trays"_s,
                                         u"72 800 9 Page 1 of 2"_s},
                                        {u"72 140 11 Item 2: twelve rakes"_s,
                                         u"72 800 9 Page 2 of 2"_s}}
            << QStringList{u"Invoice 2024-117"_s, u"Bill to: Marsh Field Station"_s,
                           u"Item 1: forty seed trays Item 2: twelve rakes"_s};
        QTest::newRow("pages of one line each differing in a number")
            << std::vector<QStringList>{{u"72 72 12 Sentence number 1 on its own page."_s},
                                        {u"72 72 12 Sentence number 2 on its own page."_s},
                                        {u"72 72 12 Sentence number 3 on its own page."_s}}
            << QStringList{u"Sentence number 1 on its own page."_s,
                           u"Sentence number 2 on its own page."_s,
                           u"Sentence number 3 on its own page."_s};
        QTest::newRow("a line repeating in the middle of pages stays")
            << std::vector<QStringList>{framed(QStringList{u"One."_s} + QStringList(20, {}) +
                                                   QStringList{u"Repeat."_s},
                                               u"Head"_s, u"1"_s),
                                        framed(QStringList{u"Two."_s} + QStringList(20, {}) +
                                                   QStringList{u"Repeat."_s},
                                               u"Head"_s, u"2"_s)}
            << QStringList{u"One."_s, u"Repeat."_s, u"Two."_s, u"Repeat."_s};
    }

    void runningLines()
    {
        QFETCH(std::vector<QStringList>, pages);
        QFETCH(QStringList, paragraphs);
        QCOMPARE(paragraphsOf(pages), paragraphs);
    }
};

QTEST_GUILESS_MAIN(PdfLayoutTest)
#include "tst_pdflayout.moc"
