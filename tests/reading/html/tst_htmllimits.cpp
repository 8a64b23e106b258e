#include "RenderedTextCases.h"
#include "reading/html/HtmlRendering.h"

#include <QTest>
#include <random>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

QByteArray repeated(const QByteArray &unit, int times)
{
    QByteArray bytes;
    bytes.reserve(unit.size() * times);
    for (int i = 0; i < times; ++i)
        bytes.append(unit);
    return bytes;
}

QString repeatedText(const QString &unit, int times, const QString &separator)
{
    QStringList units;
    for (int i = 0; i < times; ++i)
        units << unit;
    return units.join(separator);
}

// Limits under which no tree is ever built: the flat reading only.
HtmlLimits flatOnly(qsizetype chunkBytes = 256 * 1024)
{
    return {~std::uint64_t(0), 0, chunkBytes};
}

constexpr int Deep = 100'000;

} // namespace

// Pages no reader would write: deep, huge, or not HTML at all. Each must
// give its text with bounded work, memory and stack.
class HtmlLimitsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void deepNesting_data()
    {
        QTest::addColumn<QByteArray>("markup");
        QTest::addColumn<QString>("text");
        QTest::newRow("divs, each with a word")
            << repeated("<div>a", Deep) + repeated("</div>", Deep)
            << repeatedText(u"a"_s, Deep, u"\r\n"_s);
        QTest::newRow("unclosed divs")
            << repeated("<div>a", Deep) << repeatedText(u"a"_s, Deep, u"\r\n"_s);
        QTest::newRow("spans around one word")
            << repeated("<span>", Deep) + "word" + repeated("</span>", Deep) << u"word"_s;
        QTest::newRow("unclosed formatting")
            << repeated("<b>x", Deep) << repeatedText(u"x"_s, Deep, {});
        QTest::newRow("formatting in tables")
            << "<table>" + repeated("x<b>", Deep) << repeatedText(u"x"_s, Deep, {});
        QTest::newRow("tables in cells") << repeated("<table><tr><td>", Deep) + "x" << u"x"_s;
        QTest::newRow("drawing groups")
            << "<svg>" + repeated("<g>t", Deep) + "</svg>after" << u"after"_s;
        QTest::newRow("much text in deep formatting")
            << repeated("<span>", 3000) + "<b>" + QByteArray(1 << 20, 'x')
            << QString(1 << 20, u'x');
        QTest::newRow("paragraphs with ever new formatting") << [] {
            QByteArray page;
            for (int i = 0; i < 4000; ++i)
                page += "<p><b id=" + QByteArray::number(i) + ">x</p>";
            return page;
        }() << repeatedText(u"x"_s, 4000, u"\r\n\r\n"_s);
    }

    void deepNesting()
    {
        QFETCH(QByteArray, markup);
        QFETCH(QString, text);
        QCOMPARE(renderedTextOfHtml(markup), text);
    }

    // A tree that would outgrow its budget is not built; the flat reading
    // takes over.
    void treeBudget_fallsBackToTheFlatReading()
    {
        const QByteArray page = repeated("<p>one <b>two</b></p>", 2000);
        const QString text = repeatedText(u"one two"_s, 2000, u"\r\n\r\n"_s);
        QCOMPARE(renderedTextOfHtml(page, {~std::uint64_t(0), 64 * 1024, 1024}), text);
        QCOMPARE(renderedTextOfHtml(page), text);
    }

    void flatReading_data()
    {
        QTest::addColumn<QByteArray>("markup");
        QTest::addColumn<QString>("text");
        QTest::newRow("blocks and paragraphs")
            << QByteArray("<h1>T</h1><p>a <b>b</b></p><div>c</div>d")
            << u"T\r\n\r\na b\r\n\r\nc\r\nd"_s;
        QTest::newRow("line breaks") << QByteArray("a<br>b</br>c") << u"a\r\nb\r\nc"_s;
        QTest::newRow("lists") << QByteArray("<ul><li>a<li>b</ul>") << u"a\r\nb"_s;
        QTest::newRow("table cells are spaces, rows lines")
            << QByteArray("<table><tr><td>a<td>b<tr><td>c</table>") << u"a b\r\nc"_s;
        QTest::newRow("preformatted") << QByteArray("<pre>\n a  b\n</pre>c") << u" a  b\r\n\r\nc"_s;
        QTest::newRow("text area")
            << QByteArray("x <textarea> a<b>  </textarea> y") << u"x  a<b>   y"_s;
        QTest::newRow("xmp shows its tags")
            << QByteArray("<xmp><b>&amp;</b></xmp>") << u"<b>&amp;</b>"_s;
        QTest::newRow("plaintext") << QByteArray("a<plaintext><p>&lt;") << u"a\r\n<p>&lt;"_s;
        QTest::newRow("raw text that never shows")
            << QByteArray("a<script>x<p>y</script><style>s</style><title>t</title>"
                          "<noscript>n</noscript><iframe>i</iframe>b")
            << u"ab"_s;
        QTest::newRow("hidden and not rendered elements")
            << QByteArray(
                   "a<div "
                   "hidden>h<div>h</div>h</div><template>t</template><svg><text>s</text></svg>"
                   "<dialog>d</dialog><dialog open>o</dialog>b")
            << u"a\r\no\r\nb"_s;
        QTest::newRow("character references")
            << QByteArray("&amp;&nbsp;&#8217;&lt;p&gt;") << u"&\u00a0\u2019<p>"_s;
        QTest::newRow("white space across tags") << QByteArray(" a <i> b </i>\n c ") << u"a b c"_s;
        QTest::newRow("comments") << QByteArray("a<!-- <p> -->b<!-->c") << u"abc"_s;
    }

    void flatReading()
    {
        QFETCH(QByteArray, markup);
        QFETCH(QString, text);
        QCOMPARE(renderedTextOfHtml(markup, flatOnly()), text);
    }

    // The flat reading parses a long page in chunks; where they are cut
    // must not show in the text.
    void flatReading_chunksDoNotShow_data()
    {
        QTest::addColumn<QByteArray>("markup");
        QTest::newRow("words and blocks")
            << repeated("word <b>bold</b> &amp; <div>block</div> <p>para</p>\n", 50);
        QTest::newRow("preformatted across chunks")
            << "<pre>\n" + repeated("  a\n\n b  <i>c</i>", 40) + "</pre>";
        QTest::newRow("text areas") << repeated("x <textarea>\n  t  &lt;b&gt;</textarea> y ", 30);
        QTest::newRow("hidden across chunks")
            << "a" + repeated("<div hidden>" + repeated("<p>no</p>", 20) + "</div>yes ", 10);
    }

    void flatReading_chunksDoNotShow()
    {
        QFETCH(QByteArray, markup);
        const QString whole = renderedTextOfHtml(markup, flatOnly(markup.size() + 1));
        QVERIFY(!whole.isEmpty());
        for (const qsizetype chunk : {qsizetype(1), qsizetype(7), qsizetype(64)})
            QCOMPARE(renderedTextOfHtml(markup, flatOnly(chunk)), whole);
    }

    void junk_givesSomeTextWithCrLfLineEnds_data()
    {
        QTest::addColumn<QByteArray>("alphabet");
        QTest::newRow("any bytes") << QByteArray();
        QTest::newRow("markup characters") << QByteArray("<>/!-?ab \"'=&;#x\n\r\t\0p", 22);
        QTest::newRow("tag soup") << QByteArray(
            "<table><td><tr><p><b><i><a><svg><math><select><option><script>"
            "<style><textarea><pre><li><ul><div></div></b></table></svg>");
    }

    void junk_givesSomeTextWithCrLfLineEnds()
    {
        QFETCH(QByteArray, alphabet);
        std::mt19937 random(20210831);
        QByteArray junk(2 * 1024 * 1024, Qt::Uninitialized);
        for (char &byte : junk)
            byte = alphabet.isEmpty() ? char(random())
                                      : alphabet[qsizetype(random() % alphabet.size())];
        const QString text = renderedTextOfHtml(junk);
        QVERIFY(onlyCrLfLineEnds(text));
        QCOMPARE(renderedTextOfHtml(junk), text);
    }

    // A large page of ordinary markup gets its real tree, tabs and all.
    void largeOrdinaryPage_isParsedWhole()
    {
        const QByteArray section =
            "<h2>Heading</h2><p>Some <a href=\"x\">linked</a> words &amp; more.</p>"
            "<table><tr><td>a</td><td>b</td></tr></table>\n";
        const int count = int((16 << 20) / section.size());
        const QString text = renderedTextOfHtml(repeated(section, count));
        QCOMPARE(text.count(u"a\tb"_s), count);
        QCOMPARE(text.count(u"Some linked words & more."_s), count);
    }
};

QTEST_GUILESS_MAIN(HtmlLimitsTest)
#include "tst_htmllimits.moc"
