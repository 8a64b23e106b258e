// Drops of files and folders with awkward names, as a file manager sends
// them (text/uri-list, every byte outside the safe set percent-encoded):
// each row names the real file, and nothing else of the drop is lost.

#include "ScriptedPlatform.h"
#include "TreeFixture.h"
#include "inputs/adding/TreeFiles.h"
#include "windows/main/FileDrop.h"

#include <QFile>
#include <QMimeData>
#include <QTest>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

// A file manager's line for a local path given as raw bytes.
QByteArray uriOf(const QByteArray &path)
{
    return "file://" + path.toPercentEncoding("/");
}

} // namespace

class OddDropsTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;
    qsizetype m_messages = 0; // shown by the last drop, which has no report

    // Drops the URI lines between a plain file before and one after, and
    // returns the rows the input list was given.
    QStringList drop(const QList<QByteArray> &uris)
    {
        m_tree.makeFile("before.txt", "before");
        m_tree.makeFile("after.txt", "after");
        QByteArray list = uriOf(m_tree.raw("before.txt")) + "\r\n";
        for (const QByteArray &uri : uris)
            list += uri + "\r\n";
        list += uriOf(m_tree.raw("after.txt")) + "\r\n";
        QMimeData data;
        data.setData(u"text/uri-list"_s, list);
        ScriptedPlatform platform;
        StringListTarget target;
        FolderWalk walk(platform, &platform, 0ms);
        addPathsInOrder(droppedFilePaths(&data), target, walk);
        m_messages = platform.shownRequests().size();
        return target.rows;
    }

private Q_SLOTS:
    void oddFileName_isAddedAsItsRealPath_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("spaces") << QByteArray("  with  spaces .txt");
        QTest::newRow("quotes") << QByteArray("q\"u'o`te.txt");
        QTest::newRow("newline") << QByteArray("new\nline.txt");
        QTest::newRow("carriage return") << QByteArray("cr\r.txt");
        QTest::newRow("control characters") << QByteArray("ctl\x01\x1b\x7f.txt");
        QTest::newRow("hash") << QByteArray("#1 a#b.txt");
        QTest::newRow("percent") << QByteArray("100%.txt");
        QTest::newRow("percent and hex digits") << QByteArray("x%41%2F%00.txt");
        QTest::newRow("question mark") << QByteArray("what?.txt");
        QTest::newRow("non-ASCII") << QByteArray("caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80.txt");
        QTest::newRow("backslash") << QByteArray("back\\slash.txt");
    }
    void oddFileName_isAddedAsItsRealPath()
    {
        QFETCH(QByteArray, name);
        const QByteArray raw = m_tree.raw(name);
        m_tree.makeFile(name, "content of " + name);
        const QStringList rows = drop({uriOf(raw)});
        QCOMPARE(m_messages, 0);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], m_tree.path(u"before.txt"_s));
        QCOMPARE(QFile::encodeName(rows[1]), raw);
        QCOMPARE(readFile(rows[1]), "content of " + name);
        QCOMPARE(rows[2], m_tree.path(u"after.txt"_s));
        QFile::remove(QFile::decodeName(raw));
    }

    // A dropped folder gives its files, whatever the folder's own name.
    void oddFolderName_givesItsFiles_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::newRow("spaces, hash, percent") << QByteArray("dir #1 50% off");
        QTest::newRow("quotes") << QByteArray("\"quoted\" 'dir'");
        QTest::newRow("non-ASCII") << QByteArray("d\xc3\xa9j\xc3\xa0");
    }
    void oddFolderName_givesItsFiles()
    {
        QFETCH(QByteArray, name);
        const QByteArray folder = m_tree.raw(name);
        m_tree.makeFolder(name);
        m_tree.makeFile(name + "/inside #2.txt", "inside");
        const QStringList rows = drop({uriOf(folder)});
        QCOMPARE(m_messages, 0);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(QFile::encodeName(rows[1]), folder + "/inside #2.txt");
        QCOMPARE(readFile(rows[1]), QByteArray("inside"));
        QFile::remove(QFile::decodeName(folder + "/inside #2.txt"));
        QVERIFY(::rmdir(folder.constData()) == 0);
    }

    // A name that is not UTF-8 cannot be held as a path's text: its row
    // must not name some other file (such as one called "bad%FF.txt"), so
    // the run that reads it reports it as not found.
    void nameNotUtf8_namesNoOtherFile()
    {
        m_tree.makeFile("bad\xff.txt", "the dropped file");
        for (const char *other : {"bad%FF.txt", "bad%ff.txt", "bad.txt"})
            m_tree.makeFile(other, "another file");
        const QStringList rows = drop({uriOf(m_tree.raw("bad\xff.txt"))});
        QCOMPARE(m_messages, 0);
        QCOMPARE(rows.size(), 3);
        QVERIFY2(!QFile::exists(rows[1]), qPrintable(rows[1]));
        QCOMPARE(rows[1], m_tree.path(u"bad\uFFFD.txt"_s));
        QCOMPARE(rows[2], m_tree.path(u"after.txt"_s));
    }

    // All of them in one drop: every row in the drop's order.
    void manyOddNames_inOneDrop_keepTheirOrder()
    {
        m_tree.makeFolder("all");
        const QList<QByteArray> names{"a b.txt",  "c#d.txt",  "e%20f.txt",
                                      "g\nh.txt", "i\"j.txt", "k\x02l.txt"};
        QList<QByteArray> uris;
        for (const QByteArray &name : names) {
            m_tree.makeFile("all/" + name, name);
            uris << uriOf(m_tree.raw("all/" + name));
        }
        const QStringList rows = drop(uris);
        QCOMPARE(m_messages, 0);
        QCOMPARE(rows.size(), names.size() + 2);
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(readFile(rows[i + 1]), names[i]);
    }
};

QTEST_GUILESS_MAIN(OddDropsTest)
#include "tst_odddrops.moc"
