#include "PdfFixture.h"
#include "platform/Failure.h"
#include "reading/IncompleteText.h"
#include "reading/documents/PageOcr.h"
#include "reading/documents/PdfObjectClaims.h"
#include "reading/documents/PdfReading.h"
#include "reading/documents/PdfText.h"
#include "reading/documents/PopplerMessages.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTest>
#include <atomic>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
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

const QStringList Scanned{
    u"The quick brown fox jumps over the lazy dog while the farmer watches from "
    "his porch, drinking coffee and reading yesterday's newspaper."_s,
    u"Scanned letters arrive every morning: invoices, receipts and contracts that "
    "someone printed, signed and fed through an office copier."_s,
    u"Nobody can search them until their words are read again."_s};

// The words of a text in lower case, without punctuation.
QStringList wordsOf(const QString &text)
{
    QStringList words;
    for (const QString &word : text.toLower().split(QRegularExpression(u"[^\\w']+"_s)))
        if (!word.isEmpty())
            words << word;
    return words;
}

// The share of expected's words that found has, each as often as it occurs.
double recall(const QStringList &expected, const QStringList &found)
{
    QHash<QString, int> left;
    for (const QString &word : found)
        ++left[word];
    int hits = 0;
    for (const QString &word : expected) {
        if (left.value(word) > 0) {
            --left[word];
            ++hits;
        }
    }
    return expected.isEmpty() ? 1.0 : double(hits) / double(expected.size());
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
// passes check. A fault there ends the child at once: the test's crash
// handler would wait on locks another thread of the parent held.
template <typename Check> bool passesWithin(qint64 room, Check &&check)
{
    const pid_t child = fork();
    if (child == 0) {
        std::signal(SIGABRT, SIG_DFL);
        std::signal(SIGSEGV, SIG_DFL);
        const rlimit limit{rlim_t(addressSpaceBytes() + room), rlim_t(addressSpaceBytes() + room)};
        setrlimit(RLIMIT_AS, &limit);
        try {
            _exit(check() ? 0 : 1);
        } catch (...) {
            _exit(2);
        }
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// Whether a child process whose address space may grow by room bytes
// reads pdf, finding expected in its text.
bool readsWithin(const QByteArray &pdf, qint64 room, const QString &expected)
{
    return passesWithin(room, [&] { return pdfTextOfBytes(pdf).contains(expected); });
}

// Whether pdf, read as the PDF module reads it, is refused within room
// bytes for a reason that holds because.
bool refusedWithin(const QByteArray &pdf, qint64 room, const QString &because)
{
    return passesWithin(room, [&] {
        const PdfReadResult read = readPdfBytes(pdf, ReadingChoices());
        return read.kind == PdfReadResult::Failed && read.problem.contains(because);
    });
}

// One page of text in a cross-reference table, claiming nothing odd.
QByteArray onePagePdf()
{
    return rawPdf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                   "<< /Type /Page /Parent 2 0 R /MediaBox [0 0 612 792] /Contents 4 0 R "
                   "/Resources << /Font << /F 5 0 R >> >> >>",
                   streamObject({}, "BT /F 12 Tf 72 700 Td (The only page) Tj ET"),
                   "<< /Type /Font /Subtype /Type1 /BaseFont /Helvetica >>"});
}

// onePagePdf whose first object is a linearization dictionary that claims
// pages: its length (/L) is the file's, so poppler believes it; the table
// no longer matches and is rebuilt from the objects.
QByteArray linearizedPdf(int pages)
{
    QByteArray pdf = onePagePdf();
    pdf.insert(9, "9 0 obj << /Linearized 1 /L 0000000000 /H [0 0] /O 3 /E 0 /N " +
                      QByteArray::number(pages) + " /T 0 >> endobj\n");
    const QByteArray length = "/L " + QByteArray::number(pdf.size()).rightJustified(10, '0');
    return pdf.replace("/L 0000000000", length);
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

        const QStringList three{Long, u"A short one."_s,
                                u"And the last paragraph, "
                                "which has Ünïcødé, Кириллица "
                                "and Ελληνικά in it too."_s};
        QTest::newRow("wrapped lines joined, paragraphs by their gap")
            << three << 8.0 << 0.0 << false << 1 << false;
        QTest::newRow("with a gap between paragraphs, a line ended early is a line break")
            << QStringList{Long + u"\nAfter the break."_s, u"Next."_s, u"Last."_s} << 8.0 << 0.0
            << false << 1 << false;
        QTest::newRow("paragraphs by a first-line indent")
            << three << 0.0 << 24.0 << false << 1 << false;
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

    // The second page never ends; the first one's text is kept.
    void documentOverItsTime_keepsTheTextReadBefore()
    {
        const QByteArray pdf = nestedFormsPdf(8, 20, "First page.");
        ReadingChoices choices;
        choices.documentTimeout = std::chrono::milliseconds(300);
        try {
            pdfTextOfBytes(pdf, choices);
            QFAIL("read whole");
        } catch (const IncompleteText &partial) {
            QCOMPARE(partial.text(), u"First page."_s);
            QVERIFY2(partial.description().contains(u"took more than 0.3 s"_s) &&
                         partial.description().contains(u"first 1 of 2 pages"_s),
                     qPrintable(partial.description()));
        }
    }

    void documentWithoutTextLayer_isToldApart()
    {
        try {
            pdfTextOfBytes(pageWithoutTextPdf());
            QFAIL("no notice");
        } catch (const IncompleteText &partial) {
            QCOMPARE(partial.text(), QString());
            QVERIFY2(partial.description().contains(u"no text layer"_s) &&
                         partial.description().contains(u"OCR"_s),
                     qPrintable(partial.description()));
        }
    }

    void scannedPage_readByOcr_data()
    {
        QTest::addColumn<int>("quarterTurns");
        QTest::newRow("upright") << 0;
        QTest::newRow("turned a quarter clockwise") << 1;
        QTest::newRow("upside down") << 2;
        QTest::newRow("turned three quarters") << 3;
    }

    void scannedPage_readByOcr()
    {
        QFETCH(int, quarterTurns);
        ReadingChoices choices;
        choices.ocr = true;
        const QString text = pdfTextOfBytes(scannedPdf(Scanned, quarterTurns), choices);
        const double found = recall(wordsOf(Scanned.join(u' ')), wordsOf(text));
        QVERIFY2(found >= 0.95, qPrintable(QString::number(found) + u": "_s + text));
        // The paragraphs are rebuilt as a text layer's are.
        QCOMPARE(text.count(u"\r\n\r\n"_s), Scanned.size() - 1);
    }

    // Tesseract's OpenMP teams would wait on each other's cores with -j 2
    // (and left to the pool, stay): an engine reads on its own thread only.
    void ocr_startsNoThreadsOfItsOwn()
    {
        auto threads = [] {
            return QDir(u"/proc/self/task"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size();
        };
        qsizetype before = 0;
        qsizetype after = 0;
        QString text;
        QString failure;
        std::thread reader([&] {
            ReadingChoices choices;
            choices.ocr = true;
            before = threads();
            try {
                text = pdfTextOfBytes(scannedPdf(Scanned, 0), choices);
            } catch (const Failure &f) {
                failure = f.description();
            }
            after = threads();
        });
        reader.join();
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
        QVERIFY(!text.isEmpty());
        QCOMPARE(after, before);
    }

    void scannedPage_withoutOcr_isToldApart()
    {
        try {
            pdfTextOfBytes(scannedPdf(Scanned, 0));
            QFAIL("no notice");
        } catch (const IncompleteText &partial) {
            QVERIFY(partial.description().contains(u"no text layer"_s));
        }
    }

    // A stopped run reads no more pages by OCR, and what it kept is no
    // failure.
    void scannedPage_afterAStop_isNotReadByOcr()
    {
        const std::atomic<bool> stopped = true;
        ReadingChoices choices;
        choices.ocr = true;
        choices.cancelled = &stopped;
        QCOMPARE(pdfTextOfBytes(scannedPdf(Scanned, 0), choices), QString());
    }

    void ocrModels_missingOneNamesItsPackage_data()
    {
        QTest::addColumn<QString>("languages");
        QTest::addColumn<QString>("problem");
        QTest::newRow("installed") << u"eng"_s << QString();
        QTest::newRow("one of two missing")
            << u"eng+zz_top"_s
            << u"there is no OCR model \"zz_top\": install the Debian package tesseract-ocr-zz-top"_s;
        QTest::newRow("not a list")
            << u"eng+"_s << u"\"eng+\" is not a list of OCR models such as eng+deu"_s;
        QTest::newRow("no paths") << u"../eng"_s
                                  << u"\"../eng\" is not a list of OCR models such as eng+deu"_s;
    }

    void ocrModels_missingOneNamesItsPackage()
    {
        QFETCH(QString, languages);
        QFETCH(QString, problem);
        QCOMPARE(ocrProblem(languages), problem);
    }

    void pageImage_turnedClockwise()
    {
        // 3 x 2: a b c / d e f.
        const GrayImage image{3, 2, 4, {'a', 'b', 'c', 0, 'd', 'e', 'f', 0}};
        const auto pixels = [](const GrayImage &turned) {
            return QByteArray(reinterpret_cast<const char *>(turned.pixels.data()),
                              qsizetype(turned.pixels.size()));
        };
        const GrayImage quarter = turnedClockwise(image, 1);
        QCOMPARE(quarter.width, 2);
        QCOMPARE(quarter.height, 3);
        QCOMPARE(pixels(quarter), QByteArray("daebfc"));
        QCOMPARE(pixels(turnedClockwise(image, 2)), QByteArray("fedcba"));
        QCOMPARE(pixels(turnedClockwise(image, 3)), QByteArray("cfbead"));

        // 5 x 3 halved: the odd row and column drop, each pixel the mean of four.
        const GrayImage odd{5, 3, 5, {0, 4, 8, 8, 9, 2, 2, 0, 4, 9, 9, 9, 9, 9, 9}};
        const GrayImage half = halved(odd);
        QCOMPARE(half.width, 2);
        QCOMPARE(half.height, 1);
        QCOMPARE(pixels(half), QByteArray("\x02\x05"));
    }

    // poppler itself keeps about 40 bytes for each object the document
    // claims, and as much again while it reads a page (it copies its
    // cross-reference table); the reader must add nothing per claimed page.
    void pageCountClaimedByNothing_costsNoMemory()
    {
        constexpr int Claimed = 1'000'000;
        const QByteArray pdf = manyPagesClaimedPdf(Claimed);
        QVERIFY(pdf.size() < 2000);
        QVERIFY(readsWithin(pdf, 92LL * Claimed + (48 << 20), u"The only page"_s));
    }

    // poppler makes room for every object number claimed before it reads
    // an object: 33 million cost 1.3 to 2.6 GB. Each is refused in a few
    // megabytes, whichever place claims it.
    void roomClaimedBeyondTheBytes_isRefused_data()
    {
        QTest::addColumn<QByteArray>("pdf");
        QTest::addColumn<QString>("claim");
        const QByteArray plain = onePagePdf();
        QTest::newRow("trailer") << QByteArray(plain).replace("/Size 6 ", "/Size 33000000 ")
                                 << u"room for 33000000 objects (/Size 33000000)"_s;
        QTest::newRow("table subsection")
            << QByteArray(plain).replace("xref\n0 6\n", "xref\n0 33000000\n")
            << u"(cross-reference subsection 0 33000000)"_s;
        QTest::newRow("cross-reference stream")
            << manyPagesClaimedPdf(33'000'000) << u"(/Size 33000000)"_s;
        QTest::newRow("cross-reference stream index")
            << manyPagesClaimedPdf(1).replace("/Index [0 7]", "/Index [0 7 33000000 1]")
            << u"room for 33000001 objects (/Index [33000000 1])"_s;
        // A table that does not lead anywhere is rebuilt from the objects.
        QTest::newRow("object number, table rebuilt")
            << QByteArray(plain).replace("startxref\n", "startxref\n9") +
                   "33000000 0 obj\n<< >>\nendobj\n"
            << u"room for 33000192 objects (object number 33000000)"_s;
        QTest::newRow("linearized page count")
            << linearizedPdf(33'000'000) << u"(linearized page count /N 33000000)"_s;
    }

    void roomClaimedBeyondTheBytes_isRefused()
    {
        QFETCH(QByteArray, pdf);
        QFETCH(QString, claim);
        QVERIFY(pdf.size() < 2000);
        QVERIFY(refusedWithin(pdf, 64 << 20, claim));
    }

    void roomClaims_foundWherePopplerReadsThem_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<qint64>("count");
        QTest::addColumn<QString>("what");
        QTest::newRow("largest /Size")
            << QByteArray("<< /Size 12 >> << /Size 40 >> << /Size 7 >>") << 40LL << u"/Size 40"_s;
        QTest::newRow("comment and line break before the number")
            << QByteArray("/Size % the count\r\n 77") << 77LL << u"/Size 77"_s;
        QTest::newRow("a longer name, a real, beyond an int, negative: no count")
            << QByteArray("/SizeX 99999 /Size 5.0 /Size 3000000000 /Size -9 /Indexed [0 99999]")
            << 0LL << QString();
        QTest::newRow("startxref is no table")
            << QByteArray("startxref\n99999999\n%%EOF") << 0LL << QString();
        // Entries are skipped, not taken for subsections ("0000000000 65535").
        QTest::newRow("table subsections")
            << QByteArray("xref\n0 2\n0000000000 65535 f \n0000500000 00000 n \n7 1\n"
                          "0000000100 00000 n \ntrailer")
            << 8LL << u"cross-reference subsection 7 1"_s;
        QTest::newRow("index pairs")
            << QByteArray("/Index [0 7 100 5]") << 105LL << u"/Index [100 5]"_s;
        QTest::newRow("object number to the next 256, references and endobj not")
            << QByteArray("300 0 obj << /P 9000 0 R >> endobj 9999 endobj") << 512LL
            << u"object number 300"_s;
        QTest::newRow("object number of ten digits may be any")
            << QByteArray("\n12345678901 0 obj") << 2147483392LL << u"object number 12345678901"_s;
        QTest::newRow("linearized page count")
            << QByteArray("%PDF-1.5\n1 0 obj << /Linearized 1 /L 900 /N 5000 >> endobj") << 5000LL
            << u"linearized page count /N 5000"_s;
        QTest::newRow("/N of a first object not linearized")
            << QByteArray("%PDF-1.5\n1 0 obj << /N 5000 >> endobj") << 256LL
            << u"object number 1"_s;
    }

    void roomClaims_foundWherePopplerReadsThem()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(qint64, count);
        QFETCH(QString, what);
        const PdfRoomClaim claim = largestRoomClaim(bytes);
        QCOMPARE(claim.count, count);
        QCOMPARE(claim.what, what);
    }

    void roomAllowed_growsWithTheBytesBetweenBounds()
    {
        QCOMPARE(objectRoomAllowed(600), 1LL << 20);
        QCOMPARE(objectRoomAllowed(24LL << 20), 3LL << 20);
        QCOMPARE(objectRoomAllowed(1LL << 30), 1LL << 22);
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
