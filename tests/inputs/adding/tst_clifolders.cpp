// Folders on quillfen-cli's command line: the real binary on real trees.

#include "CliRunner.h"
#include "TreeFixture.h"

#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen::Testing;

namespace {

struct Result
{
    int status = -1;
    QStringList lines;
    QByteArray err;
};

} // namespace

class CliFoldersTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;

    Result run(const QStringList &arguments)
    {
        const CliResult r = runCli(arguments, m_tree.path(u"config"_s));
        return {r.status, QString::fromUtf8(r.out).split(u'\n'), r.err};
    }

    // Files of a folder in listing order, less the ones the walk leaves out.
    QStringList filesOf(const QString &folder, const QString &suffix = {}) const
    {
        QStringList paths;
        for (const QString &name : m_tree.listing(folder, false)) {
            if (!name.startsWith(u'~') && name != u".hidden"_s &&
                name.endsWith(suffix, Qt::CaseInsensitive))
                paths << m_tree.path(folder + u'/' + name);
        }
        return paths;
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(cliProgram()), qPrintable(cliProgram()));
        m_tree.makeFolder("R");
        m_tree.makeFile("R/one.txt", "First one.\r\n\r\nSecond one.\r\n");
        m_tree.makeFile("R/two.TXT", "Only two.\r\n");
        m_tree.makeFile("R/~lock.txt", "Never read.\r\n");
        m_tree.makeFile("R/.hidden", "Never read.\r\n");
        m_tree.makeFile("R/plain", "No extension.\r\n");
        m_tree.makeFolder("R/sub");
        m_tree.makeFile("R/sub/three.txt", "Deep three.\r\n");
        m_tree.makeLink("..", "R/sub/loop");
        m_tree.makeFile("single.md", "Single file.\r\n");
        m_tree.makeFolder("E");
        m_tree.makeFile("E/e.txt", "First.\r\n\r\nSecond.\r\n");
        m_tree.makeFile("E/e.doc", "Not read.\r\n");
    }

    void listInputs_walksFoldersInPlace()
    {
        const QString single = m_tree.path(u"single.md"_s);
        const Result r = run({u"--list-inputs"_s, single, m_tree.path(u"R"_s), single});
        QCOMPARE(r.status, 0);
        QStringList expected{single};
        expected << filesOf(u"R"_s) << filesOf(u"R/sub"_s) << single << QString();
        QCOMPARE(r.lines, expected);
        QCOMPARE(r.err, QByteArray());
    }

    void listInputs_extension_takesOnlyMatchingFiles()
    {
        const Result r =
            run({u"--extension"_s, u"txt"_s, u"--list-inputs"_s, m_tree.path(u"R/"_s)});
        QCOMPARE(r.status, 0);
        QStringList expected = filesOf(u"R"_s, u".txt"_s);
        expected << filesOf(u"R/sub"_s, u".txt"_s) << QString();
        QCOMPARE(r.lines, expected);
        QCOMPARE(expected.size(), 4);
    }

    // Links out of the folder given are not followed unless asked, each
    // named in one notice; a run that reads what it was given still ends 0.
    void links_outOfTheFolder_areNotFollowedUnlessAsked()
    {
        m_tree.makeFolder("L");
        m_tree.makeFile("L/own.txt", "Own.\r\n");
        m_tree.makeFolder("L-sibling");
        m_tree.makeFile("L-sibling/sibling.txt", "Sibling.\r\n");
        m_tree.makeLink("/", "L/root");
        m_tree.makeLink("../L-sibling", "L/sibling");
        m_tree.makeLink("..", "L/parent");
        const QString own = m_tree.path(u"L/own.txt"_s);
        Result r = run({u"--list-inputs"_s, m_tree.path(u"L"_s)});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.lines, (QStringList{own, QString()}));
        QCOMPARE(reportCount(r.err), 3);
        for (const char *link : {"L/parent", "L/root", "L/sibling"}) {
            const QByteArray notice = "quillfen-cli: " + m_tree.raw(link) +
                                      ": a link that leads outside the folder, not followed "
                                      "(--follow-links follows it)\n";
            QVERIFY2(r.err.contains(notice), r.err.constData());
        }

        // Followed: the sibling's files come; the walk of / is left out of
        // this test by removing that link, the loop through ".." is walked once.
        QFile::remove(m_tree.path(u"L/root"_s));
        r = run(
            {u"--follow-links"_s, u"--extension=txt"_s, u"--list-inputs"_s, m_tree.path(u"L"_s)});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QByteArray());
        QVERIFY2(r.lines.contains(m_tree.path(u"L/sibling/sibling.txt"_s)),
                 qPrintable(r.lines.join(u'\n')));
        QCOMPARE(r.lines.filter(u"own.txt"_s).size(), 1);
    }

    void extraction_readsTheFilesOfAFolder()
    {
        const Result r = run({u"--extension=txt"_s, m_tree.path(u"E"_s)});
        QCOMPARE(r.status, 0);
        const QString out = r.lines.join(u'\n');
        QVERIFY2(out.contains(u"First."_s) && out.contains(u"Second."_s), qPrintable(out));
        QVERIFY2(!out.contains(u"Not read."_s), qPrintable(out));
    }

    void extension_withoutValue_isAUsageError()
    {
        const Result r = run({m_tree.path(u"R"_s), u"--extension"_s});
        QCOMPARE(r.status, 2);
        QVERIFY(r.err.contains("--extension needs a value"));
    }
};

QTEST_GUILESS_MAIN(CliFoldersTest)
#include "tst_clifolders.moc"
