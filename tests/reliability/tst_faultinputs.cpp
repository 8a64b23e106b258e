// Hostile and failing inputs through the real quillfen-cli: every readable
// file still gives its rows, every failure is reported once, nothing hangs
// or crashes.

#include "CliRunner.h"
#include "TreeFixture.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSet>
#include <QTest>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace Quillfen::Testing;

class FaultInputsTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;

    QString config() const { return m_tree.path(u"config"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(cliProgram()), qPrintable(cliProgram()));
        // The unprivileged runs must reach the fixtures.
        QVERIFY(QFile::setPermissions(m_tree.root(), QFile::ReadOwner | QFile::WriteOwner |
                                                         QFile::ExeOwner | QFile::ReadOther |
                                                         QFile::ExeOther));
    }

    void thousandFiles_everyTenthUnreadable()
    {
        const QStringList prefix = unprivilegedPrefix();
        if (prefix.isEmpty())
            QSKIP("running as root without setpriv: a refused read cannot be made");
        const QString folder = m_tree.folder(u"thousand"_s);
        QFile::setPermissions(folder, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner |
                                          QFile::ReadOther | QFile::ExeOther);
        QSet<QByteArray> expectedRows;
        QStringList unreadable;
        for (int i = 0; i < 1000; ++i) {
            const QString path = folder + u"/f%1.txt"_s.arg(i, 4, 10, QChar(u'0'));
            writeFile(path,
                      "Row " + QByteArray::number(i) + "\r\n\r\nSecond " + QByteArray::number(i));
            if (i % 10 == 0) {
                QVERIFY(QFile::setPermissions(path, QFileDevice::Permissions()));
                unreadable << path;
            } else {
                QFile::setPermissions(path,
                                      QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
                expectedRows << "Row " + QByteArray::number(i) << "Second " + QByteArray::number(i);
            }
        }
        const CliResult r = runCli({folder}, config(), prefix);
        QCOMPARE(r.status, 1);
        const QList<QByteArray> rows = r.out.split('\n');
        QCOMPARE(rows.last(), QByteArray());
        QCOMPARE(rows.size() - 1, 1800);
        QCOMPARE(QSet<QByteArray>(rows.begin(), rows.end() - 1), expectedRows);
        QCOMPARE(reportCount(r.err), 100);
        for (const QString &path : unreadable)
            QCOMPARE(
                r.err.count(QByteArray("Cannot read \"" + path.toUtf8() + "\": Permission denied")),
                1);
    }

    // A file no document reader takes whose first 8 KB hold a NUL byte
    // outside UTF-16 or UTF-32 text is binary: one report, no rows, as grep
    // has it. A page is read by its reader whatever it holds.
    void binaryFiles_areRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QByteArray>("text"); // null: refused
        QByteArray random(64 * 1024, Qt::Uninitialized);
        QRandomGenerator gen(8);
        for (char &c : random)
            c = char(gen.bounded(256));
        QTest::newRow("random") << random << QByteArray();
        QTest::newRow("NUL bytes") << QByteArray(100000, '\0') << QByteArray();
        QByteArray png("\x89PNG\r\n\x1a\n\x00\x00\x00\x0dIHDR\x00\x00\x00\x01", 20);
        for (int i = 0; i < 4096; ++i)
            png.append(char(i * 37));
        QTest::newRow("PNG") << png << QByteArray();
        QTest::newRow("gzip") << QByteArray("\x1f\x8b\x08\x00\x00\x00\x00\x00\x00\x03hi", 12)
                              << QByteArray();
        QTest::newRow("NUL late in the first 8 KB")
            << QByteArray(8000, 'a') + QByteArray(1, '\0') << QByteArray();
        QTest::newRow("NUL after the first 8 KB")
            << QByteArray(9000, 'a') + QByteArray(1, '\0') + "b"
            << QByteArray(9000, 'a') + '\0' + 'b';
        QTest::newRow("UTF-16 with a mark") << QByteArray("\xff\xfeh\0i\0", 6) << QByteArray("hi");
        QTest::newRow("UTF-16 without a mark") << QByteArray("h\0i\0", 4) << QByteArray("hi");
        QTest::newRow("UTF-32 without a mark")
            << QByteArray("h\0\0\0i\0\0\0", 8) << QByteArray("hi");
        QTest::newRow("lone UTF-16 mark")
            << QByteArray("\xff\xfe\x00\xd8\x00", 5) << QByteArray("\xef\xbf\xbd");
    }
    void binaryFiles_areRefused()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, text);
        const QString after = m_tree.write(u"after.txt"_s, "Still here");
        const QString path = m_tree.write(u"binary.txt"_s, bytes);
        for (const QString &mode : {u"--paragraphs"_s, u"--smart-sentences"_s}) {
            const CliResult r = runCli({mode, u"--no-abbreviations"_s, path, after}, config());
            QCOMPARE(r.out, (text.isNull() ? QByteArray() : text + '\n') + "Still here\n");
            if (text.isNull()) {
                QCOMPARE(r.status, 1);
                QCOMPARE(r.err, "quillfen-cli: Cannot read \"" + path.toUtf8() +
                                    "\": it is a binary file, not text\n");
            } else {
                QCOMPARE(r.status, 0);
                QCOMPARE(r.err, QByteArray());
            }
        }
        // A page is read by its reader, binary or not.
        const QString page = m_tree.write(u"binary.html"_s, bytes);
        const CliResult r = runCli({u"--no-abbreviations"_s, page, after}, config());
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.endsWith("Still here\n"));
    }

    void tenMillionEmptyLines_giveNoRows_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::newRow("paragraphs") << u"--paragraphs"_s;
        QTest::newRow("sentences") << u"--sentences"_s;
    }
    void tenMillionEmptyLines_giveNoRows()
    {
        QFETCH(QString, mode);
        const QString path = m_tree.path(u"empty-lines.txt"_s);
        if (!QFile::exists(path))
            writeFile(path, QByteArray(10'000'000, '\n') + "last");
        const CliResult r = runCli({mode, u"--no-abbreviations"_s, path}, config());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.out, mode == u"--sentences"_s ? QByteArray("last.\n") : QByteArray("last\n"));
    }

    void deeplyNestedHtml_givesItsText_data()
    {
        QTest::addColumn<QByteArray>("open");
        QTest::addColumn<QByteArray>("close");
        QTest::newRow("div") << QByteArray("<div>") << QByteArray("</div>");
        QTest::newRow("b, unclosed") << QByteArray("<b>") << QByteArray();
        QTest::newRow("table") << QByteArray("<table><tr><td>") << QByteArray();
    }
    void deeplyNestedHtml_givesItsText()
    {
        QFETCH(QByteArray, open);
        QFETCH(QByteArray, close);
        const QString path =
            m_tree.write(u"deep.html"_s, "<html><body>" + open.repeated(100000) + "deep text" +
                                             close.repeated(100000) + "</body></html>");
        const CliResult r = runCli({path}, config());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QByteArray());
        QVERIFY2(r.out.contains("deep text"), r.out.left(200).constData());
    }

    void oddFileNames_onTheCommandLineAndInFolders()
    {
        const QByteArray folder = m_tree.raw("names");
        m_tree.makeFolder("names");
        const QList<QPair<QByteArray, QByteArray>> safe = {
            {"with space.txt", "space"}, {"q\"u'ote.txt", "quote"},  {"new\nline.txt", "newline"},
            {"t\tab.txt", "tab"},        {"ctl\x01.txt", "control"}, {"caf\xc3\xa9.txt", "utf8"},
        };
        for (const auto &[name, row] : safe)
            m_tree.makeFile("names/" + name, row);

        // Each named on the command line: every one is read.
        QStringList arguments;
        for (const auto &[name, row] : safe)
            arguments << QFile::decodeName(folder + '/' + name);
        CliResult r = runCli(arguments, config());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QByteArray());
        QByteArray expected;
        for (const auto &[name, row] : safe)
            expected += row + '\n';
        QCOMPARE(r.out, expected);

        // A name that is not UTF-8 cannot be held as a path's text: given on
        // the command line it is reported once and the others are still read.
        m_tree.makeFile("names/bad\xff.txt", "invalid");
        const QString bad = QString::fromLocal8Bit(folder + "/bad\xff.txt");
        r = runCli({bad, arguments.first()}, config());
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QByteArray("space\n"));
        QCOMPARE(reportCount(r.err), 1);

        // The folder walk lists the names it may enter, each once, and
        // leaves the one that is not UTF-8 out without a report.
        r = runCli({u"--list-inputs"_s, QString::fromUtf8(folder)}, config());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QByteArray());
        for (const auto &[name, row] : safe) {
            if (name.contains('\x01'))
                continue; // whether the walk takes it is asserted below by its rows
            QCOMPARE(r.out.count(QByteArray(folder + '/' + name + '\n')), 1);
        }
        QVERIFY(!r.out.contains("bad"));
        r = runCli({QString::fromUtf8(folder)}, config());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.err, QByteArray());
        for (const auto &[name, row] : safe)
            QVERIFY2(r.out.contains(QByteArray(row + '\n')) || name.contains('\x01'),
                     row.constData());
        QVERIFY(!r.out.contains("invalid"));
    }

    // A name's control characters reach the terminal escaped, never raw:
    // a name could otherwise set the title or clear the screen.
    void controlCharactersInNames_areEscapedInReports_data()
    {
        QTest::addColumn<QByteArray>("name");
        QTest::addColumn<QByteArray>("shown");
        QTest::newRow("ESC") << QByteArray("t\x1b]0;owned\x07.txt")
                             << QByteArray("t\\x1b]0;owned\\a.txt");
        QTest::newRow("newline") << QByteArray("new\nline.txt") << QByteArray("new\\nline.txt");
        QTest::newRow("tab") << QByteArray("t\tab.txt") << QByteArray("t\\tab.txt");
        QTest::newRow("DEL") << QByteArray("del\x7f.txt") << QByteArray("del\\x7f.txt");
        QTest::newRow("non-ASCII")
            << QByteArray("caf\xc3\xa9.txt") << QByteArray("caf\xc3\xa9.txt");
    }
    void controlCharactersInNames_areEscapedInReports()
    {
        QFETCH(QByteArray, name);
        QFETCH(QByteArray, shown);
        // A binary file is one report naming it.
        QDir().mkpath(QString::fromUtf8(m_tree.raw("escaped")));
        m_tree.makeFile("escaped/" + name, QByteArray(64, '\0'));
        const QByteArray folder = m_tree.raw("escaped");
        const CliResult r = runCli({QString::fromUtf8(folder + '/' + name)}, config());
        QCOMPARE(r.status, 1);
        QCOMPARE(reportCount(r.err), 1);
        QVERIFY2(r.err.contains(QByteArray(folder + '/' + shown)), r.err.constData());
        const QByteArray withoutLineEnd = r.err.chopped(1);
        QVERIFY2(!withoutLineEnd.contains('\x1b') && !withoutLineEnd.contains('\n') &&
                     !withoutLineEnd.contains('\t') && !withoutLineEnd.contains('\x7f'),
                 r.err.constData());
        QFile::remove(QString::fromUtf8(folder + '/' + name));
    }

    void vanishedAndChangedInputs_areReportedOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("vanished") << u"vanished"_s;
        QTest::newRow("folder now") << u"folder"_s;
        QTest::newRow("dangling link") << u"link"_s;
    }
    void vanishedAndChangedInputs_areReportedOnce()
    {
        QFETCH(QString, kind);
        const QString path = m_tree.path(u"changing-"_s + kind);
        QFile::remove(path);
        QDir(path).removeRecursively();
        if (kind == u"folder")
            QVERIFY(QDir().mkpath(path + u"/empty"_s));
        else if (kind == u"link")
            QVERIFY(QFile::link(m_tree.path(u"no-such-target"_s), path));
        const QString good = m_tree.write(u"good.txt"_s, "good row");
        const CliResult r = runCli({path, good}, config());
        QCOMPARE(r.out, QByteArray("good row\n"));
        if (kind == u"folder") {
            // A folder is walked: an empty one gives nothing and no failure.
            QCOMPARE(r.status, 0);
            QCOMPARE(reportCount(r.err), 0);
        } else {
            QCOMPARE(r.status, 1);
            QCOMPARE(reportCount(r.err), 1);
            QVERIFY(r.err.contains(path.toUtf8()));
        }
    }

    // Only regular files are read: a FIFO would block for ever and a device
    // never end. Each is one report, and the run goes on at once.
    void notRegularFiles_areRefusedAtOnce_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::newRow("FIFO") << u"fifo"_s;
        QTest::newRow("link to /dev/zero") << u"zero.txt"_s;
        QTest::newRow("socket") << u"socket"_s;
    }
    void notRegularFiles_areRefusedAtOnce()
    {
        QFETCH(QString, kind);
        const QString path = m_tree.path(kind);
        const QByteArray raw = QFile::encodeName(path);
        QFile::remove(path);
        if (kind == u"fifo") {
            QCOMPARE(::mkfifo(raw.constData(), 0644), 0);
        } else if (kind == u"zero.txt") {
            QVERIFY(QFile::link(u"/dev/zero"_s, path));
        } else {
            const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
            sockaddr_un address{};
            address.sun_family = AF_UNIX;
            QVERIFY(size_t(raw.size()) < sizeof(address.sun_path));
            std::memcpy(address.sun_path, raw.constData(), size_t(raw.size()));
            QCOMPARE(::bind(fd, reinterpret_cast<sockaddr *>(&address), sizeof(address)), 0);
            ::close(fd);
        }
        const QString good = m_tree.write(u"good.txt"_s, "good row");
        const CliResult r = runCli({path, good}, config(), {QString()}, 30000);
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QByteArray("good row\n"));
        QCOMPARE(reportCount(r.err), 1);
        QVERIFY(r.err.contains(QByteArray(raw + "\": it is not a regular file")));
    }
};

QTEST_GUILESS_MAIN(FaultInputsTest)
#include "tst_faultinputs.moc"
