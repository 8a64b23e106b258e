// Add File(s), Add All File(s) In Folder and drops, driven through the
// scripted platform on trees in a temporary folder.

#include "MemorySettingsArea.h"
#include "ScriptedPlatform.h"
#include "TreeFixture.h"
#include "core/ApplicationError.h"
#include "inputs/adding/AddFiles.h"
#include "inputs/adding/AddFolder.h"
#include "inputs/adding/TreeFiles.h"

#include <QTest>
#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

// The identifier line of each application error report shown.
QStringList reportLines(const ScriptedPlatform &platform)
{
    QStringList lines;
    for (const MessageRequest &request : platform.shownRequests())
        lines << request.text.section(u"\r\n"_s, 1).section(u'\r', 0, 0);
    return lines;
}

// A list that fails to take the rows whose number is in failAt.
class FailingTarget final : public InputListTarget
{
public:
    QStringList rows;
    QList<int> failAt;
    int appends = 0;
    void appendRow(const QString &path) override
    {
        if (failAt.contains(++appends))
            throw Failure(u"The list is full"_s);
        rows << path;
    }
    int rowCount() const override { return int(rows.size()); }
    QString rowText(int row) const override { return rows.value(row - 1); }
};

} // namespace

class InputFillersTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPlatform> m_platform;
    std::unique_ptr<MemorySettingsArea> m_area;
    std::unique_ptr<SettingsStore> m_settings;
    StringListTarget m_list;

    FillerServices services()
    {
        return {*m_platform, *m_platform,      *m_platform, *m_platform,
                *m_settings, m_platform.get(), 0ms};
    }

    // Paths of the files of one folder of the fixture, in listing order,
    // that the predicate keeps.
    template <typename Keep>
    static QStringList filesOf(const TreeFixture &tree, const QString &folder, Keep keep)
    {
        QStringList paths;
        for (const QString &name : tree.listing(folder, false)) {
            if (keep(name))
                paths << tree.path(folder + u'/' + name);
        }
        return paths;
    }

    // R: files of every kind the fillers tell apart, a sub-folder and a
    // hidden sub-folder.
    static void buildTree(const TreeFixture &tree)
    {
        tree.makeFolder("R");
        for (const char *name :
             {"R/a.txt", "R/b.TXT", "R/~c.txt", "R/d.txt.bak", "R/noext", "R/.e.txt", "R/f.doc"})
            tree.makeFile(name);
        tree.makeLink("a.txt", "R/.link.txt"); // hidden, but a link: 1058
        tree.makeFolder("R/sub");
        tree.makeFile("R/sub/g.txt");
        tree.makeFolder("R/.hid");
        tree.makeFile("R/.hid/h.txt");
    }

    // The rows a folder add gives for R with the given extension test.
    template <typename Keep>
    static QStringList expectedRows(const TreeFixture &tree, Keep keepExtension)
    {
        auto keep = [&](const QString &name) {
            return keepExtension(name) && !name.startsWith(u'~') && name != u".e.txt"_s;
        };
        QStringList rows = filesOf(tree, u"R"_s, keep);
        for (const QString &folder : tree.listing(u"R"_s, true))
            rows << filesOf(tree, u"R/"_s + folder, keep);
        return rows;
    }

