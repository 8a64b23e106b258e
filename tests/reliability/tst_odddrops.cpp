// Drops of files and folders with awkward names, as a file manager sends
// them (text/uri-list, every byte outside the safe set percent-encoded):
// each row names the real file, and nothing else of the drop is lost.

#include "ScriptedPlatform.h"
#include "inputs/adding/TreeFiles.h"
#include "windows/main/FileDrop.h"

#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <fcntl.h>
#include <sys/stat.h>
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

void writeRaw(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), size_t(bytes.size())) != bytes.size())
        qFatal("cannot write fixture");
    ::close(fd);
}

QByteArray readRaw(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "<cannot read>";
    return file.readAll();
}

} // namespace

class OddDropsTest : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    qsizetype m_messages = 0; // shown by the last drop, which has no report

    // Drops the URI lines between a plain file before and one after, and
    // returns the rows the input list was given.
    QStringList drop(const QList<QByteArray> &uris)
    {
        const QByteArray before = QFile::encodeName(m_dir.filePath(u"before.txt"_s));
        const QByteArray after = QFile::encodeName(m_dir.filePath(u"after.txt"_s));
        writeRaw(before, "before");
        writeRaw(after, "after");
        QByteArray list = uriOf(before) + "\r\n";
        for (const QByteArray &uri : uris)
            list += uri + "\r\n";
        list += uriOf(after) + "\r\n";
        QMimeData data;
        data.setData(u"text/uri-list"_s, list);
        ScriptedPlatform platform;
        StringListTarget target;
        FolderWalk walk(platform, &platform, 0ms);
        AddDroppedPaths(droppedFilePaths(&data), target, walk);
        m_messages = platform.shownRequests().size();
        return target.rows;
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY(m_dir.isValid()); }

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
        const QByteArray raw = QFile::encodeName(m_dir.path()) + '/' + name;
        writeRaw(raw, "content of " + name);
        const QStringList rows = drop({uriOf(raw)});
        QCOMPARE(m_messages, 0);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(rows[0], m_dir.filePath(u"before.txt"_s));
        QCOMPARE(QFile::encodeName(rows[1]), raw);
        QCOMPARE(readRaw(rows[1]), "content of " + name);
        QCOMPARE(rows[2], m_dir.filePath(u"after.txt"_s));
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
        const QByteArray folder = QFile::encodeName(m_dir.path()) + '/' + name;
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        writeRaw(folder + "/inside #2.txt", "inside");
        const QStringList rows = drop({uriOf(folder)});
        QCOMPARE(m_messages, 0);
        QCOMPARE(rows.size(), 3);
        QCOMPARE(QFile::encodeName(rows[1]), folder + "/inside #2.txt");
        QCOMPARE(readRaw(rows[1]), QByteArray("inside"));
        QFile::remove(QFile::decodeName(folder + "/inside #2.txt"));
        QVERIFY(::rmdir(folder.constData()) == 0);
    }

    // A name that is not UTF-8 cannot be held as a path's text: its row
    // must not name some other file (such as one called "bad%FF.txt"), so
    // the run that reads it reports it as not found.
    void nameNotUtf8_namesNoOtherFile()
    {
        const QByteArray folder = QFile::encodeName(m_dir.path());
        writeRaw(folder + "/bad\xff.txt", "the dropped file");
        writeRaw(folder + "/bad%FF.txt", "another file");
        writeRaw(folder + "/bad%ff.txt", "another file");
        writeRaw(folder + "/bad.txt", "another file");
        const QStringList rows = drop({uriOf(folder + "/bad\xff.txt")});
        QCOMPARE(m_messages, 0);
        QCOMPARE(rows.size(), 3);
        QVERIFY2(!QFile::exists(rows[1]), qPrintable(rows[1]));
        QCOMPARE(rows[1], m_dir.filePath(u"bad\uFFFD.txt"_s));
        QCOMPARE(rows[2], m_dir.filePath(u"after.txt"_s));
    }

    // All of them in one drop: every row in the drop's order.
    void manyOddNames_inOneDrop_keepTheirOrder()
    {
        const QByteArray folder = QFile::encodeName(m_dir.path()) + "/all";
        QVERIFY(::mkdir(folder.constData(), 0755) == 0);
        const QList<QByteArray> names{"a b.txt",  "c#d.txt",  "e%20f.txt",
                                      "g\nh.txt", "i\"j.txt", "k\x02l.txt"};
        QList<QByteArray> uris;
        for (const QByteArray &name : names) {
            writeRaw(folder + '/' + name, name);
            uris << uriOf(folder + '/' + name);
        }
        const QStringList rows = drop(uris);
        QCOMPARE(m_messages, 0);
        QCOMPARE(rows.size(), names.size() + 2);
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(readRaw(rows[i + 1]), names[i]);
    }
};

QTEST_GUILESS_MAIN(OddDropsTest)
#include "tst_odddrops.moc"
