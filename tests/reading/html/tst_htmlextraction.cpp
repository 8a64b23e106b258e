#include "MemorySettingsArea.h"
#include "RunDoubles.h"
#include "TreeFixture.h"
#include "cli/CommandLine.h"
#include "core/ApplicationError.h"
#include "core/ReportSites.h"
#include "extract/FileExtraction.h"
#include "reading/documents/DocumentFormats.h"
#include "reading/html/HtmlRendering.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTest>
#include <random>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

const QByteArray NewsPage = R"html(<!DOCTYPE html>
<html><head><title>Ignored</title><style>p { color: red }</style></head><body>
<h1>Town news</h1>
<p>The market opens at nine. Bring a bag.</p>
<p>Is the bridge open? Yes, since <b>May</b>.</p>
<table>
  <tr><td>Mon</td><td>open</td></tr>
  <tr><td>Tue</td><td>shut</td></tr>
</table>
<script>document.write("never shown")</script>
</body></html>
)html";

const QString NewsText = u"Town news\r\n\r\nThe market opens at nine. Bring a bag.\r\n\r\n"
                         u"Is the bridge open? Yes, since May.\r\n\r\nMon\topen\r\nTue\tshut"_s;

const QStringList NewsParagraphs{u"Town news"_s, u"The market opens at nine. Bring a bag."_s,
                                 u"Is the bridge open?"_s, u" Yes, since May."_s,
                                 u"Mon\topen\rTue\tshut"_s};
// In a sentence, a run of blanks that holds a line end is one space.
const QStringList NewsSentences{u"Town news The market opens at nine."_s, u"Bring a bag."_s,
                                u"Is the bridge open?"_s, u" Yes, since May."_s,
                                u"Mon\topen Tue\tshut."_s};

const QByteArray TaggedText = "<p>Tags stay.</p>\r\n\r\n<b>Bold</b>";

QString failureOf(const QString &path)
{
    try {
        readDocumentText(path);
    } catch (const Failure &failure) {
        return failure.description();
    }
    return {};
}

} // namespace

class HtmlExtractionTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;

    int runInProcess(const QStringList &arguments, QByteArray &out, QByteArray &err)
    {
        QBuffer outBuffer(&out);
        QBuffer errBuffer(&err);
        outBuffer.open(QIODevice::WriteOnly);
        errBuffer.open(QIODevice::WriteOnly);
        MemorySettingsArea settings;
        return runCommandLine(arguments, {outBuffer, errBuffer, false}, settings);
    }

