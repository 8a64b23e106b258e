#include "../reading/documents/ZipFixture.h"
#include "RunDoubles.h"
#include "ScriptedPlatform.h"
#include "TreeFixture.h"
#include "UnavailableHtml.h"
#include "abbrev/AbbreviationStore.h"
#include "core/ApplicationError.h"
#include "core/ReportSites.h"
#include "extract/ExtractionRun.h"
#include "extract/FileExtraction.h"
#include "reading/documents/DocumentFormats.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

class ExtractionRunTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;
    ScriptedPlatform m_platform;
    ListInputs m_inputs;
    ListResults m_results;
    FixedOptions m_options;
    FixedAbbreviations m_abbreviations;
    UnavailableHtml m_html;
    InlineWork m_work;

    ExtractionRun makeRun()
    {
        return ExtractionRun({m_platform, m_platform, m_platform, m_platform, m_inputs, m_results,
                              m_options, m_abbreviations, m_html, m_work});
    }

    static QString report(int statement, const QString &description)
    {
        return applicationErrorText(ReportSites::StartExtracting::Identifier, statement,
                                    description);
    }

private Q_SLOTS:
    void init()
    {
        m_platform = ScriptedPlatform();
        m_inputs.rows.clear();
        m_results.rows.clear();
        m_results.pending.clear();
        m_options = FixedOptions();
        m_abbreviations.value.clear();
    }

    void emptyInputList_saysNoFilesAddedAndKeepsResults()
    {
        m_results.rows = QStringList{u"old"_s};
        ExtractionRun run = makeRun();
        run.start();
        QCOMPARE(m_platform.shownMessages(), QStringList{u"No files added."_s});
        QCOMPARE(m_platform.shownRequests().first().caption, u"Quillfen"_s);
        QCOMPARE(m_results.all(), QStringList{u"old"_s});
        QVERIFY(m_platform.pointerHistory().isEmpty());
        QVERIFY(!run.isRunning());
    }

    void runSummary_namesRowsFilesFailuresAndTime_data()
    {
        QTest::addColumn<qsizetype>("rows");
        QTest::addColumn<int>("files");
        QTest::addColumn<int>("unread");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("caption");
        QTest::newRow("one of each")
            << qsizetype(1) << 1 << 0 << 0.04 << u"1 row from 1 file in 0.0 s"_s;
        QTest::newRow("none found")
            << qsizetype(0) << 2 << 0 << 0.26 << u"0 rows from 2 files in 0.3 s"_s;
        QTest::newRow("failures") << qsizetype(1234) << 56 << 2 << 0.8
                                  << u"1,234 rows from 56 files (2 could not be read) in 0.8 s"_s;
        QTest::newRow("one failure, nothing read")
            << qsizetype(0) << 1 << 1 << 0.0
            << u"0 rows from 1 file (1 could not be read) in 0.0 s"_s;
        QTest::newRow("large") << qsizetype(2'000'000) << 15'400 << 1'001 << 1234.56
                               << u"2,000,000 rows from 15,400 files (1,001 could not be read) "
                                  "in 1,234.6 s"_s;
    }
    void runSummary_namesRowsFilesFailuresAndTime()
    {
        QFETCH(qsizetype, rows);
        QFETCH(int, files);
        QFETCH(int, unread);
        QFETCH(double, seconds);
        QFETCH(QString, caption);
        QCOMPARE(runSummary(rows, files, unread, seconds), caption);
    }

    void run_emitsRowsShowsDoneAndReturnsToRest()
    {
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"), m_tree.write(u"b.txt"_s, "beta")};
        m_results.rows = QStringList{u"stale"_s};
        ExtractionRun run = makeRun();
        run.start();
        QCOMPARE(m_results.all(), (QStringList{u"alpha"_s, u"beta"_s}));
        QCOMPARE(m_platform.shownMessages(), QStringList{u"Done."_s});
        const QStringList captions = m_platform.captionHistory();
        QCOMPARE(captions.first(3),
                 (QStringList{u"Progress Bar"_s, u"Processing: a.txt"_s, u"Processing: b.txt"_s}));
        QVERIFY2(captions.size() == 4 && captions.last().startsWith(u"2 rows from 2 files in "_s),
                 qPrintable(captions.join(u" | "_s)));
        QCOMPARE(m_platform.pointerHistory(), (QList{PointerMode::Busy, PointerMode::Default}));
        QCOMPARE(m_platform.progressValue(), 0.0);
        QVERIFY(!run.isRunning());
    }

    void filesWithoutPieces_giveNoRowsButDone()
    {
        m_inputs.rows = {m_tree.write(u"empty.txt"_s, "")};
        makeRun().start();
        QVERIFY(m_results.all().isEmpty());
        QCOMPARE(m_platform.shownMessages(), QStringList{u"Done."_s});
    }

    void secondRun_givesTheSameRowsNotTwice()
    {
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha")};
        ExtractionRun run = makeRun();
        run.start();
        run.start();
        QCOMPARE(m_results.all(), QStringList{u"alpha"_s});
    }

    void startWhileRunning_doesNothing()
    {
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"), m_tree.write(u"b.txt"_s, "beta")};
        ExtractionRun run = makeRun();
        int nestedWhileYielding = 0;
        m_platform.onYield([&](int) {
            QVERIFY(run.isRunning());
            run.start();
            ++nestedWhileYielding;
        });
        int nestedWhileDone = 0;
        m_platform.onMessage([&](const MessageRequest &) {
            QVERIFY(run.isRunning()); // the flag clears only after "Done." is closed
            run.start();
            ++nestedWhileDone;
        });
        run.start();
        QVERIFY(nestedWhileYielding > 0);
        QCOMPARE(nestedWhileDone, 1);
        QCOMPARE(m_platform.shownMessages(), QStringList{u"Done."_s});
        QCOMPARE(m_results.all(), (QStringList{u"alpha"_s, u"beta"_s}));
        QVERIFY(!run.isRunning());
    }

    void progress_followsFilesAndPieces()
    {
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"), m_tree.write(u"b.txt"_s, "beta")};
        QList<double> atYield;
        QStringList captionAtYield;
        m_platform.onYield([&](int) {
            atYield << m_platform.progressValue();
            captionAtYield << m_platform.progressCaption();
        });
        makeRun().start();
        // 106, then per file the yield before reading and one per piece.
        QCOMPARE(atYield, (QList<double>{0.0, 50.0, 100.0, 100.0, 100.0}));
        QCOMPARE(captionAtYield.mid(1),
                 (QStringList{u"Processing: a.txt"_s, u"Processing: a.txt"_s,
                              u"Processing: b.txt"_s, u"Processing: b.txt"_s}));
    }

    // A run's unreadable files are gathered into one report before "Done.":
    // how many, a line each for the first 20, then how many more.
    void unreadableFiles_areReportedTogether_data()
    {
        QTest::addColumn<int>("unreadable");
        QTest::newRow("one") << 1;
        QTest::newRow("a missing file and a folder") << 2;
        QTest::newRow("more than are listed") << 25;
    }
    void unreadableFiles_areReportedTogether()
    {
        QFETCH(int, unreadable);
        QStringList bad{m_tree.root()};
        for (int i = 1; i < unreadable; ++i)
            bad << m_tree.path(u"missing-%1.txt"_s.arg(i));
        m_inputs.rows = QStringList{m_tree.write(u"a.txt"_s, "alpha")} + bad +
                        QStringList{m_tree.write(u"c.txt"_s, "gamma")};
        makeRun().start();
        QCOMPARE(m_results.all(), (QStringList{u"alpha"_s, u"gamma"_s}));

        QString description = unreadable == 1 ? u"1 file could not be read:"_s
                                              : u"%1 files could not be read:"_s.arg(unreadable);
        description += u"\r\nCannot read \""_s + m_tree.root() + u"\": it is a folder"_s;
        for (int i = 1; i < std::min(unreadable, 20); ++i)
            description += u"\r\nCannot read \""_s + bad[i] + u"\": File not found"_s;
        if (unreadable > 20)
            description += u"\r\nand %1 more"_s.arg(unreadable - 20);
        QCOMPARE(m_platform.shownMessages(), (QStringList{report(144, description), u"Done."_s}));
    }

    // A name's control characters show escaped in the gathered report and
    // the progress caption, never raw.
    void controlCharactersInNames_areEscapedInTheReport()
    {
        const QString name = u"t\x1b]0;owned\x07\nname.txt"_s;
        const QString path = m_tree.path(name);
        m_inputs.rows = {path};
        QStringList captions;
        m_platform.onYield([&](int) { captions << m_platform.progressCaption(); });
        makeRun().start();
        const QString shown = m_tree.path(u"t\\x1b]0;owned\\a\\nname.txt"_s);
        QCOMPARE(m_platform.shownMessages().size(), 2);
        QVERIFY2(m_platform.shownMessages()[0].contains(u"\r\nCannot read \""_s + shown + u'"'),
                 qPrintable(m_platform.shownMessages()[0]));
        QVERIFY(captions.contains(u"Processing: t\\x1b]0;owned\\a\\nname.txt"_s));
    }

    void unreadableFirstFile_givesOneReportOnly()
    {
        m_inputs.rows = {m_tree.path(u"gone.txt"_s)};
        makeRun().start();
        QCOMPARE(m_platform.shownMessages().size(), 2);
        QVERIFY(m_results.all().isEmpty());
    }

    // A book read in part: its rows, and the one report among the others.
    void partlyReadBook_givesItsRowsAndIsReported()
    {
        const QByteArray book =
            epubOf("<item id=\"c\" href=\"c.xhtml\" media-type=\"application/xhtml+xml\"/>"
                   "<item id=\"g\" href=\"gone.xhtml\" media-type=\"application/xhtml+xml\"/>",
                   "<itemref idref=\"g\"/><itemref idref=\"c\"/>",
                   {{"c.xhtml", "<html><body><p>Kept.</p></body></html>"}});
        const QString path = m_tree.write(u"partly.epub"_s, book);
        m_inputs.rows = {path, m_tree.write(u"b.txt"_s, "beta")};
        makeRun().start();
        QCOMPARE(m_results.all(), (QStringList{u"Kept."_s, u"beta"_s}));
        QCOMPARE(m_platform.shownMessages(),
                 (QStringList{report(132, u"1 file could not be read:\r\nCannot read \""_s + path +
                                              u"\" fully: its reading order names "
                                              "OEBPS/gone.xhtml, which is missing from the book"_s),
                              u"Done."_s}));
    }

    void htmlPage_goesToTheHtmlReader()
    {
        m_inputs.rows = {m_tree.write(u"page.HTM"_s, "<p>x</p>")};
        makeRun().start();
        const QStringList shown = m_platform.shownMessages();
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].contains(u"HTML pages cannot be read yet"_s));
        QVERIFY(shown[0].contains(u"at line 132"_s));
    }

    void rowRemovedDuringRun_isSkipped()
    {
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"), m_tree.write(u"b.txt"_s, "beta")};
        m_platform.onYield([&](int n) {
            if (n == 2) // the yield before the first file is read
                m_inputs.rows.removeLast();
        });
        makeRun().start();
        QCOMPARE(m_results.all(), QStringList{u"alpha"_s});
        const QStringList shown = m_platform.shownMessages();
        QCOMPARE(shown.size(), 2);
        QVERIFY(shown[0].contains(u"at line 114"_s));
    }

    void clearDuringRun_keepsOnlyLaterRows()
    {
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"), m_tree.write(u"b.txt"_s, "beta")};
        m_platform.onYield([&](int) {
            if (m_platform.progressCaption() == u"Processing: b.txt"_s)
                m_results.clearRows();
        });
        makeRun().start();
        QCOMPARE(m_results.all(), QStringList{u"beta"_s});
    }

    void noModeSelected_cutsNothing()
    {
        m_options.currentMode = ExtractMode::None;
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha")};
        makeRun().start();
        QVERIFY(m_results.all().isEmpty());
        QCOMPARE(m_platform.shownMessages(), QStringList{u"Done."_s});
    }

    // The next file is read and cut ahead while a file's pieces are
    // handled; whatever changes during a yield after that must still show.
    void nextFile_changedWhileAFileYields_data()
    {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<int>("reports");
        QTest::newRow("nothing") << u"nothing"_s << QStringList{u"alpha"_s, u"e.g. one. two"_s}
                                 << 0;
        QTest::newRow("replaced") << u"replaced"_s << QStringList{u"alpha"_s, u"new"_s} << 0;
        QTest::newRow("rewritten, same size")
            << u"rewritten"_s << QStringList{u"alpha"_s, u"E.G. ONE. TWO"_s} << 0;
        QTest::newRow("removed") << u"removed"_s << QStringList{u"alpha"_s} << 1;
        QTest::newRow("made a folder") << u"folder"_s << QStringList{u"alpha"_s} << 1;
        QTest::newRow("sentences chosen")
            << u"sentences"_s << QStringList{u"alpha"_s, u"e."_s, u"g."_s, u"one."_s, u"two."_s}
            << 0;
        QTest::newRow("sentences and abbreviations")
            << u"abbreviations"_s << QStringList{u"alpha"_s, u"e.g. one."_s, u"two."_s} << 0;
        QTest::newRow("filter") << u"filter"_s << QStringList{u"alpha"_s} << 0;
        QTest::newRow("abbreviations in sentence mode")
            << u"abbreviations only"_s << QStringList{u"alpha."_s, u"e.g. one."_s, u"two."_s} << 0;
    }

    void nextFile_changedWhileAFileYields()
    {
        QFETCH(QString, change);
        QFETCH(QStringList, rows);
        QFETCH(int, reports);
        QDir(m_tree.path(u"b.txt"_s)).removeRecursively(); // a folder from an earlier row
        if (change == u"abbreviations only"_s)
            m_options.currentMode = ExtractMode::Sentence;
        const QString next = m_tree.write(u"b.txt"_s, "e.g. one. two");
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"), next};
        int yieldsOnFirst = 0;
        m_platform.onYield([&](int) {
            // The first is before a.txt is read, the second while its piece is handled.
            if (m_platform.progressCaption() != u"Processing: a.txt"_s || ++yieldsOnFirst != 2)
                return;
            if (change == u"replaced"_s) {
                const QString other = m_tree.write(u"other.txt"_s, "new");
                QVERIFY(QFile::remove(next) && QFile::rename(other, next));
            } else if (change == u"rewritten"_s) {
                m_tree.write(u"b.txt"_s, "E.G. ONE. TWO");
            } else if (change == u"removed"_s) {
                QVERIFY(QFile::remove(next));
            } else if (change == u"folder"_s) {
                QVERIFY(QFile::remove(next) && QDir().mkdir(next));
            } else if (change == u"sentences"_s) {
                m_options.currentMode = ExtractMode::Sentence;
            } else if (change == u"filter"_s) {
                m_options.currentFilter = {LineFilterKind::Containing, u"alpha"_s};
            } else if (change.startsWith(u"abbreviations"_s)) {
                m_options.currentMode = ExtractMode::Sentence;
                m_abbreviations.value = encodeAbbreviations({u"e.g."_s});
            }
        });
        makeRun().start();
        QVERIFY(yieldsOnFirst >= 2);
        QCOMPARE(m_results.all(), rows);
        QCOMPARE(m_platform.shownMessages().size(), reports + 1);
    }

    // A file cut ahead still meets a filter changed between its pieces.
    void nextFile_filterChangedBetweenItsPieces()
    {
        m_options.currentMode = ExtractMode::Sentence;
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"),
                         m_tree.write(u"b.txt"_s, "one. two. three. four")};
        int yieldsOnSecond = 0;
        m_platform.onYield([&](int) {
            if (m_platform.progressCaption() == u"Processing: b.txt"_s && ++yieldsOnSecond == 3)
                m_options.currentFilter = {LineFilterKind::NotContaining, u"o"_s};
        });
        makeRun().start();
        QCOMPARE(m_results.all(), (QStringList{u"alpha."_s, u"one."_s, u"three."_s}));
    }

    void fileNames_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("html");
        QTest::newRow("plain") << u"/docs/a.txt"_s << u"a.txt"_s << false;
        QTest::newRow("no folder") << u"a.txt"_s << u"a.txt"_s << false;
        QTest::newRow("ends in separator") << u"/docs/"_s << QString() << false;
        QTest::newRow("upper-case HTM") << u"/x/report.HTM"_s << u"report.HTM"_s << true;
        QTest::newRow("mixed-case Html") << u"a.Html"_s << u"a.Html"_s << true;
        QTest::newRow("dot in folder") << u"/x.htm/report"_s << u"report"_s << false;
        QTest::newRow("xhtml") << u"a.xhtml"_s << u"a.xhtml"_s << false;
        QTest::newRow("html5") << u"a.html5"_s << u"a.html5"_s << false;
    }
    void fileNames()
    {
        QFETCH(QString, path);
        QFETCH(QString, name);
        QFETCH(bool, html);
        QCOMPARE(FileNameOfPath(path), name);
        QCOMPARE(isHtml(formatOfName(path)), html);
    }
};

QTEST_GUILESS_MAIN(ExtractionRunTest)
#include "tst_extractionrun.moc"
