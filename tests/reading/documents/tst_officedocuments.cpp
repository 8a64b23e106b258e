#include "ZipFixture.h"
#include "reading/documents/OfficeText.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

QByteArray run(const char *text)
{
    return "<w:r><w:t xml:space=\"preserve\">" + QByteArray(text) + "</w:t></w:r>";
}

QByteArray para(const QByteArray &inside)
{
    return "<w:p><w:pPr><w:tabs><w:tab w:val=\"left\" w:pos=\"720\"/></w:tabs></w:pPr>" + inside
        + "</w:p>";
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
        QTest::newRow("paragraphs, runs joined") << para(run("Hel") + run("lo.")) + para(run("Two."))
                                                 << none << u"Hello.\r\n\r\nTwo."_s;
        QTest::newRow("tab, line break, two breaks as one")
            << para(run("a") + "<w:r><w:tab/><w:t>b</w:t><w:br/><w:t>c</w:t><w:br/><w:cr/></w:r>"
                    + run("d"))
            << none << u"a\tb\r\nc\r\nd"_s;
        QTest::newRow("empty and blank paragraphs leave no trace")
            << para({}) + para(run("x")) + para(run("   ")) + "<w:p/>" + para(run("y")) << none
            << u"x\r\n\r\ny"_s;
        QTest::newRow("table cells are paragraphs")
            << "<w:tbl><w:tblPr/><w:tr><w:tc><w:tcPr/>" + para(run("A1")) + para(run("A2"))
                   + "</w:tc><w:tc>" + para(run("B")) + "</w:tc></w:tr></w:tbl>" + para(run("After"))
            << none << u"A1\r\n\r\nA2\r\n\r\nB\r\n\r\nAfter"_s;
        QTest::newRow("deleted revisions out, insertions in")
            << para(run("Kept ") + "<w:del><w:r><w:delText>gone </w:delText></w:r></w:del>"
                    + "<w:ins><w:r><w:t>new</w:t></w:r></w:ins>")
            << none << u"Kept new"_s;
        QTest::newRow("field code out, its result in")
            << para(run("Page ") + "<w:r><w:fldChar w:fldCharType=\"begin\"/></w:r>"
                    + "<w:r><w:instrText> PAGE \\* MERGEFORMAT </w:instrText></w:r>"
                    + "<w:r><w:fldChar w:fldCharType=\"separate\"/></w:r>" + run("3")
                    + "<w:r><w:fldChar w:fldCharType=\"end\"/></w:r>")
            << none << u"Page 3"_s;
        QTest::newRow("a choice's fallback copy is not read twice")
            << para("<mc:AlternateContent><mc:Choice Requires=\"wps\">" + run("Box")
                    + "</mc:Choice><mc:Fallback>" + run("Box") + "</mc:Fallback></mc:AlternateContent>")
            << none << u"Box"_s;
        QTest::newRow("non-ASCII, escapes and a non-breaking hyphen")
            << para(run("Grüße, Привет &amp; &#x4E2D;") + "<w:r><w:noBreakHyphen/></w:r>" + run("文"))
            << none << u"Grüße, Привет & 中-文"_s;
        QTest::newRow("footnotes after the body, separators left out")
            << para(run("Body") + "<w:r><w:footnoteReference w:id=\"1\"/></w:r>") + para(run("End"))
            << "<w:footnote w:type=\"separator\" w:id=\"-1\">" + para(run("_____"))
                   + "</w:footnote><w:footnote w:id=\"1\">" + para(run("The note."))
                   + para(run("Its second paragraph.")) + "</w:footnote>"
            << u"Body\r\n\r\nEnd\r\n\r\nThe note.\r\n\r\nIts second paragraph."_s;
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
        QTest::newRow("non-ASCII") << QByteArray("<text:p>Żółć – Ελληνικά</text:p>")
                                   << u"Żółć – Ελληνικά"_s;
    }

    void odt()
    {
        QFETCH(QByteArray, content);
        QFETCH(QString, text);
        QCOMPARE(odtTextOfBytes(odtOf(content)), text);
    }
};

QTEST_GUILESS_MAIN(OfficeDocumentsTest)
#include "tst_officedocuments.moc"
