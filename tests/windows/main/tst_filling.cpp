// The buttons and the drop that fill the input list, driven through the
// window with scripted answers.

#include "WindowHarness.h"
#include "core/ReportSites.h"
#include "inputs/InputListModel.h"
#include "inputs/adding/AddFiles.h"
#include "inputs/adding/AddFolder.h"
#include "inputs/adding/SampleFiles.h"
#include "inputs/adding/Scramble.h"
#include "windows/main/ListBehaviours.h"
#include "windows/main/ListViewControl.h"
#include "windows/main/PointerControl.h"

#include <QCheckBox>
#include <QDropEvent>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

// The rows as the list's view sees them.
QStringList shownRows(ListViewControl *list)
{
    QStringList rows;
    for (int row = 0; row < list->model()->rowCount(); ++row)
        rows << list->model()->index(row, 0).data().toString();
    return rows;
}

// Drags data over the list and, when it was accepted, drops it there, as a
// file manager does. Returns whether the list took it.
bool dragAndDrop(ListViewControl *list, QMimeData *data, QPoint at = {10, 10})
{
    QWidget *viewport = list->viewport();
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    QDragEnterEvent enter(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &enter);
    QDragMoveEvent move(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &move);
    if (!enter.isAccepted() || !move.isAccepted())
        return false;
    QDropEvent drop(at, actions, data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(viewport, &drop);
    // The paths reach the list on the next turn of the event loop.
    QCoreApplication::processEvents();
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

} // namespace

class FillingTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void addFiles_appendsTheChosenFilesInOrder_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("cancel") << QStringList() << QStringList();
        QTest::newRow("one file, unchanged")
            << QStringList{u"/docs//a b.txt"_s} << QStringList{u"/docs//a b.txt"_s};
        QTest::newRow("several, cleaned, in the dialog's order")
            << QStringList{u"/d//c.txt"_s, u"/d/a.htm"_s, u"//d/b"_s}
            << QStringList{u"/d/c.txt"_s, u"/d/a.htm"_s, u"/d/b"_s};
    }
    void addFiles_appendsTheChosenFilesInOrder()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, rows);
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.inputList().appendRow(u"/already.txt"_s);
        if (!chosen.isEmpty())
            harness.platform.answerOpenFiles(chosen);
        window.button(MainButton::AddFiles)->click();

        const QStringList expected = QStringList{u"/already.txt"_s} + rows;
        QCOMPARE(window.inputList().paths(), expected);
        QCOMPARE(shownRows(window.inputListView()), expected);
        QCOMPARE(harness.platform.dialogsShown().size(), 1);
        const auto dialog = harness.platform.dialogsShown().first();
        QCOMPARE(dialog.kind, u"openFiles"_s);
        QCOMPARE(dialog.title, AddFilesAction::Title);
        QCOMPARE(dialog.filters.size(), 2);
        QCOMPARE(dialog.filters.first().patterns,
                 u"*.txt;*.htm;*.html;*.docx;*.odt;*.epub;*.pdf"_s);
        QVERIFY(harness.platform.shownMessages().isEmpty());
    }

    // Add File(s) and the save dialogs open where they were last used, each
    // remembering its own folder in the settings.
    void dialogs_openInTheirLastFolder()
    {
        WindowHarness harness;
        MainWindow &window = harness.startShown();
        window.results().append(u"row"_s);
        window.results().flushRows();
        QDir().mkpath(harness.files.path(u"out"_s));
        harness.platform.answerOpenFiles({u"/docs/in/a.txt"_s, u"/docs/in/b.txt"_s});
        harness.platform.answerSaveFile(harness.files.path(u"out/rows.txt"_s));
        for (int round = 0; round < 2; ++round) {
            window.button(MainButton::AddFiles)->click();
            window.button(MainButton::SaveTextFile)->click();
        }
        const auto dialogs = harness.platform.dialogsShown();
        QCOMPARE(dialogs.size(), 4);
        QCOMPARE(dialogs[0].initial, QString());
        QCOMPARE(dialogs[1].initial, QString());
        QCOMPARE(dialogs[2].initial, u"/docs/in"_s);
        QCOMPARE(dialogs[3].initial, harness.files.path(u"out"_s));
        QCOMPARE(harness.stored(AddFilesAction::LastFolderKey), u"/docs/in"_s);
    }

    void addFolder_addsTheMatchingFilesAndRemembersTheAnswers()
    {
        WindowHarness harness;
        // One matching file per folder, so that the order is the walk's.
        const QString root = harness.files.path(u"R"_s);
        for (const char *name : {"R/a.txt", "R/~c.txt", "R/d.txt.bak", "R/noext", "R/sub/e.TXT"})
            harness.files.write(QString::fromLatin1(name), "x");
        MainWindow &window = harness.startShown();

        harness.platform.answerText(u"txt"_s);
        harness.platform.answerFolder(root);
        window.button(MainButton::AddFolder)->click();
        const QStringList once = {root + u"/a.txt"_s, root + u"/sub/e.TXT"_s};
        QCOMPARE(window.inputList().paths(), once);
        QCOMPARE(shownRows(window.inputListView()), once);
        QCOMPARE(harness.stored(u"Extension"_s), u"txt"_s);
        QCOMPARE(harness.stored(u"LastFolder"_s), root);
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);

        // The next use offers the last answers, and the same folder adds
        // every file again.
        harness.platform.answerText(u"txt"_s);
        harness.platform.answerFolder(root + u'/');
        window.button(MainButton::AddFolder)->click();
        QCOMPARE(window.inputList().paths(), once + once);

        const auto &dialogs = harness.platform.dialogsShown();
        QCOMPARE(dialogs.size(), 4);
        QCOMPARE(dialogs[0].kind, u"askText"_s);
        QCOMPARE(dialogs[0].title, AddFolderAction::ExtensionPrompt);
        QCOMPARE(dialogs[0].caption, u"Quillfen"_s);
        QCOMPARE(dialogs[0].initial, u"txt"_s);
        QCOMPARE(dialogs[1].kind, u"chooseFolder"_s);
        QCOMPARE(dialogs[1].title, AddFolderAction::FolderPrompt);
        QCOMPARE(dialogs[1].initial, QString());
        QCOMPARE(dialogs[3].initial, root);
        QVERIFY(harness.platform.shownMessages().isEmpty());
    }

    void addFolder_cancelled_data()
    {
        QTest::addColumn<QString>("extension"); // empty: the prompt is cancelled
        QTest::addColumn<QString>("storedExtension");
        QTest::addColumn<int>("dialogs");
        QTest::newRow("prompt cancelled") << QString() << u"doc"_s << 1;
        QTest::newRow("chooser cancelled") << u"htm"_s << u"htm"_s << 2;
    }
    void addFolder_cancelled()
    {
        QFETCH(QString, extension);
        QFETCH(QString, storedExtension);
        QFETCH(int, dialogs);
        WindowHarness harness;
        harness.store(u"Extension"_s, u"doc"_s);
        harness.store(u"LastFolder"_s, u"/earlier"_s);
        MainWindow &window = harness.startShown();
        harness.platform.answerText(extension);
        window.button(MainButton::AddFolder)->click();
        QCOMPARE(harness.platform.dialogsShown().size(), dialogs);
        QCOMPARE(harness.platform.dialogsShown().first().initial, u"doc"_s);
        QCOMPARE(harness.stored(u"Extension"_s), storedExtension);
        QCOMPARE(harness.stored(u"LastFolder"_s), u"/earlier"_s);
        QCOMPARE(window.inputList().rowCount(), 0);
        QCOMPARE(window.pointer().pointerMode(), PointerMode::Default);
    }

    void addFolder_refusesRemovalsWhileItWalks()
    {
        WindowHarness harness;
        const QString root = harness.files.path(u"R"_s);
        harness.files.write(u"R/one/two/a.txt"_s, "x");
        MainWindow &window = harness.startShown();
        window.inputList().appendRows({u"/x.txt"_s, u"/y.txt"_s});
        window.inputListView()->selectRow(0);

        int attempts = 0;
        harness.platform.onYield([&](int) {
            QVERIFY(window.pointer().isBusy());
            QCOMPARE(window.cursor().shape(), Qt::WaitCursor);
            QTest::keyClick(window.inputListView(), Qt::Key_Delete);
            window.button(MainButton::ClearInputs)->click();
            ++attempts;
        });
        harness.platform.answerText(u"*"_s);
        harness.platform.answerFolder(root);
        window.button(MainButton::AddFolder)->click();
        harness.platform.onYield({});

        QVERIFY(attempts > 0);
        QCOMPARE(window.inputList().paths(),
                 (QStringList{u"/x.txt"_s, u"/y.txt"_s, root + u"/one/two/a.txt"_s}));
        // Once the pointer is back, the same key removes the row.
        QTest::keyClick(window.inputListView(), Qt::Key_Delete);
        QCOMPARE(window.inputList().paths(),
                 (QStringList{u"/y.txt"_s, root + u"/one/two/a.txt"_s}));
    }

    void drop_addsFilesAndFoldersInTheDropsOrder()
    {
        WindowHarness harness;
        const QString first = harness.files.write(u"first.jpg"_s, "x");
        const QString folder = harness.files.path(u"F"_s);
        harness.files.write(u"F/a"_s, "x"); // no dot: every file of a dropped folder
        harness.files.write(u"F/~skip.txt"_s, "x");
        harness.files.write(u"F/deep/b.doc"_s, "x");
        const QString last = harness.files.write(u"last.txt"_s, "x");
        MainWindow &window = harness.startShown();
        window.inputList().appendRow(u"/before.txt"_s);
        // The pointer stays as it is while a dropped folder is walked.
        QList<PointerMode> modes;
        harness.platform.onYield([&](int) { modes << window.pointer().pointerMode(); });

        QMimeData data;
        data.setUrls(
            {QUrl::fromLocalFile(first), QUrl::fromLocalFile(folder), QUrl::fromLocalFile(last)});
        data.setText(u"ignored"_s);
        // Where it lands in the list does not matter: rows go to the end.
        QVERIFY(dragAndDrop(window.inputListView(), &data, QPoint(5, 5)));

        const QStringList expected = {u"/before.txt"_s, first, folder + u"/a"_s,
                                      folder + u"/deep/b.doc"_s, last};
        QCOMPARE(window.inputList().paths(), expected);
        QCOMPARE(shownRows(window.inputListView()), expected);
        QVERIFY(!modes.isEmpty());
        QVERIFY(!modes.contains(PointerMode::Busy));
        harness.platform.onYield({});

        // The same file dropped again is a second row.
        QMimeData again;
        again.setUrls({QUrl::fromLocalFile(first)});
        QVERIFY(dragAndDrop(window.inputListView(), &again));
        QCOMPARE(window.inputList().paths(), expected + QStringList{first});
    }

    // A dropped folder's links out of it are named in one message unless
    // "Follow links out of folders" is checked; the box is stored.
    void drop_linksOutOfTheFolder_areFollowedOnlyWhenChecked()
    {
        WindowHarness harness;
        const QString folder = harness.files.path(u"F"_s);
        const QString own = harness.files.write(u"F/a.txt"_s, "x");
        harness.files.write(u"Outside/o.txt"_s, "x");
        harness.files.makeLink("../Outside", "F/out");
        MainWindow &window = harness.startShown();
        QVERIFY(!window.followLinksBox()->isChecked());
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(folder)});
        QVERIFY(dragAndDrop(window.inputListView(), &data));
        QCOMPARE(window.inputList().paths(), QStringList{own});
        QCOMPARE(harness.platform.shownMessages().size(), 1);
        QVERIFY2(harness.platform.shownMessages().first().startsWith(
                     u"1 link leads outside the folder and was not followed:\r\n"_s + folder +
                     u"/out\r\n"_s),
                 qPrintable(harness.platform.shownMessages().first()));

        window.followLinksBox()->click();
        QVERIFY(window.followLinksBox()->isChecked());
        QVERIFY(dragAndDrop(window.inputListView(), &data));
        QCOMPARE(window.inputList().paths(), (QStringList{own, own, folder + u"/out/o.txt"_s}));
        QCOMPARE(harness.platform.shownMessages().size(), 1);

        // The next start finds the box as it was left.
        WindowHarness next;
        next.store(u"FollowLinks"_s, harness.stored(u"FollowLinks"_s));
        QVERIFY(next.start().followLinksBox()->isChecked());
    }

    void drop_refusesAnythingButLocalFiles_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("text") << u"text"_s;
        QTest::newRow("web address") << u"web"_s;
        QTest::newRow("local file and web address") << u"mixed"_s;
        QTest::newRow("nothing") << u"empty"_s;
    }
    void drop_refusesAnythingButLocalFiles()
    {
        QFETCH(QString, kind);
        WindowHarness harness;
        const QString file = harness.files.write(u"a.txt"_s, "x");
        MainWindow &window = harness.startShown();
        QMimeData data;
        if (kind == u"text"_s)
            data.setText(file);
        else if (kind == u"web"_s)
            data.setUrls({QUrl(u"https://example.org/a.txt"_s)});
        else if (kind == u"mixed"_s)
            data.setUrls({QUrl::fromLocalFile(file), QUrl(u"https://example.org/b.txt"_s)});

        const QPoint at(10, 10);
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.inputListView()->viewport(), &enter);
        QVERIFY(!enter.isAccepted());
        QCOMPARE(enter.dropAction(), Qt::IgnoreAction);

        // Released there all the same: nothing is added.
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(window.inputListView()->viewport(), &drop);
        QCoreApplication::processEvents();
        QVERIFY(!drop.isAccepted());
        QCOMPARE(window.inputList().rowCount(), 0);
    }

    void drop_keepsTheRowDragWorking()
    {
        WindowHarness harness;
        const QString file = harness.files.write(u"c.txt"_s, "x");
        MainWindow &window = harness.startShown();
        window.inputList().appendRows({u"a"_s, u"b"_s});
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(file)});
        QVERIFY(dragAndDrop(window.inputListView(), &data));

        ListViewControl *list = window.inputListView();
        auto centre = [&](int row) {
            return list->visualRect(list->model()->index(row, 0)).center();
        };
        QTest::mousePress(list->viewport(), Qt::LeftButton, {}, centre(0));
        QTest::mouseMove(list->viewport(), centre(2));
        QTest::mouseRelease(list->viewport(), Qt::LeftButton, {}, centre(2));
        QCOMPARE(window.inputList().paths(), (QStringList{u"b"_s, file, u"a"_s}));
    }

    void firstStart_recordsTheSampleFiles()
    {
        WindowHarness harness;
        const QString a = harness.dataFolder.write(u"Samples/a.txt"_s, "alpha");
        const QString b = harness.dataFolder.write(u"Samples/b.htm"_s, "<p>beta</p>");
        harness.start();
        const QString stored = harness.stored(SampleFiles::SnapshotKey);
        QVERIFY(!stored.contains(u"Samples"_s)); // kept scrambled
        QStringList recorded = unscrambleText(stored, SampleFiles::RecordKey).split(u'|');
        recorded.sort();
        QCOMPARE(recorded, (QStringList{a, b}));
        QVERIFY(harness.platform.shownMessages().isEmpty());
    }

    void firstStart_aRecordThatCannotBeSaved_isReportedAndStartUpGoesOn()
    {
        WindowHarness harness;
        harness.dataFolder.write(u"Samples/a.txt"_s, "alpha");
        harness.settings.failWrites(true);
        MainWindow &window = harness.start();
        QCOMPARE(harness.platform.shownMessages(),
                 QStringList{WindowHarness::report(ReportSites::StartUp::Identifier, 116,
                                                   u"The settings cannot be written"_s)});
        QCOMPARE(window.windowTitle(), u"Quillfen"_s);
        QCOMPARE(window.resultsListView()->model()->headerData(0, Qt::Horizontal).toString(),
                 u"Results"_s);
    }

    void loadSamples_twiceAddsOnceAndAsksEachTime()
    {
        WindowHarness harness;
        harness.dataFolder.write(u"Samples/a.txt"_s, "alpha");
        harness.dataFolder.write(u"Samples/b.htm"_s, "<p>beta</p>");
        harness.dataFolder.write(u"Samples/c.txt"_s, "gamma");
        MainWindow &window = harness.startShown();
        const QStringList recorded =
            unscrambleText(harness.stored(SampleFiles::SnapshotKey), SampleFiles::RecordKey)
                .split(u'|');
        QCOMPARE(recorded.size(), 3);
        // A sample deleted after the first start is left out silently.
        QVERIFY(QFile::remove(recorded.at(1)));
        const QStringList present = {recorded.at(0), recorded.at(2)};

        // While the question shows, the rows are already in view.
        QStringList shownDuringQuestion;
        harness.platform.onMessage([&](const MessageRequest &) {
            shownDuringQuestion = shownRows(window.inputListView());
        });
        harness.platform.answerNext(MessageAnswer::No);
        window.button(MainButton::LoadSamples)->click();
        QCOMPARE(window.inputList().paths(), present);
        QCOMPARE(shownDuringQuestion, present);
        QVERIFY(harness.platform.openedLocations.isEmpty());

        harness.platform.answerNext(MessageAnswer::Yes);
        window.button(MainButton::LoadSamples)->click();
        QCOMPARE(window.inputList().paths(), present);
        QCOMPARE(harness.platform.openedLocations,
                 QStringList{harness.dataFolder.path(u"Samples/"_s)});

        const MessageRequest question{SampleFiles::Question, u"Quillfen"_s, MessageButtons::YesNo,
                                      MessageIcon::None};
        QCOMPARE(harness.platform.shownRequests(), (QList<MessageRequest>{question, question}));
    }
};

QTEST_MAIN(FillingTest)
#include "tst_filling.moc"
