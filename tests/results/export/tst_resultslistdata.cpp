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

    // Saving reads the stored bytes; a row with an unpaired surrogate, kept
    // as it is in the list, is saved with U+FFFD in its place, as the text
    // of any list is.
    void cellsAsUtf8_areTheCellsEncoded()
    {
        const QString lone = u"a"_s + QChar(0xD800) + u"b"_s;
        ResultsModel model;
        for (const QString &row : {u"caf\u00E9"_s, u"\U0001F600"_s})
            model.append(row);
        model.flushRows();
        const ResultsListData list(model);
        QByteArray out;
        list.appendCellUtf8(out, 1, 1);
        list.appendCellUtf8(out, 2, 1);
        QCOMPARE(out, QByteArray("caf\xC3\xA9\xF0\x9F\x98\x80"));

        model.append(lone);
        model.flushRows();
        QCOMPARE(model.rowText(2), lone); // the list keeps it exactly
        QCOMPARE(list.cellLength(3, 1), 3);
        out.clear();
        list.appendCellUtf8(out, 3, 1);
        list.appendCellUtf8(out, 1, 1);
        QCOMPARE(out, QByteArray("a\xEF\xBF\xBD"
                                 "bcaf\xC3\xA9"));
        QVERIFY_THROWS_EXCEPTION(Failure, list.appendCellUtf8(out, 4, 1));
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
