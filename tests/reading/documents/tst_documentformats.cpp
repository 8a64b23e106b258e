#include "ZipFixture.h"
#include "reading/documents/DocumentFormats.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

class DocumentFormatsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void signatureThenExtension_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QByteArray>("head");
        QTest::addColumn<QString>("format");
        const QByteArray docx = docxOf("<w:p/>");
        const QByteArray odt = odtOf("<text:p/>");
        const QByteArray epub = epubOf({}, {}, {});
        const QByteArray otherZip =
            zipOf({{"docProps/app.xml", "<x/>"}, {"word/document.xml", "<x/>"}});
        QTest::newRow("text") << u"/a/notes.txt"_s << QByteArray("Hello") << u"text"_s;
        QTest::newRow("no extension") << u"/a/README"_s << QByteArray("Hello") << u"text"_s;
        QTest::newRow("a folder's dot is no extension")
            << u"/a/b.pdf/notes"_s << QByteArray("Hi") << u"text"_s;
        QTest::newRow("html, any case") << u"/a/Page.HTM"_s << QByteArray("<p>x") << u"html"_s;
        QTest::newRow("docx") << u"/a/b.docx"_s << docx << u"docx"_s;
        QTest::newRow("docx named .txt") << u"/a/b.txt"_s << docx << u"docx"_s;
        QTest::newRow("docx with another first part, by name")
            << u"/a/b.DOCX"_s << otherZip << u"docx"_s;
        QTest::newRow("a zip that is no document") << u"/a/b.zip"_s << otherZip << u"text"_s;
        QTest::newRow("odt") << u"/a/b.odt"_s << odt << u"odt"_s;
        QTest::newRow("epub named .odt") << u"/a/b.odt"_s << epub << u"epub"_s;
        QTest::newRow("epub without extension") << u"/a/book"_s << epub << u"epub"_s;
        QTest::newRow("pdf") << u"/a/b.PDF"_s << QByteArray("%PDF-1.4\n%\xE2\xE3") << u"pdf"_s;
        const QByteArray object = "\n%\xE2\xE3\xCF\xD3\n1 0 obj\n<< /Type /Catalog >>";
        QTest::newRow("pdf header after white space, named .txt")
            << u"/a/b.txt"_s << QByteArray(QByteArray(500, ' ') + "%PDF-1.7" + object) << u"pdf"_s;
        QTest::newRow("pdf header after binary junk")
            << u"/a/b"_s << QByteArray("\x1b%-12345X\r\n%PDF-1.4" + object) << u"pdf"_s;
        QTest::newRow("pdf header after junk, no object after it")
            << u"/a/b"_s << QByteArray("\x01\x02%PDF-1.4\n%\xE2\xE3\n") << u"text"_s;
        QTest::newRow("text that mentions the header")
            << u"/a/notes.txt"_s
            << QByteArray("A PDF file starts with %PDF-1.7, then objects such as 1 0 obj.")
            << u"text"_s;
        QTest::newRow("a page that mentions the header")
            << u"/a/page.html"_s << QByteArray("<p>%PDF-1.7\n1 0 obj</p>") << u"html"_s;
        QTest::newRow("pdf header past the first kilobyte")
            << u"/a/b.txt"_s << QByteArray(QByteArray(1100, ' ') + "%PDF-1.7") << u"text"_s;
        QTest::newRow("empty file named .pdf") << u"/a/b.pdf"_s << QByteArray() << u"pdf"_s;
    }

    void signatureThenExtension()
    {
        QFETCH(QString, path);
        QFETCH(QByteArray, head);
        QFETCH(QString, format);
        const DocumentFormat &found = formatOf(path, head);
        QCOMPARE(found.name.toString(), format);
        QCOMPARE(isKnownDocument(found), format != u"text"_s);
    }

    void addFilesFilter_listsEveryFormat()
    {
        QCOMPARE(addFilesFilter(), u"Documents (*.txt *.htm *.html *.docx *.odt *.epub *.pdf)"_s);
    }

    void readDocumentText_goesByContent()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"letter.txt"_s);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(docxOf("<w:p><w:r><w:t>Dear reader,</w:t></w:r></w:p><w:p><w:r><w:t>Hello."
                          "</w:t></w:r></w:p>"));
        file.close();
        QCOMPARE(formatOfFile(path).name.toString(), u"docx"_s);
        QCOMPARE(readDocumentText(path), u"Dear reader,\r\n\r\nHello."_s);
    }
};

QTEST_GUILESS_MAIN(DocumentFormatsTest)
#include "tst_documentformats.moc"
