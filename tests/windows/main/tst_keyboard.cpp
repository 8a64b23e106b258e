#include "WindowHarness.h"
#include "inputs/InputListModel.h"
#include "windows/editor/AbbreviationEditor.h"
#include "windows/main/ListViewControl.h"
#include "windows/main/OptionsPanel.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSignalSpy>
#include <QTimer>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

// Counts the clicks of all ten buttons.
class ButtonClicks
{
public:
    explicit ButtonClicks(const MainWindow &window)
    {
        for (int number = 1; number <= 10; ++number)
            m_spies.push_back(std::make_unique<QSignalSpy>(window.button(MainButton(number - 1)),
                                                           &QPushButton::clicked));
    }
    // The numbers of the buttons clicked, once each time.
    QList<int> clicked() const
    {
        QList<int> numbers;
        for (int number = 1; number <= 10; ++number) {
            for (qsizetype i = 0; i < m_spies.at(std::size_t(number - 1))->count(); ++i)
                numbers << number;
        }
        return numbers;
    }

private:
    std::vector<std::unique_ptr<QSignalSpy>> m_spies;
};

// The abbreviation editor is modal; it is closed as soon as it shows.
void closeModalWindowsWhenShown()
{
    QTimer::singleShot(0, [] {
        if (QWidget *modal = QApplication::activeModalWidget())
            modal->close();
        for (QWidget *window : QApplication::topLevelWidgets()) {
            if (auto *editor = qobject_cast<AbbreviationEditor *>(window))
                editor->close();
        }
    });
}

MainWindow &startActive(WindowHarness &harness)
{
    MainWindow &window = harness.startShown();
    window.activateWindow();
    if (!QTest::qWaitForWindowActive(&window))
        qWarning("The window did not become active");
    return window;
}

} // namespace

class KeyboardTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tab_visitsTheControlsInTheWindowsOrder_data()
    {
        QTest::addColumn<QStringList>("selected"); // options stored as selected
        QTest::addColumn<bool>("backwards");
        QTest::addColumn<QStringList>("stops");
        // Tab stops once in each group of options, at its selected one.
        const QStringList defaults = {
            u"ListView1"_s,   u"PushButton2"_s, u"PushButton3"_s, u"PushButton10"_s,
            u"PushButton8"_s, u"FollowLinks"_s, u"Option1"_s,     u"Check4"_s,
            u"PushButton4"_s, u"Option3"_s,     u"Text1"_s,       u"Text2"_s,
            u"Check1"_s,      u"Check2"_s,      u"Check3"_s,      u"PushButton1"_s,
            u"FindBox"_s,     u"ListView2"_s,   u"PushButton5"_s, u"PushButton6"_s,
            u"PushButton7"_s, u"PushButton9"_s};
        QStringList backwards = defaults;
        std::reverse(backwards.begin() + 1, backwards.end());
        QStringList others = defaults;
        others.replace(others.indexOf(u"Option1"_s), u"Option2"_s);
        others.replace(others.indexOf(u"Option3"_s), u"Option5"_s);
        QTest::newRow("Tab") << QStringList() << false << defaults;
        QTest::newRow("Shift+Tab") << QStringList() << true << backwards;
        QTest::newRow("other options selected")
            << QStringList{u"Option2"_s, u"Option5"_s} << false << others;
    }
    void tab_visitsTheControlsInTheWindowsOrder()
    {
        QFETCH(QStringList, selected);
        QFETCH(bool, backwards);
        QFETCH(QStringList, stops);
        WindowHarness harness;
        for (const QString &option : selected)
            harness.store(option, u"True"_s);
        if (selected.contains(u"Option2"_s))
            harness.store(u"Option1"_s, u"False"_s);
        if (selected.contains(u"Option5"_s))
            harness.store(u"Option3"_s, u"False"_s);
        MainWindow &window = startActive(harness);

        window.inputListView()->setFocus(Qt::TabFocusReason);
        QStringList visited{QApplication::focusWidget()->objectName()};
        for (int i = 1; i <= stops.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab,
                            backwards ? Qt::ShiftModifier : Qt::NoModifier);
            visited << QApplication::focusWidget()->objectName();
        }
        // Round the whole window and back to the input list.
        QCOMPARE(visited, stops + QStringList{u"ListView1"_s});
    }

    void tab_startsAtTheInputList()
    {
        WindowHarness harness;
        MainWindow &window = startActive(harness);
        QCOMPARE(QApplication::focusWidget(), window.inputListView());
    }

    void enter_pressesTheFocusedButton_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<int>("key");
        for (int number = 1; number <= 10; ++number) {
            const QByteArray name = "PushButton" + QByteArray::number(number);
            QTest::newRow(QByteArray(name + " Return").constData())
                << number << int(Qt::Key_Return);
            QTest::newRow(QByteArray(name + " Enter").constData()) << number << int(Qt::Key_Enter);
        }
    }
    void enter_pressesTheFocusedButton()
    {
        QFETCH(int, number);
        QFETCH(int, key);
        WindowHarness harness;
        MainWindow &window = startActive(harness);
        ButtonClicks clicks(window);
        QPushButton *button = window.button(MainButton(number - 1));
        button->setFocus(Qt::TabFocusReason);
        if (number == 4)
            closeModalWindowsWhenShown();

        const Qt::KeyboardModifiers keypad =
            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
        QTest::keyClick(button, Qt::Key(key), keypad);
        QCOMPARE(clicks.clicked(), QList<int>{number});
    }

    void enter_elsewhereOrWithModifiers_pressesNothing_data()
    {
        QTest::addColumn<QString>("focus");
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Ctrl+Return on a button") << u"PushButton8"_s << int(Qt::ControlModifier);
        QTest::newRow("Shift+Return on a button") << u"PushButton2"_s << int(Qt::ShiftModifier);
        QTest::newRow("Return in Text1") << u"Text1"_s << int(Qt::NoModifier);
        QTest::newRow("Return on the input list") << u"ListView1"_s << int(Qt::NoModifier);
        QTest::newRow("Return on an option") << u"Option2"_s << int(Qt::NoModifier);
    }
    void enter_elsewhereOrWithModifiers_pressesNothing()
    {
        QFETCH(QString, focus);
        QFETCH(int, modifiers);
        WindowHarness harness;
        MainWindow &window = startActive(harness);
        window.inputList().appendRows({u"/a.txt"_s});
        ButtonClicks clicks(window);
        auto *widget = window.findChild<QWidget *>(focus);
        QVERIFY(widget);
        widget->setFocus(Qt::TabFocusReason);

        QTest::keyClick(widget, Qt::Key_Return, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(clicks.clicked(), QList<int>{});
        QCOMPARE(window.inputList().paths(), QStringList{u"/a.txt"_s});
    }

    void shortcut_pressesItsButton_data()
    {
        QTest::addColumn<QKeySequence>("keys");
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("focus");
        QTest::addColumn<QString>("dialog"); // what the button's action opens first
        const QKeySequence open(Qt::CTRL | Qt::Key_O);
        const QKeySequence save(Qt::CTRL | Qt::Key_S);
        QTest::newRow("F5 Start Extracting")
            << QKeySequence(Qt::Key_F5) << 1 << u"ListView1"_s << QString();
        QTest::newRow("Ctrl+O Add File(s)") << open << 2 << u"ListView1"_s << u"openFiles"_s;
        QTest::newRow("Ctrl+O from Text1") << open << 2 << u"Text1"_s << u"openFiles"_s;
        QTest::newRow("Ctrl+Shift+O Add All File(s) In Folder")
            << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O) << 3 << u"PushButton1"_s
            << u"askText"_s;
        QTest::newRow("Ctrl+Shift+C Copy Results To Clipboard")
            << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C) << 5 << u"ListView2"_s << QString();
        QTest::newRow("Ctrl+Shift+C from Text2")
            << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_C) << 5 << u"Text2"_s << QString();
        QTest::newRow("Ctrl+S Save Results As Text File")
            << save << 6 << u"ListView2"_s << u"saveFile"_s;
        QTest::newRow("Ctrl+S from Text1") << save << 6 << u"Text1"_s << u"saveFile"_s;
        QTest::newRow("Ctrl+Shift+E Save Results To Excel File")
            << QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E) << 7 << u"Option1"_s << QString();
    }
    void shortcut_pressesItsButton()
    {
        QFETCH(QKeySequence, keys);
        QFETCH(int, number);
        QFETCH(QString, focus);
        QFETCH(QString, dialog);
        WindowHarness harness;
        MainWindow &window = startActive(harness);
        // A file to cut, so that F5 starts a whole run.
        window.inputList().appendRows({harness.files.write(u"a.txt"_s, "Text.")});
        ButtonClicks clicks(window);
        auto *widget = window.findChild<QWidget *>(focus);
        QVERIFY(widget);
        widget->setFocus(Qt::TabFocusReason);

        // Twice, across runs: the first press's run (or dialog) must not
        // take the shortcut away.
        QTest::keySequence(widget, keys);
        QTRY_COMPARE(clicks.clicked(), QList<int>{number});
        QTRY_VERIFY(!window.isRunning());
        widget->setFocus(Qt::TabFocusReason);
        QTest::keySequence(widget, keys);
        QTRY_COMPARE(clicks.clicked(), (QList<int>{number, number}));
        if (!dialog.isEmpty()) {
            QCOMPARE(harness.platform.dialogsShown().size(), 2);
            QCOMPARE(harness.platform.dialogsShown().first().kind, dialog);
        }
    }

    void shortcut_isNamedInTheButtonsTooltip_data()
    {
        QTest::addColumn<int>("number");
        QTest::addColumn<QString>("tooltip");
        QTest::addColumn<bool>("shortcut");
        QTest::newRow("1") << 1 << u"Start Extracting (F5)"_s << true;
        QTest::newRow("2") << 2 << u"Add File(s) (Ctrl+O)"_s << true;
        QTest::newRow("3") << 3 << u"Add All File(s) In Folder (Ctrl+Shift+O)"_s << true;
        QTest::newRow("5") << 5 << u"Copy Results To Clipboard (Ctrl+Shift+C)"_s << true;
        QTest::newRow("6") << 6 << u"Save Results As Text File (Ctrl+S)"_s << true;
        QTest::newRow("7") << 7 << u"Save Results To Excel File (Ctrl+Shift+E)"_s << true;
        // Opening the editor and clearing a list keep to the mouse and Enter,
        // and say what they do.
        QTest::newRow("4") << 4 << u"Edit the abbreviations whose \".\" does not end a sentence"_s
                           << false;
        QTest::newRow("8") << 8 << u"Remove every file from the input list"_s << false;
        QTest::newRow("9") << 9 << u"Remove every row from the results"_s << false;
        QTest::newRow("10") << 10 << u"Add the sample documents to the input list"_s << false;
    }
    void shortcut_isNamedInTheButtonsTooltip()
    {
        QFETCH(int, number);
        QFETCH(QString, tooltip);
        QFETCH(bool, shortcut);
        WindowHarness harness;
        MainWindow &window = harness.start();
        QCOMPARE(window.button(MainButton(number - 1))->toolTip(), tooltip);
        QCOMPARE(!window.button(MainButton(number - 1))->findChildren<QShortcut *>().isEmpty(),
                 shortcut);
    }

    void delete_removesTheSelectedInputRowWhateverTheModifiers_data()
    {
        QTest::addColumn<int>("modifiers");
        QTest::newRow("Delete") << int(Qt::NoModifier);
        QTest::newRow("Shift+Delete") << int(Qt::ShiftModifier);
        QTest::newRow("Ctrl+Delete") << int(Qt::ControlModifier);
    }
    void delete_removesTheSelectedInputRowWhateverTheModifiers()
    {
        QFETCH(int, modifiers);
        WindowHarness harness;
        MainWindow &window = startActive(harness);
        window.inputList().appendRows({u"/a.txt"_s, u"/b.txt"_s, u"/c.txt"_s});
        window.inputListView()->setFocus(Qt::TabFocusReason);
        window.inputListView()->selectRow(1);

        QTest::keyClick(window.inputListView(), Qt::Key_Delete, Qt::KeyboardModifiers(modifiers));
        QCOMPARE(window.inputList().paths(), (QStringList{u"/a.txt"_s, u"/c.txt"_s}));
    }
};

QTEST_MAIN(KeyboardTest)
#include "tst_keyboard.moc"
