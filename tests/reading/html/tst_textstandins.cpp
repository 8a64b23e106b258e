#include "reading/html/HtmlRendering.h"
#include "reading/html/TextStandIns.h"

#include <QTest>
#include <random>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

QString rendered(const QByteArray &markup, qsizetype standInBytes)
{
    HtmlLimits limits = HtmlLimits::forPage(markup.size());
    limits.textStandInBytes = standInBytes;
    return renderedTextOfHtml(markup, limits);
}

// Words and the characters that end a stretch or sit at its edges.
const QByteArrayList Pieces = {"word",
                               "longer words here",
                               " ",
                               "  ",
                               "\n",
                               "\t",
                               "\f",
                               "&amp;",
                               "&ampx",
                               "&#x41;",
                               "&#65",
                               "&",
                               "&nbsp",
                               "\r",
                               "\r\n",
                               QByteArray("\0", 1),
                               "\x01",
                               "\x7f",
                               "\xc2\x85",
                               "\xef\xb7\x90",
                               "\xef\xbf\xbe",
                               "\xf0\x9f\xbf\xbf",
                               "\xc3\xa9t\xc3\xa9",
                               "<",
                               "\xe2\x80\x94",
                               "9",
                               "z"};

QByteArray randomText(std::mt19937 &random, int pieces)
{
    QByteArray text;
    std::uniform_int_distribution<qsizetype> pick(0, Pieces.size() - 1);
    for (int i = 0; i < pieces; ++i)
        text += Pieces.at(pick(random));
    return text;
}

} // namespace

