#include "PdfFixture.h"
#include "ZipFixture.h"
#include "platform/Failure.h"
#include "reading/documents/DocumentFormats.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

QByteArray para(const QByteArray &text)
{
    return "<w:p><w:r><w:t>" + text + "</w:t></w:r></w:p>";
}

QByteArray chapter(const QByteArray &text)
{
    return "<html><body><p>" + text + "</p></body></html>";
}

const QByteArray OneChapter =
    "<item id=\"c\" href=\"c.xhtml\" media-type=\"application/xhtml+xml\"/>";
const QByteArray SpineOfOne = "<itemref idref=\"c\"/>";

} // namespace

class DocumentSafetyTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hostileFiles_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("text");    // when it is read
        QTest::addColumn<QString>("failure"); // else part of the one report

        // Parts that claim more than the budget (the budget itself, on
        // what is inflated whatever the claim, is tested in
        // tst_zipcontainer, as are the lies the other way).
        const quint32 claimed = 500 << 20;
        const QString bomb = u"unpacks to more than 400 MB (a zip bomb?)"_s;
        QTest::newRow("docx bomb")
            << u"a.docx"_s << withClaimedSizes(docxOf(para("a")), claimed) << QString() << bomb;
        QTest::newRow("odt bomb") << u"a.odt"_s
                                  << withClaimedSizes(odtOf("<text:p>a</text:p>"), claimed)
                                  << QString() << bomb;
        QTest::newRow("epub bomb")
            << u"a.epub"_s
            << withClaimedSizes(epubOf(OneChapter, SpineOfOne, {{"c.xhtml", chapter("a")}}),
                                claimed)
            << QString() << bomb;

        QTest::newRow("entities declared, never expanded nor fetched")
            << u"a.docx"_s
            << docxOf(para("x &b; &ext; y"), {},
                      "<!DOCTYPE w:document [<!ENTITY a \"aaaaaaaaaa\">"
                      "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">"
                      "<!ENTITY ext SYSTEM \"file:///etc/hostname\">]>")
            << u"x &b; &ext; y"_s << QString();

        QByteArray deep;
        for (int i = 0; i < 100000; ++i)
            deep += "<w:customXml>";
        deep += para("deep");
        for (int i = 0; i < 100000; ++i)
            deep += "</w:customXml>";
        // Bytes that do not compress, so that the limit is not the bomb's.
        QByteArray noise(1 << 20, Qt::Uninitialized);
        quint32 state = 7;
        for (char &b : noise) {
            state = state * 1664525u + 1013904223u;
            b = char(state >> 24);
        }
        QTest::newRow("deeply nested XML")
            << u"a.docx"_s << docxOf(deep, {}, "<!--" + noise.toBase64() + "-->") << QString()
            << u"nests more than 1000 levels deep"_s;

        const QByteArray document = "<w:document " + WordNamespace + "><w:body>" + para("Inside") +
                                    "</w:body></w:document>";
        QTest::newRow("names climbing out of the archive are never followed")
            << u"a.docx"_s
            << zipOf({{"[Content_Types].xml", "<Types/>"},
                      {"_rels/.rels", "<Relationships><Relationship Type=\"x/officeDocument\" "
                                      "Target=\"../../../../etc/hostname\"/></Relationships>"},
                      {"../../evil.xml", document},
                      {"/etc/hostname", "EVIL"},
                      {"word/document.xml", document}})
            << u"Inside"_s << QString();
        QTest::newRow("an EPUB package outside the archive")
            << u"a.epub"_s
            << epubOf(OneChapter, SpineOfOne, {{"c.xhtml", chapter("x")}}, "../../etc/passwd")
            << QString() << u"names no package"_s;

        const QByteArray whole = docxOf(para("Some text that fills the archive a little."));
        QTest::newRow("truncated docx") << u"a.docx"_s << whole.left(whole.size() / 2) << QString()
                                        << u"it is damaged: it is not a complete zip archive"_s;
        const QByteArray pdf = writePdf({{u"Text on a page."_s}}).bytes;
        QTest::newRow("truncated pdf")
            << u"a.pdf"_s << pdf.left(pdf.size() / 3) << QString() << u"it is damaged"_s;
        QTest::newRow("pdf that is no pdf")
            << u"a.pdf"_s << QByteArray("%PDF-1.7\n" + QByteArray(5000, '\x7f')) << QString()
            << u"it is damaged"_s;

        const QString encrypted = u"it is encrypted"_s;
        QTest::newRow("encrypted docx (a compound file)")
            << u"a.docx"_s << QByteArray("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1" + QByteArray(600, '\0'))
            << QString() << encrypted;
        QTest::newRow("encrypted zip entry")
            << u"a.docx"_s
            << zipOf({{"[Content_Types].xml", "<Types/>"}, {"word/document.xml", document, true}})
            << QString() << encrypted;
        QTest::newRow("encrypted odt")
            << u"a.odt"_s
            << odtOf("<text:p>x</text:p>",
                     "<manifest:manifest><manifest:file-entry manifest:full-path=\"content.xml\">"
                     "<manifest:encryption-data/></manifest:file-entry></manifest:manifest>")
            << QString() << encrypted;
        QTest::newRow("encrypted epub")
            << u"a.epub"_s
            << zipOf({{"mimetype", "application/epub+zip"},
                      {"META-INF/container.xml", "<container><rootfiles><rootfile "
                                                 "full-path=\"c.opf\"/></rootfiles></container>"},
                      {"META-INF/encryption.xml",
                       "<encryption><EncryptedData><CipherData><CipherReference URI=\"c.xhtml\"/>"
                       "</CipherData></EncryptedData></encryption>"},
                      {"c.opf", "<package><manifest>" + OneChapter + "</manifest><spine>" +
                                    SpineOfOne + "</spine></package>"},
                      {"c.xhtml", "\x93\x11 ciphered"}})
            << QString() << encrypted;
        QTest::newRow("encrypted pdf") << u"a.pdf"_s << encryptedPdf() << QString() << encrypted;
    }

    // Each file is read whole or gives one Failure naming it, with its reason.
    void hostileFiles()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, text);
        QFETCH(QString, failure);
        QTemporaryDir dir;
        const QString path = dir.filePath(name);
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        try {
            const QString read = readDocumentText(path);
            QVERIFY2(failure.isEmpty(), qPrintable(u"read instead of failing: "_s + read.left(80)));
            QCOMPARE(read, text);
        } catch (const Failure &thrown) {
            const QString description = thrown.description();
            QVERIFY2(!failure.isEmpty(), qPrintable(description));
            QVERIFY2(description.startsWith(u"Cannot read \""_s + path + u"\": "_s),
                     qPrintable(description));
            QVERIFY2(description.contains(failure), qPrintable(description));
        }
        // Nothing was written anywhere from the archive's names.
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
                 QStringList{name});
    }
};

QTEST_MAIN(DocumentSafetyTest)
#include "tst_documentsafety.moc"
