#include "platform/Failure.h"
#include "results/ResultsModel.h"
#include "results/export/ResultsListData.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen;

class ResultsListDataTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsTheShownRowsFromOne()
    {
        ResultsModel model;
        model.setHeaderText(u"Results"_s);
        for (const QString &row : {u"alpha"_s, u""_s, u"\U0001F600 x"_s})
            model.append(row);
        model.flushRows();
        model.append(u"not flushed"_s);
        model.setData(model.index(1, 0), Qt::Unchecked, Qt::CheckStateRole);

        const ResultsListData list(model);
        QCOMPARE(list.columnCount(), 1);
        QCOMPARE(list.headerText(1), u"Results"_s);
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(list.cell(1, 1), u"alpha"_s);
        QCOMPARE(list.cell(3, 1), u"\U0001F600 x"_s);
        QCOMPARE(list.cellLength(3, 1), 4); // UTF-16 units
        QCOMPARE(list.cellLength(2, 1), 0);
        QCOMPARE(list.checked(1), true);
        QCOMPARE(list.checked(2), false);

        model.removeRowAt(0);
        QCOMPARE(list.rowCount(), 2);
        QCOMPARE(list.cell(1, 1), QString());
        QCOMPARE(list.checked(1), false);
    }

    void missingCells_fail_data()
    {
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("column");
        QTest::newRow("row 0") << 0 << 1;
        QTest::newRow("past the last row") << 2 << 1;
        QTest::newRow("second column") << 1 << 2;
    }
    void missingCells_fail()
    {
        QFETCH(int, row);
        QFETCH(int, column);
        ResultsModel model;
        model.append(u"only"_s);
        model.flushRows();
        const ResultsListData list(model);
        QVERIFY_THROWS_EXCEPTION(Failure, list.cell(row, column));
        QVERIFY_THROWS_EXCEPTION(Failure, list.cellLength(row, column));
        if (column == 1)
            QVERIFY_THROWS_EXCEPTION(Failure, list.checked(row));
    }
};

QTEST_GUILESS_MAIN(ResultsListDataTest)
#include "tst_resultslistdata.moc"