private Q_SLOTS:
    void initTestCase()
    {
        m_tree.write(u"news.html"_s, NewsPage);
        m_tree.write(u"SHOUT.HTM"_s, "<div>Upper case extension.</div>");
        m_tree.write(u"index.txt"_s, TaggedText);
        m_tree.write(u"only.html"_s, "<p>Only one.</p>");
        m_tree.write(u"empty.html"_s, "");
        m_tree.write(u"bodyless.htm"_s, "<html><head><title>Nothing</title></head></html>");
        QVERIFY(QDir(m_tree.root()).mkdir(u"folder.htm"_s));
        QVERIFY(QDir(m_tree.root()).mkdir(u"pages.html"_s));
        m_tree.write(u"pages.html/notes"_s, "<p>read as text</p>");
    }

    void readDocumentText_givesAPagesRenderedText()
    {
        QCOMPARE(readDocumentText(m_tree.path(u"news.html"_s)), NewsText);
        QCOMPARE(readDocumentText(m_tree.path(u"empty.html"_s)), QString());
        QCOMPARE(readDocumentText(m_tree.path(u"bodyless.htm"_s)), QString());
    }

    void readDocumentText_failsForWhatCannotBeRead()
    {
        const QString missing = m_tree.path(u"missing.html"_s);
        QVERIFY(failureOf(missing).contains(missing));
        const QString folder = m_tree.path(u"folder.htm"_s);
        QVERIFY(failureOf(folder).contains(folder));
    }

    void extractFile_givesRows_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<ExtractMode>("mode");
        QTest::addColumn<QStringList>("rows");

        QTest::newRow("html, paragraphs")
            << u"news.html"_s << ExtractMode::Paragraph << NewsParagraphs;
        QTest::newRow("html, sentences")
            << u"news.html"_s << ExtractMode::Sentence << NewsSentences;
        QTest::newRow("upper-case htm, paragraphs")
            << u"SHOUT.HTM"_s << ExtractMode::Paragraph << QStringList{u"Upper case extension."_s};
        QTest::newRow("upper-case htm, sentences")
            << u"SHOUT.HTM"_s << ExtractMode::Sentence << QStringList{u"Upper case extension."_s};
        QTest::newRow("text file keeps its tags, paragraphs")
            << u"index.txt"_s << ExtractMode::Paragraph
            << QStringList{u"<p>Tags stay.</p>"_s, u"<b>Bold</b>"_s};
        QTest::newRow("text file keeps its tags, sentences")
            << u"index.txt"_s << ExtractMode::Sentence
            << QStringList{u"<p>Tags stay."_s, u"</p> <b>Bold</b>."_s};
        QTest::newRow("a .html folder's file is text")
            << u"pages.html/notes"_s << ExtractMode::Paragraph
            << QStringList{u"<p>read as text</p>"_s};
        QTest::newRow("empty page") << u"empty.html"_s << ExtractMode::Paragraph << QStringList();
        QTest::newRow("page without body")
            << u"bodyless.htm"_s << ExtractMode::Sentence << QStringList();
    }

    void extractFile_givesRows()
    {
        QFETCH(QString, name);
        QFETCH(ExtractMode, mode);
        QFETCH(QStringList, rows);
        StringRows sink;
        const auto failure = extractFile(m_tree.path(name), RunChoices{mode, {}, {}, {}}, sink);
        QVERIFY(!failure);
        QCOMPARE(sink.rows, rows);
    }

    void run_readsPagesAndTextFiles_data()
    {
        QTest::addColumn<ExtractMode>("mode");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("paragraphs")
            << ExtractMode::Paragraph
            << (NewsParagraphs +
                QStringList{u"Upper case extension."_s, u"<p>Tags stay.</p>"_s, u"<b>Bold</b>"_s});
        QTest::newRow("sentences")
            << ExtractMode::Sentence
            << (NewsSentences + QStringList{u"Upper case extension."_s, u"<p>Tags stay."_s,
                                            u"</p> <b>Bold</b>."_s});
    }

    void run_readsPagesAndTextFiles()
    {
        QFETCH(ExtractMode, mode);
        QFETCH(QStringList, rows);
        RunFixture fixture;
        fixture.options.current.mode = mode;
        fixture.inputs.rows = {m_tree.path(u"news.html"_s), m_tree.path(u"SHOUT.HTM"_s),
                               m_tree.path(u"index.txt"_s)};
        fixture.run.start();
        QCOMPARE(fixture.results.all(), rows);
        QCOMPARE(fixture.platform.shownMessages(), QStringList{u"Done."_s});
    }

    // A page that cannot be read is reported once and gives no rows; the
    // previous page's text is not taken again, and a failing first page
    // does not stop the run.
    void run_unreadablePage_isReportedOnceAndGivesNoRows()
    {
        RunFixture fixture;
        const QString missing = m_tree.path(u"missing.html"_s);
        const QString folder = m_tree.path(u"folder.htm"_s);
        fixture.inputs.rows = {missing, m_tree.path(u"only.html"_s), folder,
                               m_tree.path(u"empty.html"_s)};
        fixture.run.start();
        QCOMPARE(fixture.results.all(), QStringList{u"Only one."_s});
        QCOMPARE(fixture.platform.shownMessages(),
                 (QStringList{u"2 files could not be read:\n"_s + failureOf(missing) + u"\n"_s +
                                  failureOf(folder),
                              u"Done."_s}));
        QVERIFY(!fixture.run.isRunning());
    }

    void run_binaryJunkPage_isReadLikeAnyPage()
    {
        std::mt19937 random(1234);
        QByteArray junk(256 * 1024, Qt::Uninitialized);
        for (char &byte : junk)
            byte = char(random());
        RunFixture fixture;
        fixture.inputs.rows = {m_tree.write(u"junk.html"_s, junk), m_tree.path(u"only.html"_s)};
        fixture.run.start();
        QCOMPARE(fixture.platform.shownMessages(), QStringList{u"Done."_s});
        QVERIFY(fixture.results.all().contains(u"Only one."_s));
    }

    void cliText_writesEachFilesWholeText()
    {
        QByteArray out, err;
        QCOMPARE(
            runInProcess({u"--text"_s, m_tree.path(u"news.html"_s), m_tree.path(u"index.txt"_s)},
                         out, err),
            0);
        QCOMPARE(out, NewsText.toUtf8() + TaggedText);
        QCOMPARE(err, QByteArray());
    }

    void cliText_nulAfterEachText()
    {
        QByteArray out, err;
        QCOMPARE(runInProcess({u"--text"_s, u"-0"_s, m_tree.path(u"only.html"_s),
                               m_tree.path(u"empty.html"_s), m_tree.path(u"SHOUT.HTM"_s)},
                              out, err),
                 0);
        QCOMPARE(out, QByteArray("Only one.\0\0Upper case extension.\0", 33));
    }

    void cliText_unreadableFile_isReportedAndWritesNothing()
    {
        QByteArray out, err;
        const QString missing = m_tree.path(u"missing.html"_s);
        QCOMPARE(
            runInProcess({u"--text"_s, u"-0"_s, missing, m_tree.path(u"only.html"_s)}, out, err),
            1);
        QCOMPARE(out, QByteArray("Only one.\0", 10));
        QVERIFY(err.startsWith("quillfen-cli: "));
        QVERIFY(err.contains(missing.toUtf8()));
        QCOMPARE(err.count('\n'), 1);
    }

    void cliText_usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("-0 without --text") << QStringList{u"-0"_s, u"a.html"_s};
        QTest::newRow("--text with --format")
            << QStringList{u"--text"_s, u"--format"_s, u"json"_s, u"a.html"_s};
        QTest::newRow("--text without files") << QStringList{u"--text"_s};
    }

    void cliText_usageErrors()
    {
        QFETCH(QStringList, arguments);
        QByteArray out, err;
        QCOMPARE(runInProcess(arguments, out, err), 2);
        QCOMPARE(out, QByteArray());
    }

    void cliRows_readPagesAsTheRunDoes()
    {
        QByteArray out, err;
        QCOMPARE(runInProcess({u"--paragraphs"_s, u"--format=text"_s, m_tree.path(u"news.html"_s)},
                              out, err),
                 0);
        QCOMPARE(out, (NewsParagraphs.join(u"\r\n"_s) + u"\r\n"_s).toUtf8());
    }
};

QTEST_GUILESS_MAIN(HtmlExtractionTest)
#include "tst_htmlextraction.moc"
