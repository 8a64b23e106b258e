#include "RenderedTextCases.h"
#include "reading/html/HtmlRendering.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

// The rendered text of markup (the cases are in RenderedTextCases.cpp).
class RenderedTextTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void renderedText_data()
    {
        QTest::addColumn<QByteArray>("markup");
        QTest::addColumn<QString>("text");

        addRenderedTextRows();
    }

    void renderedText()
    {
        QFETCH(QByteArray, markup);
        QFETCH(QString, text);
        const QString rendered = renderedTextOfHtml(markup);
        QCOMPARE(rendered, text);
        QVERIFY(onlyCrLfLineEnds(rendered));
    }

    // Every stretch of text, however short, given to the parser as a
    // stand-in: the rendered text stays the same.
    void renderedText_everyStretchStoodIn_data() { renderedText_data(); }
    void renderedText_everyStretchStoodIn()
    {
        QFETCH(QByteArray, markup);
        QFETCH(QString, text);
        HtmlLimits limits = HtmlLimits::forPage(markup.size());
        limits.textStandInBytes = 1;
        QCOMPARE(renderedTextOfHtml(markup, limits), text);
    }

    void emptyPages_giveEmptyText_data()
    {
        QTest::addColumn<QByteArray>("markup");
        QTest::newRow("no bytes") << QByteArray();
        QTest::newRow("white space") << QByteArray(" \r\n\t ");
        QTest::newRow("empty body")
            << QByteArray("<html><head><title>t</title></head><body></body></html>");
        QTest::newRow("only hidden content")
            << QByteArray("<body><script>x</script><div hidden>y</div>");
        QTest::newRow("only blocks") << QByteArray("<div><p></p><br hidden></div><hr>");
    }

    void emptyPages_giveEmptyText()
    {
        QFETCH(QByteArray, markup);
        QCOMPARE(renderedTextOfHtml(markup), QString());
    }
};

QTEST_GUILESS_MAIN(RenderedTextTest)
#include "tst_renderedtext.moc"