private Q_SLOTS:
    void init()
    {
        m_platform = std::make_unique<ScriptedPlatform>();
        m_area = std::make_unique<MemorySettingsArea>();
        m_settings = std::make_unique<SettingsStore>(*m_area);
        m_list.rows.clear();
    }

    // Add File(s)

    void addFiles_showsTheDialog()
    {
        AddFilesAction::run(*m_platform, *m_platform, m_list);
        QCOMPARE(m_platform->dialogsShown().size(), 1);
        const auto &dialog = m_platform->dialogsShown().first();
        QCOMPARE(dialog.kind, u"openFiles"_s);
        QCOMPARE(dialog.title, u"Add File(s) - Hold Ctrl to select multiple files"_s);
        const QList<FileFilter> filters{
            {u"Documents (*.txt *.htm *.html *.docx *.odt *.epub *.pdf)"_s,
             u"*.txt;*.htm;*.html;*.docx;*.odt;*.epub;*.pdf"_s},
            {u"All Files (*.*)"_s, u"*.*"_s}};
        QCOMPARE(dialog.filters, filters);
        // Cancelled: nothing added, nothing shown.
        QCOMPARE(m_list.rows, QStringList());
        QCOMPARE(m_platform->shownRequests().size(), 0);
    }

    void addFiles_rows_data()
    {
        QTest::addColumn<QStringList>("chosen");
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("one file as chosen")
            << QStringList{u"/data//notes.txt"_s} << QStringList{u"/data//notes.txt"_s};
        QTest::newRow("several in the dialog's order, cleaned")
            << QStringList{u"/data//c.txt"_s, u"/data/a.htm"_s, u"//b.txt"_s}
            << QStringList{u"/data/c.txt"_s, u"/data/a.htm"_s, u"/b.txt"_s};
    }
    void addFiles_rows()
    {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, rows);
        m_list.rows = {u"/earlier.txt"_s};
        m_platform->answerOpenFiles(chosen);
        AddFilesAction::run(*m_platform, *m_platform, m_list);
        QCOMPARE(m_list.rows, QStringList{u"/earlier.txt"_s} + rows);
        QCOMPARE(m_platform->shownRequests().size(), 0);
    }

    void addFiles_failingAppend_isReportedAndTheRestAdded()
    {
        FailingTarget list;
        list.failAt = {2};
        m_platform->answerOpenFiles({u"/a"_s, u"/b"_s, u"/c"_s});
        AddFilesAction::run(*m_platform, *m_platform, list);
        QCOMPARE(list.rows, (QStringList{u"/a"_s, u"/c"_s}));
        QCOMPARE(reportLines(*m_platform),
                 QStringList{u"in Brisvane2021/08/31.Form1.PushButton2_Click at line 122"_s});
        QVERIFY(m_platform->shownMessages().first().startsWith(u"The list is full\r\n"_s));
    }

    // Add All File(s) In Folder

    void addFolder_asksForTheExtension()
    {
        AddFolderAction::run(services(), m_list);
        QCOMPARE(m_platform->dialogsShown().size(), 1);
        const auto &prompt = m_platform->dialogsShown().first();
        QCOMPARE(prompt.kind, u"askText"_s);
        QCOMPARE(prompt.title,
                 u"Enter file extension to load:\r\r(* for all files, txt for all txt files, doc "
                 "for all doc files, etc.)"_s);
        QCOMPARE(prompt.caption, applicationTitle());
        QCOMPARE(prompt.initial, u"txt"_s);
        // Cancelled: nothing saved, no folder asked for.
        QCOMPARE(m_area->saveLog(), QStringList());
        QCOMPARE(m_list.rows, QStringList());
        QCOMPARE(m_platform->pointerHistory(), QList<PointerMode>());
    }

    void addFolder_cancelledChooser_keepsOnlyTheExtension()
    {
        m_settings->save(u"LastFolder"_s, u"/before"_s);
        m_platform->answerText(u"doc"_s);
        AddFolderAction::run(services(), m_list);
        QCOMPARE(m_area->saveLog(),
                 (QStringList{u"LastFolder=/before"_s, u"Extension=doc"_s, u"Extension=doc"_s}));
        const auto &chooser = m_platform->dialogsShown().last();
        QCOMPARE(chooser.kind, u"chooseFolder"_s);
        QCOMPARE(chooser.title, u"Please select folder:"_s);
        QCOMPARE(chooser.initial, u"/before"_s);
        QCOMPARE(m_list.rows, QStringList());
        QCOMPARE(m_platform->pointerHistory(), QList<PointerMode>());
    }

    void addFolder_rows_data()
    {
        QTest::addColumn<QString>("extension");
        QTest::newRow("txt") << u"txt"_s;
        QTest::newRow("every file") << u"*"_s;
        QTest::newRow("nothing matches") << u"pdf"_s;
    }
    void addFolder_rows()
    {
        QFETCH(QString, extension);
        TreeFixture tree;
        buildTree(tree);
        m_list.rows = {u"/earlier.txt"_s};
        m_platform->answerText(extension);
        m_platform->answerFolder(tree.path(u"R"_s));
        QList<PointerMode> duringYields;
        m_platform->onYield([&](int) { duringYields << m_platform->pointerMode(); });
        AddFolderAction::run(services(), m_list);

        QStringList expected = expectedRows(tree, [&](const QString &name) {
            if (extension == u"*"_s)
                return true;
            return name.endsWith(u'.' + extension, Qt::CaseInsensitive);
        });
        QCOMPARE(m_list.rows, QStringList{u"/earlier.txt"_s} + expected);
        QCOMPARE(m_area->saveLog(),
                 (QStringList{u"Extension="_s + extension, u"Extension="_s + extension,
                              u"LastFolder="_s + tree.path(u"R"_s)}));
        QCOMPARE(m_platform->pointerHistory(),
                 (QList<PointerMode>{PointerMode::Busy, PointerMode::Default}));
        // The pointer shows busy whenever the walk lets events through, so
        // removals from the list are refused meanwhile.
        QVERIFY(!duringYields.isEmpty());
        QVERIFY(!duringYields.contains(PointerMode::Default));
        QCOMPARE(m_platform->shownRequests().size(), 0);
    }

    void addFolder_txt_matchesTheSpecifiedFiles()
    {
        TreeFixture tree;
        buildTree(tree);
        m_platform->answerText(u"txt"_s);
        m_platform->answerFolder(tree.path(u"R"_s) + u'/');
        AddFolderAction::run(services(), m_list);
        QStringList names;
        for (const QString &row : std::as_const(m_list.rows)) {
            QVERIFY2(!row.contains(u"//"_s), qPrintable(row));
            names << row.section(u'/', -1);
        }
        names.sort();
        QCOMPARE(names,
                 (QStringList{u".link.txt"_s, u"a.txt"_s, u"b.TXT"_s, u"g.txt"_s, u"h.txt"_s}));
    }

    // Links out of the chosen folder: left out, then named in one message;
    // with the window's setting, followed.
    void addFolder_linksOutOfTheFolder_areNamedOnceOrFollowed()
    {
        TreeFixture tree;
        tree.makeFolder("R");
        tree.makeFile("R/a.txt");
        tree.makeFolder("Outside");
        tree.makeFile("Outside/o.txt");
        tree.makeFile("secret.txt");
        tree.makeLink("../Outside", "R/out");
        tree.makeLink("../secret.txt", "R/s.txt");
        for (const bool follow : {false, true}) {
            m_list.rows.clear();
            m_platform = std::make_unique<ScriptedPlatform>();
            m_platform->answerText(u"txt"_s);
            m_platform->answerFolder(tree.path(u"R"_s));
            FillerServices withSetting = services();
            withSetting.followLinks = follow;
            AddFolderAction::run(withSetting, m_list);
            if (follow) {
                QCOMPARE(m_list.rows, (QStringList{tree.path(u"R/a.txt"_s), tree.path(u"R/s.txt"_s),
                                                   tree.path(u"R/out/o.txt"_s)}));
                QCOMPARE(m_platform->shownRequests().size(), 0);
                continue;
            }
            QCOMPARE(m_list.rows, QStringList{tree.path(u"R/a.txt"_s)});
            QCOMPARE(m_platform->shownRequests().size(), 1);
            const QString text = m_platform->shownRequests().first().text;
            QVERIFY2(text.startsWith(u"2 links lead outside the folder and were not followed:"_s),
                     qPrintable(text));
            QVERIFY(text.contains(u"\r\n"_s + tree.path(u"R/out"_s) + u"\r\n"_s));
            QVERIFY(text.contains(u"\r\n"_s + tree.path(u"R/s.txt"_s) + u"\r\n"_s));
        }
    }

    void addFolder_nextUse_startsFromTheLastAnswers()
    {
        TreeFixture tree;
        buildTree(tree);
        m_platform->answerText(u"doc"_s);
        m_platform->answerFolder(tree.path(u"R/sub"_s));
        AddFolderAction::run(services(), m_list);
        AddFolderAction::run(services(), m_list);
        const auto &dialogs = m_platform->dialogsShown();
        QCOMPARE(dialogs.size(), 3);
        QCOMPARE(dialogs[2].kind, u"askText"_s);
        QCOMPARE(dialogs[2].initial, u"doc"_s);
        m_platform->answerText(u"txt"_s);
        AddFolderAction::run(services(), m_list);
        QCOMPARE(m_platform->dialogsShown().last().kind, u"chooseFolder"_s);
        QCOMPARE(m_platform->dialogsShown().last().initial, tree.path(u"R/sub"_s));
    }

    void addFolder_sameFolderTwice_addsEveryFileTwice()
    {
        TreeFixture tree;
        buildTree(tree);
        for (int i = 0; i < 2; ++i) {
            m_platform->answerText(u"txt"_s);
            m_platform->answerFolder(tree.path(u"R/sub"_s));
            AddFolderAction::run(services(), m_list);
        }
        QCOMPARE(m_list.rows, QStringList(2, tree.path(u"R/sub/g.txt"_s)));
    }

    void addFolder_unwritableSettings_areReportedAndTheAddGoesOn()
    {
        TreeFixture tree;
        buildTree(tree);
        m_area->failWrites(true);
        m_platform->answerText(u"txt"_s);
        m_platform->answerFolder(tree.path(u"R/sub"_s));
        AddFolderAction::run(services(), m_list);
        const QString id = u"in Brisvane2021/08/31.Form1.PushButton3_Click at line "_s;
        QCOMPARE(reportLines(*m_platform),
                 (QStringList{id + u"100"_s, id + u"104"_s, id + u"334"_s}));
        QCOMPARE(m_list.rows, QStringList{tree.path(u"R/sub/g.txt"_s)});
        QCOMPARE(m_platform->pointerHistory(),
                 (QList<PointerMode>{PointerMode::Busy, PointerMode::Default}));
    }

    // Drops

    void drop_keepsTheOrderOfTheDropData()
    {
        TreeFixture tree;
        buildTree(tree);
        tree.makeFolder("S");
        tree.makeFile("S/s.txt");
        tree.makeFile("picture.png");
        const QString missing = tree.path(u"gone//x.txt"_s);
        const QStringList dropped{tree.path(u"picture.png"_s), tree.path(u"R"_s), tree.path(u"S"_s),
                                  missing, tree.path(u"R/~c.txt"_s)};
        FolderWalk walk(*m_platform, m_platform.get(), 0ms);
        addPathsInOrder(dropped, m_list, walk);

        QStringList expected{tree.path(u"picture.png"_s)};
        expected << expectedRows(tree, [](const QString &) { return true; });
        expected << tree.path(u"S/s.txt"_s);
        // Dropped files are taken as they are, even when they vanished.
        expected << missing << tree.path(u"R/~c.txt"_s);
        QCOMPARE(m_list.rows, expected);
        QCOMPARE(m_platform->shownRequests().size(), 0);
        QVERIFY(m_platform->yieldCount() > 0);
    }
};

QTEST_GUILESS_MAIN(InputFillersTest)
#include "tst_inputfillers.moc"
