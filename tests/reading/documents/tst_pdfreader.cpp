#include "PdfFixture.h"
#include "platform/Failure.h"
#include "reading/documents/PdfText.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

const QString Long =
    u"Paragraphs of a printed page wrap into lines that a reader of the file has to join "
    "again, with one space between the words that ended one line and began the next."_s;

QString unmarked(const QString &text)
{
    return QString(text).remove(u'|');
}

} // namespace

class PdfReaderTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void paragraphs_data()
    {
        QTest::addColumn<QStringList>("paragraphs");
        QTest::addColumn<double>("gap");
        QTest::addColumn<double>("indent");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("pages");
        QTest::addColumn<bool>("hyphenated");

        const QStringList three{Long, u"A short one."_s, u"And the last paragraph, "
                                                         "which has Ünïcødé, Кириллица "
                                                         "and Ελληνικά in it too."_s};
        QTest::newRow("wrapped lines joined, paragraphs by their gap")
            << three << 8.0 << 0.0 << false << 1 << false;
        QTest::newRow("with a gap between paragraphs, a line ended early is a line break")
            << QStringList{Long + u"\nAfter the break."_s, u"Next."_s, u"Last."_s} << 8.0 << 0.0 << false << 1
            << false;
        QTest::newRow("paragraphs by a first-line indent") << three << 0.0 << 24.0 << false << 1
                                                           << false;
        QTest::newRow("hyphens at line ends removed")
            << QStringList{QStringList(3, u"Com|pre|hen|sive un|der|stand|ing of ex|tra|or|di|nary "
                                          "ty|po|graph|i|cal con|ven|tions re|quires pa|tience "
                                          "and con|sid|er|able at|ten|tion to de|tail."_s)
                               .join(u' '),
                           u"Next."_s}
            << 8.0 << 0.0 << false << 1 << true;
        QStringList many;
        for (int i = 1; i <= 9; ++i)
            many << u"Paragraph %1. "_s.arg(i) + Long;
        QTest::newRow("across page breaks, running header and page numbers out")
            << many << 8.0 << 0.0 << true << 3 << false;
    }

    void paragraphs()
    {
        QFETCH(QStringList, paragraphs);
        QFETCH(double, gap);
        QFETCH(double, indent);
        QFETCH(bool, running);
        QFETCH(int, pages);
        QFETCH(bool, hyphenated);
        PdfPlan plan{paragraphs, gap, indent, running, 250};
        const WrittenPdf pdf = writePdf(plan);
        QCOMPARE(pdf.pages >= pages, true);
        QCOMPARE(pdf.hyphenatedLineEnds > 0, hyphenated);

        QStringList expected;
        for (const QString &paragraph : paragraphs)
            expected << unmarked(paragraph).replace(u'\n', u"\r\n"_s);
        const QString text = pdfTextOfBytes(pdf.bytes);
        QCOMPARE(text.split(u"\r\n\r\n"_s), expected);
    }

    void pageOfFormsOverItsTime_fails()
    {
        const QByteArray pdf = nestedFormsPdf(8, 20);
        try {
            pdfTextOfBytes(pdf, PdfLimits{std::chrono::milliseconds(100)});
            QFAIL("no failure");
        } catch (const Failure &failure) {
            QVERIFY2(failure.description().contains(u"page 1 took more than 100 ms"_s),
                     qPrintable(failure.description()));
        }
    }
};

QTEST_MAIN(PdfReaderTest)
#include "tst_pdfreader.moc"
