#include "MemorySettingsArea.h"
#include "ScriptedPlatform.h"
#include "abbrev/AbbreviationStore.h"
#include "core/ApplicationError.h"
#include "core/ReportSites.h"
#include "core/SettingsStore.h"
#include "platform/Failure.h"
#include "windows/editor/AbbreviationEditor.h"

#include <QHeaderView>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <memory>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {
const QString S = u"|{}My_Separatora12||"_s;
}

class AbbreviationEditorTest : public QObject
{
    Q_OBJECT

private:
    ScriptedPlatform m_platform;
    MemorySettingsArea m_settings;

    std::unique_ptr<AbbreviationEditor> open(EditorServices services)
    {
        auto editor = std::make_unique<AbbreviationEditor>(std::move(services));
        editor->show();
        if (!QTest::qWaitForWindowExposed(editor.get()))
            qWarning("the editor was not exposed");
        return editor;
    }
    std::unique_ptr<AbbreviationEditor> open()
    {
        return open({m_platform, m_platform, m_settings});
    }
    void store(const QString &value) { SettingsStore(m_settings).save(AbbreviationsKey, value); }
    QString stored() const
    {
        MemorySettingsArea &area = const_cast<MemorySettingsArea &>(m_settings);
        return SettingsStore(area).get(AbbreviationsKey, u"<missing>"_s);
    }
    static void click(AbbreviationEditor &editor, const QString &button)
    {
        auto *pushButton = editor.findChild<QPushButton *>(button);
        QVERIFY2(pushButton, qPrintable(button));
        pushButton->click();
    }
    // The pointer moving over a widget, as the window system reports it.
    static void hover(QWidget *widget, QPoint at = QPoint(2, 2))
    {
        QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                         Qt::NoModifier);
        QCoreApplication::sendEvent(widget, &move);
    }
    static QTreeWidget *list(AbbreviationEditor &editor)
    {
        return editor.findChild<QTreeWidget *>(u"ListView1"_s);
    }

