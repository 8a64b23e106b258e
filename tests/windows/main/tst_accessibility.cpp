#include "WindowHarness.h"
#include "inputs/InputListModel.h"
#include "results/ResultsModel.h"
#include "windows/editor/AbbreviationEditor.h"
#include "windows/main/CaptionedProgressBar.h"
#include "windows/main/ListViewControl.h"

#include <QAccessible>
#include <QPushButton>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

QAccessibleInterface *accessible(QObject *object)
{
    return QAccessible::queryAccessibleInterface(object);
}

QStringList childNames(QAccessibleInterface *list)
{
    QStringList names;
    for (int i = 0; i < list->childCount(); ++i)
        names << list->child(i)->text(QAccessible::Name);
    return names;
}

} // namespace

class AccessibilityTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void controls_areNamedByTheirCaptions_data()
    {
        QTest::addColumn<QString>("object");
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("role");
        const int button = QAccessible::Button;
        const int option = QAccessible::RadioButton;
        const int text = QAccessible::EditableText;
        QTest::newRow("Form1") << u"Form1"_s << u"Quillfen"_s << int(QAccessible::Window);
        QTest::newRow("PushButton1") << u"PushButton1"_s << u"Start Extracting"_s << button;
        QTest::newRow("PushButton2") << u"PushButton2"_s << u"Add File(s)"_s << button;
        QTest::newRow("PushButton3")
            << u"PushButton3"_s << u"Add All File(s) In Folder"_s << button;
        QTest::newRow("PushButton4")
            << u"PushButton4"_s << u"Option: Ignore These Abbreviations"_s << button;
        QTest::newRow("PushButton5")
            << u"PushButton5"_s << u"Copy Results To Clipboard"_s << button;
        QTest::newRow("PushButton6")
            << u"PushButton6"_s << u"Save Results As Text File"_s << button;
        QTest::newRow("PushButton7")
            << u"PushButton7"_s << u"Save Results To Excel File"_s << button;
        QTest::newRow("PushButton8") << u"PushButton8"_s << u"Clear List"_s << button;
        QTest::newRow("PushButton9") << u"PushButton9"_s << u"Clear List"_s << button;
        QTest::newRow("PushButton10")
            << u"PushButton10"_s << u"Load Sample/Example Files"_s << button;
        QTest::newRow("Frame1") << u"Frame1"_s << u"Extract Option"_s << int(QAccessible::Grouping);
        QTest::newRow("Frame2") << u"Frame2"_s << u"Options"_s << int(QAccessible::Grouping);
        QTest::newRow("Option1")
            << u"Option1"_s << u"Paragraph (Look for blank lines which usually ends paragraphs)"_s
            << option;
        QTest::newRow("Option2") << u"Option2"_s
                                 << u"Sentence (Look for . ? ! which usually ends sentences)"_s
                                 << option;
        QTest::newRow("Option3") << u"Option3"_s << u"Do not filter"_s << option;
        QTest::newRow("Option4") << u"Option4"_s
                                 << u"Filter - Only extract lines containing this.."_s << option;
        QTest::newRow("Option5") << u"Option5"_s
                                 << u"Filter - Only extract lines not containing this.."_s
                                 << option;
        // The text boxes have no caption; each is named after its option.
        QTest::newRow("Text1") << u"Text1"_s << u"Filter - Only extract lines containing this.."_s
                               << text;
        QTest::newRow("Text2") << u"Text2"_s
                               << u"Filter - Only extract lines not containing this.."_s << text;
        QTest::newRow("ListView1") << u"ListView1"_s << u"File(s)"_s << int(QAccessible::List);
        QTest::newRow("ListView2") << u"ListView2"_s << u"Results"_s << int(QAccessible::List);
        QTest::newRow("ProgressBar1")
            << u"ProgressBar1"_s << u"Progress Bar"_s << int(QAccessible::ProgressBar);
    }
    void controls_areNamedByTheirCaptions()
    {
        QFETCH(QString, object);
        QFETCH(QString, name);
        QFETCH(int, role);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        QObject *control =
            object == window.objectName() ? &window : window.findChild<QObject *>(object);
        QVERIFY(control);
        QAccessibleInterface *face = accessible(control);
        QVERIFY(face);
        QCOMPARE(face->text(QAccessible::Name), name);
        QCOMPARE(int(face->role()), role);
    }

    void buttonsWithShortcuts_describeThem()
    {
        WindowHarness harness;
        MainWindow &window = harness.start();
        QCOMPARE(accessible(window.button(MainButton::AddFiles))->text(QAccessible::Description),
                 u"Add File(s) (Ctrl+O)"_s);
    }

    void progressBar_isNamedByItsCaptionAsItChanges()
    {
        WindowHarness harness;
        MainWindow &window = harness.start();
        window.progressBar()->setProgressCaption(u"Processing: notes.txt"_s);
        QCOMPARE(accessible(window.progressBar())->text(QAccessible::Name),
                 u"Processing: notes.txt"_s);
    }

    void list_hasOneItemPerRow()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        QAccessibleInterface *list = accessible(window.inputListView());
        QCOMPARE(list->childCount(), 0);
        window.inputList().appendRows({u"/a.txt"_s, u"/b.txt"_s, u"/c.txt"_s});

        QCOMPARE(childNames(list), (QStringList{u"/a.txt"_s, u"/b.txt"_s, u"/c.txt"_s}));
        QAccessibleTableInterface *table = list->tableInterface();
        QVERIFY(table);
        QCOMPARE(table->rowCount(), 3);
        QCOMPARE(table->columnCount(), 1);
        QCOMPARE(table->columnDescription(0), u"File(s)"_s);
        for (int row = 0; row < 3; ++row) {
            QAccessibleInterface *item = list->child(row);
            QCOMPARE(item->role(), QAccessible::ListItem);
            QCOMPARE(item->parent(), list);
            QCOMPARE(list->indexOfChild(item), row);
            QCOMPARE(table->cellAt(row, 0), item);
            QCOMPARE(item->tableCellInterface()->rowIndex(), row);
            QVERIFY(item->rect().isValid());
        }
        QCOMPARE(list->child(3), nullptr);
        // Points on the screen find their row.
        QAccessibleInterface *second = list->child(1);
        QCOMPARE(list->childAt(second->rect().center().x(), second->rect().center().y()), second);
    }

    // Qt tells the interface of every change to the rows while a screen
    // reader listens (not on the offscreen platform, so the test tells it).
    void list_rowsAfterAChange_getNewItems_data()
    {
        using Change = QAccessibleTableModelChangeEvent;
        QTest::addColumn<int>("change");
        QTest::addColumn<int>("firstRow");
        QTest::addColumn<QList<int>>("kept"); // rows whose items stay the same
        QTest::newRow("rows appended") << int(Change::RowsInserted) << 4 << QList<int>{0, 1, 2, 3};
        QTest::newRow("row inserted") << int(Change::RowsInserted) << 2 << QList<int>{0, 1};
        QTest::newRow("row removed") << int(Change::RowsRemoved) << 1 << QList<int>{0};
        QTest::newRow("texts changed") << int(Change::DataChanged) << 0 << QList<int>{0, 1, 2, 3};
        QTest::newRow("reset") << int(Change::ModelReset) << 0 << QList<int>{};
    }
    void list_rowsAfterAChange_getNewItems()
    {
        QFETCH(int, change);
        QFETCH(int, firstRow);
        QFETCH(QList<int>, kept);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.inputList().appendRows({u"/a"_s, u"/b"_s, u"/c"_s, u"/d"_s});
        QAccessibleInterface *list = accessible(window.inputListView());
        QList<QAccessible::Id> before;
        for (int row = 0; row < 4; ++row)
            before << QAccessible::uniqueId(list->child(row));

        QAccessibleTableModelChangeEvent event(
            window.inputListView(), QAccessibleTableModelChangeEvent::ModelChangeType(change));
        event.setFirstRow(firstRow);
        event.setLastRow(firstRow);
        list->tableInterface()->modelChange(&event);

        for (int row = 0; row < 4; ++row) {
            const bool same = kept.contains(row);
            QCOMPARE(QAccessible::accessibleInterface(before.at(row)) != nullptr, same);
            QCOMPARE(QAccessible::uniqueId(list->child(row)) == before.at(row), same);
        }
    }

    void list_followsRemovals()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.inputList().appendRows({u"/a.txt"_s, u"/b.txt"_s, u"/c.txt"_s});
        QAccessibleInterface *list = accessible(window.inputListView());
        const QAccessible::Id last = QAccessible::uniqueId(list->child(2));

        window.inputListView()->selectRow(1);
        QTest::keyClick(window.inputListView(), Qt::Key_Delete);
        QCOMPARE(childNames(list), (QStringList{u"/a.txt"_s, u"/c.txt"_s}));
        // The item of the third row is gone, or knows that it is.
        const QAccessibleInterface *gone = QAccessible::accessibleInterface(last);
        QVERIFY(!gone || !gone->isValid());

        window.button(MainButton::ClearInputs)->click();
        QCOMPARE(list->childCount(), 0);
        QCOMPARE(list->child(0), nullptr);
    }

    void list_selectionAndFocus_areTheRows()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        window.inputList().appendRows({u"/a.txt"_s, u"/b.txt"_s, u"/c.txt"_s});
        QAccessibleInterface *list = accessible(window.inputListView());
        window.inputListView()->setFocus(Qt::TabFocusReason);

        window.inputListView()->selectRow(2);
        QVERIFY(list->child(2)->state().selected);
        QVERIFY(list->child(2)->state().focused);
        QVERIFY(!list->child(1)->state().selected);
        QCOMPARE(list->focusChild(), list->child(2));
        QCOMPARE(list->tableInterface()->selectedRows(), QList<int>{2});

        // A reader selects through the table, or through the row's action.
        QVERIFY(list->tableInterface()->selectRow(0));
        QCOMPARE(window.inputListView()->selectedRow(), 0);
        list->child(1)->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
        QCOMPARE(window.inputListView()->selectedRow(), 1);
        QVERIFY(list->tableInterface()->unselectRow(1));
        QCOMPARE(window.inputListView()->selectedRow(), -1);
    }

    void resultRows_areCheckable()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.results().append(u"One."_s);
        window.results().append(u"Two."_s);
        window.results().flushRows();
        QAccessibleInterface *list = accessible(window.resultsListView());
        QCOMPARE(list->text(QAccessible::Name), u"Results"_s);
        // New rows come ticked; the reader can untick one.
        QAccessibleInterface *row = list->child(1);
        QVERIFY(row->state().checkable);
        QVERIFY(row->state().checked);
        QVERIFY(row->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::toggleAction()));

        row->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(!window.results().isChecked(1));
        QVERIFY(!row->state().checked);
        QVERIFY(list->child(0)->state().checked);
        // The input list's rows have no check boxes.
        window.inputList().appendRows({u"/a.txt"_s});
        QAccessibleInterface *input = accessible(window.inputListView())->child(0);
        QVERIFY(!input->state().checkable);
        QVERIFY(!input->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::toggleAction()));
    }

    // A reader hears each result row's own line breaks, not the "↵" drawn
    // for them, and its file, which the screen shows in a second column.
    void resultRows_readTheirTextAndFile()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.results().beginFile(u"/docs/a.txt"_s);
        window.results().append(u"First line\r\nsecond line"_s);
        window.results().beginFile(QString());
        window.results().append(u"No file"_s);
        window.results().flushRows();
        QAccessibleInterface *list = accessible(window.resultsListView());
        QCOMPARE(list->child(0)->text(QAccessible::Name), u"First line\r\nsecond line"_s);
        QCOMPARE(list->child(0)->text(QAccessible::Description), u"/docs/a.txt"_s);
        QCOMPARE(list->child(1)->text(QAccessible::Name), u"No file"_s);
        QCOMPARE(list->child(1)->text(QAccessible::Description), QString());
    }

    void list_nameFollowsItsHeader()
    {
        WindowHarness harness;
        MainWindow &window = harness.start();
        window.results().setHeaderText(u"Results (2)"_s);
        QCOMPARE(accessible(window.resultsListView())->text(QAccessible::Name), u"Results (2)"_s);
    }

    void editor_controlsAreNamedByTheirCaptions()
    {
        WindowHarness harness;
        AbbreviationEditor editor(
            {.boxes = harness.platform, .dialogs = harness.platform, .settings = harness.settings});
        const QList<QPair<QString, QString>> controls = {{u"PushButton1"_s, u"Delete Selected"_s},
                                                         {u"PushButton2"_s, u"Close"_s},
                                                         {u"PushButton3"_s, u"Clear List"_s},
                                                         {u"PushButton4"_s, u"Add"_s},
                                                         {u"ListView1"_s, u"Abbreviation(s)"_s}};
        for (const auto &[object, name] : controls) {
            QObject *control = editor.findChild<QObject *>(object);
            QVERIFY2(control, qPrintable(object));
            QCOMPARE(accessible(control)->text(QAccessible::Name), name);
        }
        QCOMPARE(accessible(&editor)->text(QAccessible::Name), u"Ignore These Abbreviations"_s);
    }
};

QTEST_MAIN(AccessibilityTest)
#include "tst_accessibility.moc"
