#include "../reading/documents/ZipFixture.h"
#include "RunDoubles.h"
#include "ScriptedPlatform.h"
#include "TreeFixture.h"
#include "core/ApplicationError.h"
#include "core/ReportSites.h"
#include "reading/documents/DocumentFormats.h"
#include "run/ExtractionRun.h"
#include "run/RunSummary.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <algorithm>
#include <memory>

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

    std::unique_ptr<ExtractionRun> makeRun(int workers = 0)
    {
        auto run = std::make_unique<ExtractionRun>(RunEnvironment{
            m_platform, m_platform, m_platform, m_platform, m_inputs, m_results, m_options});
        run->setWorkers(workers);
        return run;
    }

private Q_SLOTS:
    void init()
    {
        m_platform = ScriptedPlatform();
        m_inputs.rows.clear();
        m_results.rows.clear();
        m_results.pending.clear();
        m_options.current = RunChoices();
        m_options.taken = 0;
    }

    void emptyInputList_saysNoFilesAddedAndKeepsResults()
    {
        m_results.rows = QStringList{u"old"_s};
        const auto run = makeRun();
        run->start();
        QCOMPARE(m_platform.shownMessages(), QStringList{u"No files added."_s});
        QCOMPARE(m_platform.shownRequests().first().caption, u"Quillfen"_s);
        QCOMPARE(m_results.all(), QStringList{u"old"_s});
        QVERIFY(m_platform.pointerHistory().isEmpty());
        QVERIFY(!run->isRunning());
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
        const auto run = makeRun();
        run->start();
        QCOMPARE(m_results.all(), (QStringList{u"alpha"_s, u"beta"_s}));
        QCOMPARE(m_platform.shownMessages(), QStringList{u"Done."_s});
        const QStringList captions = m_platform.captionHistory();
        QCOMPARE(captions.first(3),
                 (QStringList{u"Progress Bar"_s, u"Processing: a.txt"_s, u"Processing: b.txt"_s}));
        QVERIFY2(captions.size() == 4 && captions.last().startsWith(u"2 rows from 2 files in "_s),
                 qPrintable(captions.join(u" | "_s)));
        QCOMPARE(m_platform.pointerHistory(), (QList{PointerMode::Busy, PointerMode::Default}));
        QCOMPARE(m_platform.progressValue(), 0.0);
        QVERIFY(!run->isRunning());
    }

    void filesWithoutPieces_giveNoRowsButDone()
    {
        m_inputs.rows = {m_tree.write(u"empty.txt"_s, "")};
        makeRun()->start();
        QVERIFY(m_results.all().isEmpty());
        QCOMPARE(m_platform.shownMessages(), QStringList{u"Done."_s});
    }

    void secondRun_givesTheSameRowsNotTwice()
    {
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha")};
        const auto run = makeRun();
        run->start();
        run->start();
        QCOMPARE(m_results.all(), QStringList{u"alpha"_s});
    }

    void startWhileRunning_doesNothing()
    {
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"), m_tree.write(u"b.txt"_s, "beta")};
        const auto run = makeRun();
        int nestedWhileYielding = 0;
        m_platform.onYield([&](int) {
            QVERIFY(run->isRunning());
            run->start();
            ++nestedWhileYielding;
        });
        int nestedWhileDone = 0;
        m_platform.onMessage([&](const MessageRequest &) {
            QVERIFY(run->isRunning()); // the flag clears only after "Done." is closed
            run->start();
            ++nestedWhileDone;
        });
        run->start();
        QVERIFY(nestedWhileYielding > 0);
        QCOMPARE(nestedWhileDone, 1);
        QCOMPARE(m_platform.shownMessages(), QStringList{u"Done."_s});
        QCOMPARE(m_results.all(), (QStringList{u"alpha"_s, u"beta"_s}));
        QVERIFY(!run->isRunning());
    }

    // The bar follows the files as their rows are handed over: the share
    // of files begun, and the name of the one at hand.
    void progress_followsTheFilesHandedOver()
    {
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"), m_tree.write(u"b.txt"_s, "beta")};
        QList<double> atYield;
        QStringList captionAtYield;
        m_platform.onYield([&](int) {
            atYield << m_platform.progressValue();
            captionAtYield << m_platform.progressCaption();
        });
        makeRun()->start();
        atYield.erase(std::unique(atYield.begin(), atYield.end()), atYield.end());
        captionAtYield.erase(std::unique(captionAtYield.begin(), captionAtYield.end()),
                             captionAtYield.end());
        QCOMPARE(atYield, (QList<double>{0.0, 50.0, 100.0}));
        QCOMPARE(captionAtYield,
                 (QStringList{u"Progress Bar"_s, u"Processing: a.txt"_s, u"Processing: b.txt"_s}));
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
        makeRun()->start();
        QCOMPARE(m_results.all(), (QStringList{u"alpha"_s, u"gamma"_s}));

        QString description = unreadable == 1 ? u"1 file could not be read:"_s
                                              : u"%1 files could not be read:"_s.arg(unreadable);
        // Every file, however many, in details the user can copy; no program
        // fault report.
        QString details = u"Cannot read \""_s + m_tree.root() + u"\": it is a folder"_s;
        for (int i = 1; i < unreadable; ++i)
            details += u"\nCannot read \""_s + bad[i] + u"\": File not found"_s;
        QCOMPARE(m_platform.shownRequests().size(), 2);
        QCOMPARE(m_platform.shownRequests().first(),
                 (MessageRequest{description, applicationTitle(), MessageButtons::Ok,
                                 MessageIcon::Warning, details}));
        QCOMPARE(m_platform.shownMessages().last(), u"Done."_s);
        // The input list marks those files until the next run.
        QCOMPARE(m_inputs.unread.size(), qsizetype(unreadable));
        QVERIFY(m_inputs.unread.value(bad[0]).endsWith(u"it is a folder"_s));
        m_inputs.rows = {m_tree.path(u"a.txt"_s)};
        makeRun()->start();
        QVERIFY(m_inputs.unread.isEmpty());
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
        makeRun()->start();
        const QString shown = m_tree.path(u"t\\x1b]0;owned\\a\\nname.txt"_s);
        QCOMPARE(m_platform.shownMessages().size(), 2);
        QVERIFY2(m_platform.shownMessages()[0].contains(u"\nCannot read \""_s + shown + u'"'),
                 qPrintable(m_platform.shownMessages()[0]));
        QVERIFY(captions.contains(u"Processing: t\\x1b]0;owned\\a\\nname.txt"_s));
    }

    void unreadableFirstFile_givesOneReportOnly()
    {
        m_inputs.rows = {m_tree.path(u"gone.txt"_s)};
        makeRun()->start();
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
        makeRun()->start();
        QCOMPARE(m_results.all(), (QStringList{u"Kept."_s, u"beta"_s}));
        QCOMPARE(m_platform.shownMessages(),
                 (QStringList{u"1 file could not be read:\nCannot read \""_s + path +
                                  u"\" fully: its reading order names "
                                  "OEBPS/gone.xhtml, which is missing from the book"_s,
                              u"Done."_s}));
    }

    void htmlPage_isReadByItsReader()
    {
        m_inputs.rows = {m_tree.write(u"page.HTM"_s, "<p>x</p><script>y</script>")};
        makeRun()->start();
        QCOMPARE(m_results.all(), QStringList{u"x"_s});
        QCOMPARE(m_platform.shownMessages(), QStringList{u"Done."_s});
    }

    void clearDuringRun_keepsOnlyLaterRows()
    {
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"), m_tree.write(u"b.txt"_s, "beta")};
        bool cleared = false;
        m_platform.onYield([&](int) {
            if (!cleared && m_platform.progressCaption() == u"Processing: b.txt"_s) {
                m_results.clearRows();
                cleared = true;
            }
        });
        makeRun()->start();
        QCOMPARE(m_results.all(), QStringList{u"beta"_s});
    }

    void noModeSelected_cutsNothing()
    {
        m_options.current.mode = ExtractMode::None;
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha")};
        makeRun()->start();
        QVERIFY(m_results.all().isEmpty());
        QCOMPARE(m_platform.shownMessages(), QStringList{u"Done."_s});
    }

    // The options and the input list are taken once, when the run starts:
    // whatever changes while it goes, every file is cut as the first was.
    void optionsAndInputs_areTakenAtTheStart()
    {
        m_options.current.mode = ExtractMode::Sentence;
        m_options.current.shield = AbbreviationShield({u"e.g."_s});
        m_inputs.rows = {m_tree.write(u"a.txt"_s, "alpha"),
                         m_tree.write(u"b.txt"_s, "e.g. one. two")};
        bool changed = false;
        m_platform.onYield([&](int) {
            if (changed || m_platform.progressCaption() != u"Processing: a.txt"_s)
                return;
            changed = true;
            m_options.current = RunChoices{
                ExtractMode::Paragraph, {}, {LineFilterKind::Containing, u"alpha"_s}, {}};
            m_inputs.rows.removeLast();
            m_inputs.rows << m_tree.write(u"c.txt"_s, "gamma");
        });
        const auto run = makeRun();
        run->start();
        QVERIFY(changed);
        QCOMPARE(m_results.all(), (QStringList{u"alpha."_s, u"e.g. one."_s, u"two."_s}));
        QCOMPARE(m_options.taken, 1);
        QCOMPARE(run->choices().mode, ExtractMode::Sentence);
    }

    // Rows come in the order of the input list whatever the number of
    // workers and however long each file takes; large files come in several
    // chunks, small ones share them.
    void rowsInInputOrder_atAnyNumberOfWorkers_data()
    {
        QTest::addColumn<int>("workers");
        QTest::addColumn<int>("stepwise");
        for (int workers : {1, 2, 3, 8}) {
            QTest::addRow("%d workers, stepwise", workers) << workers << 1;
            QTest::addRow("%d workers, in batches", workers) << workers << 0;
        }
    }
    void rowsInInputOrder_atAnyNumberOfWorkers()
    {
        QFETCH(int, workers);
        QFETCH(int, stepwise);
        QStringList expected;
        for (int file = 0; file < 40; ++file) {
            // Every seventh file holds over a megabyte of rows.
            const int rows = file % 7 == 3 ? 40'000 : file % 5;
            QByteArray text;
            for (int row = 0; row < rows; ++row) {
                const QByteArray line = "file " + QByteArray::number(file) + " row " +
                                        QByteArray::number(row) + " \xc3\xa9t\xc3\xa9";
                text += line + "\n\n";
                expected << QString::fromUtf8(line);
            }
            m_inputs.rows << m_tree.write(u"f%1.txt"_s.arg(file), text);
        }
        m_inputs.rows.insert(5, m_tree.path(u"missing.txt"_s));
        const auto run = makeRun(workers);
        run->setYieldInterval(std::chrono::milliseconds(stepwise ? 0 : 2));
        run->start();
        QCOMPARE(m_results.all().size(), expected.size());
        QCOMPARE(m_results.all(), expected);
        QCOMPARE(m_platform.shownMessages().size(), 2); // the missing file, then "Done."
        QVERIFY(m_platform.progressCaption().startsWith(
            u"%1 rows from 41 files (1 could not be read) in "_s.arg(
                QLocale(QLocale::English).toString(expected.size()))));
    }

    // Stop lets the file at hand finish and begins no other, whatever the
    // workers had read ahead.
    void stop_endsAfterTheFileAtHand_data()
    {
        QTest::addColumn<int>("workers");
        QTest::newRow("one worker") << 1;
        QTest::newRow("four workers") << 4;
    }
    void stop_endsAfterTheFileAtHand()
    {
        QFETCH(int, workers);
        for (const char *name : {"a", "b", "c", "d", "e"})
            m_inputs.rows << m_tree.write(QString::fromLatin1(name) + u".txt"_s,
                                          QByteArray(name) + "1\n\n" + name + "2");
        const auto run = makeRun(workers);
        m_platform.onYield([&](int) {
            if (m_platform.progressCaption() == u"Processing: b.txt"_s)
                run->requestStop();
        });
        run->start();
        QCOMPARE(m_results.all(), (QStringList{u"a1"_s, u"a2"_s, u"b1"_s, u"b2"_s}));
        QCOMPARE(m_platform.shownMessages(), QStringList{u"Stopped."_s});
        QVERIFY(m_platform.progressCaption().startsWith(u"4 rows from 2 files in "_s));
        QVERIFY(!run->isRunning());
        m_platform.onYield({});
        run->start(); // the next run goes through
        QCOMPARE(m_results.all().size(), 10);
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
        QCOMPARE(fileNameOfPath(path), name);
        QCOMPARE(formatOfName(path).name == u"html", html);
    }
};

QTEST_GUILESS_MAIN(ExtractionRunTest)
#include "tst_extractionrun.moc"