private Q_SLOTS:
    void init()
    {
        m_platform = ScriptedPlatform();
        m_settings = MemorySettingsArea();
    }

    void freshStore_showsDefaultsAndCloseStoresThem()
    {
        auto editor = open();
        QCOMPARE(editor->entries(),
                 (QStringList{u"etc."_s, u"vs."_s, u"i.e."_s, u"et al."_s, u"e.g."_s, u"Mr."_s,
                              u"Jr."_s, u"Mrs."_s, u"Ms."_s, u"Inc."_s}));
        QCOMPARE(m_settings.writeCount(), 0); // nothing is written at load
        click(*editor, u"PushButton2"_s);
        QVERIFY(!editor->isVisible());
        QCOMPARE(m_settings.saveLog(),
                 QStringList{u"Abbreviations="_s + u"etc."_s + S + u"vs."_s + S + u"i.e."_s + S +
                             u"et al."_s + S + u"e.g."_s + S + u"Mr."_s + S + u"Jr."_s + S +
                             u"Mrs."_s + S + u"Ms."_s + S + u"Inc."_s + S});
        QVERIFY(m_platform.shownMessages().isEmpty());
    }

    void storedValue_isShown_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QStringList>("entries");
        QTest::newRow("separator alone opens an empty list") << S << QStringList();
        QTest::newRow("empty pieces dropped")
            << u"a"_s + S + S + u"b"_s << QStringList{u"a"_s, u"b"_s};
        QTest::newRow("no separator is one entry") << u"etc."_s << QStringList{u"etc."_s};
        QTest::newRow("blanks kept") << u" etc."_s + S << QStringList{u" etc."_s};
    }
    void storedValue_isShown()
    {
        QFETCH(QString, value);
        QFETCH(QStringList, entries);
        store(value);
        auto editor = open();
        QCOMPARE(editor->entries(), entries);
    }

    // Entries are trimmed before they are stored; one that is empty then, or
    // an exact (case-sensitive) duplicate, is not added.
    void add_trimsAndIgnoresExactDuplicates()
    {
        store(u"etc."_s + S);
        auto editor = open();
        for (const QString &answer :
             {u"etc."_s, u"Etc."_s, u" etc."_s, QString(), u"   "_s, u"Etc.\t"_s, u" Dr. "_s})
            m_platform.answerText(answer);
        for (int i = 0; i < 7; ++i)
            click(*editor, u"PushButton4"_s);
        QCOMPARE(editor->entries(), (QStringList{u"etc."_s, u"Etc."_s, u"Dr."_s}));
        QVERIFY(m_platform.shownMessages().isEmpty());
        QCOMPARE(m_platform.dialogsShown().size(), 7);
        const auto prompt = m_platform.dialogsShown().first();
        QCOMPARE(prompt.kind, u"askText"_s);
        QCOMPARE(prompt.title, u"Enter Abbreviation: "_s);
        QCOMPARE(prompt.caption, applicationTitle());
        QCOMPARE(prompt.initial, QString());
    }

    void deleteSelected_removesOnlyTheSelectedEntry()
    {
        store(u"a"_s + S + u"b"_s + S + u"c"_s + S);
        auto editor = open();
        list(*editor)->clearSelection();
        click(*editor, u"PushButton1"_s); // nothing selected
        QCOMPARE(editor->entries(), (QStringList{u"a"_s, u"b"_s, u"c"_s}));
        list(*editor)->topLevelItem(1)->setSelected(true);
        click(*editor, u"PushButton1"_s);
        QCOMPARE(editor->entries(), (QStringList{u"a"_s, u"c"_s}));
        click(*editor, u"PushButton3"_s);
        click(*editor, u"PushButton1"_s); // empty list
        QVERIFY(editor->entries().isEmpty());
        QVERIFY(m_platform.shownMessages().isEmpty());
    }

    void clearThenClose_storesEmptyTextAndReopensEmpty()
    {
        store(u"x"_s + S);
        {
            auto editor = open();
            click(*editor, u"PushButton3"_s);
            QVERIFY(editor->entries().isEmpty());
            QCOMPARE(stored(), u"x"_s + S); // nothing saved before the close
            click(*editor, u"PushButton2"_s);
        }
        QCOMPARE(stored(), QString());
        auto again = open();
        QVERIFY(again->entries().isEmpty());
    }

    void everyWayOfClosing_saves_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("Close button") << u"button"_s;
        QTest::newRow("title bar close box") << u"title bar"_s;
        QTest::newRow("Escape key") << u"escape"_s;
    }
    void everyWayOfClosing_saves()
    {
        QFETCH(QString, how);
        store(u"a"_s + S);
        auto editor = open();
        m_platform.answerText(u"b"_s);
        click(*editor, u"PushButton4"_s);
        if (how == u"button"_s)
            click(*editor, u"PushButton2"_s);
        else if (how == u"title bar"_s)
            QVERIFY(editor->close());
        else
            QTest::keyClick(editor.get(), Qt::Key_Escape);
        QVERIFY(!editor->isVisible());
        QCOMPARE(stored(), u"a"_s + S + u"b"_s + S);
        QCOMPARE(m_settings.writeCount(), 2); // the fixture, then exactly one close
    }

    void unchangedClose_writesAgain()
    {
        store(u"a"_s + S);
        auto editor = open();
        click(*editor, u"PushButton2"_s);
        QCOMPARE(m_settings.saveLog(),
                 (QStringList{u"Abbreviations=a"_s + S, u"Abbreviations=a"_s + S}));
    }

    void failedSave_isReportedAndWindowStillCloses()
    {
        store(u"a"_s + S);
        auto editor = open();
        m_settings.failWrites(true);
        click(*editor, u"PushButton2"_s);
        QVERIFY(!editor->isVisible());
        QCOMPARE(m_platform.shownMessages(),
                 QStringList{applicationErrorText(ReportSites::EditorSave::Identifier, 108,
                                                  u"The settings cannot be written"_s)});
        m_settings.failWrites(false);
        QCOMPARE(stored(), u"a"_s + S);
    }

    void failingLoadStep_isReportedAndLoadGoesOn()
    {
        auto editor = open({m_platform, m_platform, m_settings,
                            [](QWidget &) { throw Failure(u"no colours"_s); }});
        QCOMPARE(m_platform.shownMessages(),
                 QStringList{applicationErrorText(ReportSites::EditorStartUp::Identifier, 100,
                                                  u"no colours"_s)});
        QCOMPARE(editor->entries(), defaultAbbreviations());
    }

    void modalOpening_returnsAfterClose()
    {
        AbbreviationEditor editor({m_platform, m_platform, m_settings});
        QVERIFY(editor.isModal());
        QTimer::singleShot(0, &editor, [&] { click(editor, u"PushButton2"_s); });
        editor.exec();
        QCOMPARE(stored(), encodeAbbreviations(defaultAbbreviations()));
    }

    void layout_followsTwipsAtTheScreenResolution_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QRect>("twips");
        QTest::newRow("list") << u"ListView1"_s << QString() << QRect(120, 120, 7800, 3735);
        QTest::newRow("Add") << u"PushButton4"_s << u"Add"_s << QRect(120, 3930, 3840, 405);
        QTest::newRow("Delete Selected")
            << u"PushButton1"_s << u"Delete Selected"_s << QRect(4080, 3930, 3840, 405);
        QTest::newRow("Clear List")
            << u"PushButton3"_s << u"Clear List"_s << QRect(120, 4440, 3840, 405);
        QTest::newRow("Close") << u"PushButton2"_s << u"Close"_s << QRect(4080, 4440, 3840, 405);
    }
    void layout_followsTwipsAtTheScreenResolution()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QFETCH(QRect, twips);
        auto editor = open();
        const double scale = editor->logicalDpiX() / 1440.0;
        const auto px = [&](int t) { return qRound(t * scale); };
        auto *widget = editor->findChild<QWidget *>(name);
        QVERIFY(widget);
        QCOMPARE(widget->geometry(),
                 QRect(px(twips.x()), px(twips.y()), px(twips.width()), px(twips.height())));
        QCOMPARE(editor->size(), QSize(px(8040), px(4950)));
        QCOMPARE(editor->windowTitle(), u"Ignore These Abbreviations"_s);
        if (auto *button = qobject_cast<QPushButton *>(widget)) {
            QCOMPARE(button->text(), text);
            QCOMPARE(button->font().family(), u"Arial"_s);
            QCOMPARE(button->font().pointSizeF(), 11.25);
            QVERIFY(button->font().bold());
        } else {
            auto *view = qobject_cast<QTreeWidget *>(widget);
            QCOMPARE(view->columnCount(), 1);
            QCOMPARE(view->headerItem()->text(0), u"Abbreviation(s)"_s);
            QCOMPARE(view->columnWidth(0), px(6000));
            QCOMPARE(view->font().pointSizeF(), 9.0);
            QVERIFY(view->font().bold());
        }
    }

    void enterOnFocusedButton_pressesIt_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("modifiers");
        QTest::addColumn<int>("presses");
        for (const QString &button :
             {u"PushButton4"_s, u"PushButton1"_s, u"PushButton3"_s, u"PushButton2"_s}) {
            QTest::addRow("%s Return", qPrintable(button))
                << button << int(Qt::Key_Return) << int(Qt::NoModifier) << 1;
            QTest::addRow("%s keypad Enter", qPrintable(button))
                << button << int(Qt::Key_Enter) << int(Qt::KeypadModifier) << 1;
        }
        QTest::newRow("Ctrl+Return presses nothing")
            << u"PushButton2"_s << int(Qt::Key_Return) << int(Qt::ControlModifier) << 0;
        QTest::newRow("Shift+Enter presses nothing")
            << u"PushButton3"_s << int(Qt::Key_Enter) << int(Qt::ShiftModifier) << 0;
    }
    void enterOnFocusedButton_pressesIt()
    {
        QFETCH(QString, button);
        QFETCH(int, key);
        QFETCH(int, modifiers);
        QFETCH(int, presses);
        store(u"etc."_s + S);
        auto editor = open();
        auto *pushButton = editor->findChild<QPushButton *>(button);
        QVERIFY(pushButton);
        int clicked = 0;
        connect(pushButton, &QPushButton::clicked, this, [&] { ++clicked; });
        pushButton->setFocus(Qt::TabFocusReason);
        QTest::keyClick(pushButton, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
        QCOMPARE(clicked, presses);
        // Only the focused button was pressed: the list is there unless
        // that button empties it.
        if (presses == 0 || button == u"PushButton4"_s)
            QCOMPARE(editor->entries(), QStringList{u"etc."_s});
    }

    void hover_showsCustomPointerOverButtonsOnly()
    {
        auto editor = open({m_platform, m_platform, m_settings, {}, [] {
                                return std::optional<QCursor>(Qt::CrossCursor);
                            }});
        auto *add = editor->findChild<QPushButton *>(u"PushButton4"_s);
        auto *view = list(*editor)->viewport();
        hover(add);
        QCOMPARE(editor->pointerMode(), PointerMode::Custom);
        QCOMPARE(editor->cursor().shape(), Qt::CrossCursor);
        hover(view);
        QCOMPARE(editor->pointerMode(), PointerMode::Default);
        QCOMPARE(editor->cursor().shape(), Qt::ArrowCursor);
        hover(add);
        hover(editor.get()); // the window surface
        QCOMPARE(editor->pointerMode(), PointerMode::Default);

        editor->setPointerMode(PointerMode::Busy);
        hover(add);
        hover(view);
        QCOMPARE(editor->pointerMode(), PointerMode::Busy);
        QCOMPARE(editor->cursor().shape(), Qt::WaitCursor);
    }

    void withoutPointerImage_handStandsIn()
    {
        auto editor = open();
        hover(editor->findChild<QPushButton *>(u"PushButton2"_s));
        QCOMPARE(editor->cursor().shape(), Qt::PointingHandCursor);
    }
};

QTEST_MAIN(AbbreviationEditorTest)
#include "tst_abbreviationeditor.moc"
