// Rows that say where they came from, through the window on the scripted
// platform: the File column, the column widths, the context menu, the find
// box, CSV, and the spreadsheet's File column.

#include "CliRunner.h"
#include "WindowHarness.h"
#include "XlsxReader.h"
#include "inputs/InputListModel.h"
#include "results/ResultsModel.h"
#include "results/export/ClipboardExport.h"
#include "windows/main/ListViewControl.h"
#include "windows/main/PointerControl.h"
#include "windows/main/ResultsColumns.h"
#include "windows/main/ResultsMenu.h"
#include "windows/main/VisibleTextDelegate.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QHeaderView>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

using Records = QList<QStringList>;

// RFC 4180, strictly: CR LF ends every record, quoted fields double their
// quotes; anything else is an error.
Records readCsv(const QByteArray &bytes, QString *error)
{
    Records records;
    QStringList record;
    QByteArray field;
    qsizetype i = 0;
    const qsizetype n = bytes.size();
    while (i < n) {
        field.clear();
        if (bytes[i] == '"') {
            for (++i;; ++i) {
                if (i >= n) {
                    *error = u"unclosed quotes"_s;
                    return records;
                }
                if (bytes[i] == '"') {
                    if (i + 1 < n && bytes[i + 1] == '"') {
                        field += '"';
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += bytes[i];
            }
        } else {
            while (i < n && bytes[i] != ',' && bytes[i] != '\r' && bytes[i] != '\n') {
                if (bytes[i] == '"') {
                    *error = u"a quote inside an unquoted field"_s;
                    return records;
                }
                field += bytes[i++];
            }
        }
        record << QString::fromUtf8(field);
        if (i < n && bytes[i] == ',') {
            ++i;
            continue;
        }
        if (i + 1 < n && bytes[i] == '\r' && bytes[i + 1] == '\n') {
            i += 2;
            records << record;
            record.clear();
            continue;
        }
        *error = u"a record that does not end in CR LF at byte %1"_s.arg(i);
        return records;
    }
    if (!record.isEmpty())
        *error = u"the last record has no CR LF"_s;
    return records;
}

// The tab-separated form: one record a line, \\ \t \n \r inside fields.
Records readTsv(const QByteArray &bytes)
{
    Records records;
    for (const QByteArray &line : bytes.split('\n')) {
        if (line.isEmpty())
            continue;
        QStringList record;
        for (const QByteArray &raw : line.split('\t')) {
            QByteArray field;
            for (qsizetype i = 0; i < raw.size(); ++i) {
                if (raw[i] != '\\' || i + 1 == raw.size()) {
                    field += raw[i];
                    continue;
                }
                const char c = raw[++i];
                field += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
            }
            record << QString::fromUtf8(field);
        }
        records << record;
    }
    return records;
}

// Rows as a run appends them, each group after its file.
void fillFromFiles(MainWindow &window, const QList<std::pair<QString, QStringList>> &files)
{
    ResultsModel &results = window.results();
    for (const auto &[path, rows] : files) {
        results.beginFile(path);
        for (const QString &row : rows)
            results.append(row);
    }
    results.flushRows();
}

// Each shown row as "text @ file name".
QStringList rowsWithFiles(const ResultsModel &results)
{
    QStringList rows;
    for (int i = 0; i < results.rowCount(); ++i) {
        rows << results.rowText(i) + u" @ "_s +
                    results.index(i, ResultsModel::FileColumn).data().toString();
    }
    return rows;
}

QPoint rowPoint(ListViewControl *list, int row)
{
    return QPoint(list->columnWidth(0) / 2,
                  list->visualRect(list->model()->index(row, 0)).center().y());
}

// A click that selects the row, then the double-click.
void doubleClick(QWidget *widget, QPoint position)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, position);
    QTest::mouseDClick(widget, Qt::LeftButton, {}, position);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
}

