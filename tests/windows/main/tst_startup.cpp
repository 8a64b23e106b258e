#include "WindowHarness.h"
#include "core/ReportSites.h"
#include "windows/main/CaptionedProgressBar.h"
#include "windows/main/ListViewControl.h"
#include "windows/main/OptionsPanel.h"
#include "windows/main/PointerControl.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

QList<bool> optionStates(const MainWindow &window)
{
    QList<bool> states;
    for (int n = 1; n <= 5; ++n)
        states << window.options().option(OptionButton(n))->isChecked();
    return states;
}

QString loadReport(int statement, const QString &description)
{
    return WindowHarness::report(ReportSites::StartUp::Identifier, statement, description);
}

} // namespace

class StartupTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controls_haveTheirCaptionsAndFonts_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<double>("points");
        const double button = 11.25;
        const double window = 9;
        QTest::newRow("1") << u"PushButton1"_s << u"Start Extracting"_s << button;
        QTest::newRow("2") << u"PushButton2"_s << u"Add File(s)"_s << button;
        QTest::newRow("3") << u"PushButton3"_s << u"Add All File(s) In Folder"_s << button;
        QTest::newRow("4") << u"PushButton4"_s << u"Option: Ignore These Abbreviations"_s << button;
        QTest::newRow("5") << u"PushButton5"_s << u"Copy Results To Clipboard"_s << button;
        QTest::newRow("6") << u"PushButton6"_s << u"Save Results As Text File"_s << button;
        QTest::newRow("7") << u"PushButton7"_s << u"Save Results To Excel File"_s << button;
        QTest::newRow("8") << u"PushButton8"_s << u"Clear List"_s << button;
        QTest::newRow("9") << u"PushButton9"_s << u"Clear List"_s << button;
        QTest::newRow("10") << u"PushButton10"_s << u"Load Sample/Example Files"_s << button;
        QTest::newRow("Frame1") << u"Frame1"_s << u"Extract Option"_s << window;
        QTest::newRow("Frame2") << u"Frame2"_s << u"Options"_s << window;
        QTest::newRow("Option1")
            << u"Option1"_s << u"Paragraph (Look for blank lines which usually ends paragraphs)"_s
            << window;
        QTest::newRow("Option2") << u"Option2"_s
                                 << u"Sentence (Look for . ? ! which usually ends sentences)"_s
                                 << window;
        QTest::newRow("Option3") << u"Option3"_s << u"Do not filter"_s << window;
        QTest::newRow("Option4") << u"Option4"_s
                                 << u"Filter - Only extract lines containing this.."_s << window;
        QTest::newRow("Option5") << u"Option5"_s
                                 << u"Filter - Only extract lines not containing this.."_s
                                 << window;
        QTest::newRow("Text1") << u"Text1"_s << QString() << window;
        QTest::newRow("Text2") << u"Text2"_s << QString() << window;
        QTest::newRow("ListView1") << u"ListView1"_s << QString() << window;
        QTest::newRow("ListView2") << u"ListView2"_s << QString() << window;
        QTest::newRow("ProgressBar1") << u"ProgressBar1"_s << u"Progress Bar"_s << window;
    }
    void controls_haveTheirCaptionsAndFonts()
    {
        QFETCH(QString, name);
        QFETCH(QString, caption);
        QFETCH(double, points);
        WindowHarness harness;
        MainWindow &window = harness.start();
        const QList<QWidget *> found = window.findChildren<QWidget *>(name);
        QCOMPARE(found.size(), 1);
        QWidget *control = found.first();
        QString shown;
        if (auto *button = qobject_cast<QAbstractButton *>(control))
            shown = button->text();
        else if (auto *frame = qobject_cast<QGroupBox *>(control))
            shown = frame->title();
        else if (auto *box = qobject_cast<QLineEdit *>(control))
            shown = box->text();
        else if (auto *bar = qobject_cast<QProgressBar *>(control))
            shown = bar->text();
        QCOMPARE(shown, caption);
        QCOMPARE(control->font().family(), u"Arial"_s);
        QVERIFY(control->font().bold());
        QCOMPARE(control->font().pointSizeF(), points);
    }

    void lists_showTheirHints()
    {
        WindowHarness harness;
        MainWindow &window = harness.start();
        QCOMPARE(window.inputListView()->toolTip(),
                 u"Drag and drop files here. Double-click item to remove it. Move | line to "
                 "right and out of window to reveal full names."_s);
        QCOMPARE(window.resultsListView()->toolTip(),
                 u"Double-click item to remove it. Move | line to right and out of window to "
                 "reveal full names."_s);
    }

    void freshStart_defaultsColumnsTitleAndNoReports()
    {
        WindowHarness harness;
        MainWindow &window = harness.start();
        QCOMPARE(optionStates(window), (QList<bool>{true, false, true, false, false}));
        QCOMPARE(window.windowTitle(), u"Quillfen"_s);
        QCOMPARE(window.applicationTitle(), u"Quillfen"_s);
        QVERIFY(!window.windowIcon().isNull());
        QVERIFY(harness.platform.shownMessages().isEmpty());
        // The Samples folder is empty: its record is the empty text.
        QCOMPARE(harness.settings.saveLog(), QStringList{u"Snapshot="_s});

        ListViewControl *inputs = window.inputListView();
        QCOMPARE(inputs->model()->columnCount(), 1);
        QCOMPARE(inputs->header()->count(), 1);
        QCOMPARE(inputs->columnWidth(), qRound(7000.0 * inputs->logicalDpiX() / 1440));
        ListViewControl *results = window.resultsListView();
        QCOMPARE(results->header()->count(), 2);
        QCOMPARE(results->columnWidth(1), qRound(2500.0 * results->logicalDpiX() / 1440));
        QCOMPARE(window.inputListView()->model()->headerData(0, Qt::Horizontal).toString(),
                 u"File(s)"_s);
        QCOMPARE(window.resultsListView()->model()->headerData(0, Qt::Horizontal).toString(),
                 u"Results"_s);
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
        QCOMPARE(window.progressBar()->text(), u"Progress Bar"_s);
    }

    void twips_followTheLogicalDpi()
    {
        QCOMPARE(MainWindow::twipsToPixels(7000, 96), 467);
        QCOMPARE(MainWindow::twipsToPixels(7000, 192), 933);
        QCOMPARE(MainWindow::twipsToPixels(1440, 120), 120);
    }

    void storedSnapshot_isNotTakenAgain()
    {
        WindowHarness harness;
        harness.dataFolder.write(u"Samples/a.txt"_s, "alpha");
        harness.store(u"Snapshot"_s, u"recorded"_s);
        harness.settings.clearLog();
        harness.start();
        QVERIFY(harness.settings.saveLog().isEmpty());
        QCOMPARE(harness.stored(u"Snapshot"_s), u"recorded"_s);
    }

    void storedOptions_areRestored_data()
    {
        QTest::addColumn<QStringList>("values"); // Option1..Option5, empty: not stored
        QTest::addColumn<QList<bool>>("states");
        QTest::newRow("sentence, containing")
            << QStringList{u"False"_s, u"True"_s, u"False"_s, u"True"_s, u"False"_s}
            << QList<bool>{false, true, false, true, false};
        QTest::newRow("later button wins")
            << QStringList{u"True"_s, u"True"_s, u"True"_s, u"True"_s, u"True"_s}
            << QList<bool>{false, true, false, false, true};
        QTest::newRow("neither mode") << QStringList{u"False"_s, u"False"_s, {}, {}, {}}
                                      << QList<bool>{false, false, true, false, false};
        QTest::newRow("no filter at all") << QStringList{{}, {}, u"False"_s, u"False"_s, u"False"_s}
                                          << QList<bool>{true, false, false, false, false};
        QTest::newRow("numbers and letter case")
            << QStringList{u"0"_s, u"-1"_s, u"false"_s, u"TRUE"_s, u"0.0"_s}
            << QList<bool>{false, true, false, true, false};
    }
    void storedOptions_areRestored()
    {
        QFETCH(QStringList, values);
        QFETCH(QList<bool>, states);
        WindowHarness harness;
        for (int i = 0; i < values.size(); ++i) {
            if (!values.at(i).isNull())
                harness.store(u"Option"_s + QString::number(i + 1), values.at(i));
        }
        const qsizetype stores = harness.settings.saveLog().size();
        MainWindow &window = harness.start();
        QCOMPARE(optionStates(window), states);
        QVERIFY(harness.platform.shownMessages().isEmpty());
        // Restoring saves nothing; only the first start's sample record.
        QCOMPARE(harness.settings.saveLog().mid(stores), QStringList{u"Snapshot="_s});
    }

    // The smart mode has a key of its own; old settings files load as they
    // did, and a stored smart choice wins over the two older mode keys.
    void smartChoice_winsOverTheOlderModeKeys_data()
    {
        QTest::addColumn<QStringList>("values"); // Option1, Option2, Option6; empty: not stored
        QTest::addColumn<int>("selected");       // the mode option checked
        QTest::newRow("old file, sentences")
            << QStringList{u"False"_s, u"True"_s, {}} << int(OptionButton::Sentence);
        QTest::newRow("smart stored")
            << QStringList{u"False"_s, u"False"_s, u"True"_s} << int(OptionButton::SmartSentence);
        QTest::newRow("smart wins over an older key")
            << QStringList{u"True"_s, u"True"_s, u"True"_s} << int(OptionButton::SmartSentence);
        QTest::newRow("smart not chosen")
            << QStringList{u"True"_s, u"False"_s, u"False"_s} << int(OptionButton::Paragraph);
    }
    void smartChoice_winsOverTheOlderModeKeys()
    {
        QFETCH(QStringList, values);
        QFETCH(int, selected);
        WindowHarness harness;
        const QStringList keys{u"Option1"_s, u"Option2"_s, u"Option6"_s};
        for (int i = 0; i < keys.size(); ++i) {
            if (!values.at(i).isNull())
                harness.store(keys.at(i), values.at(i));
        }
        MainWindow &window = harness.start();
        for (OptionButton mode :
             {OptionButton::Paragraph, OptionButton::Sentence, OptionButton::SmartSentence})
            QCOMPARE(window.options().option(mode)->isChecked(), int(mode) == selected);
        QCOMPARE(window.options().mode(),
                 selected == int(OptionButton::SmartSentence) ? ExtractMode::SmartSentence
                 : selected == int(OptionButton::Sentence)    ? ExtractMode::Sentence
                                                              : ExtractMode::Paragraph);
        QVERIFY(harness.platform.shownMessages().isEmpty());
    }

    void badStoredOption_isReported_andTheOthersRestored()
    {
        WindowHarness harness;
        harness.store(u"Option1"_s, u"False"_s);
        harness.store(u"Option2"_s, u"maybe"_s);
        harness.store(u"Option3"_s, u"False"_s);
        harness.store(u"Option5"_s, u"True"_s);
        MainWindow &window = harness.start();
        QCOMPARE(harness.platform.shownMessages(),
                 QStringList{loadReport(134, u"Type mismatch"_s)});
        QCOMPARE(harness.platform.shownRequests().first().caption, u"Application Error"_s);
        // Option2 keeps its design-time state (cleared); the rest follow the store.
        QCOMPARE(optionStates(window), (QList<bool>{false, false, false, false, true}));
        QCOMPARE(window.windowTitle(), u"Quillfen"_s);
    }

    void modeClicks_saveBothKeysInOrder_data()
    {
        QTest::addColumn<QString>("control");
        QTest::addColumn<QStringList>("saved");
        QTest::newRow("Option2") << u"Option2"_s
                                 << QStringList{u"Option1=False"_s, u"Option2=True"_s,
                                                u"Option6=False"_s};
        QTest::newRow("Option1") << u"Option1"_s
                                 << QStringList{u"Option1=True"_s, u"Option2=False"_s,
                                                u"Option6=False"_s};
        QTest::newRow("Option6, the smart sentences")
            << u"Option6"_s
            << QStringList{u"Option1=False"_s, u"Option2=False"_s, u"Option6=True"_s};
        QTest::newRow("Option4") << u"Option4"_s
                                 << QStringList{u"Option3=False"_s, u"Option4=True"_s,
                                                u"Option5=False"_s};
        QTest::newRow("Option3") << u"Option3"_s
                                 << QStringList{u"Option3=True"_s, u"Option4=False"_s,
                                                u"Option5=False"_s};
        QTest::newRow("Text1 selects Option4")
            << u"Text1"_s << QStringList{u"Option3=False"_s, u"Option4=True"_s, u"Option5=False"_s};
        QTest::newRow("Text2 selects Option5")
            << u"Text2"_s << QStringList{u"Option3=False"_s, u"Option4=False"_s, u"Option5=True"_s};
    }
    void modeClicks_saveBothKeysInOrder()
    {
        QFETCH(QString, control);
        QFETCH(QStringList, saved);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        harness.settings.clearLog();
        QWidget *target = window.findChild<QWidget *>(control);
        QVERIFY(target);
        QTest::mouseClick(target, Qt::LeftButton, {}, QPoint(5, target->height() / 2));
        QCOMPARE(harness.settings.saveLog(), saved);
    }

    void clickedChoice_isRestoredAtTheNextStart_butNotTheFilterText()
    {
        WindowHarness harness;
        MainWindow &first = harness.startShown();
        harness.settings.clearLog();
        QTest::mouseClick(first.options().option(OptionButton::Sentence), Qt::LeftButton, {},
                          QPoint(5, 5));
        QTest::mouseClick(first.options().notContainingText(), Qt::LeftButton, {}, QPoint(5, 5));
        QTest::keyClicks(first.options().notContainingText(), u"draft"_s);
        QCOMPARE(harness.settings.saveLog().size(), 6);
        QCOMPARE(harness.stored(u"Option2"_s), u"True"_s);

        MainWindow &second = harness.start(); // a new window on the same settings
        QCOMPARE(optionStates(second), (QList<bool>{false, true, false, false, true}));
        QVERIFY(second.options().notContainingText()->text().isEmpty());
    }

    // The check boxes under the filter: each has its own key, is restored,
    // and a value that cannot be read gives its default without a report.
    void matchingBoxes_areRestoredAndSaved_data()
    {
        QTest::addColumn<QStringList>("values"); // MatchCase, WholeWords, RegularExpression
        QTest::addColumn<QList<bool>>("states");
        QTest::newRow("nothing stored")
            << QStringList{{}, {}, {}} << QList<bool>{true, false, false};
        QTest::newRow("each the other way")
            << QStringList{u"False"_s, u"True"_s, u"True"_s} << QList<bool>{false, true, true};
        QTest::newRow("damaged") << QStringList{u"maybe"_s, u"2.5x"_s, u"yes please"_s}
                                 << QList<bool>{true, false, false};
    }
    void matchingBoxes_areRestoredAndSaved()
    {
        QFETCH(QStringList, values);
        QFETCH(QList<bool>, states);
        const QStringList keys{u"MatchCase"_s, u"WholeWords"_s, u"RegularExpression"_s};
        const MatchingBox boxes[] = {MatchingBox::MatchCase, MatchingBox::WholeWords,
                                     MatchingBox::RegularExpression};
        WindowHarness harness;
        for (int i = 0; i < 3; ++i) {
            if (!values.at(i).isNull())
                harness.store(keys.at(i), values.at(i));
        }
        MainWindow &window = harness.startShown();
        QVERIFY(harness.platform.shownMessages().isEmpty());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(window.options().matchingBox(boxes[i])->isChecked(), states.at(i));

        // A click stores its box alone; the next start shows it.
        harness.settings.clearLog();
        QCheckBox *clicked = window.options().matchingBox(MatchingBox::WholeWords);
        QTest::mouseClick(clicked, Qt::LeftButton, {}, QPoint(5, clicked->height() / 2));
        const QString now = states.at(1) ? u"False"_s : u"True"_s;
        QCOMPARE(harness.settings.saveLog(), QStringList{u"WholeWords="_s + now});
        MainWindow &next = harness.start();
        QCOMPARE(next.options().matchingBox(MatchingBox::WholeWords)->isChecked(), !states.at(1));
    }

    // "Read scanned pages (OCR)": off unless stored, saved on a click, and
    // handed to the run with the stored time a document may take.
    void ocrBox_isRestoredSavedAndRead_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("timeout");
        QTest::addColumn<bool>("checked");
        QTest::addColumn<qint64>("milliseconds");
        QTest::newRow("nothing stored") << QString() << QString() << false << qint64(60'000);
        QTest::newRow("on, no limit") << u"True"_s << u"0"_s << true << qint64(0);
        QTest::newRow("damaged") << u"maybe"_s << u"soon"_s << false << qint64(60'000);
        QTest::newRow("a fraction") << u"False"_s << u"2.5"_s << false << qint64(2'500);
    }
    void ocrBox_isRestoredSavedAndRead()
    {
        QFETCH(QString, stored);
        QFETCH(QString, timeout);
        QFETCH(bool, checked);
        QFETCH(qint64, milliseconds);
        WindowHarness harness;
        if (!stored.isNull())
            harness.store(u"ReadScannedPages"_s, stored);
        if (!timeout.isNull())
            harness.store(u"DocumentTimeout"_s, timeout);
        MainWindow &window = harness.startShown();
        QVERIFY(harness.platform.shownMessages().isEmpty());
        QCOMPARE(window.options().ocrBox()->isChecked(), checked);
        QCOMPARE(window.options().readingChoices().ocr, checked);
        QCOMPARE(window.options().readingChoices().documentTimeout.count(), milliseconds);

        harness.settings.clearLog();
        QCheckBox *box = window.options().ocrBox();
        QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(5, box->height() / 2));
        QCOMPARE(harness.settings.saveLog(),
                 QStringList{u"ReadScannedPages="_s + (checked ? u"False"_s : u"True"_s)});
        QCOMPARE(harness.start().options().ocrBox()->isChecked(), !checked);
    }

    void typingInATextBox_savesNothing()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        harness.settings.clearLog();
        window.options().containingText()->setFocus();
        QTest::keyClicks(window.options().containingText(), u"cat"_s);
        QVERIFY(harness.settings.saveLog().isEmpty());
        QCOMPARE(window.options().filter().kind(), LineFilterKind::All);
    }

    void failingSaveInAClick_isNotReported()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        harness.settings.failWrites(true);
        QTest::mouseClick(window.options().option(OptionButton::Sentence), Qt::LeftButton, {},
                          QPoint(5, 5));
        QVERIFY(window.options().option(OptionButton::Sentence)->isChecked());
        QVERIFY(harness.platform.shownMessages().isEmpty());
    }

    void optionsAreReadFromTheControls()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        OptionsPanel &options = window.options();
        QCOMPARE(options.mode(), ExtractMode::Paragraph);
        options.option(OptionButton::Sentence)->setChecked(true);
        QCOMPARE(options.mode(), ExtractMode::Sentence);
        options.notContainingText()->setText(u"x"_s);
        options.option(OptionButton::NotContaining)->setChecked(true);
        QCOMPARE(options.filter().kind(), LineFilterKind::NotContaining);
        QCOMPARE(options.filter().terms(), QStringList{u"x"_s});
        options.restoreOption(OptionButton::NotContaining, false);
        QCOMPARE(options.filter().kind(), LineFilterKind::None);
    }

    void homePage_opensOnlyOnSevenWithAnAddress_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("seven");
        QTest::addColumn<int>("opened");
        QTest::newRow("seven with address") << u"https://quillfen.example/"_s << true << 1;
        QTest::newRow("other number") << u"https://quillfen.example/"_s << false << 0;
        QTest::newRow("seven without address") << QString() << true << 0;
    }
    void homePage_opensOnlyOnSevenWithAnAddress()
    {
        QFETCH(QString, address);
        QFETCH(bool, seven);
        QFETCH(int, opened);
        WindowHarness harness;
        harness.homePage = address;
        harness.seed = seven ? WindowHarness::seedDrawing(7) : WindowHarness::seedNotDrawing(7);
        harness.start();
        QCOMPARE(harness.platform.openedLocations.size(), opened);
        if (opened)
            QCOMPARE(harness.platform.openedLocations.first(), address);
    }

    void homePageDraw_coversOneToHundred()
    {
        QSet<int> seen;
        for (quint32 seed = 0; seed < 86400; ++seed) {
            const int n = homePageDraw(seed);
            QVERIFY(n >= 1 && n <= 100);
            seen.insert(n);
        }
        QCOMPARE(seen.size(), 100);
        QCOMPARE(homePageDraw(1234), homePageDraw(1234));
    }

    void hover_handOverButtons_arrowElsewhere_busyStays()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        WindowHarness::moveOver(window.button(MainButton::AddFolder));
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Custom);
        QCOMPARE(window.cursor().shape(), Qt::PointingHandCursor);
        WindowHarness::moveOver(window.options().extractOptionFrame(), QPoint(2, 2));
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
        QCOMPARE(window.cursor().shape(), Qt::ArrowCursor);
        WindowHarness::moveOver(window.button(MainButton::ClearResults));
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Custom);
        WindowHarness::moveOver(window.resultsListView()->viewport(), QPoint(10, 10));
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
        WindowHarness::moveOver(window.button(MainButton::LoadSamples));
        WindowHarness::moveOver(&window, QPoint(1, 1));
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);

        window.pointer().setPointerMode(PointerMode::Busy);
        WindowHarness::moveOver(window.button(MainButton::StartExtracting));
        WindowHarness::moveOver(window.inputListView()->viewport(), QPoint(10, 10));
        WindowHarness::moveOver(window.options().filterFrame(), QPoint(2, 2));
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Busy);
        QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
    }

    void handPointerImage_fromTheDataFolder()
    {
        WindowHarness harness;
        QImage hand(16, 16, QImage::Format_ARGB32);
        hand.fill(Qt::darkBlue);
        QVERIFY(hand.save(harness.dataFolder.path(u"HAND-M.CUR"_s), "PNG"));
        MainWindow &window = harness.startShown();
        QVERIFY(harness.platform.shownMessages().isEmpty());
        WindowHarness::moveOver(window.button(MainButton::StartExtracting));
        QCOMPARE(window.cursor().shape(), Qt::BitmapCursor);
    }

    void unreadablePointerImage_isReportedAndStartupGoesOn()
    {
        WindowHarness harness;
        const QString path = harness.dataFolder.write(u"HAND-M.CUR"_s, "not an image");
        MainWindow &window = harness.start();
        QCOMPARE(harness.platform.shownMessages(),
                 QStringList{loadReport(104, u"Invalid picture: "_s + path)});
        QCOMPARE(window.windowTitle(), u"Quillfen"_s);
        QCOMPARE(window.pointer().customPointer().shape(), Qt::PointingHandCursor);
    }

    void skin_appliesTheSheetAndTheButtonFace()
    {
        WindowHarness harness;
        const QByteArray sheet = "QPushButton { color: #123456; }";
        harness.dataFolder.write(u"x/o.cjs"_s, sheet);
        MainWindow &window = harness.start();
        QVERIFY(harness.platform.shownMessages().isEmpty());
        QCOMPARE(window.styleSheet(), QString::fromUtf8(sheet));
        const QColor face = window.palette().color(QPalette::Button);
        for (QWidget *control :
             {static_cast<QWidget *>(&window),
              static_cast<QWidget *>(window.options().extractOptionFrame()),
              static_cast<QWidget *>(window.options().filterFrame()),
              static_cast<QWidget *>(window.options().option(OptionButton::Paragraph)),
              static_cast<QWidget *>(window.options().option(OptionButton::NotContaining))}) {
            QVERIFY2(control->autoFillBackground(), qPrintable(control->objectName()));
            QCOMPARE(control->palette().color(QPalette::Window), face);
        }
        for (QWidget *control : {static_cast<QWidget *>(window.inputListView()),
                                 static_cast<QWidget *>(window.options().containingText()),
                                 static_cast<QWidget *>(window.button(MainButton::StartExtracting)),
                                 static_cast<QWidget *>(window.progressBar())})
            QVERIFY2(!control->autoFillBackground(), qPrintable(control->objectName()));
    }

    void noSkin_keepsTheLook()
    {
        WindowHarness harness;
        MainWindow &window = harness.start();
        QVERIFY(window.styleSheet().isEmpty());
        QVERIFY(!window.options().extractOptionFrame()->autoFillBackground());
        QVERIFY(!window.autoFillBackground());
    }

    void skinPathThatIsAFolder_countsAsAbsent()
    {
        WindowHarness harness;
        QDir(harness.dataFolder.root()).mkpath(u"x/o.cjs"_s);
        MainWindow &window = harness.start();
        QVERIFY(harness.platform.shownMessages().isEmpty());
        QVERIFY(window.styleSheet().isEmpty());
    }
};

QTEST_MAIN(StartupTest)
#include "tst_startup.moc"
