#include "ZipFixture.h"
#include "platform/Failure.h"
#include "reading/documents/DocumentFailure.h"
#include "reading/documents/EpubText.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

QByteArray page(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n<html "
           "xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>Not text</title></head><body>" +
           body + "</body></html>";
}

} // namespace

class EpubReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void spineOrder_data()
    {
        QTest::addColumn<QByteArray>("manifest");
        QTest::addColumn<QByteArray>("spine");
        QTest::addColumn<QString>("text");
        const QByteArray items =
            "<item id=\"c1\" href=\"Text/one.xhtml\" media-type=\"application/xhtml+xml\"/>"
            "<item id=\"c2\" href=\"Text/two%20b.xhtml#start\" "
            "media-type=\"application/xhtml+xml\"/>"
            "<item id=\"css\" href=\"style.css\" media-type=\"text/css\"/>"
            "<item id=\"empty\" href=\"Text/empty.xhtml\" media-type=\"application/xhtml+xml\"/>";
        QTest::newRow("spine order, not the manifest's")
            << items << QByteArray("<itemref idref=\"c2\"/><itemref idref=\"c1\"/>")
            << u"Second chapter.\r\n\r\nFirst chapter.\r\n\r\nIts end, Ünïcødé."_s;
        QTest::newRow("unknown, style and empty items left out")
            << items
            << QByteArray("<itemref idref=\"missing\"/><itemref idref=\"css\"/>"
                          "<itemref idref=\"c1\"/><itemref idref=\"empty\"/>")
            << u"First chapter.\r\n\r\nIts end, Ünïcødé."_s;
    }

    void spineOrder()
    {
        QFETCH(QByteArray, manifest);
        QFETCH(QByteArray, spine);
        QFETCH(QString, text);
        const QByteArray book =
            epubOf(manifest, spine,
                   {{"Text/one.xhtml", page("<h1>First chapter.</h1><p>Its end, Ünïcødé.</p>")},
                    {"Text/two b.xhtml", page("<p>Second chapter.</p>")},
                    {"Text/empty.xhtml", page("<div> </div>")},
                    {"style.css", "p { color: red }"}});
        QCOMPARE(epubTextOfBytes(book), text);
    }

    void missingContainer_fails()
    {
        const QByteArray archive = zipOf({{"mimetype", "application/epub+zip"}});
        try {
            epubTextOfBytes(archive);
            QFAIL("no failure");
        } catch (const Failure &failure) {
            QVERIFY2(failure.description().contains(u"container.xml"_s),
                     qPrintable(failure.description()));
        }
    }

    // Each document once, where the spine first names it, however many
    // times the spine names it (once per #fragment).
    void repeatedSpineEntries_readOnce()
    {
        const QByteArray manifest =
            "<item id=\"a1\" href=\"one.xhtml#part1\" media-type=\"application/xhtml+xml\"/>"
            "<item id=\"b\" href=\"two.xhtml\" media-type=\"application/xhtml+xml\"/>"
            "<item id=\"a2\" href=\"one.xhtml#part2\" media-type=\"application/xhtml+xml\"/>"
            "<item id=\"a3\" href=\"./one.xhtml\" media-type=\"application/xhtml+xml\"/>";
        const QByteArray book =
            epubOf(manifest,
                   "<itemref idref=\"a1\"/><itemref idref=\"b\"/><itemref idref=\"a2\"/>"
                   "<itemref idref=\"a3\"/><itemref idref=\"b\"/>",
                   {{"one.xhtml", page("<p id=\"part1\">One.</p><p id=\"part2\">Two.</p>")},
                    {"two.xhtml", page("<p>Between.</p>")}});
        QCOMPARE(epubTextOfBytes(book), u"One.\r\n\r\nTwo.\r\n\r\nBetween."_s);
    }

    // Books build paragraphs of divs, list items and table rows: each is a
    // paragraph, as a <p> is; a line break stays a line break.
    void blocks_areParagraphs_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("text");
        QTest::newRow("divs") << QByteArray("<div>First block.</div><div><div>Second.</div></div>")
                              << u"First block.\r\n\r\nSecond."_s;
        QTest::newRow("a line break inside a block")
            << QByteArray("<div class=\"verse\">A line,<br/>the next line.</div>")
            << u"A line,\r\nthe next line."_s;
        QTest::newRow("a table of contents as a list")
            << QByteArray("<nav><ol><li><a href=\"a.xhtml\">Chapter 1</a></li>"
                          "<li><a href=\"b.xhtml\">Chapter 2</a><ol><li>Section 2.1</li></ol></li>"
                          "</ol></nav>")
            << u"Chapter 1\r\n\r\nChapter 2\r\n\r\nSection 2.1"_s;
        QTest::newRow("a table of contents as a table")
            << QByteArray("<table><tr><td>Chapter 1</td><td>3</td></tr>"
                          "<tr><td>Chapter 2</td><td>9</td></tr></table>")
            << u"Chapter 1\t3\r\n\r\nChapter 2\t9"_s;
    }

    void blocks_areParagraphs()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, text);
        const QByteArray book =
            epubOf("<item id=\"c\" href=\"c.xhtml\" media-type=\"application/xhtml+xml\"/>",
                   "<itemref idref=\"c\"/>", {{"c.xhtml", page(body)}});
        QCOMPARE(epubTextOfBytes(book), text);
    }

    // An HTML parser ends the declaration at its first ">": the rest of an
    // internal subset must not show.
    void internalDtdSubset_isNoText()
    {
        const QByteArray withSubset =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html [\n"
            "  <!ENTITY nbsp \"&#160;\">\n  <!ENTITY copy \"&#169;\">\n]>\n"
            "<html xmlns=\"http://www.w3.org/1999/xhtml\"><body><p>Only this.</p></body></html>";
        const QByteArray book =
            epubOf("<item id=\"c\" href=\"c.xhtml\" media-type=\"application/xhtml+xml\"/>",
                   "<itemref idref=\"c\"/>", {{"c.xhtml", withSubset}});
        QCOMPARE(epubTextOfBytes(book), u"Only this."_s);
    }

    // Documents the spine names but the archive lacks are reported, one
    // line naming them; the others' text is still given.
    void missingSpineDocuments_reportedWithTheRest()
    {
        QFETCH(QList<QByteArray>, missing);
        QFETCH(QString, report);
        QByteArray manifest =
            "<item id=\"c\" href=\"c.xhtml\" media-type=\"application/xhtml+xml\"/>";
        QByteArray spine;
        for (const QByteArray &name : missing) {
            manifest += "<item id=\"" + name + "\" href=\"Text/" + name +
                        ".xhtml\" media-type=\"application/xhtml+xml\"/>";
            spine += "<itemref idref=\"" + name + "\"/>";
        }
        const QByteArray book = epubOf(manifest, spine + "<itemref idref=\"c\"/>",
                                       {{"c.xhtml", page("<p>Still here.</p>")}});
        try {
            epubTextOfBytes(book);
            QFAIL("no report");
        } catch (const IncompleteText &partly) {
            QCOMPARE(partly.description(), report);
            QCOMPARE(partly.text(), u"Still here."_s);
        }
    }
    void missingSpineDocuments_reportedWithTheRest_data()
    {
        QTest::addColumn<QList<QByteArray>>("missing");
        QTest::addColumn<QString>("report");
        QTest::newRow("one") << QList<QByteArray>{"gone"}
                             << u"its reading order names OEBPS/Text/gone.xhtml, which is missing "
                                "from the book"_s;
        QTest::newRow("five")
            << QList<QByteArray>{"m1", "m2", "m3", "m4", "m5"}
            << u"its reading order names OEBPS/Text/m1.xhtml, OEBPS/Text/m2.xhtml, "
               "OEBPS/Text/m3.xhtml and 2 more, which are missing from the book"_s;
    }
};

QTEST_GUILESS_MAIN(EpubReaderTest)
#include "tst_epubreader.moc"
