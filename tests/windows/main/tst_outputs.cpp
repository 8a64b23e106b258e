// The results' three exports and the abbreviation editor, driven through
// the window's buttons with scripted answers.

#include "WindowHarness.h"
#include "XlsxReader.h"
#include "abbrev/AbbreviationStore.h"
#include "results/ResultsModel.h"
#include "results/export/ClipboardExport.h"
#include "results/export/SpreadsheetExport.h"
#include "windows/editor/AbbreviationEditor.h"
#include "windows/main/ListViewControl.h"
#include "windows/main/PointerControl.h"

#include <QPushButton>
#include <QSignalSpy>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

const QString S = AbbreviationSeparator;

} // namespace

class OutputsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void saveText_writesEveryRow_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QByteArray>("old"); // null: no file yet
        QTest::addColumn<int>("answer");     // to the overwrite question
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("questions");
        QTest::newRow("a and b") << QStringList{u"a"_s, u"b"_s} << QByteArray() << 0
                                 << QByteArray("a\r\nb\r\n") << 0;
        QTest::newRow("line ends and letters beyond ASCII")
            << QStringList{u"x\r\ny"_s, u"\u03a9\u03bc \U0001F600"_s} << QByteArray() << 0
            << QByteArray("x\r\ny\r\n\xce\xa9\xce\xbc \xf0\x9f\x98\x80\r\n") << 0;
        QTest::newRow("empty list") << QStringList() << QByteArray() << 0 << QByteArray("") << 0;
        QTest::newRow("existing file, No")
            << QStringList{u"new"_s} << QByteArray("old bytes") << int(MessageAnswer::No)
            << QByteArray("old bytes") << 1;
        QTest::newRow("existing file, Yes")
            << QStringList{u"new"_s} << QByteArray("old bytes, longer") << int(MessageAnswer::Yes)
            << QByteArray("new\r\n") << 1;
    }
    void saveText_writesEveryRow()
    {
        QFETCH(QStringList, rows);
        QFETCH(QByteArray, old);
        QFETCH(int, answer);
        QFETCH(QByteArray, bytes);
        QFETCH(int, questions);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, rows);
        const QString path = harness.files.path(u"res.txt"_s);
        if (!old.isNull())
            harness.files.write(u"res.txt"_s, old);
        harness.platform.answerSaveFile(path);
        harness.platform.answerNext(MessageAnswer(answer));
        window.button(MainButton::SaveTextFile)->click();

        QCOMPARE(readFile(path), bytes);
        QCOMPARE(harness.platform.shownMessages().size(), questions);
        if (questions) {
            QCOMPARE(harness.platform.shownMessages().first(),
                     u"Are you sure you wish to overwrite "_s + path + u" ?"_s);
        }
        const auto dialog = harness.platform.dialogsShown().first();
        QCOMPARE(dialog.kind, u"saveFile"_s);
        QCOMPARE(dialog.title, u"Save"_s);
        QCOMPARE(dialog.filters.first().patterns, u"*.txt"_s);
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
    }

    void saveText_cancelWritesNothing()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"a"_s});
        window.button(MainButton::SaveTextFile)->click();
        QCOMPARE(harness.platform.dialogsShown().size(), 1);
        QVERIFY(QDir(harness.files.root()).isEmpty());
        QVERIFY(harness.platform.shownMessages().isEmpty());
    }

    void saveText_isBusyWhileItWrites()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"first"_s, u"second"_s});
        ListViewControl *list = window.resultsListView();
        list->selectRow(0);
        const QPoint onText = list->visualRect(window.results().index(0, 0)).center();
        int attempts = 0;
        harness.platform.onYield([&](int) {
            QVERIFY(window.pointer().isBusy());
            QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onText);
            QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, onText);
            ++attempts;
        });
        const QString path = harness.files.path(u"out.txt"_s);
        harness.platform.answerSaveFile(path);
        window.button(MainButton::SaveTextFile)->click();
        harness.platform.onYield({});

        QVERIFY(attempts > 0);
        QCOMPARE(window.results().rowCount(), 2);
        QCOMPARE(readFile(path), QByteArray("first\r\nsecond\r\n"));
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
        // Not busy any more: the double-click removes the row.
        QTest::mouseDClick(list->viewport(), Qt::LeftButton, {}, onText);
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, onText);
        QCOMPARE(window.results().rowCount(), 1);
    }

    void copy_putsTheTickedRowsOnTheClipboard_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QList<int>>("unchecked");
        QTest::addColumn<QString>("clipboard");
        QTest::newRow("trailing blanks go, unticked rows stay out")
            << QStringList{u"alpha"_s, u"skip"_s, u"be  "_s, u"   "_s} << QList<int>{1}
            << u"alpha\r\nbe\r\n\r\n"_s;
        QTest::newRow("nothing ticked empties it")
            << QStringList{u"a"_s} << QList<int>{0} << QString();
        QTest::newRow("empty list leaves it alone") << QStringList() << QList<int>() << u"before"_s;
    }
    void copy_putsTheTickedRowsOnTheClipboard()
    {
        QFETCH(QStringList, rows);
        QFETCH(QList<int>, unchecked);
        QFETCH(QString, clipboard);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, rows, unchecked);
        harness.platform.clipboard = u"before"_s;
        window.button(MainButton::CopyResults)->click();
        QCOMPARE(harness.platform.clipboard, clipboard);
        QCOMPARE(harness.platform.shownRequests(),
                 (QList<MessageRequest>{{ResultsCopiedMessage, u"Quillfen"_s}}));
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
    }

    // Nothing can show the workbook: a save dialog asks where it goes, and
    // nothing is opened or left in the cache folder.
    void spreadsheet_withoutAnApplication_asksWhereToSave()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"a"_s, u"skip"_s}, {1});
        harness.platform.spreadsheetAvailable = false;
        const QString path = harness.files.path(u"saved.xlsx"_s);
        harness.platform.answerSaveFile(path);
        window.button(MainButton::SaveExcelFile)->click();
        QVERIFY(harness.platform.shownMessages().isEmpty());
        QCOMPARE(harness.platform.dialogsShown().size(), 1);
        QCOMPARE(harness.platform.dialogsShown().first().kind, u"saveFile"_s);
        QVERIFY(harness.platform.openedWorkbooks.isEmpty());
        QVERIFY(QDir(harness.workbooks.root()).isEmpty());
        const XlsxSheet sheet = readFirstSheet(path);
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.text(u"A2"_s), u"a"_s);
        QVERIFY(sheet.text(u"A3"_s).isEmpty());
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
    }

    void spreadsheet_writesTheTickedRowsAsText()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"first"_s, u"skip"_s, u"=1+1"_s}, {1});
        harness.platform.spreadsheetAvailable = true;
        window.button(MainButton::SaveExcelFile)->click();
        QVERIFY(harness.platform.shownMessages().isEmpty());
        QCOMPARE(harness.platform.openedWorkbooks.size(), 1);
        const QString path = harness.platform.openedWorkbooks.first();
        QVERIFY(path.startsWith(harness.workbooks.root() + u'/'));

        const XlsxSheet sheet = readFirstSheet(path);
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.text(u"A1"_s), u"Results"_s);
        QCOMPARE(sheet.text(u"A2"_s), u"first"_s);
        QCOMPARE(sheet.text(u"A3"_s), u"=1+1"_s);
        QVERIFY(!sheet.anyFormula);
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
    }

    // The check box means one thing: every output takes the checked rows, in
    // list order, with no gaps.
    void everyOutput_takesTheCheckedRowsOnly_data()
    {
        QTest::addColumn<QList<int>>("unchecked");
        QTest::addColumn<QStringList>("taken");
        QTest::newRow("all checked") << QList<int>{} << QStringList{u"a"_s, u"b"_s, u"c"_s};
        QTest::newRow("middle unchecked") << QList<int>{1} << QStringList{u"a"_s, u"c"_s};
        QTest::newRow("first and last unchecked") << QList<int>{0, 2} << QStringList{u"b"_s};
    }
    void everyOutput_takesTheCheckedRowsOnly()
    {
        QFETCH(QList<int>, unchecked);
        QFETCH(QStringList, taken);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"a"_s, u"b"_s, u"c"_s}, unchecked);
        const QString lines = taken.join(u"\r\n"_s) + u"\r\n"_s;

        const QString path = harness.files.path(u"rows.txt"_s);
        harness.platform.answerSaveFile(path);
        window.button(MainButton::SaveTextFile)->click();
        QCOMPARE(readFile(path), lines.toUtf8());

        window.button(MainButton::CopyResults)->click();
        QCOMPARE(harness.platform.clipboard, lines);

        harness.platform.spreadsheetAvailable = true;
        window.button(MainButton::SaveExcelFile)->click();
        const XlsxSheet sheet = readFirstSheet(harness.platform.openedWorkbooks.value(0));
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        for (int i = 0; i < taken.size(); ++i)
            QCOMPARE(sheet.text(u"A"_s + QString::number(i + 2)), taken[i]);
        QVERIFY(sheet.row(int(taken.size()) + 2).isEmpty());
    }

    void editor_opensModally_andClosingStoresTheList()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"row"_s});
        harness.platform.answerText(u"Dr."_s);
        bool seen = false;
        bool mainWindowRefused = false;
        QTimer::singleShot(0, [&] {
            auto *editor = window.findChild<AbbreviationEditor *>();
            if (!editor)
                return;
            seen = editor->isVisible() && window.isEditingAbbreviations();
            // The main window takes no input meanwhile.
            QTest::mouseClick(window.button(MainButton::ClearResults), Qt::LeftButton);
            mainWindowRefused = window.results().rowCount() == 1;
            editor->findChild<QPushButton *>(u"PushButton4"_s)->click(); // Add
            editor->findChild<QPushButton *>(u"PushButton2"_s)->click(); // Close
        });
        window.button(MainButton::EditAbbreviations)->click();

        QVERIFY(seen);
        QVERIFY(mainWindowRefused);
        QVERIFY(!window.isEditingAbbreviations());
        QString expected;
        for (const QString &entry : defaultAbbreviations())
            expected += entry + S;
        QCOMPARE(harness.stored(AbbreviationsKey), expected + u"Dr."_s + S);
        QVERIFY(harness.platform.shownMessages().isEmpty());
        QCOMPARE(harness.platform.dialogsShown().first().title, u"Enter Abbreviation: "_s);
    }

    // Closing the main window while the editor is open reaches the window
    // (which ends the program) after the editor has kept its list, as its
    // own closing does.
    void closingMainWindow_whileEditorIsOpen_keepsTheListAndEnds()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        QSignalSpy unloaded(&window, &MainWindow::unloaded);
        harness.platform.answerText(u"Prof."_s);
        bool notBlocked = false;
        QTimer::singleShot(0, [&] {
            auto *editor = window.findChild<AbbreviationEditor *>();
            if (!editor)
                return;
            // Qt drops the desktop's close request to a window that a modal
            // window blocks: nothing may be modal in Qt's sense.
            notBlocked = !QGuiApplication::modalWindow();
            editor->findChild<QPushButton *>(u"PushButton4"_s)->click(); // Add
            window.close();
        });
        window.button(MainButton::EditAbbreviations)->click();
        QVERIFY(notBlocked);
        QCOMPARE(unloaded.count(), 1);
        QVERIFY(harness.stored(AbbreviationsKey).endsWith(u"Prof."_s + S));
    }
};

QTEST_MAIN(OutputsTest)
#include "tst_outputs.moc"
