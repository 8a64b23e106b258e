#include "WindowHarness.h"
#include "inputs/InputListModel.h"
#include "results/ResultsModel.h"
#include "windows/main/ListBehaviours.h"
#include "windows/main/ListViewControl.h"
#include "windows/main/PointerControl.h"

#include <QHeaderView>
#include <QImage>
#include <QPushButton>
#include <QScrollBar>
#include <QToolTip>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

QStringList letters(const QString &all)
{
    QStringList rows;
    for (QChar c : all)
        rows << QString(c);
    return rows;
}

QPoint rowCentre(ListViewControl *list, int row)
{
    return list->visualRect(list->model()->index(row, 0)).center();
}

void pressKey(ListViewControl *list, Qt::Key key)
{
    QTest::keyClick(list, key);
}

// QTest sends the double-click event alone and leaves the button down.
void doubleClick(QWidget *widget, QPoint position)
{
    QTest::mouseDClick(widget, Qt::LeftButton, {}, position);
    QTest::mouseRelease(widget, Qt::LeftButton, {}, position);
}

} // namespace

class ListsTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // How the input list's selected row is removed, and whether it is busy.
    void inputRemovals_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("busy");
        QTest::addColumn<QString>("left");
        QTest::newRow("double-click") << u"double-click"_s << false << u"acd"_s;
        QTest::newRow("Delete key") << u"delete"_s << false << u"acd"_s;
        QTest::newRow("Clear List") << u"clear"_s << false << u""_s;
        QTest::newRow("double-click while busy") << u"double-click"_s << true << u"abcd"_s;
        QTest::newRow("Delete key while busy") << u"delete"_s << true << u"abcd"_s;
        QTest::newRow("Clear List while busy") << u"clear"_s << true << u"abcd"_s;
    }
    void inputRemovals()
    {
        QFETCH(QString, how);
        QFETCH(bool, busy);
        QFETCH(QString, left);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.inputListView();
        window.inputList().appendRows(letters(u"abcd"_s));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, rowCentre(list, 1));
        QCOMPARE(list->selectedRow(), 1);
        if (busy)
            window.pointer().setPointerMode(PointerMode::Busy);
        if (how == u"double-click"_s)
            doubleClick(list->viewport(), rowCentre(list, 1));
        else if (how == u"delete"_s)
            pressKey(list, Qt::Key_Delete);
        else
            QTest::mouseClick(window.button(MainButton::ClearInputs), Qt::LeftButton);
        QCOMPARE(window.inputList().paths(), letters(left));
        QVERIFY(harness.platform.shownMessages().isEmpty());
    }

    void inputRemoval_withoutSelectionOrRows_doesNothing()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.inputListView();
        pressKey(list, Qt::Key_Delete);
        doubleClick(list->viewport(), QPoint(20, 20));
        QTest::mouseClick(window.button(MainButton::ClearInputs), Qt::LeftButton);
        QCOMPARE(window.inputList().rowCount(), 0);

        window.inputList().appendRows(letters(u"ab"_s));
        pressKey(list, Qt::Key_Delete);
        QCOMPARE(window.inputList().paths(), letters(u"ab"_s));
        QVERIFY(harness.platform.shownMessages().isEmpty());
    }

    void otherKeys_removeNothing()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.inputList().appendRows(letters(u"ab"_s));
        window.inputListView()->selectRow(0);
        for (Qt::Key key : {Qt::Key_Backspace, Qt::Key_D, Qt::Key_Insert})
            pressKey(window.inputListView(), key);
        QCOMPARE(window.inputList().paths(), letters(u"ab"_s));
    }

    void removingTheOnlyRow_leavesNoSelection()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.inputList().appendRow(u"/only.txt"_s);
        window.inputListView()->selectRow(0);
        pressKey(window.inputListView(), Qt::Key_Delete);
        QCOMPARE(window.inputList().rowCount(), 0);
        QCOMPARE(window.inputListView()->selectedRow(), -1);
    }

    void dragInTheList_movesTheRow_andReleaseRestoresThePointer()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.inputListView();
        window.inputList().appendRows(letters(u"abcde"_s));
        QWidget *viewport = list->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(list, 0));
        QVERIFY(window.inputBehaviour().drag().dragActive());
        QVERIFY(viewport->testAttribute(Qt::WA_SetCursor));
        QTest::mouseMove(viewport, rowCentre(list, 3));
        QCOMPARE(window.inputList().paths(), letters(u"bcdae"_s));
        QCOMPARE(list->selectedRow(), 3);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(list, 3));
        QVERIFY(!window.inputBehaviour().drag().dragActive());
        QVERIFY(!viewport->testAttribute(Qt::WA_SetCursor));
        QCOMPARE(window.inputBehaviour().drag().draggedRow(), 3);

        // Moving without a button moves nothing.
        WindowHarness::moveOver(viewport, rowCentre(list, 0));
        QCOMPARE(window.inputList().paths(), letters(u"bcdae"_s));
    }

    void dragPointer_fromTheDataFolder()
    {
        WindowHarness harness;
        QImage drag(16, 16, QImage::Format_ARGB32);
        drag.fill(Qt::green);
        QVERIFY(drag.save(harness.dataFolder.path(u"drag.ico"_s), "ICO"));
        MainWindow &window = harness.startShown();
        window.inputList().appendRows(letters(u"ab"_s));
        QWidget *viewport = window.inputListView()->viewport();
        QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(window.inputListView(), 0));
        QCOMPARE(viewport->cursor().shape(), Qt::BitmapCursor);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowCentre(window.inputListView(), 0));
        QVERIFY(!viewport->testAttribute(Qt::WA_SetCursor));
    }

    void tooltips_showTheRowsTextOrTheHint()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"first\r\nsecond"_s});
        window.inputList().appendRow(u"/docs/a.txt"_s);
        auto tipAt = [](ListViewControl *list, QPoint position) {
            QHelpEvent help(QEvent::ToolTip, position, list->viewport()->mapToGlobal(position));
            QApplication::sendEvent(list->viewport(), &help);
            return QToolTip::text();
        };
        QCOMPARE(tipAt(window.resultsListView(), rowCentre(window.resultsListView(), 0)),
                 u"first\r\nsecond"_s);
        QCOMPARE(tipAt(window.resultsListView(),
                       QPoint(5, window.resultsListView()->viewport()->height() - 3)),
                 window.resultsListView()->toolTip());
        QCOMPARE(tipAt(window.inputListView(), rowCentre(window.inputListView(), 0)),
                 window.inputListView()->toolTip());
        QToolTip::hideText();
    }

    void dragAtTheEdges_scrollsAsLittleAsNeeded()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.inputListView();
        QStringList rows;
        for (int i = 0; i < 200; ++i)
            rows << u"/file"_s + QString::number(i);
        window.inputList().appendRows(rows);
        QWidget *viewport = list->viewport();
        QScrollBar *bar = list->verticalScrollBar();
        const int rowHeight = list->rowHeight();

        // Row 0 dragged straight onto the row at the bottom edge.
        QTest::mousePress(viewport, Qt::LeftButton, {}, rowCentre(list, 0));
        const int bottomY = viewport->height() - 2;
        const int target = bottomY / rowHeight;
        QTest::mouseMove(viewport, QPoint(10, bottomY));
        QCOMPARE(window.inputList().pathAt(target), u"/file0"_s);
        QCOMPARE(list->selectedRow(), target);
        const int scrolled = bar->value();
        QVERIFY(scrolled > 0);
        QVERIFY(scrolled <= 2 * rowHeight);
        const QModelIndex below = list->model()->index(target + 1, 0);
        QCOMPARE(list->visualRect(below).bottom(), viewport->height() - 1);

        // Back up to the row at the top edge: the row above it comes into view.
        const QModelIndex top = list->indexAt(QPoint(10, 2));
        QVERIFY(top.row() > 0);
        QTest::mouseMove(viewport, QPoint(10, 2));
        QCOMPARE(window.inputList().pathAt(top.row()), u"/file0"_s);
        QVERIFY(bar->value() < scrolled);
        QCOMPARE(bar->value(), (top.row() - 1) * rowHeight);
        QTest::mouseRelease(viewport, Qt::LeftButton, {}, QPoint(10, 2));
    }

    void dragInTheMiddle_doesNotScroll()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.inputListView();
        QStringList rows;
        for (int i = 0; i < 200; ++i)
            rows << u"/file"_s + QString::number(i);
        window.inputList().appendRows(rows);
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, rowCentre(list, 1));
        QTest::mouseMove(list->viewport(), rowCentre(list, 4));
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, rowCentre(list, 4));
        QCOMPARE(window.inputList().pathAt(4), u"/file1"_s);
        QCOMPARE(list->verticalScrollBar()->value(), 0);
    }

    void resultsDoubleClick_removesTheSelectedRow_unlessBusy()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.resultsListView();
        fillResults(window, {u"one"_s, u"two"_s, u"two"_s});
        const QPoint row1 = rowCentre(list, 1) + QPoint(list->columnWidth() / 3, 0);
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, row1);
        QCOMPARE(list->selectedRow(), 1);

        window.pointer().setPointerMode(PointerMode::Busy);
        doubleClick(list->viewport(), row1);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"one"_s, u"two"_s, u"two"_s}));

        window.pointer().setPointerMode(PointerMode::Default);
        doubleClick(list->viewport(), row1);
        QCOMPARE(resultTexts(window.results()), (QStringList{u"one"_s, u"two"_s}));
    }

    void resultsDoubleClick_withNothingSelected_removesNothing()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        doubleClick(window.resultsListView()->viewport(), QPoint(30, 5));
        fillResults(window, {u"one"_s, u"two"_s});
        const QPoint below(30, window.resultsListView()->viewport()->height() - 3);
        doubleClick(window.resultsListView()->viewport(), below);
        QCOMPARE(window.results().rowCount(), 2);
        QVERIFY(harness.platform.shownMessages().isEmpty());
    }

    void resultsCheckBox_clickUnticks_andDoubleClickKeepsTheRow()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.resultsListView();
        fillResults(window, {u"one"_s, u"two"_s});
        QPoint box;
        for (int x = 0; x < list->columnWidth() && box.isNull(); ++x) {
            const QPoint at(x, rowCentre(list, 0).y());
            if (list->isOnCheckIndicator(at))
                box = at + QPoint(3, 0);
        }
        QVERIFY(!box.isNull());
        QVERIFY(list->isOnCheckIndicator(box));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, box);
        QVERIFY(!window.results().isChecked(0));
        QVERIFY(window.results().isChecked(1));
        doubleClick(list->viewport(), box);
        QCOMPARE(window.results().rowCount(), 2);
    }

    void resultsClearList_worksWhileBusy_andResetsTheHeader()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"one"_s, u"two"_s});
        window.results().setHeaderText(u"Something else"_s);
        window.pointer().setPointerMode(PointerMode::Busy);
        QTest::mouseClick(window.button(MainButton::ClearResults), Qt::LeftButton);
        QCOMPARE(window.results().rowCount(), 0);
        QCOMPARE(window.results().headerText(), u"Results"_s);
        QTest::mouseClick(window.button(MainButton::ClearResults), Qt::LeftButton);
        QCOMPARE(window.results().rowCount(), 0);
        QVERIFY(harness.platform.shownMessages().isEmpty());
    }

    void multiLineRow_showsOnOneLine_withItsTextAsTooltip()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        fillResults(window, {u"first line\r\nsecond line"_s});
        const QModelIndex row = window.resultsListView()->model()->index(0, 0);
        QCOMPARE(row.data(Qt::DisplayRole).toString(), u"first line\u21B5second line"_s);
        QCOMPARE(row.data(Qt::ToolTipRole).toString(), u"first line\r\nsecond line"_s);
        QCOMPARE(window.resultsListView()->visualRect(row).height(),
                 window.resultsListView()->rowHeight());
    }

    void manyRows_scrollToTheEnd()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.resultsListView();
        for (int i = 0; i < 100000; ++i)
            window.results().append(QString(u"row "_s + QString::number(i)));
        window.results().flushRows();
        list->scrollToBottom();
        const QPoint lastVisible(10, list->viewport()->height() - 2);
        QCOMPARE(list->indexAt(lastVisible).row(), 99999);
        QCOMPARE(list->indexAt(QPoint(10, 1)).row(),
                 99999 - (list->viewport()->height() - 2) / list->rowHeight());
        window.results().clearRows();
        QCOMPARE(list->verticalScrollBar()->maximum(), 0);
        QVERIFY(!list->indexAt(QPoint(10, 1)).isValid());
    }

    // A run begins by clearing the list; its first rows, a screenful and
    // more, are then painted once, not again when the timers run.
    void clearedList_paintsItsFirstRowsOnce()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.resultsListView();
        fillResults(window, {u"before"_s});
        QTest::qWait(20);
        const EventCounter counter(list->viewport(), QEvent::Paint);
        window.results().clearRows();
        QStringList rows;
        for (int i = 0; i < 200; ++i)
            rows << u"row "_s + QString::number(i);
        fillResults(window, rows);
        QTest::qWait(50);
        QCOMPARE(counter.count, 1);
        QCOMPARE(list->indexAt(QPoint(10, 1)).row(), 0);
    }

    void keyboard_movesTheSelection()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.inputListView();
        window.inputList().appendRows(letters(u"abcdef"_s));
        list->setFocus();
        list->selectRow(0);
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Down);
        QCOMPARE(list->selectedRow(), 2);
        QTest::keyClick(list, Qt::Key_End);
        QCOMPARE(list->selectedRow(), 5);
        QTest::keyClick(list, Qt::Key_Home);
        QCOMPARE(list->selectedRow(), 0);
    }

    void columnDivider_widensTheColumn_andTheListScrollsSideways()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        ListViewControl *list = window.inputListView();
        list->header()->resizeSection(0, list->viewport()->width() + 300);
        QCOMPARE(list->columnWidth(), list->viewport()->width() + 300);
        QCOMPARE(list->horizontalScrollBar()->maximum(), 300);
    }
};

QTEST_MAIN(ListsTest)
#include "tst_lists.moc"
