#include "ZipFixture.h"
#include "platform/Failure.h"
#include "reading/documents/EpubText.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

QByteArray page(const QByteArray &body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE html>\n<html "
           "xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>Not text</title></head><body>"
        + body + "</body></html>";
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
            "<item id=\"c2\" href=\"Text/two%20b.xhtml#start\" media-type=\"application/xhtml+xml\"/>"
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
        const QByteArray book = epubOf(
            manifest, spine,
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
};

QTEST_GUILESS_MAIN(EpubReaderTest)
#include "tst_epubreader.moc"