void startExtracting(MainWindow &window)
{
    QTest::mouseClick(window.button(MainButton::StartExtracting), Qt::LeftButton);
}

} // namespace

class ResultsTraceTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // A run's rows carry their file: its name in the column, its path as
    // the tooltip. Removing rows one by one, removing duplicates and
    // clearing keep every other row's file.
    void fileColumn_namesEachRowsFile()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        const QString one =
            harness.files.write(u"one/notes.txt"_s, "alpha\r\n\r\nbeta\r\n\r\nalpha");
        const QString two = harness.files.write(u"two/notes.txt"_s, "gamma\r\n\r\nalpha");
        const QString three = harness.files.write(u"three.txt"_s, "delta");
        window.inputList().appendRows({one, two, three});
        startExtracting(window);

        ResultsModel &results = window.results();
        QCOMPARE(
            rowsWithFiles(results),
            (QStringList{u"alpha @ notes.txt"_s, u"beta @ notes.txt"_s, u"alpha @ notes.txt"_s,
                         u"gamma @ notes.txt"_s, u"alpha @ notes.txt"_s, u"delta @ three.txt"_s}));
        ListViewControl *list = window.resultsListView();
        QCOMPARE(list->model()->headerData(1, Qt::Horizontal).toString(), u"File"_s);
        // The File column under the pointer, with the full path as its tip.
        const QPoint onFile(list->columnWidth(0) + 5, rowPoint(list, 3).y());
        const QModelIndex file = list->indexAt(onFile);
        QCOMPARE(file.column(), 1);
        QCOMPARE(file.data(Qt::ToolTipRole).toString(), two);
        QCOMPARE(results.index(0, 1).data(Qt::ToolTipRole).toString(), one);

        doubleClick(list->viewport(), rowPoint(list, 1)); // beta
        QStringList paths;
        for (int i = 0; i < results.rowCount(); ++i)
            paths << results.filePathOf(i);
        QCOMPARE(paths, (QStringList{one, one, two, two, three}));

        window.resultsMenu().removeDuplicateRows();
        QCOMPARE(harness.platform.shownMessages().last(), u"2 duplicate rows were removed."_s);
        QCOMPARE(resultTexts(results), (QStringList{u"alpha"_s, u"gamma"_s, u"delta"_s}));
        QCOMPARE(results.filePathOf(0), one);
        QCOMPARE(results.filePathOf(1), two);
        QCOMPARE(results.filePathOf(2), three);

        QTest::mouseClick(window.button(MainButton::ClearResults), Qt::LeftButton);
        QCOMPARE(results.rowCount(), 0);
        window.inputList().clearRows();
        window.inputList().appendRows({three, one});
        startExtracting(window);
        QCOMPARE(rowsWithFiles(results),
                 (QStringList{u"delta @ three.txt"_s, u"alpha @ notes.txt"_s, u"beta @ notes.txt"_s,
                              u"alpha @ notes.txt"_s}));
        QCOMPARE(results.filePathOf(3), one);
    }

    // "Results" takes what "File" leaves as the window resizes; the user's
    // widths are stored when a drag ends and come back at the next start.
    void columns_fillTheList_andTheUsersWidthsAreStored()
    {
        int file = 0;
        int past = 0;
        {
            WindowHarness harness;
            MainWindow &window = harness.startShown();
            ListViewControl *list = window.resultsListView();
            file = list->columnWidth(1);
            for (const int width : {900, 1300}) {
                window.resize(width, window.height());
                QTRY_COMPARE(list->columnWidth(0) + list->columnWidth(1),
                             list->viewport()->width());
                QCOMPARE(list->columnWidth(1), file);
                QCOMPARE(list->horizontalScrollBar()->maximum(), 0);
            }
            const int room = list->viewport()->width();
            // The divider dragged to the left: File widens with it.
            list->header()->resizeSection(0, room - file - 100);
            QCOMPARE(list->columnWidth(1), file + 100);
            QCOMPARE(list->columnWidth(0) + list->columnWidth(1), room);
            QVERIFY(harness.stored(ResultsColumns::FileKey).isNull()); // not before the drag ends
            QTest::mouseRelease(list->header()->viewport(), Qt::LeftButton);
            QCOMPARE(harness.stored(ResultsColumns::FileKey), QString::number(file + 100));
            QCOMPARE(harness.stored(ResultsColumns::ResultsKey), u"0"_s);
            // Past the right edge: Results keeps that width, the list scrolls.
            past = room + 50;
            list->header()->resizeSection(0, past);
            QTest::mouseRelease(list->header()->viewport(), Qt::LeftButton);
            QCOMPARE(list->columnWidth(0), past);
            QCOMPARE(list->horizontalScrollBar()->maximum(), past + file + 100 - room);
            QCOMPARE(harness.stored(ResultsColumns::ResultsKey), QString::number(past));

            WindowHarness again;
            again.store(ResultsColumns::FileKey, harness.stored(ResultsColumns::FileKey));
            again.store(ResultsColumns::ResultsKey, harness.stored(ResultsColumns::ResultsKey));
            MainWindow &restored = again.startShown();
            restored.resize(window.size());
            ListViewControl *restoredList = restored.resultsListView();
            QTRY_COMPARE(restoredList->viewport()->width(), room);
            QCOMPARE(restoredList->columnWidth(0), past);
            QCOMPARE(restoredList->columnWidth(1), file + 100);
        }
        // Damaged values: the defaults, without a report.
        WindowHarness damaged;
        damaged.store(ResultsColumns::FileKey, u"wide"_s);
        damaged.store(ResultsColumns::ResultsKey, u"-5"_s);
        MainWindow &window = damaged.startShown();
        ListViewControl *list = window.resultsListView();
        QCOMPARE(list->columnWidth(1), file);
        QTRY_COMPARE(list->columnWidth(0) + list->columnWidth(1), list->viewport()->width());
        QVERIFY(damaged.platform.shownMessages().isEmpty());
    }

    // Right-click on a row, or the menu key, opens the menu for that row.
    void contextMenu_actions_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("busy");
        for (const char *action :
             {"Open File", "Show in Folder", "Copy Row", "Remove Duplicate Rows", "Select All",
              "Check All", "Uncheck All"})
            QTest::newRow(action) << QString::fromLatin1(action) << false;
        QTest::newRow("Remove Duplicate Rows while busy") << u"Remove Duplicate Rows"_s << true;
        QTest::newRow("menu key, Open File") << u"key:Open File"_s << false;
    }
    void contextMenu_actions()
    {
        QFETCH(QString, action);
        QFETCH(bool, busy);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        const QString a = harness.files.write(u"a.txt"_s);
        const QString b = harness.files.write(u"sub/b.txt"_s);
        fillFromFiles(window, {{a, {u"one"_s, u"two"_s}}, {b, {u"one"_s, u"three"_s, u"two"_s}}});
        ResultsModel &results = window.results();
        results.setData(results.index(1), Qt::Unchecked, Qt::CheckStateRole);
        ListViewControl *list = window.resultsListView();

        const bool byKey = action.startsWith(u"key:"_s);
        action.remove(u"key:"_s);
        if (byKey) {
            list->setFocus();
            list->selectRow(3);
            QContextMenuEvent key(QContextMenuEvent::Keyboard, QPoint(), QPoint());
            QApplication::sendEvent(list, &key);
        } else {
            const QPoint at = rowPoint(list, 3);
            QContextMenuEvent click(QContextMenuEvent::Mouse, at,
                                    list->viewport()->mapToGlobal(at));
            QApplication::sendEvent(list->viewport(), &click);
        }
        QMenu *menu = window.resultsMenu().menu();
        QTRY_VERIFY(menu->isVisible());
        QStringList captions;
        for (QAction *item : menu->actions()) {
            if (!item->isSeparator())
                captions << item->text();
        }
        QCOMPARE(captions, (QStringList{u"Open File"_s, u"Show in Folder"_s, u"Copy Row"_s,
                                        u"Remove Duplicate Rows"_s, u"Select All"_s, u"Check All"_s,
                                        u"Uncheck All"_s}));
        QCOMPARE(list->selectedRow(), 3); // the row clicked is the one acted on
        if (busy)
            window.pointer().setPointerMode(PointerMode::Busy);
        QAction *item = window.resultsMenu().action(action);
        menu->hide();
        item->trigger();

        auto checks = [&] {
            QList<bool> marks;
            for (int i = 0; i < results.rowCount(); ++i)
                marks << results.isChecked(i);
            return marks;
        };
        if (action == u"Open File"_s) {
            QCOMPARE(harness.platform.openedFiles, QStringList{b});
        } else if (action == u"Show in Folder"_s) {
            QCOMPARE(harness.platform.shownInFolder, QStringList{b});
        } else if (action == u"Copy Row"_s) {
            QCOMPARE(harness.platform.clipboard, u"three"_s);
        } else if (action == u"Remove Duplicate Rows"_s && busy) {
            QCOMPARE(results.rowCount(), 5);
            QVERIFY(harness.platform.shownMessages().isEmpty());
        } else if (action == u"Remove Duplicate Rows"_s) {
            QCOMPARE(resultTexts(results), (QStringList{u"one"_s, u"two"_s, u"three"_s}));
            QCOMPARE(harness.platform.shownMessages(),
                     QStringList{u"2 duplicate rows were removed."_s});
            QCOMPARE(checks(), (QList<bool>{true, false, true})); // each keeps its own mark
            QCOMPARE(results.filePathOf(2), b);
        } else if (action == u"Select All"_s) {
            QCOMPARE(list->selectedRowNumbers(), (QList<int>{0, 1, 2, 3, 4}));
            window.resultsMenu().copyRows();
            QCOMPARE(harness.platform.clipboard, u"one\r\ntwo\r\none\r\nthree\r\ntwo"_s);
        } else if (action == u"Check All"_s) {
            QCOMPARE(checks(), QList<bool>(5, true));
        } else if (action == u"Uncheck All"_s) {
            QCOMPARE(checks(), QList<bool>(5, false));
        }
    }

    // Ctrl+C in the results copies the selected rows, as "Copy Row" does,
    // not only the current one.
    void ctrlC_copiesTheSelectedRows()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillFromFiles(window, {{QString(), {u"one"_s, u"two"_s, u"three"_s}}});
        ListViewControl *list = window.resultsListView();
        list->setFocus();
        list->selectRow(0);
        list->selectionModel()->select(window.results().index(2),
                                       QItemSelectionModel::Select | QItemSelectionModel::Rows);
        QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(harness.platform.clipboard, u"one\r\nthree"_s);
    }

    // A file that is gone, or that nothing opens, is told in one box naming
    // it, not as a program fault.
    void openFileAndShowInFolder_sayWhyTheyCannot_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<bool>("present");
        QTest::addColumn<QString>("message");
        const QString open = u"Cannot open \"%1\": "_s;
        const QString show = u"Cannot show \"%1\" in its folder: "_s;
        QTest::newRow("open, gone")
            << u"Open File"_s << false << open + u"the file is no longer there."_s;
        QTest::newRow("open, no application")
            << u"Open File"_s << true << open + u"no application is set to open it."_s;
        QTest::newRow("show, gone")
            << u"Show in Folder"_s << false << show + u"the file is no longer there."_s;
        QTest::newRow("show, no file manager")
            << u"Show in Folder"_s << true << show + u"no file manager could be started."_s;
    }
    void openFileAndShowInFolder_sayWhyTheyCannot()
    {
        QFETCH(QString, action);
        QFETCH(bool, present);
        QFETCH(QString, message);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        const QString path =
            present ? harness.files.write(u"a.txt"_s) : harness.files.path(u"gone.txt"_s);
        fillFromFiles(window, {{path, {u"one"_s}}});
        harness.platform.desktopFails = true;
        const QPoint at = rowPoint(window.resultsListView(), 0);
        QContextMenuEvent click(QContextMenuEvent::Mouse, at, at);
        QApplication::sendEvent(window.resultsListView()->viewport(), &click);
        window.resultsMenu().menu()->hide();
        window.resultsMenu().action(action)->trigger();

        QCOMPARE(harness.platform.shownRequests().size(), 1);
        const MessageRequest box = harness.platform.shownRequests().first();
        QCOMPARE(box.text, message.arg(path));
        QCOMPARE(box.caption, applicationTitle());
        QCOMPARE(box.icon, MessageIcon::Warning);
    }

    // The find box shows the rows that hold its text in any case; the
    // exports still take every checked row of the list.
    void findBox_showsTheRowsThatHoldItsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("shown");
        const QStringList all{u"Password reset"_s, u"no match here"_s, u"the PASSWORD"_s,
                              u"Élodie wrote"_s, u"K for Kelvin: \u212A"_s};
        QTest::newRow("empty: all") << QString() << all;
        QTest::newRow("any case") << u"password"_s
                                  << QStringList{u"Password reset"_s, u"the PASSWORD"_s};
        QTest::newRow("beyond ASCII") << u"éLODIE"_s << QStringList{u"Élodie wrote"_s};
        QTest::newRow("a sign that folds to ASCII")
            << u"kelvin: k"_s << QStringList{u"K for Kelvin: \u212A"_s};
        QTest::newRow("none") << u"zebra"_s << QStringList();
    }
    void findBox_showsTheRowsThatHoldItsText()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, shown);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        fillResults(window,
                    {u"Password reset"_s, u"no match here"_s, u"the PASSWORD"_s, u"Élodie wrote"_s,
                     u"K for Kelvin: \u212A"_s},
                    {1});
        QLineEdit *find = window.findBox();
        QCOMPARE(find->accessibleName(), u"Find in results"_s);
        QCOMPARE(find->placeholderText(), u"Find in results"_s);
        QVERIFY(find->toolTip().contains(u"whole list"_s));
        QTest::keyClick(&window, Qt::Key_F, Qt::ControlModifier);
        QTRY_VERIFY(find->hasFocus());
        find->insert(text); // typed: QTest types ASCII only
        ResultsModel &results = window.results();
        QTRY_VERIFY(results.findComplete());
        QCOMPARE(resultTexts(results), shown);

        // Exports take the checked rows of the whole list.
        const QString path = harness.files.path(u"all.txt"_s);
        harness.platform.answerSaveFile(path);
        window.button(MainButton::SaveTextFile)->click();
        QCOMPARE(readFile(path),
                 QByteArray("Password reset\r\nthe PASSWORD\r\n\xc3\x89lodie wrote\r\n"
                            "K for Kelvin: \xe2\x84\xaa\r\n"));
        // Rows added meanwhile are found too; clearing the box shows all.
        fillResults(window, {u"new password"_s, u"other"_s});
        QTRY_VERIFY(results.findComplete());
        QCOMPARE(results.rowCount(),
                 int(shown.size()) + (text.isEmpty() ? 2 : text == u"password"_s));
        find->clear();
        QCOMPARE(results.rowCount(), 7);
    }

    // The find's matches are drawn in bold, in any case; Esc in the box
    // empties it and shows every row again.
    void findBox_marksItsMatches_andEscClearsIt()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        fillResults(window, {u"Password reset, password"_s, u"other"_s});
        QLineEdit *find = window.findBox();
        find->setFocus();
        find->insert(u"PASS"_s);
        ResultsModel &results = window.results();
        QTRY_VERIFY(results.findComplete());
        const QModelIndex first = results.index(0, 0);
        QStyleOptionViewItem option;
        option.initFrom(window.resultsListView());
        option.rect = window.resultsListView()->visualRect(first);
        QCOMPARE(window.resultsDelegate()->boldRanges(option, first),
                 (std::vector<TextRange>{{0, 4}, {16, 4}}));

        QTest::keyClick(find, Qt::Key_Escape);
        QCOMPARE(find->text(), QString());
        QCOMPARE(results.rowCount(), 2);
        QVERIFY(window.resultsDelegate()->boldRanges(option, first).empty());
    }

    // Acting on shown rows acts on those rows of the list.
    void findBox_removalsAndChecksActOnTheShownRows()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"a1"_s, u"b1"_s, u"a2"_s, u"b2"_s, u"a3"_s});
        window.findBox()->setText(u"A"_s);
        ResultsModel &results = window.results();
        QTRY_VERIFY(results.findComplete());
        QCOMPARE(resultTexts(results), (QStringList{u"a1"_s, u"a2"_s, u"a3"_s}));
        ListViewControl *list = window.resultsListView();
        doubleClick(list->viewport(), rowPoint(list, 1));
        QCOMPARE(resultTexts(results), (QStringList{u"a1"_s, u"a3"_s}));
        window.resultsMenu().checkAll(false);
        window.findBox()->clear();
        QCOMPARE(resultTexts(results), (QStringList{u"a1"_s, u"b1"_s, u"b2"_s, u"a3"_s}));
        QList<bool> marks;
        for (int i = 0; i < results.rowCount(); ++i)
            marks << results.isChecked(i);
        QCOMPARE(marks, (QList<bool>{false, true, true, false}));
    }

    // Hundreds of thousands of rows are searched a slice at a time: the
    // window answers meanwhile, and the rows found so far are shown.
    void findBox_searchesALongListInSlices()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ResultsModel &results = window.results();
        for (int i = 0; i < 400'000; ++i)
            results.append(i % 1000 == 7 ? u"a rare Needle here"_s
                                         : u"plain words, many of them"_s);
        results.flushRows();
        window.findBox()->setText(u"needle"_s);
        QVERIFY(!results.findComplete());
        QTRY_VERIFY_WITH_TIMEOUT(results.findComplete(), 20000);
        QCOMPARE(results.rowCount(), 400);
        QCOMPARE(results.listRow(399), 399'007);
    }

    // CSV as the window writes it reads back with an RFC 4180 reader, and
    // the command line writes the same bytes; tsv reads back as well.
    void csv_roundTrip_andTheCommandLineWritesTheSameBytes_data()
    {
        QTest::addColumn<int>("filter"); // chosen in the dialog
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("saved");
        QTest::newRow("CSV chosen") << 1 << u"rows"_s << u"rows.csv"_s;
        QTest::newRow("named .csv") << 0 << u"rows.CSV"_s << u"rows.CSV"_s;
    }
    void csv_roundTrip_andTheCommandLineWritesTheSameBytes()
    {
        QFETCH(int, filter);
        QFETCH(QString, name);
        QFETCH(QString, saved);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        const QString first = harness.files.write(
            u"a, \"quoted\" name.txt"_s, "plain\r\n\r\nsay \"hi\", then\r\nleave\r\n\r\ntab\there");
        const QString second = harness.files.write(u"b.txt"_s, "caf\xc3\xa9 \\ back");
        window.inputList().appendRows({first, second});
        startExtracting(window);
        harness.platform.answerSaveFile(harness.files.path(name), filter);
        window.button(MainButton::SaveTextFile)->click();
        const QByteArray bytes = readFile(harness.files.path(saved));

        QString error;
        const Records records = readCsv(bytes, &error);
        QVERIFY2(error.isEmpty(), qPrintable(error));
        const QStringList rows = resultTexts(window.results());
        QCOMPARE(rows.size(), 4);
        QVERIFY(rows[1].startsWith(u"say \"hi\", then\r"_s)); // a line break within
        QCOMPARE(records, (Records{{u"file"_s, u"text"_s},
                                   {first, u"plain"_s},
                                   {first, rows[1]},
                                   {first, u"tab\there"_s},
                                   {second, u"café \\ back"_s}}));
        const QByteArray quoted = "\"" + first.toUtf8().replace("\"", "\"\"") + "\"";
        const QByteArray head = "file,text\r\n" + quoted + ",plain\r\n";
        QVERIFY(bytes.startsWith(head));

        const CliResult csv =
            runCli({u"--format"_s, u"csv"_s, first, second}, harness.files.path(u"config"_s));
        QCOMPARE(csv.status, 0);
        QCOMPARE(csv.out, bytes);
        const CliResult tsv =
            runCli({u"--format=tsv"_s, first, second}, harness.files.path(u"config"_s));
        QCOMPARE(tsv.status, 0);
        QCOMPARE(readTsv(tsv.out), records);
        QCOMPARE(tsv.out.count('\n'), 5); // a line a record
    }

    // Unchecked rows stay out of the CSV; a row without a file has an empty
    // first field.
    void csv_takesTheCheckedRows()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"kept"_s, u"left out"_s}, {1});
        const QString path = harness.files.path(u"rows.csv"_s);
        harness.platform.answerSaveFile(path);
        window.button(MainButton::SaveTextFile)->click();
        QCOMPARE(readFile(path), QByteArray("file,text\r\n,kept\r\n"));
    }

    // The workbook gets each row's file in column B under "File"; the
    // clipboard keeps its one column.
    void spreadsheet_putsTheFileInColumnB_data()
    {
        QTest::addColumn<bool>("application"); // false: saved through the dialog
        QTest::newRow("opened") << true;
        QTest::newRow("saved where the user says") << false;
    }
    void spreadsheet_putsTheFileInColumnB()
    {
        QFETCH(bool, application);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        const QString a = harness.files.path(u"a=1.txt"_s);
        fillFromFiles(window, {{a, {u"first"_s, u"skipped"_s}}, {QString(), {u"no file"_s}}});
        window.results().setData(window.results().index(1), Qt::Unchecked, Qt::CheckStateRole);
        harness.platform.spreadsheetAvailable = application;
        const QString chosen = harness.files.path(u"out.xlsx"_s);
        if (!application)
            harness.platform.answerSaveFile(chosen);
        window.button(MainButton::SaveExcelFile)->click();

        QVERIFY(harness.platform.shownMessages().isEmpty());
        QCOMPARE(harness.platform.openedWorkbooks.size(), application ? 1 : 0);
        QCOMPARE(harness.platform.dialogsShown().size(), application ? 0 : 1);
        QCOMPARE(QDir(harness.workbooks.root()).isEmpty(), !application);
        const XlsxSheet sheet =
            readFirstSheet(application ? harness.platform.openedWorkbooks.first() : chosen);
        QVERIFY2(sheet.error.isEmpty(), qPrintable(sheet.error));
        QCOMPARE(sheet.row(1), (QStringList{u"A1"_s, u"B1"_s}));
        QCOMPARE(sheet.text(u"A1"_s), u"Results"_s);
        QCOMPARE(sheet.text(u"B1"_s), u"File"_s);
        QCOMPARE(sheet.text(u"A2"_s), u"first"_s);
        QCOMPARE(sheet.text(u"B2"_s), a); // exactly, "=" and all
        QCOMPARE(sheet.row(3), QStringList{u"A3"_s});
        QCOMPARE(sheet.text(u"A3"_s), u"no file"_s);
        QVERIFY(sheet.row(4).isEmpty());

        window.button(MainButton::CopyResults)->click();
        QCOMPARE(harness.platform.clipboard, u"first\r\nno file\r\n"_s);
    }
};

QTEST_MAIN(ResultsTraceTest)
#include "tst_resultstrace.moc"
