#include "WindowHarness.h"
#include "core/ApplicationError.h"
#include "inputs/InputListModel.h"
#include "results/ResultsModel.h"
#include "windows/main/CaptionedProgressBar.h"
#include "windows/main/ListViewControl.h"
#include "windows/main/OptionsPanel.h"
#include "windows/main/PointerControl.h"
#include "windows/main/VisibleTextDelegate.h"

#include <QCheckBox>
#include <QElapsedTimer>
#include <QIcon>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

void startExtracting(MainWindow &window)
{
    QTest::mouseClick(window.button(MainButton::StartExtracting), Qt::LeftButton);
}

} // namespace

class WindowRunTest : public QObject
{
    Q_OBJECT

private:
    // Three one-word files: each gives itself as one row.
    static void addThreeFiles(WindowHarness &harness)
    {
        harness.window->inputList().appendRows({harness.files.write(u"a.txt"_s, "alpha"),
                                                harness.files.write(u"b.txt"_s, "beta"),
                                                harness.files.write(u"c.txt"_s, "gamma")});
    }

private Q_SLOTS:
    // A run changes the bar far more often than anyone reads it: the bar
    // paints at most once a pace, yet shows changes while they come and
    // ends on the last one.
    void progressBar_pacesItsPaints_andEndsOnTheLastChange()
    {
        CaptionedProgressBar bar;
        bar.resize(400, 24);
        bar.show();
        QVERIFY(QTest::qWaitForWindowExposed(&bar));
        QTest::qWait(CaptionedProgressBar::PaceMilliseconds);
        const EventCounter counter(&bar, QEvent::Paint);
        QElapsedTimer clock;
        clock.start();
        int step = 0;
        while (clock.elapsed() < 10 * CaptionedProgressBar::PaceMilliseconds) {
            ++step;
            bar.setProgressValue(step % 100);
            bar.setProgressCaption(u"Processing: "_s + QString::number(step));
            QCoreApplication::processEvents();
            QTest::qSleep(1);
        }
        QVERIFY2(step > 20, "changes came faster than the pace");
        QVERIFY2(counter.count >= 3, qPrintable(QString::number(counter.count)));
        QVERIFY2(counter.count <= 12, qPrintable(QString::number(counter.count)));
        QTRY_COMPARE(bar.value(), (step % 100) * CaptionedProgressBar::Scale);
        QCOMPARE(bar.text(), u"Processing: "_s + QString::number(step));
    }

    void run_fillsTheResults_withProgressAndDone()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        QStringList captions;
        QList<PointerMode> pointers;
        harness.platform.onYield([&](int) {
            captions << window.progressBar()->text();
            pointers << window.pointer().pointerMode();
        });
        startExtracting(window);

