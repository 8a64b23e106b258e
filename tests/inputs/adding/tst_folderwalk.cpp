// The folder walk on trees built in a temporary folder.

#include "ScriptedPlatform.h"
#include "TreeFixture.h"
#include "inputs/adding/DirectoryReader.h"
#include "inputs/adding/FolderListing.h"
#include "inputs/adding/FolderWalk.h"

#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSet>
#include <QStandardPaths>
#include <QTest>
#include <memory>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using Quillfen::FolderList;
using Quillfen::Testing::ScriptedPlatform;
using Quillfen::Testing::TreeFixture;

class FolderWalkTest : public QObject
{
    Q_OBJECT

private:
    std::unique_ptr<ScriptedPlatform> m_platform;

    FolderList walk(const FolderList &start, bool recurse = true)
    {
        FolderList list = start;
        Quillfen::collectSubfolders(list, recurse, *m_platform, m_platform.get(), 0ms);
        return list;
    }

    // R holds A and B, A holds A1, B holds B1 and B2.
    static void buildExample(const TreeFixture &tree)
    {
        for (const char *folder : {"R", "R/A", "R/B", "R/A/A1", "R/B/B1", "R/B/B2"})
            tree.makeFolder(folder);
        tree.makeFile("R/file.txt");
        tree.makeFile("R/B/B1/deep.txt");
    }

private Q_SLOTS:
    void init() { m_platform = std::make_unique<ScriptedPlatform>(); }

    void walk_isBreadthFirst()
    {
        TreeFixture tree;
        buildExample(tree);
        // Each level's folders grouped by parent, in the parents' order,
        // each group in listing order.
        FolderList expected{tree.path(u"R/"_s)};
        QStringList level{u"R"_s};
        while (!level.isEmpty()) {
            QStringList next;
            for (const QString &parent : level) {
                for (const QString &name : tree.listing(parent, true)) {
                    next << parent + u'/' + name;
                    expected << tree.path(parent + u'/' + name + u'/');
                }
            }
            level = next;
        }
        QCOMPARE(expected.size(), 6);
        QCOMPARE(walk({tree.path(u"R/"_s)}), expected);
        QCOMPARE(m_platform->shownRequests().size(), 0);
    }

    // A folder's entries come in name order as a file manager shows them,
    // whatever order the file system keeps: letters in any case, numbers by
    // value, folders and files alike.
    void walkAndListing_followNameOrder()
    {
        TreeFixture tree;
        for (const char *folder : {"R", "R/sub10", "R/Sub9", "R/sub1", "R/a"})
            tree.makeFolder(folder);
        for (const char *file : {"R/c10.txt", "R/C9.txt", "R/b.txt", "R/A.txt"})
            tree.makeFile(file);
        QCOMPARE(walk({tree.path(u"R/"_s)}),
                 (FolderList{tree.path(u"R/"_s), tree.path(u"R/a/"_s), tree.path(u"R/sub1/"_s),
                             tree.path(u"R/Sub9/"_s), tree.path(u"R/sub10/"_s)}));
        QCOMPARE(Quillfen::listMatchingFiles(tree.path(u"R"_s), u"*.*"_s),
                 (QStringList{u"A.txt"_s, u"b.txt"_s, u"C9.txt"_s, u"c10.txt"_s}));
    }

    // Plain ASCII names are put in order without the collator; the order
    // must be the collator's all the same, also among other names.
    void manyNames_comeInTheCollatorsOrder()
    {
        TreeFixture tree;
        QRandomGenerator random(909);
        const QByteArray plain = "0123456789.aAbBzZ";
        QSet<QByteArray> made;
        for (int i = 0; i < 300; ++i) {
            QByteArray name;
            for (int k = random.bounded(1, 8); k > 0; --k)
                name += plain[random.bounded(int(plain.size()))];
            if (i % 10 == 0)
                name += i % 20 == 0 ? "_x" : "\xc3\xa9";
            if (name != "." && name != ".." && !made.contains(name)) {
                made.insert(name);
                tree.makeFile(name);
            }
        }
        QStringList expected;
        for (const QByteArray &name : made)
            expected << QString::fromUtf8(name);
        const QCollator collator = Quillfen::fileNameCollator();
        std::sort(expected.begin(), expected.end(), [&](const QString &a, const QString &b) {
            const int order = collator.compare(a, b);
            return order != 0 ? order < 0 : a.toUtf8() < b.toUtf8();
        });
        QCOMPARE(Quillfen::listMatchingFiles(tree.root(), u"*"_s), expected);
    }