// Long stretches of text reach the parser as stand-ins; the rendered text
// must be the one of the page as written.
class TextStandInsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void expand_givesBackTheText()
    {
        // Many stretches, so that numbers take more than one digit.
        std::mt19937 random(5);
        for (qsizetype minimum : {1, 4, 12}) {
            for (int round = 0; round < 200; ++round) {
                const QByteArray page = randomText(random, 1 + round % 150);
                TextStandIns standIns(page, minimum);
                QByteArray given;
                standIns.appendText(given, 0, page.size());
                QByteArray expanded;
                if (standIns.expand(given, expanded))
                    QCOMPARE(expanded, page);
                else
                    QCOMPARE(given, page);
            }
        }
    }

    void stretches_keepWhatTheParserChanges_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("given");
        const QByteArray lead = TextStandIns::Lead.toByteArray();
        QTest::newRow("edges keep their white space")
            << QByteArray(" \n one two\tthree \f") << " \n " + lead + "0 \f";
        QTest::newRow("references stay whole")
            << QByteArray("one &amp;two &#x41;x &ampthree")
            << lead + "0 &amp;" + lead + "1 &#x41;" + lead + "2 &ampthree";
        QTest::newRow("carriage return and NUL break")
            << QByteArray("one\r\ntwo\0three", 14)
            << lead + "0\r\n" + lead + "1" + '\0' + lead + "2";
        QTest::newRow("C1 control and non-character break")
            << QByteArray("one\xc2\x85two\xef\xb7\x90three")
            << lead + "0\xc2\x85" + lead + "1\xef\xb7\x90" + lead + "2";
        QTest::newRow("other characters are content")
            << QByteArray("caf\xc3\xa9 \xe2\x80\x94 \xf0\x9f\x98\x80") << lead + "0";
    }
    void stretches_keepWhatTheParserChanges()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, given);
        TextStandIns standIns(text, 1);
        QByteArray out;
        standIns.appendText(out, 0, text.size());
        QCOMPARE(out, given);
    }

    void usableOn_data()
    {
        QTest::addColumn<QByteArray>("page");
        QTest::addColumn<bool>("usable");
        QTest::newRow("plain page") << QByteArray("<p>text</p>") << true;
        QTest::newRow("frameset") << QByteArray("<FrameSet><frame></FRAMESET>") << false;
        QTest::newRow("the lead character itself") << QByteArray("<p>a \xf4\x8f\xbf\xbd"
                                                                 "0</p>")
                                                   << false;
        QTest::newRow("frame only") << QByteArray("<frame>") << true;
    }
    void usableOn()
    {
        QFETCH(QByteArray, page);
        QFETCH(bool, usable);
        QCOMPARE(TextStandIns::usableOn(page), usable);
    }

    // Pages whose parse treats text in a special way: stand-ins of every
    // stretch must not change what shows.
    void pages_renderAsWithout_data()
    {
        QTest::addColumn<QByteArray>("markup");
        QTest::newRow("joined by an ignored end tag")
            << QByteArray("<p>first words</span>second words</i>0123</p>");
        QTest::newRow("text in a table, fostered")
            << QByteArray("<table>lost text<tr>row text<td>cell text</td></tr> tail</table>");
        QTest::newRow("text in a column group")
            << QByteArray("<table><colgroup> some text <col></colgroup></table>after");
        QTest::newRow("text before html and after body")
            << QByteArray(" leading text <html><body>body text</body></html> trailing text ");
        QTest::newRow("text in select")
            << QByteArray("<select>loose text<option>one option</select>");
        QTest::newRow("pre keeps its first line")
            << QByteArray("<pre>\nfirst line\n  second line</pre><pre>direct text</pre>");
        QTest::newRow("svg and math text")
            << QByteArray("<svg><text>drawn text</text><desc>about it</desc></svg>"
                          "<math><mi>x value</mi></math>");
        QTest::newRow("controls and replaced characters") << QByteArray("<p>a\x01"
                                                                        "b c\x7f"
                                                                        "d e\xc2\x85"
                                                                        "f g\xef\xbf\xbeh",
                                                                        21);
        QTest::newRow("NUL in text") << QByteArray("<p>before\0after text</p>", 24);
        QTest::newRow("lone CR and CR LF") << QByteArray("<pre>one\rtwo\r\nthree</pre><p>x\ry</p>");
        QTest::newRow("references next to words")
            << QByteArray("<p>fish&amp;chips &ampsalt &#x2014dash &notit; &#0; end</p>");
        QTest::newRow("less-than in text") << QByteArray("<p>a < b and c <3 d</p>");
        QTest::newRow("frameset") << QByteArray("<frameset> text <frame> more text </frameset>");
        QTest::newRow("hidden body")
            << QByteArray("<body hidden>all of <b>its text</b> shows</body>");
        QTest::newRow("noscript and textarea")
            << QByteArray("<noscript>no script</noscript><textarea>area text</textarea> end");
        QByteArray many;
        for (int i = 0; i < 300; ++i)
            many +=
                "<p>paragraph number " + QByteArray::number(i) + "</b>x" + QByteArray::number(i);
        QTest::newRow("more stretches than one digit counts") << many;
    }
    void pages_renderAsWithout()
    {
        QFETCH(QByteArray, markup);
        const QString plain = rendered(markup, 0);
        QCOMPARE(rendered(markup, 1), plain);
        QCOMPARE(rendered(markup, 6), plain); // short pieces stay text
    }

    void randomPages_renderAsWithout()
    {
        const QByteArrayList tags = {"<p>",          "</p>",   "<b>",      "</b>",   "<table>",
                                     "<td>",         "<tr>",   "</table>", "<pre>",  "</pre>",
                                     "<div hidden>", "</div>", "<svg>",    "</svg>", "<select>",
                                     "<br>",         "</i>",   "<li>"};
        std::mt19937 random(17);
        std::uniform_int_distribution<qsizetype> pickTag(0, tags.size() - 1);
        for (int round = 0; round < 300; ++round) {
            QByteArray page;
            for (int i = 0; i < 12; ++i)
                page += tags.at(pickTag(random)) + randomText(random, 4);
            const QString plain = rendered(page, 0);
            for (qsizetype minimum : {1, 6}) {
                if (rendered(page, minimum) != plain) {
                    qWarning() << page;
                    QFAIL("the stand-ins changed the rendered text");
                }
            }
        }
    }
};

QTEST_GUILESS_MAIN(TextStandInsTest)
#include "tst_textstandins.moc"