        QCOMPARE(resultTexts(window.results()), (QStringList{u"alpha"_s, u"beta"_s, u"gamma"_s}));
        QCOMPARE(harness.platform.shownMessages(), QStringList{u"Done."_s});
        QCOMPARE(harness.platform.shownRequests().first().caption, u"Quillfen"_s);
        QVERIFY(captions.contains(u"Processing: a.txt"_s));
        QVERIFY(captions.contains(u"Processing: c.txt"_s));
        QVERIFY(pointers.contains(PointerMode::Busy));
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        QVERIFY(window.progressBar()->text().startsWith(u"3 rows from 3 files in "_s));
        QCOMPARE(window.progressBar()->percent(), 0.0);
        QVERIFY(!window.isRunning());
    }

    // The busy pointer is asked for at every file; the window changes its
    // pointer once when the run starts and once when it ends.
    void busyPointer_changesTheWindowOncePerRun()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        EventCounter changes(&window, QEvent::CursorChange);
        window.setCursor(Qt::WaitCursor);
        window.unsetCursor();
        const int eventsOfOneSetAndUnset = changes.count; // Qt may send more than one each
        QVERIFY(eventsOfOneSetAndUnset > 0);
        changes.count = 0;
        bool busySeen = false;
        harness.platform.onYield(
            [&](int) { busySeen = busySeen || window.cursor().shape() == Qt::WaitCursor; });
        startExtracting(window);
        QVERIFY(busySeen);
        QCOMPARE(changes.count, eventsOfOneSetAndUnset);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
    }

    // An invalid pattern is refused when the run would start: one message
    // with the problem and its place, and the list as it was.
    void invalidPattern_isRefusedWithOneMessage_andNoRun()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        startExtracting(window);
        OptionsPanel &options = window.options();
        options.option(OptionButton::Containing)->setChecked(true);
        options.containingText()->setText(u"al(pha"_s);
        options.matchingBox(MatchingBox::RegularExpression)->setChecked(true);
        harness.platform.clearShown();
        startExtracting(window);
        QCOMPARE(harness.platform.shownMessages(),
                 QStringList{u"Invalid regular expression \"al(pha\": missing closing "
                             "parenthesis at the end."_s});
        QCOMPARE(resultTexts(window.results()), (QStringList{u"alpha"_s, u"beta"_s, u"gamma"_s}));
        QVERIFY(!window.isRunning());
    }

    // The rows show the matches of the filter they were made with, in bold,
    // until the next run.
    void filteredRun_showsTheMatchesInBold()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        OptionsPanel &options = window.options();
        options.option(OptionButton::Containing)->setChecked(true);
        options.containingText()->setText(u"ALPHA | mm"_s);
        options.matchingBox(MatchingBox::MatchCase)->setChecked(false);
        startExtracting(window);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"alpha"_s, u"gamma"_s}));
        options.containingText()->setText(u"a"_s); // no run: the bold stays
        const auto boldOf = [&](int row) {
            const QModelIndex index = window.results().index(row, 0);
            QStyleOptionViewItem option;
            option.initFrom(window.resultsListView());
            option.rect = window.resultsListView()->visualRect(index);
            return window.resultsDelegate()->boldRanges(option, index);
        };
        QCOMPARE(boldOf(0), (std::vector<TextRange>{{0, 5}}));
        QCOMPARE(boldOf(1), (std::vector<TextRange>{{2, 2}}));
        QVERIFY(window.resultsDelegate()
                    ->boldRanges({}, window.results().index(0, 1))
                    .empty()); // never in the File column

        options.option(OptionButton::NoFilter)->setChecked(true);
        startExtracting(window);
        QVERIFY(boldOf(0).empty());
    }

    void runningTwice_givesTheSameRows()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        startExtracting(window);
        startExtracting(window);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"alpha"_s, u"beta"_s, u"gamma"_s}));
        QCOMPARE(harness.platform.shownMessages(), (QStringList{u"Done."_s, u"Done."_s}));
    }

    void emptyInputList_saysSo_andKeepsTheResults()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.results().append(u"kept"_s);
        window.results().flushRows();
        startExtracting(window);
        QCOMPARE(harness.platform.shownMessages(), QStringList{u"No files added."_s});
        QCOMPARE(resultTexts(window.results()), QStringList{u"kept"_s});
        QVERIFY(!window.isRunning());
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
    }

    void secondStart_whileDoneIsOpen_startsNothing()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        int pressesWhileOpen = 0;
        harness.platform.onMessage([&](const MessageRequest &request) {
            if (request.text != u"Done."_s || pressesWhileOpen > 0)
                return;
            ++pressesWhileOpen;
            QVERIFY(window.isRunning());
            const int yields = harness.platform.yieldCount();
            startExtracting(window);
            QCOMPARE(harness.platform.yieldCount(), yields);
        });
        startExtracting(window);
        QCOMPARE(pressesWhileOpen, 1);
        QCOMPARE(harness.platform.shownMessages(), QStringList{u"Done."_s});
        QCOMPARE(resultTexts(window.results()), (QStringList{u"alpha"_s, u"beta"_s, u"gamma"_s}));
        QVERIFY(!window.isRunning());
    }

    // While the run goes, the button reads "Stop Extracting": pressing it,
    // or Esc, lets the file at hand finish and begins no other. The rows so
    // far stay, and the run ends with "Stopped.".
    void stop_midRun_endsAfterTheFileAtHand_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Stop Extracting") << false;
        QTest::newRow("Esc") << true;
    }
    void stop_midRun_endsAfterTheFileAtHand()
    {
        QFETCH(bool, escape);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        addThreeFiles(harness);
        QPushButton *button = window.button(MainButton::StartExtracting);
        QStringList captions;
        bool asked = false;
        harness.platform.onYield([&](int) {
            captions << button->text();
            if (asked || window.progressBar()->text() != u"Processing: b.txt"_s)
                return;
            asked = true;
            if (escape)
                QTest::keyClick(&window, Qt::Key_Escape);
            else
                startExtracting(window);
        });
        startExtracting(window);

        QVERIFY(asked);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"alpha"_s, u"beta"_s}));
        QCOMPARE(harness.platform.shownMessages(), QStringList{u"Stopped."_s});
        QVERIFY(captions.contains(u"Stop Extracting"_s));
        QVERIFY(!captions.contains(u"Start Extracting"_s));
        QCOMPARE(button->text(), u"Start Extracting"_s);
        QCOMPARE(button->toolTip(), u"Start Extracting (F5)"_s);
        QVERIFY(window.progressBar()->text().startsWith(u"2 rows from 2 files in "_s));
        QVERIFY(!window.isRunning());
        // Esc outside a run stops nothing, and the next run goes through.
        QTest::keyClick(&window, Qt::Key_Escape);
        harness.platform.onYield({});
        startExtracting(window);
        QCOMPARE(window.results().rowCount(), 3);
        QCOMPARE(harness.platform.shownMessages(), (QStringList{u"Stopped."_s, u"Done."_s}));
    }

    // After the run the caption follows the list: unchecked, found, removed
    // and cleared rows change its counts.
    void summaryCaption_followsTheList()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        startExtracting(window);
        ResultsModel &results = window.results();
        const auto caption = [&] {
            QCoreApplication::processEvents();
            return window.progressBar()->text().section(u" from "_s, 0, 0);
        };
        QCOMPARE(caption(), u"3 rows"_s);
        results.setData(results.index(0), Qt::Unchecked, Qt::CheckStateRole);
        QCOMPARE(caption(), u"3 rows, 2 checked"_s);
        window.findBox()->setText(u"mm"_s);
        QTRY_VERIFY(results.findComplete());
        QCOMPARE(caption(), u"3 rows, 2 checked, 1 shown"_s);
        window.findBox()->clear();
        results.removeRowAt(2);
        QCOMPARE(caption(), u"2 rows, 1 checked"_s);
        window.button(MainButton::ClearResults)->click();
        QCOMPARE(caption(), u"0 rows"_s);
        QVERIFY(window.progressBar()->text().contains(u" from 3 files in "_s));
    }

    // The bar's caption after a run says what it did, and goes back to
    // "Progress Bar" when the next run begins.
    void summaryCaption_afterARun_data()
    {
        QTest::addColumn<int>("unreadable");
        QTest::addColumn<QString>("start");
        QTest::newRow("all read") << 0 << u"3 rows from 3 files in "_s;
        QTest::newRow("one could not be read")
            << 1 << u"3 rows from 4 files (1 could not be read) in "_s;
    }
    void summaryCaption_afterARun()
    {
        QFETCH(int, unreadable);
        QFETCH(QString, start);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        if (unreadable)
            window.inputList().appendRows({harness.files.path(u"missing.txt"_s)});
        startExtracting(window);
        const QString caption = window.progressBar()->text();
        QVERIFY2(caption.startsWith(start), qPrintable(caption));
        static const QRegularExpression time(u" in [0-9]+\\.[0-9] s$"_s);
        QVERIFY2(time.match(caption).hasMatch(), qPrintable(caption));

        QString firstOfNext;
        harness.platform.onYield([&](int) {
            if (firstOfNext.isEmpty())
                firstOfNext = window.progressBar()->text();
        });
        startExtracting(window);
        QCOMPARE(firstOfNext, u"Progress Bar"_s);
    }

    void clearResultsDuringTheRun_keepsOnlyLaterRows()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        bool cleared = false;
        harness.platform.onYield([&](int) {
            // The yield before the second file: the first row is out.
            if (!cleared && window.progressBar()->text() == u"Processing: b.txt"_s) {
                QCOMPARE(resultTexts(window.results()), QStringList{u"alpha"_s});
                QTest::mouseClick(window.button(MainButton::ClearResults), Qt::LeftButton);
                cleared = true;
            }
        });
        startExtracting(window);
        QVERIFY(cleared);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"beta"_s, u"gamma"_s}));
        QCOMPARE(harness.platform.shownMessages(), QStringList{u"Done."_s});
    }

    void removalsWhileBusy_areRefused_butTheResultsClearWorks()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        const QStringList inputs = window.inputList().paths();
        bool tried = false;
        harness.platform.onYield([&](int) {
            if (tried || window.pointer().pointerMode() != PointerMode::Busy)
                return;
            tried = true;
            window.inputListView()->selectRow(0);
            QTest::keyClick(window.inputListView(), Qt::Key_Delete);
            QTest::mouseClick(window.button(MainButton::ClearInputs), Qt::LeftButton);
            window.resultsListView()->selectRow(0);
            QTest::mouseDClick(window.resultsListView()->viewport(), Qt::LeftButton, {},
                               QPoint(40, window.resultsListView()->rowHeight() / 2));
            QTest::mouseRelease(window.resultsListView()->viewport(), Qt::LeftButton);
            QCOMPARE(window.inputList().paths(), inputs);
            // Hovering a button keeps the busy pointer.
            WindowHarness::moveOver(window.button(MainButton::AddFiles));
            QCOMPARE(window.pointer().pointerMode(), PointerMode::Busy);
        });
        startExtracting(window);
        QVERIFY(tried);
        QCOMPARE(window.inputList().paths(), inputs);
        QCOMPARE(window.results().rowCount(), 3);
    }

    void filesAddedDuringTheRun_areNotRead()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        const QString late = harness.files.write(u"d.txt"_s, "delta");
        // The row count is read after the first yield, before the first file.
        harness.platform.onYield([&](int) {
            if (window.progressBar()->text() == u"Processing: a.txt"_s &&
                window.inputList().rowCount() == 3)
                window.inputList().appendRow(late);
        });
        startExtracting(window);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"alpha"_s, u"beta"_s, u"gamma"_s}));
        QCOMPARE(window.inputList().rowCount(), 4);
    }

    // While a run goes, what would change its inputs or options is
    // disabled; Stop, Find, the results and their exports stay live. A
    // drop or a click on a disabled control changes nothing.
    void controlsOfTheRunsInputs_areDisabledWhileItGoes()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        const QStringList inputs = window.inputList().paths();
        OptionsPanel &options = window.options();
        const QList<QWidget *> disabled = {options.option(OptionButton::Paragraph),
                                           options.option(OptionButton::SmartSentence),
                                           options.ocrBox(),
                                           options.option(OptionButton::Containing),
                                           options.containingText(),
                                           options.matchingBox(MatchingBox::RegularExpression),
                                           window.button(MainButton::EditAbbreviations),
                                           window.button(MainButton::AddFiles),
                                           window.button(MainButton::AddFolder),
                                           window.button(MainButton::LoadSamples),
                                           window.button(MainButton::ClearInputs)};
        const QList<QWidget *> live = {window.button(MainButton::StartExtracting),
                                       window.findBox(),
                                       window.resultsListView(),
                                       window.button(MainButton::CopyResults),
                                       window.button(MainButton::SaveTextFile),
                                       window.button(MainButton::SaveExcelFile),
                                       window.button(MainButton::ClearResults)};
        int checked = 0;
        harness.platform.onYield([&](int) {
            if (window.progressBar()->text() != u"Processing: b.txt"_s || checked++ > 0)
                return;
            for (QWidget *control : disabled)
                QVERIFY2(!control->isEnabled(), qPrintable(control->objectName()));
            for (QWidget *control : live)
                QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
            QTest::mouseClick(window.button(MainButton::ClearInputs), Qt::LeftButton);
            window.addDroppedFiles({harness.files.write(u"d.txt"_s, "delta")});
            QTest::keyClick(&window, Qt::Key_O, Qt::ControlModifier); // Add File(s)
            QCOMPARE(window.inputList().paths(), inputs);
        });
        startExtracting(window);
        QCOMPARE(checked > 0, true);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"alpha"_s, u"beta"_s, u"gamma"_s}));
        QVERIFY(harness.platform.dialogsShown().isEmpty());
        for (QWidget *control : disabled + live)
            QVERIFY2(control->isEnabled(), qPrintable(control->objectName()));
        // Afterwards a drop is taken again.
        window.addDroppedFiles({harness.files.path(u"d.txt"_s)});
        QCOMPARE(window.inputList().rowCount(), 4);
    }

    // A run is made with the options of its start: a change that reaches
    // the controls meanwhile (they are disabled to the user) waits for the
    // next run.
    void optionsChangedDuringTheRun_waitForTheNextOne()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.inputList().appendRows({harness.files.write(u"a.txt"_s, "One. Two."),
                                       harness.files.write(u"b.txt"_s, "Three. Four.")});
        OptionsPanel &options = window.options();
        bool changed = false;
        harness.platform.onYield([&](int) {
            if (changed || window.progressBar()->text() != u"Processing: a.txt"_s)
                return;
            changed = true;
            options.option(OptionButton::Sentence)->setChecked(true);
            options.option(OptionButton::NotContaining)->setChecked(true);
            options.notContainingText()->setText(u"Four"_s);
        });
        startExtracting(window);
        QVERIFY(changed);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"One. Two."_s, u"Three. Four."_s}));
        harness.platform.onYield({});
        startExtracting(window);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"One."_s, u"Two."_s, u"Three."_s}));
    }

    // Closing the window stops the run: no file after the one at hand is
    // begun, and the program is told to end at once.
    void closingTheWindow_duringARun_stopsIt()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        int unloaded = 0;
        QObject::connect(&window, &MainWindow::unloaded, [&] {
            ++unloaded;
            QVERIFY(window.isRunning());
        });
        harness.platform.onYield([&](int) {
            if (!unloaded && window.progressBar()->text() == u"Processing: b.txt"_s)
                window.close();
        });
        startExtracting(window);
        QCOMPARE(unloaded, 1);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"alpha"_s, u"beta"_s}));
        QVERIFY(!window.isRunning());
    }

    // Many files of all sizes, read by as many workers as there are
    // processors: the list holds their rows in the input list's order.
    void manyFiles_giveTheirRowsInOrder()
    {
        WindowHarness harness;
        harness.yieldInterval = std::chrono::milliseconds(10); // batches, as the window runs
        MainWindow &window = harness.startShown();
        QStringList paths;
        QStringList expected;
        for (int file = 0; file < 60; ++file) {
            QByteArray text;
            for (int row = 0; row < (file % 9 == 4 ? 30'000 : file % 4); ++row) {
                const QByteArray line = QByteArray::number(file) + '.' + QByteArray::number(row);
                text += line + "\r\n\r\n";
                expected << QString::fromLatin1(line);
            }
            paths << harness.files.write(u"f%1.txt"_s.arg(file), text);
        }
        window.inputList().appendRows(paths);
        startExtracting(window);
        QCOMPARE(window.results().rowCount(), expected.size());
        QCOMPARE(resultTexts(window.results()), expected);
        QCOMPARE(window.results()
                     .data(window.results().index(int(expected.size()) - 1, 1), Qt::DisplayRole)
                     .toString(),
                 u"f59.txt"_s);
    }

    void filterChosenInTheWindow_isApplied()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        addThreeFiles(harness);
        window.options().containingText()->setText(u"mm"_s);
        window.options().option(OptionButton::Containing)->setChecked(true);
        startExtracting(window);
        QCOMPARE(resultTexts(window.results()), QStringList{u"gamma"_s});
    }

    // The smart option is stored under its own key and cuts as a reader does.
    void smartSentenceOption_cutsAsAReaderDoes()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        const QByteArray text = "Version 2.1 is out. Mr. Hale said \"Go!\" He went.";
        window.inputList().appendRows(
            {harness.files.write(u"a.txt"_s, text), harness.files.write(u"b.txt"_s, text)});
        QTest::mouseClick(window.options().option(OptionButton::SmartSentence), Qt::LeftButton, {},
                          QPoint(5, 5));
        QCOMPARE(harness.stored(u"Option6"_s), u"True"_s);
        startExtracting(window);
        const QStringList sentences{u"Version 2.1 is out."_s, u"Mr. Hale said \"Go!\""_s,
                                    u"He went."_s};
        QCOMPARE(resultTexts(window.results()), sentences + sentences);
    }

    // A document is read by its reader (off the window's thread), a binary
    // file is refused with the other unread files.
    void documentsAndBinaryFiles_inTheWindowsRun()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        const QString samples =
            qEnvironmentVariable("QUILLFEN_TEST_BINARY_DIR") + u"/bin/Samples/"_s;
        const QString binary = harness.files.write(u"blob.txt"_s, QByteArray("a\0b", 3));
        window.inputList().appendRows({samples + u"Field Notes (Word).docx"_s, binary});
        startExtracting(window);
        QCOMPARE(resultTexts(window.results()).value(0), u"Field Notes from the Marsh"_s);
        QCOMPARE(harness.platform.shownMessages().size(), 2);
        QVERIFY(harness.platform.shownMessages().first().contains(
            u"1 file could not be read:\nCannot read \""_s + binary +
            u"\": it is a binary file, not text"_s));
    }

    void unreadableFile_isReported_andTheRunGoesOn()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        const QString missing = harness.files.path(u"missing.txt"_s);
        window.inputList().appendRows({missing, harness.files.write(u"b.txt"_s, "beta")});
        startExtracting(window);
        const QStringList shown = harness.platform.shownMessages();
        QCOMPARE(shown.size(), 2);
        // Told as what it is, not as a program fault: no procedure line.
        QCOMPARE(harness.platform.shownRequests().first().caption, applicationTitle());
        QVERIFY(!shown.first().contains(u"line"_s));
        QCOMPARE(shown.last(), u"Done."_s);
        QCOMPARE(resultTexts(window.results()), QStringList{u"beta"_s});
        // The input list marks the file, with why, until the next run.
        const QModelIndex row = window.inputList().index(0);
        QVERIFY(row.data(Qt::ToolTipRole).toString().endsWith(u"File not found"_s));
        QVERIFY(!row.data(Qt::DecorationRole).value<QIcon>().isNull());
        QVERIFY(!window.inputList().index(1).data(Qt::ToolTipRole).isValid());
        harness.files.write(u"missing.txt"_s, "now here");
        startExtracting(window);
        QVERIFY(!row.data(Qt::ToolTipRole).isValid());
    }

    void report_showsTheRowsFoundBeforeIt()
    {
        WindowHarness harness;
        harness.yieldInterval = std::chrono::hours(1); // no yield while the files are read
        MainWindow &window = harness.startShown();
        const QString missing = harness.files.path(u"missing.txt"_s);
        window.inputList().appendRows({harness.files.write(u"a.txt"_s, "alpha"), missing});
        QList<int> shownRows;
        harness.platform.onMessage([&](const MessageRequest &) {
            shownRows << window.resultsListView()->model()->rowCount();
        });
        startExtracting(window);
        QCOMPARE(harness.platform.shownMessages().size(), 2); // the report, then "Done."
        QCOMPARE(shownRows, (QList<int>{1, 1}));
    }
};

QTEST_MAIN(WindowRunTest)
#include "tst_windowrun.moc"