    void walk_withoutRecurse_addsOneLevel()
    {
        TreeFixture tree;
        buildExample(tree);
        FolderList expected{tree.path(u"R/"_s)};
        for (const QString &name : tree.listing(u"R"_s, true))
            expected << tree.path(u"R/"_s + name + u'/');
        QCOMPARE(walk({tree.path(u"R/"_s)}, false), expected);
    }

    void walk_entriesKeepTheirText()
    {
        // A doubled separator in an entry stays, in it and below it.
        TreeFixture tree;
        tree.makeFolder("R");
        tree.makeFolder("R/A");
        const QString start = tree.root() + u"//R/"_s;
        QCOMPARE(walk({start}), (FolderList{start, start + u"A/"_s}));
    }

    void walk_yieldsAtEveryPointWithoutPacing()
    {
        TreeFixture tree;
        buildExample(tree);
        walk({tree.path(u"R/"_s)});
        // Six folders examined, five sub-folders seen, five folders
        // appended.
        QCOMPARE(m_platform->yieldCount(), 6 + 5 + 5);
    }

    void walk_names_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<bool>("walked");
        QTest::newRow("hidden folder") << QByteArray(".hidden") << true;
        QTest::newRow("question mark") << QByteArray("why?") << true;
        QTest::newRow("non-ASCII") << QByteArray("Caf\xc3\xa9") << true;
        QTest::newRow("blank and dots") << QByteArray("a b..") << true;
        QTest::newRow("not UTF-8") << QByteArray("Caf\xe9") << false;
        QTest::newRow("control character") << QByteArray("ctl\x01") << false;
        QTest::newRow("line feed") << QByteArray("two\nlines") << false;
        QTest::newRow("C1 control") << QByteArray("c1\xc2\x9b") << false;
    }
    void walk_names()
    {
        QFETCH(QByteArray, name);
        QFETCH(bool, walked);
        TreeFixture tree;
        tree.makeFolder("R");
        tree.makeFolder("R/" + name);
        tree.makeFolder("R/" + name + "/inner");
        const FolderList list = walk({tree.path(u"R/"_s)});
        const QString folder = tree.path(u"R/"_s + QString::fromUtf8(name) + u'/');
        if (walked)
            QCOMPARE(list, (FolderList{tree.path(u"R/"_s), folder, folder + u"inner/"_s}));
        else
            QCOMPARE(list, FolderList{tree.path(u"R/"_s)});
        QCOMPARE(m_platform->shownRequests().size(), 0);
    }

    void walk_linkLoops_walkEachFolderOnce()
    {
        TreeFixture tree;
        tree.makeFolder("R");
        tree.makeFolder("R/A");
        tree.makeFolder("R/B");
        tree.makeLink("..", "R/A/up");           // back to R
        tree.makeLink(".", "R/A/self");          // A itself
        tree.makeLink("../A", "R/B/toA");        // a sibling already listed
        tree.makeLink(tree.raw("R"), "R/B/abs"); // R by an absolute path
        const FolderList list = walk({tree.path(u"R/"_s)});
        QCOMPARE(list.size(), 3);
        QCOMPARE(list.first(), tree.path(u"R/"_s));
        QVERIFY(list.contains(tree.path(u"R/A/"_s)));
        QVERIFY(list.contains(tree.path(u"R/B/"_s)));
    }

    // A link whose target is outside the folder given is not followed
    // unless asked, and is noted once; a link inside is walked as today.
    void walk_linksOutOfTheFolder_areNotFollowedByDefault_data()
    {
        QTest::addColumn<QByteArray>("target");
        QTest::addColumn<bool>("inside");
        QTest::newRow("to /") << QByteArray("/") << false;
        QTest::newRow("to a sibling outside") << QByteArray("../Outside") << false;
        QTest::newRow("to the folder's parent") << QByteArray("..") << false;
        QTest::newRow("to a link outside") << QByteArray("../toOutside") << false;
        QTest::newRow("to a name that starts like the folder") << QByteArray("../R2") << false;
        QTest::newRow("inside, relative") << QByteArray("A/A1") << true;
        QTest::newRow("inside, by an absolute path") << QByteArray("{R}/A/A1") << true;
    }
    void walk_linksOutOfTheFolder_areNotFollowedByDefault()
    {
        QFETCH(QByteArray, target);
        QFETCH(bool, inside);
        TreeFixture tree;
        for (const char *folder : {"R", "R/A", "R/A/A1", "Outside", "Outside/sub", "R2"})
            tree.makeFolder(folder);
        tree.makeLink("Outside", "toOutside");
        tree.makeLink(target.replace("{R}", tree.raw("R")), "R/link");
        const QString root = tree.path(u"R/"_s);
        const QString link = tree.path(u"R/link/"_s);

        Quillfen::FolderWalk byDefault(*m_platform, m_platform.get(), 0ms);
        FolderList list{root};
        byDefault.collectSubfolders(list, true);
        if (inside) {
            // The folder is walked once, under its own name or the link's.
            QCOMPARE(list.size(), 3);
            QCOMPARE(byDefault.linksNotFollowed(), QStringList());
        } else {
            QCOMPARE(list, (FolderList{root, tree.path(u"R/A/"_s), tree.path(u"R/A/A1/"_s)}));
            QCOMPARE(byDefault.linksNotFollowed(), QStringList{link.chopped(1)});
        }

        // Followed, one level only: a link to / is not walked through here.
        Quillfen::FolderWalk following(*m_platform, m_platform.get(), 0ms);
        following.setFollowLinks(true);
        list = {root};
        following.collectSubfolders(list, false);
        QVERIFY2(list.contains(link) || inside, qPrintable(list.join(u' ')));
        QCOMPARE(following.linksNotFollowed(), QStringList());
        QCOMPARE(m_platform->shownRequests().size(), 0);
    }

    // Followed links out of the folder still find loops: each folder once.
    void walk_followedLinks_walkEachFolderOnce()
    {
        TreeFixture tree;
        for (const char *folder : {"R", "Outside", "Outside/sub"})
            tree.makeFolder(folder);
        tree.makeLink("../Outside", "R/out");
        tree.makeLink("../Outside", "R/again");       // the same folder twice
        tree.makeLink("../../R", "Outside/sub/back"); // and back into the tree
        Quillfen::FolderWalk walk(*m_platform, m_platform.get(), 0ms);
        walk.setFollowLinks(true);
        FolderList list{tree.path(u"R/"_s)};
        walk.collectSubfolders(list, true);
        QCOMPARE(list.size(), 3);
        const QString viaLink = list[1];
        QVERIFY2(viaLink == tree.path(u"R/out/"_s) || viaLink == tree.path(u"R/again/"_s),
                 qPrintable(viaLink));
        QCOMPARE(list[2], viaLink + u"sub/"_s);
    }

    // Links to files outside the folder are left out of its files, and noted.
    void filesInFolder_leavesOutLinksToFilesOutside()
    {
        TreeFixture tree;
        tree.makeFolder("R");
        tree.makeFile("R/a.txt");
        tree.makeFile("secret.txt");
        tree.makeLink("a.txt", "R/inside.txt");
        tree.makeLink("../secret.txt", "R/outside.txt");
        tree.makeLink("/etc/hostname", "R/system.txt");
        const Quillfen::WildcardPattern all(u"*.*"_s);
        Quillfen::FolderWalk walk(*m_platform, m_platform.get(), 0ms);
        FolderList list{tree.path(u"R/"_s)};
        walk.collectSubfolders(list, true);
        QCOMPARE(walk.filesInFolder(tree.path(u"R"_s), all),
                 (QStringList{u"a.txt"_s, u"inside.txt"_s}));
        QStringList expected{tree.path(u"R/outside.txt"_s)};
        if (QFile::exists(u"/etc/hostname"_s))
            expected << tree.path(u"R/system.txt"_s);
        QCOMPARE(walk.linksNotFollowed(), expected);

        walk.setFollowLinks(true);
        QCOMPARE(walk.filesInFolder(tree.path(u"R"_s), all).size(), 3 + (expected.size() - 1));
    }

    void walk_missingStart_staysInTheList()
    {
        TreeFixture tree;
        const FolderList start{tree.path(u"missing/"_s)};
        QCOMPARE(walk(start), start);
        QCOMPARE(m_platform->shownRequests().size(), 0);
    }

    void walk_emptyTree_leavesTheListUnchanged()
    {
        TreeFixture tree;
        tree.makeFolder("R");
        tree.makeFile("R/only-a-file");
        QCOMPARE(walk({tree.path(u"R/"_s)}), FolderList{tree.path(u"R/"_s)});
    }

    void walk_folderVanishingWhileWalked_isDroppedSilently()
    {
        TreeFixture tree;
        buildExample(tree);
        // While R is examined, B goes away with everything below it.
        m_platform->onYield([&](int count) {
            if (count == 1)
                QDir(tree.path(u"R/B"_s)).removeRecursively();
        });
        const FolderList list = walk({tree.path(u"R/"_s)});
        QCOMPARE(list,
                 (FolderList{tree.path(u"R/"_s), tree.path(u"R/A/"_s), tree.path(u"R/A/A1/"_s)}));
        QCOMPARE(m_platform->shownRequests().size(), 0);
    }

    void walk_folderVanishingBeforeItIsListed_data()
    {
        QTest::addColumn<QStringList>("start");
        QTest::addColumn<int>("atYield");
        QTest::addColumn<QStringList>("expected");
        QTest::addColumn<QStringList>("reports");
        // Y goes while it is examined, after its folder test held.
        QTest::newRow("first folder: its attributes are reported, then it goes")
            << QStringList{u"Y/"_s} << 1 << QStringList()
            << QStringList{u"in Morlecap2021/08/31.AddFolder.GetSubDirectories2016 at line 116"_s};
        QTest::newRow("later folder: it goes without a report")
            << QStringList{u"X/"_s, u"Y/"_s} << 2 << QStringList{u"X/"_s} << QStringList();
    }
    void walk_folderVanishingBeforeItIsListed()
    {
        QFETCH(QStringList, start);
        QFETCH(int, atYield);
        QFETCH(QStringList, expected);
        QFETCH(QStringList, reports);
        TreeFixture tree;
        tree.makeFolder("X");
        tree.makeFolder("Y");
        tree.makeFolder("Y/inner");
        m_platform->onYield([&](int count) {
            if (count == atYield)
                QDir(tree.path(u"Y"_s)).removeRecursively();
        });
        auto inTree = [&](const QStringList &relative) {
            FolderList paths;
            for (const QString &entry : relative)
                paths << tree.path(entry);
            return paths;
        };
        QCOMPARE(walk(inTree(start)), inTree(expected));
        QStringList shown;
        for (const QString &text : m_platform->shownMessages())
            shown << text.section(u"\r\n"_s, 1).section(u'\r', 0, 0);
        QCOMPARE(shown, reports);
    }

    // Permissions hold only for an unprivileged user: as root the walk runs
    // in a helper under the "nobody" user.
    void walk_folderWithoutPermission_isRemoved()
    {
        TreeFixture tree;
        for (const char *folder : {"R", "R/A", "R/A/A1", "R/B", "R/B/B1", "R/C", "R/C/C1",
                                   "R/B/B1/L", "R/B/B1/L/inner", "R/B/B1/ok"})
            tree.makeFolder(folder);
        for (const char *locked : {"R/A", "R/C", "R/B/B1/L"})
            ::chmod(tree.raw(locked).constData(), 0);
        ::chmod(tree.root().toUtf8().constData(), 0755);

        QStringList command{QStringLiteral(ADDING_WALK_PROBE), tree.path(u"R/"_s)};
        if (::geteuid() == 0) {
            const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
            if (setpriv.isEmpty())
                QSKIP("running as root and setpriv is missing: permissions cannot be tested");
            // The probe must be reachable by nobody wherever the build is.
            const QString probe = tree.path(u"walk_probe"_s);
            QVERIFY(QFile::copy(command.first(), probe));
            command =
                QStringList{setpriv, u"--reuid=nobody"_s, u"--regid=nogroup"_s, u"--clear-groups"_s,
                            probe,   command.last()};
        }
        QProcess process;
        process.start(command.first(), command.mid(1));
        QVERIFY(process.waitForFinished(60000));
        const QStringList lines =
            QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
        if (process.exitCode() != 0 || lines.isEmpty() || lines.first() != tree.path(u"R/"_s))
            QSKIP(qPrintable(u"the probe could not walk the fixture as an unprivileged user: "_s +
                             QString::fromUtf8(process.readAllStandardError())));
        for (const char *locked : {"R/A", "R/C", "R/B/B1/L"})
            ::chmod(tree.raw(locked).constData(), 0755);
        // A, C and L cannot be listed: they leave the list with nothing
        // below them, and the walk goes on; no report is shown.
        QCOMPARE(lines,
                 (QStringList{tree.path(u"R/"_s), tree.path(u"R/B/"_s), tree.path(u"R/B/B1/"_s),
                              tree.path(u"R/B/B1/ok/"_s), u"reports 0"_s}));
    }
};

QTEST_GUILESS_MAIN(FolderWalkTest)
#include "tst_folderwalk.moc"
