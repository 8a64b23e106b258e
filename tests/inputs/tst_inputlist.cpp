#include "inputs/InputListModel.h"
#include "inputs/RowDragReorder.h"
#include "platform/Failure.h"

#include <QSignalSpy>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

constexpr int RowHeight = 20;
constexpr int AreaHeight = 200; // ten rows in view
constexpr int Middle = 100;

QStringList letters(const QString &all)
{
    QStringList rows;
    for (QChar c : all)
        rows << QString(c);
    return rows;
}

} // namespace

class InputListTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void rows_areNumberedFromOneForTheRun()
    {
        InputListModel model;
        model.appendRow(u"/a.txt"_s);
        model.appendRows({u"/b.txt"_s, u"/a.txt"_s});
        QCOMPARE(model.rowCount(), 3);
        QCOMPARE(model.rowText(1), u"/a.txt"_s);
        QCOMPARE(model.rowText(3), u"/a.txt"_s);
        QVERIFY_THROWS_EXCEPTION(Failure, model.rowText(0));
        QVERIFY_THROWS_EXCEPTION(Failure, model.rowText(4));
    }

    void removeAndClear()
    {
        InputListModel model;
        model.appendRows(letters(u"abc"_s));
        model.removeRowAt(1);
        QCOMPARE(model.paths(), letters(u"ac"_s));
        model.removeRowAt(7);
        QCOMPARE(model.paths(), letters(u"ac"_s));
        model.clearRows();
        QCOMPARE(model.rowCount(), 0);
    }

    // The fillers' appends reach the views in one block per flush.
    void batch_announcesItsRowsAtFlushAndEnd()
    {
        InputListModel model;
        model.appendRows(letters(u"ab"_s));
        QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
        {
            InputListModel::AppendBatch batch(model);
            for (int i = 0; i < 1000; ++i)
                model.appendRow(QString::number(i));
            QCOMPARE(model.rowCount(), 1002);           // the run and the fillers see all
            QCOMPARE(model.rowCount(QModelIndex()), 2); // the views not yet
            QCOMPARE(model.rowText(1002), u"999"_s);
            QVERIFY(inserted.isEmpty());
            model.flushRows();
            QCOMPARE(inserted.size(), 1);
            QCOMPARE(inserted.at(0).at(1).toInt(), 2);
            QCOMPARE(inserted.at(0).at(2).toInt(), 1001);
            model.appendRow(u"late"_s);
            model.appendRow(u"later"_s);
        }
        QCOMPARE(inserted.size(), 2);
        QCOMPARE(inserted.at(1).at(1).toInt(), 1002);
        QCOMPARE(inserted.at(1).at(2).toInt(), 1003);
        QCOMPARE(model.rowCount(QModelIndex()), 1004);

        // Outside a batch every append is shown at once.
        model.appendRow(u"alone"_s);
        QCOMPARE(inserted.size(), 3);
        QCOMPARE(model.rowCount(QModelIndex()), 1005);
    }

    void batch_changesWithRowsPending_keepViewsAndRowsInStep()
    {
        InputListModel model;
        model.appendRows(letters(u"abc"_s));
        InputListModel::AppendBatch batch(model);
        model.appendRow(u"d"_s);
        model.removeRowAt(0);
        QCOMPARE(model.paths(), letters(u"bcd"_s));
        QCOMPARE(model.rowCount(QModelIndex()), 3);
        QCOMPARE(model.index(2, 0).data().toString(), u"d"_s);
        model.appendRow(u"e"_s);
        model.moveRowTo(3, 0);
        QCOMPARE(model.paths(), letters(u"ebcd"_s));
        QCOMPARE(model.rowCount(QModelIndex()), 4);
        model.appendRow(u"f"_s);
        model.clearRows();
        QCOMPARE(model.rowCount(), 0);
        QCOMPARE(model.rowCount(QModelIndex()), 0);
        model.appendRow(u"g"_s);
        model.flushRows();
        QCOMPARE(model.rowCount(QModelIndex()), 1);
    }

    void moveRowTo_shiftsTheRowsBetween_data()
    {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        QTest::addColumn<QString>("order");
        QTest::newRow("down one") << 0 << 1 << u"bacde"_s;
        QTest::newRow("down three") << 0 << 3 << u"bcdae"_s;
        QTest::newRow("up to the top") << 4 << 0 << u"eabcd"_s;
        QTest::newRow("up two") << 3 << 1 << u"adbce"_s;
        QTest::newRow("in place") << 2 << 2 << u"abcde"_s;
    }
    void moveRowTo_shiftsTheRowsBetween()
    {
        QFETCH(int, from);
        QFETCH(int, to);
        QFETCH(QString, order);
        InputListModel model;
        model.appendRows(letters(u"abcde"_s));
        model.moveRowTo(from, to);
        QCOMPARE(model.paths(), letters(order));
    }

    // A drag: press on `clicked`, then the pointer passes over `path` rows
    // (in the middle of the list, where nothing scrolls).
    void drag_data()
    {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("clicked");
        QTest::addColumn<QList<int>>("path");
        QTest::addColumn<QString>("order");
        QTest::addColumn<int>("dragged");
        QTest::newRow("neighbour below") << u"abcde"_s << 0 << QList<int>{1} << u"bacde"_s << 1;
        QTest::newRow("neighbour above") << u"abcde"_s << 3 << QList<int>{2} << u"abdce"_s << 2;
        QTest::newRow("slow over every row")
            << u"abcde"_s << 0 << QList<int>{1, 2, 3} << u"bcdae"_s << 3;
        QTest::newRow("fast drag skips rows")
            << u"abcde"_s << 0 << QList<int>{3} << u"bcdae"_s << 3;
        QTest::newRow("fast drag up") << u"abcde"_s << 4 << QList<int>{1} << u"aebcd"_s << 1;
        QTest::newRow("over itself") << u"abcde"_s << 2 << QList<int>{2, 2} << u"abcde"_s << 2;
        QTest::newRow("same text does nothing")
            << u"abace"_s << 0 << QList<int>{2} << u"abace"_s << 0;
        QTest::newRow("same text, then the next row")
            << u"abace"_s << 0 << QList<int>{2, 3} << u"bacae"_s << 3;
        QTest::newRow("over no row") << u"abcde"_s << 1 << QList<int>{-1} << u"abcde"_s << 1;
    }
    void drag()
    {
        QFETCH(QString, rows);
        QFETCH(int, clicked);
        QFETCH(QList<int>, path);
        QFETCH(QString, order);
        QFETCH(int, dragged);
        InputListModel model;
        model.appendRows(letters(rows));
        RowDragReorder drag(model);
        drag.press();
        drag.clickRow(clicked);
        for (int row : path)
            drag.moveOver(row, Middle, AreaHeight, RowHeight);
        QCOMPARE(model.paths(), letters(order));
        QCOMPARE(drag.draggedRow(), dragged);
    }

    void moves_selectTheRowUnderThePointer()
    {
        InputListModel model;
        model.appendRows(letters(u"abcde"_s));
        RowDragReorder drag(model);
        drag.press();
        drag.clickRow(1);
        QCOMPARE(drag.moveOver(3, Middle, AreaHeight, RowHeight).selectRow, 3);
        QCOMPARE(drag.moveOver(3, Middle, AreaHeight, RowHeight).selectRow, -1);
    }

    void withoutPress_movingDoesNothing()
    {
        InputListModel model;
        model.appendRows(letters(u"abc"_s));
        RowDragReorder drag(model);
        drag.clickRow(0);
        drag.moveOver(2, Middle, AreaHeight, RowHeight);
        QCOMPARE(model.paths(), letters(u"abc"_s));
        QVERIFY(!drag.dragActive());
    }

    void afterRelease_theLastClickedRowIsStillDragged()
    {
        InputListModel model;
        model.appendRows(letters(u"abcde"_s));
        RowDragReorder drag(model);
        drag.press();
        drag.clickRow(1);
        drag.release();
        drag.moveOver(3, Middle, AreaHeight, RowHeight);
        QCOMPARE(model.paths(), letters(u"abcde"_s));
        QCOMPARE(drag.draggedRow(), 1);
        // A press below the last row clicks no row: "b" is dragged again.
        drag.press();
        drag.moveOver(4, Middle, AreaHeight, RowHeight);
        QCOMPARE(model.paths(), letters(u"acdeb"_s));
        QCOMPARE(drag.draggedRow(), 4);
    }

    void draggedRow_followsItsRow_andIsGoneWhenRemoved()
    {
        InputListModel model;
        model.appendRows(letters(u"abcde"_s));
        RowDragReorder drag(model);
        drag.press();
        drag.clickRow(3);
        drag.release();
        model.removeRowAt(0);
        QCOMPARE(drag.draggedRow(), 2);
        QCOMPARE(model.pathAt(drag.draggedRow()), u"d"_s);
        model.removeRowAt(2);
        QCOMPARE(drag.draggedRow(), -1);
        drag.press();
        drag.moveOver(0, Middle, AreaHeight, RowHeight);
        QCOMPARE(model.paths(), letters(u"bce"_s));
    }

    void edgeScrolling_data()
    {
        QTest::addColumn<int>("clicked");
        QTest::addColumn<int>("target");
        QTest::addColumn<int>("pointerY");
        QTest::addColumn<int>("revealed");
        QTest::newRow("top edge reveals the row above") << 5 << 4 << 5 << 3;
        QTest::newRow("last pixel of the top edge") << 5 << 4 << RowHeight - 1 << 3;
        QTest::newRow("just below the top edge") << 5 << 4 << RowHeight << -1;
        QTest::newRow("top edge on the first row") << 1 << 0 << 5 << -1;
        QTest::newRow("bottom edge reveals the row below") << 5 << 6 << AreaHeight - 5 << 7;
        QTest::newRow("first pixel of the bottom edge") << 5 << 6 << AreaHeight - RowHeight << 7;
        QTest::newRow("just above the bottom edge") << 5 << 6 << AreaHeight - RowHeight - 1 << -1;
        QTest::newRow("bottom edge on the last row") << 8 << 9 << AreaHeight - 5 << -1;
        QTest::newRow("middle") << 5 << 6 << Middle << -1;
    }
    void edgeScrolling()
    {
        QFETCH(int, clicked);
        QFETCH(int, target);
        QFETCH(int, pointerY);
        QFETCH(int, revealed);
        InputListModel model;
        model.appendRows(letters(u"abcdefghij"_s));
        RowDragReorder drag(model);
        drag.press();
        drag.clickRow(clicked);
        const DragStep step = drag.moveOver(target, pointerY, AreaHeight, RowHeight);
        QCOMPARE(step.selectRow, target);
        QCOMPARE(step.revealRow, revealed);
    }

    void edgeScrolling_onlyWhenARowMoved()
    {
        InputListModel model;
        model.appendRows(letters(u"abcaef"_s));
        RowDragReorder drag(model);
        drag.press();
        drag.clickRow(0);
        const DragStep step = drag.moveOver(3, AreaHeight - 1, AreaHeight, RowHeight);
        QCOMPARE(step.revealRow, -1);
        QCOMPARE(step.selectRow, -1);
    }
};

QTEST_GUILESS_MAIN(InputListTest)
#include "tst_inputlist.moc"
