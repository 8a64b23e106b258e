#include "ZipFixture.h"
#include "platform/Failure.h"
#include "reading/documents/OfficeText.h"

#include <QTest>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

QByteArray run(const char *text)
{
    return "<w:r><w:t xml:space=\"preserve\">" + QByteArray(text) + "</w:t></w:r>";
}

QByteArray para(const QByteArray &inside)
{
    return "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>" + inside +
           "</w:p>";
}

} // namespace

class OfficeDocumentsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void docx_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("footnotes");
        QTest::addColumn<QString>("text");
        const QByteArray none;
        QTest::newRow("paragraphs, runs joined")
            << para(run("Hel") + run("lo.")) + para(run("Two.")) << none << u"Hello.\r\n\r\nTwo."_s;
        QTest::newRow("tab, line break, two breaks as one")
            << para(run("a") + "<w:r><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:br/><w:cr/></w:r>" +
                    run("d"))
            << none << u"a\tb\r\nc\r\nd"_s;
        QTest::newRow("empty and blank paragraphs leave no trace")
            << para({}) + para(run("x")) + para(run("   ")) + "<w:p/>" + para(run("y")) << none
            << u"x\r\n\r\ny"_s;
        QTest::newRow("a byte that is not UTF-8 at the very end is U+FFFD, not lost")
            << para(run("a")) + para(run("b\xce")) << none << u"a\r\n\r\nb\uFFFD"_s;
        QTest::newRow("table cells are paragraphs")
            << "<w:tbl><w:tblPr/><w:tr><w:tc><w:tcPr/>" + para(run("A1")) + para(run("A2")) +
                   "</w:tc><w:tc>" + para(run("B")) + "</w:tc></w:tr></w:tbl>" + para(run("After"))
            << none << u"A1\r\n\r\nA2\r\n\r\nB\r\n\r\nAfter"_s;
        QTest::newRow("deleted revisions out, insertions in")
            << para(run("Kept ") + "<w:del><w:r><w:delText>gone </w:delText></w:r></w:del>" +
                    "<w:ins><w:r><w:t>new</w:t></w:r></w:ins>")
            << none << u"Kept new"_s;
        QTest::newRow("field code out, its result in")
            << para(run("Page ") + "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>" +
                    "<w:r><w:instrText> PAGE \\* MERGEFORMAT </w:instrText></w:r>" +
                    "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run("3") +
                    "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>")
            << none << u"Page 3"_s;
        QTest::newRow("a choice's fallback copy is not read twice")
            << para("<mc:AlternateContent><mc:Choice Requires=\"wps\">" + run("Box") +
                    "</mc:Choice><mc:Fallback>" + run("Box") +
                    "</mc:Fallback></mc:AlternateContent>")
            << none << u"Box"_s;
        QTest::newRow("non-ASCII, escapes and a non-breaking hyphen")
            << para(run("Grüße, Привет &amp; &#x4E2D;") + "<w:r><w:noBreakHyphen/></w:r>" +
                    run("文"))
            << none << u"Grüße, Привет & 中-文"_s;
        QTest::newRow("footnotes after the body, separators left out")
            << para(run("Body") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>") + para(run("End"))
            << "<w:footnote w:type=\"separator\" w:id=\"-1\">" + para(run("_____")) +
                   "</w:footnote><w:footnote w:id=\"1\">" + para(run("The note.")) +
                   para(run("Its second paragraph.")) + "</w:footnote>"
            << u"Body\r\n\r\nEnd\r\n\r\nThe note.\r\n\r\nIts second paragraph."_s;
        for (const char *kind : {"drop", "margin"}) {
            QTest::newRow(
                qPrintable(u"a drop cap (%1) starts its paragraph"_s.arg(QLatin1StringView(kind))))
                << "<w:p><w:pPr><w:framePr w:dropCap=\"" + QByteArray(kind) +
                       "\" w:lines=\"3\" w:wrap=\"around\"/></w:pPr>" + run("D") + "</w:p>" +
                       para(run("rop cap.")) + para(run("Next."))
                << none << u"Drop cap.\r\n\r\nNext."_s;
        }
        QTest::newRow("a frame that is no drop cap stays apart")
            << "<w:p><w:pPr><w:framePr w:dropCap=\"none\" w:w=\"2000\"/></w:pPr>" + run("Framed") +
                   "</w:p>" + para(run("Text."))
            << none << u"Framed\r\n\r\nText."_s;
    }

    void docx()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, footnotes);
        QFETCH(QString, text);
        QCOMPARE(docxTextOfBytes(docxOf(body, footnotes)), text);
    }

    void odt_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<QString>("text");
        QTest::newRow("paragraphs and headings; styles hold no text")
            << QByteArray("<text:h>Title</text:h><text:p>One <text:span>two</text:span>.</text:p>")
            << u"Title\r\n\r\nOne two."_s;
        QTest::newRow("white space collapsed, text:s kept")
            << QByteArray("<text:p>  a   b\n c<text:s text:c=\"3\"/>d<text:s/>e </text:p>")
            << u"a b c   d e"_s;
        QTest::newRow("tab and line break")
            << QByteArray("<text:p>a<text:tab/>b<text:line-break/> c</text:p>") << u"a\tb\r\nc"_s;
        QTest::newRow("list items and table cells")
            << QByteArray("<text:list><text:list-item><text:p>Item 1</text:p></text:list-item>"
                          "<text:list-item><text:p>Item 2</text:p></text:list-item></text:list>"
                          "<table:table><table:table-row><table:table-cell><text:p>C1</text:p>"
                          "</table:table-cell><table:table-cell><text:p>C2</text:p>"
                          "</table:table-cell></table:table-row></table:table>")
            << u"Item 1\r\n\r\nItem 2\r\n\r\nC1\r\n\r\nC2"_s;
        QTest::newRow("notes after the body, citations out")
            << QByteArray("<text:p>Body<text:note><text:note-citation>1</text:note-citation>"
                          "<text:note-body><text:p>A note.</text:p></text:note-body></text:note>"
                          " goes on.</text:p><text:p>Next.</text:p>")
            << u"Body goes on.\r\n\r\nNext.\r\n\r\nA note."_s;
        QTest::newRow("tracked deletions and comments out")
            << QByteArray("<text:tracked-changes><text:changed-region><text:deletion><text:p>"
                          "Deleted</text:p></text:deletion></text:changed-region>"
                          "</text:tracked-changes><text:p>Kept<office:annotation><text:p>"
                          "Comment</text:p></office:annotation> text</text:p>")
            << u"Kept text"_s;
        QTest::newRow("text outside paragraphs is no text")
            << QByteArray("<text:list>\f<text:list-item><text:p>Item</text:p></text:list-item>"
                          " stray </text:list>")
            << u"Item"_s;
        QTest::newRow("non-ASCII")
            << QByteArray("<text:p>Żółć – Ελληνικά</text:p>") << u"Żółć – Ελληνικά"_s;
    }

    void odt()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, text);
        QCOMPARE(odtTextOfBytes(odtOf(content)), text);
    }

    // The main part is the one the package's officeDocument relationship
    // names, transitional or Strict; its notes are found from its own
    // relationships.
    void docxMainPart_data()
    {
        QTest::addColumn<QByteArray>("docx");
        QTest::addColumn<QString>("text"); // or the failure
        const auto rels = [](const QByteArray &type, const QByteArray &target) -> QByteArray {
            return "<?xml version=\"1.0\"?><Relationships xmlns=\"http://schemas.openxmlformats."
                   "org/package/2006/relationships\"><Relationship Id=\"rId1\" Type=\"" +
                   type + "\" Target=\"" + target + "\"/></Relationships>";
        };
        const QByteArray transitional =
            "http://schemas.openxmlformats.org/officeDocument/2006/relationships/";
        const QByteArray strict = "http://purl.oclc.org/ooxml/officeDocument/relationships/";
        const auto part = [](const QByteArray &root, const QByteArray &inside) -> QByteArray {
            return "<w:" + root + " " + WordNamespace + ">" + inside + "</w:" + root + ">";
        };
        const QByteArray body = part("document", "<w:body>" + para(run("Main.")) + "</w:body>");
        const QByteArray notes =
            part("footnotes", "<w:footnote w:id=\"1\">" + para(run("Note.")) + "</w:footnote>");
        const QByteArray types = "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/"
                                 "content-types\">";

        QTest::newRow("another name")
            << zipOf({{"[Content_Types].xml", types + "</Types>"},
                      {"_rels/.rels", rels(transitional + "officeDocument", "word/document2.xml")},
                      {"word/document2.xml", body},
                      {"word/document.xml",
                       part("document", "<w:body>" + para(run("Stale.")) + "</w:body>")}})
            << u"Main."_s;
        QTest::newRow("Strict, absolute, its notes beside it")
            << zipOf({{"[Content_Types].xml", types + "</Types>"},
                      {"_rels/.rels", rels(strict + "officeDocument", "/doc/body.xml")},
                      {"doc/body.xml", body},
                      {"doc/_rels/body.xml.rels", rels(strict + "footnotes", "notes.xml")},
                      {"doc/notes.xml", notes}})
            << u"Main.\r\n\r\nNote."_s;
        QTest::newRow("a spreadsheet")
            << zipOf({{"[Content_Types].xml",
                       types + "<Override PartName=\"/xl/workbook.xml\" ContentType=\"application/"
                               "vnd.openxmlformats-officedocument.spreadsheetml.sheet.main+xml\"/>"
                               "</Types>"},
                      {"_rels/.rels", rels(transitional + "officeDocument", "xl/workbook.xml")},
                      {"xl/workbook.xml", "<workbook/>"}})
            << u"it is a spreadsheet, not a document Quillfen reads"_s;
        QTest::newRow("a presentation without content types")
            << zipOf(
                   {{"_rels/.rels", rels(transitional + "officeDocument", "ppt/presentation.xml")},
                    {"ppt/presentation.xml", "<presentation/>"}})
            << u"it is a presentation, not a document Quillfen reads"_s;
    }

    void docxMainPart()
    {
        QFETCH(QByteArray, docx);
        QFETCH(QString, text);
        QString read;
        try {
            read = docxTextOfBytes(docx);
        } catch (const Failure &failure) {
            read = failure.description();
        }
        QCOMPARE(read, text);
    }

    // A large part is parsed in slices cut between elements; wherever they
    // fall (here after every element, and every few hundred bytes), the
    // text is the whole part's.
    void slicedParts_giveTheWholeText_data()
    {
        docx_data();
        QTest::newRow("a drop cap after other properties, a skipped run of deletions")
            << "<w:p><w:pPr><w:pStyle w:val=\"Normal\"/><w:keepNext/><w:framePr "
               "w:dropCap=\"drop\"/><w:tabs><w:tab w:pos=\"1\"/></w:tabs></w:pPr>" +
                   run("D") + "</w:p>" +
                   para(run("rop.") + "<w:del>" + run("a") + run("b") +
                        "<w:r><w:tab/></w:r></w:del>" + run(" Kept."))
            << QByteArray() << u"Drop. Kept."_s;
    }

    void slicedParts_giveTheWholeText()
    {
        QFETCH(QByteArray, body);
        const QByteArray xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!-- a > b -->"
                               "<w:document " +
                               WordNamespace + "><w:body>" + body + "</w:body></w:document>";
        const QString whole = docxPartText(xml);
        for (const qsizetype sliceBytes : {1, 2, 7, 40, 300}) {
            for (const qsizetype pieceBytes : {0, 1, 3, 64})
                QCOMPARE(docxPartText(xml, sliceBytes, pieceBytes), whole);
        }

        const QByteArray content =
            "<?xml version=\"1.0\"?><office:document-content "
            "xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\" "
            "xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\">"
            "<office:automatic-styles><text:p>not text</text:p></office:automatic-styles>"
            "<office:body><office:text><text:h>A <text:s text:c=\"3\"/>heading</text:h>"
            "<text:list><text:list-item><text:p>One<text:tab/>two<text:note><text:note-body>"
            "<text:p>A note.</text:p></text:note-body></text:note></text:p></text:list-item>"
            "</text:list><text:p>Line<text:line-break/>next <text:span>in a span</text:span>"
            "</text:p><text:tracked-changes><text:p>deleted</text:p></text:tracked-changes>"
            "</office:text></office:body></office:document-content>";
        const QString odtWhole = odtContentText(content);
        QCOMPARE(odtWhole,
                 u"A    heading\r\n\r\nOne\ttwo\r\n\r\nLine\r\nnext in a span\r\n\r\nA note."_s);
        for (const qsizetype sliceBytes : {1, 3, 50}) {
            for (const qsizetype pieceBytes : {0, 1, 5})
                QCOMPARE(odtContentText(content, sliceBytes, pieceBytes), odtWhole);
        }
    }

    // A part of hundreds of megabytes of empty elements would build a tree
    // ten times its size at once; sliced, the tree stays small. Here the
    // slices' bounds are checked through a malformed end, reported at its
    // place in the whole part.
    void slicedPart_reportsErrorsAtTheirPlaceInTheWhole()
    {
        QByteArray xml = "<w:document " + WordNamespace + "><w:body>";
        for (int i = 0; i < 1000; ++i)
            xml += "<w:p/>";
        const qsizetype bad = xml.size();
        xml += "<w:p></w:x></w:body></w:document>";
        for (const auto &[sliceBytes, pieceBytes] : {std::pair<qsizetype, qsizetype>{100, 0},
                                                     {100, 1},
                                                     {100, 7},
                                                     {qsizetype(1) << 30, 0}}) {
            try {
                docxPartText(xml, sliceBytes, pieceBytes);
                QFAIL("no failure");
            } catch (const Failure &failure) {
                QVERIFY2(failure.description().contains(u"at byte %1)"_s.arg(bad + 7)),
                         qPrintable(failure.description()));
            }
        }
    }

    // A text of megabytes is kept in blocks of whole paragraphs; blank
    // paragraphs and separators read alike on either side of a block's end.
    void longText_readAlikeAcrossBlocks()
    {
        const QByteArray line(1'500'000, 'x');
        QByteArray body;
        QStringList paragraphs;
        for (int i = 0; i < 8; ++i) {
            const QByteArray text = QByteArray::number(i) + line;
            body += para(run(text.constData())) + "<w:p/>" + para(run("   ")) + "<w:p/>";
            paragraphs << QString::fromLatin1(text);
        }
        body += "<w:p>" + run("a") + "<w:r><w:br/></w:r>" + run("b") + "</w:p>";
        paragraphs << u"a\r\nb"_s;
        QCOMPARE(docxTextOfBytes(docxOf(body)), paragraphs.join(u"\r\n\r\n"_s));
    }

    // A part of 256 MB is inflated as its slices need it: the reader holds
    // about a slice of its XML, never the whole part.
    void bigPart_isNeverHeldWhole()
    {
        const QByteArray paragraph =
            "<w:p w:rsidR=\"00A1B2C3\" w:rsidRDefault=\"00D4E5F6\" w:rsidP=\"00123456\">"
            "<w:pPr><w:pStyle w:val=\"Normal\"/></w:pPr></w:p>";
        constexpr qsizetype PartBytes = qsizetype(256) << 20;
        QByteArray docx =
            docxOf(paragraph.repeated(PartBytes / paragraph.size()) + para(run("End.")));
        const pid_t child = fork();
        if (child == 0) {
            bool read = false;
            try {
                read = docxTextOfBytes(std::move(docx)) == u"End."_s;
            } catch (...) {
            }
            _exit(read ? 0 : 1);
        }
        int status = 0;
        rusage usage{};
        wait4(child, &status, 0, &usage);
        QVERIFY(WIFEXITED(status) && WEXITSTATUS(status) == 0);
        qInfo("peak resident size %ld MiB", usage.ru_maxrss / 1024);
#ifndef QUILLFEN_SANITIZED_BUILD
        // Under the sanitizers memory is not the program's own: no bound.
        QVERIFY2(usage.ru_maxrss < 192 * 1024, QByteArray::number(qlonglong(usage.ru_maxrss)));
#endif
    }
};

QTEST_GUILESS_MAIN(OfficeDocumentsTest)
#include "tst_officedocuments.moc"
