#include "WindowHarness.h"
#include "windows/editor/AbbreviationEditor.h"
#include "windows/main/ListViewControl.h"

#include <QHeaderView>
#include <QTreeWidget>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

// Run with a logical DPI of 120 that Qt does not turn into a scale factor
// (QT_FONT_DPI=120, QT_SCALE_FACTOR_ROUNDING_POLICY=Round), as on a desktop
// set to 125 % text: sizes given in twips grow with it.
class LogicalDpiTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void initTestCase()
    {
        QWidget probe;
        QCOMPARE(probe.logicalDpiX(), 120);
        QCOMPARE(probe.devicePixelRatioF(), 1.0);
    }

    // The input list's column is 7000 twips, the results' "File" column
    // 2500 twips at first, and "Results" takes the rest of the list's width.
    void listColumns_areMeasuredInTwips()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        QCOMPARE(window.inputListView()->columnWidth(), 583);
        ListViewControl *results = window.resultsListView();
        QCOMPARE(results->columnWidth(1), 208);
        QCOMPARE(results->columnWidth(0) + results->columnWidth(1), results->viewport()->width());
    }

    void abbreviationEditor_isMeasuredInTwips()
    {
        WindowHarness harness;
        AbbreviationEditor editor(
            {.boxes = harness.platform, .dialogs = harness.platform, .settings = harness.settings});
        QCOMPARE(editor.size(), QSize(670, 413)); // 8040 x 4950 twips
        auto *list = editor.findChild<QTreeWidget *>(u"ListView1"_s);
        QVERIFY(list);
        QCOMPARE(list->geometry(), QRect(10, 10, 650, 311));
        QCOMPARE(list->columnWidth(0), 500); // 6000 twips
    }

    void rows_fitTheLargerFont()
    {
        WindowHarness harness;
        MainWindow &window = harness.start();
        ListViewControl *list = window.inputListView();
        QVERIFY(list->rowHeight() >= list->fontMetrics().height());
        QVERIFY(list->fontMetrics().height() > 14); // 9 point text at 96 dpi is 14 pixels
    }
};

QTEST_MAIN(LogicalDpiTest)
#include "tst_logicaldpi.moc"
