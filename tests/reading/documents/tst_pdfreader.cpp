#include "PdfFixture.h"
#include "platform/Failure.h"
#include "reading/documents/PdfText.h"
#include "reading/documents/PopplerMessages.h"

#include <QFile>
#include <QTest>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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

qint64 addressSpaceBytes()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmSize:"))
            return line.mid(7).trimmed().split(' ').value(0).toLongLong() * 1024;
    }
    return -1;
}

// Whether a child process whose address space may grow by room bytes
// reads pdf, finding expected in its text.
bool readsWithin(const QByteArray &pdf, qint64 room, const QString &expected)
{
    const pid_t child = fork();
    if (child == 0) {
        const rlimit limit{rlim_t(addressSpaceBytes() + room), rlim_t(addressSpaceBytes() + room)};
        setrlimit(RLIMIT_AS, &limit);
        try {
            _exit(pdfTextOfBytes(pdf).contains(expected) ? 0 : 1);
        } catch (...) {
            _exit(2);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
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

    // poppler itself keeps about 40 bytes for each object the document
    // claims, and as much again while it reads a page (it copies its
    // cross-reference table); the reader must add nothing per claimed page.
    void pageCountClaimedByNothing_costsNoMemory()
    {
        constexpr int Claimed = 4'000'000;
        const QByteArray pdf = manyPagesClaimedPdf(Claimed);
        QVERIFY(pdf.size() < 2000);
        QVERIFY(readsWithin(pdf, 92LL * Claimed + (48 << 20), u"The only page"_s));
    }

    void popplerMessagesReadAsSentences_data()
    {
        QTest::addColumn<QByteArray>("message");
        QTest::addColumn<QString>("readable");
        QTest::newRow("control character named, place at the end")
            << QByteArray("error (1234): Illegal character <0a> in hex string")
            << u"Illegal character U+000A in hex string (at byte 1234)"_s;
        QTest::newRow("UTF-8 bytes decoded") << QByteArray("error: Unknown font <c3><a9>t<c3><a9>")
                                             << u"Unknown font \u00e9t\u00e9"_s;
        QTest::newRow("escapes of any case, a lone bracket kept")
            << QByteArray("error (7): <0D><0A> and <zz> and <1")
            << u"U+000DU+000A and <zz> and <1 (at byte 7)"_s;
        QTest::newRow("no lead") << QByteArray("plain") << u"plain"_s;
    }

    void popplerMessagesReadAsSentences()
    {
        QFETCH(QByteArray, message);
        QFETCH(QString, readable);
        QCOMPARE(readablePopplerMessage(std::string_view(message.data(), message.size())),
                 readable);
    }
};

QTEST_MAIN(PdfReaderTest)
#include "tst_pdfreader.moc"
