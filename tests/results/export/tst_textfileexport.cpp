#include "ScriptedPlatform.h"
#include "TableList.h"
#include "TreeFixture.h"
#include "core/ApplicationError.h"
#include "core/ReportSites.h"
#include "results/export/TextFileExport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <cstring>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

namespace {

QString report(int statement, const QString &description)
{
    return applicationErrorText(ReportSites::SaveTextFile::Identifier, statement, description);
}

} // namespace

class TextFileExportTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;
    ScriptedPlatform m_platform;
    TableList m_list;

    void save()
    {
        saveResultsAsTextFile({m_platform, m_platform, m_platform, m_platform, &m_platform},
                              m_list);
    }

private Q_SLOTS:
    void init()
    {
        m_platform = ScriptedPlatform();
        m_list = TableList();
    }

    void writesEveryRowThenCrLf_data()
    {
        QTest::addColumn<QStringList>("rows");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("two rows") << QStringList{u"a"_s, u"b"_s} << QByteArray("a\r\nb\r\n");
        QTest::newRow("empty list") << QStringList() << QByteArray();
        QTest::newRow("line breaks inside rows") << QStringList{u"one\rtwo"_s, u"x\r\ny"_s, u"\n"_s}
                                                 << QByteArray("one\rtwo\r\nx\r\ny\r\n\n\r\n");
        QTest::newRow("empty row") << QStringList{QString(), u"z"_s} << QByteArray("\r\nz\r\n");
        QTest::newRow("non-ASCII as UTF-8 without BOM")
            << QStringList{u"Καλημέρα"_s, u"Привет 世界"_s, u"😀 é"_s}
            << QByteArray(
                   "\xce\x9a\xce\xb1\xce\xbb\xce\xb7\xce\xbc\xce\xad\xcf\x81\xce\xb1\r\n"
                   "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82 \xe4\xb8\x96\xe7\x95\x8c\r\n"
                   "\xf0\x9f\x98\x80 \xc3\xa9\r\n");
        QTest::newRow("unpaired surrogate")
            << QStringList{QString(QChar(0xD800)) + u"x"_s} << QByteArray("\xef\xbf\xbdx\r\n");
    }
    void writesEveryRowThenCrLf()
    {
        QFETCH(QStringList, rows);
        QFETCH(QByteArray, bytes);
        m_list.addTexts(rows);
        const QString path = m_tree.path(u"out.txt"_s);
        QFile::remove(path);
        m_platform.answerSaveFile(path);
        save();
        QCOMPARE(readFile(path), bytes);
        QVERIFY(m_platform.shownMessages().isEmpty());
        QCOMPARE(m_platform.pointerHistory(),
                 (QList<PointerMode>{PointerMode::Busy, PointerMode::Default}));
    }

    void dialog_isTitledSaveWithTextAndAllFilters()
    {
        save(); // cancelled
        QCOMPARE(m_platform.dialogsShown().size(), 1);
        const auto dialog = m_platform.dialogsShown().first();
        QCOMPARE(dialog.kind, u"saveFile"_s);
        QCOMPARE(dialog.title, u"Save"_s);
        QCOMPARE(dialog.filters, (QList<FileFilter>{{u"Text Files (*.txt)"_s, u"*.txt"_s},
                                                    {u"CSV (*.csv)"_s, u"*.csv"_s},
                                                    {u"All Files (*.*)"_s, u"*.*"_s}}));
    }

    void cancel_writesNothingAndLeavesPointer()
    {
        m_list.addTexts({u"a"_s});
        save();
        QVERIFY(m_platform.shownMessages().isEmpty());
        QVERIFY(m_platform.pointerHistory().isEmpty());
    }

    void typedName_getsTheChosenFiltersExtension_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("saved");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("text") << u"res"_s << 0 << u"res.txt"_s << QByteArray("a\r\n");
        QTest::newRow("csv") << u"res"_s << 1 << u"res.csv"_s << QByteArray("file,text\r\n,a\r\n");
        QTest::newRow("all files adds nothing") << u"res"_s << 2 << u"res"_s << QByteArray("a\r\n");
        QTest::newRow("own extension kept")
            << u"res.log"_s << 1 << u"res.log"_s << QByteArray("file,text\r\n,a\r\n");
        QTest::newRow("trailing dot") << u"res."_s << 0 << u"res.txt"_s << QByteArray("a\r\n");
    }
    void typedName_getsTheChosenFiltersExtension()
    {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, saved);
        QFETCH(QByteArray, bytes);
        m_list.addTexts({u"a"_s});
        // Each row in a folder of its own.
        const QString folder = QString::fromLatin1(QTest::currentDataTag()).replace(u' ', u'-');
        QDir().mkpath(m_tree.path(folder));
        typed = folder + u'/' + typed;
        saved = folder + u'/' + saved;
        m_platform.answerSaveFile(m_tree.path(typed), filter);
        save();
        QCOMPARE(readFile(m_tree.path(saved)), bytes);
        if (saved != typed)
            QVERIFY(!QFile::exists(m_tree.path(typed)));
    }

    void existingFullName_isAskedAbout()
    {
        const QString path = m_tree.write(u"kept.txt"_s, "old\n");
        m_list.addTexts({u"new"_s});
        m_platform.answerSaveFile(m_tree.path(u"kept"_s));
        m_platform.answerNext(MessageAnswer::No);
        save();
        QCOMPARE(m_platform.shownRequests().size(), 1);
        QCOMPARE(m_platform.shownRequests().first().text,
                 u"Are you sure you wish to overwrite "_s + path + u" ?"_s);
        QCOMPARE(readFile(path), QByteArray("old\n"));
    }

    void existingFile_asksAndKeepsOrReplaces_data()
    {
        QTest::addColumn<MessageAnswer>("answer");
        QTest::addColumn<QByteArray>("bytes");
        QTest::newRow("No keeps the old bytes") << MessageAnswer::No << QByteArray("old content\n");
        QTest::newRow("Yes replaces them") << MessageAnswer::Yes << QByteArray("new\r\n");
    }
    void existingFile_asksAndKeepsOrReplaces()
    {
        QFETCH(MessageAnswer, answer);
        QFETCH(QByteArray, bytes);
        const QString path = m_tree.write(u"existing.txt"_s, "old content\n");
        m_list.addTexts({u"new"_s});
        m_platform.answerSaveFile(path);
        m_platform.answerNext(answer);
        save();
        QCOMPARE(m_platform.shownRequests().size(), 1);
        const MessageRequest question = m_platform.shownRequests().first();
        QCOMPARE(question.text, u"Are you sure you wish to overwrite "_s + path + u" ?"_s);
        QCOMPARE(question.caption, applicationTitle());
        QCOMPARE(question.buttons, MessageButtons::YesNo);
        QCOMPARE(question.icon, MessageIcon::None);
        QCOMPARE(readFile(path), bytes);
    }

    void newFile_isWrittenWithoutQuestion()
    {
        m_list.addTexts({u"a"_s});
        const QString path = m_tree.path(u"fresh.txt"_s);
        m_platform.answerSaveFile(path);
        save();
        QVERIFY(m_platform.shownRequests().isEmpty());
        QCOMPARE(readFile(path), QByteArray("a\r\n"));
    }

    void missingFolder_reportsOnceAndCreatesNothing()
    {
        m_list.addTexts({u"a"_s, u"b"_s, u"c"_s});
        const QString path = m_tree.path(u"no such folder/out.txt"_s);
        m_platform.answerSaveFile(path);
        save();
        const QStringList shown = m_platform.shownMessages();
        QCOMPARE(shown.size(), 1);
        QVERIFY2(shown.first().contains(u"\r\n"_s + ReportSites::SaveTextFile::Identifier +
                                        u"at line 132\r\r"_s),
                 qPrintable(shown.first()));
        QVERIFY2(shown.first().startsWith(u"Cannot write "_s + path), qPrintable(shown.first()));
        QVERIFY(!QFile::exists(path));
        QCOMPARE(m_platform.pointerHistory(),
                 (QList<PointerMode>{PointerMode::Busy, PointerMode::Default}));
    }

    void rowVanishing_keepsOldFileAndReportsOnce()
    {
        const QString path = m_tree.write(u"kept.txt"_s, "old");
        m_list.addTexts({u"a"_s, u"b"_s, u"c"_s, u"d"_s});
        m_platform.answerSaveFile(path);
        m_platform.answerNext(MessageAnswer::Yes);
        // The user clears the list while the second row is due.
        m_platform.onYield([this](int n) {
            if (n == 2)
                m_list.clear();
        });
        save();
        const QStringList shown = m_platform.shownMessages();
        QCOMPARE(shown.size(), 2); // the question, then one report
        QCOMPARE(shown[1], report(138, u"Index out of bounds"_s));
        QCOMPARE(readFile(path), QByteArray("old"));
        QCOMPARE(QDir(m_tree.root()).entryList(QDir::Files).filter(u"kept"_s),
                 QStringList{u"kept.txt"_s}); // no temporary file left behind
        QCOMPARE(m_platform.pointerHistory(),
                 (QList<PointerMode>{PointerMode::Busy, PointerMode::Default}));
    }

    void rowsAppendedWhileWriting_areNotWritten()
    {
        m_list.addTexts({u"a"_s, u"b"_s});
        const QString path = m_tree.path(u"fixed.txt"_s);
        QFile::remove(path);
        m_platform.answerSaveFile(path);
        m_platform.onYield([this](int) { m_list.addTexts({u"late"_s}); });
        save();
        QCOMPARE(readFile(path), QByteArray("a\r\nb\r\n"));
    }

    // Run as an unprivileged user: root may write into any folder.
    void readOnlyFolder_keepsOldFileAndReportsOnce()
    {
        if (::geteuid() == 0) {
            const QString setpriv = QStandardPaths::findExecutable(u"setpriv"_s);
            if (setpriv.isEmpty())
                QSKIP("Running as root and setpriv is missing: cannot test a read-only folder");
            QProcess child;
            child.setProcessChannelMode(QProcess::MergedChannels);
            child.start(setpriv, {u"--reuid=65534"_s, u"--regid=65534"_s, u"--clear-groups"_s,
                                  u"--"_s, QCoreApplication::applicationFilePath(),
                                  QString::fromLatin1(QTest::currentTestFunction())});
            QVERIFY(child.waitForFinished(60000));
            const QByteArray output = child.readAll();
            if (child.exitCode() == 126 || child.exitCode() == 127)
                QSKIP(qPrintable(u"Cannot run this test as the user nobody: "_s +
                                 QString::fromLocal8Bit(output)));
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     output.constData());
            QVERIFY2(output.contains("PASS   : TextFileExportTest::readOnlyFolder"),
                     output.constData());
            return;
        }
        TreeFixture dir;
        const QString folder = dir.folder(u"locked"_s);
        const QString path = folder + u"/old.txt"_s;
        writeFile(path, "old bytes");
        QVERIFY(::chmod(QFile::encodeName(folder).constData(), 0555) == 0);
        m_list.addTexts({u"a"_s, u"b"_s});
        m_platform.answerSaveFile(path);
        m_platform.answerNext(MessageAnswer::Yes);
        save();
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        const QStringList shown = m_platform.shownMessages();
        QCOMPARE(shown.size(), 2); // the question, then one report
        QVERIFY2(shown[1].contains(u"\r\n"_s + ReportSites::SaveTextFile::Identifier +
                                   u"at line 132\r\r"_s),
                 qPrintable(shown[1]));
        QCOMPARE(readFile(path), QByteArray("old bytes"));
        QCOMPARE(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{u"old.txt"_s});
    }

    // A full file system needs a mount of its own: the test runs itself
    // again in a private mount namespace (as root, or as root of a user
    // namespace), where a small tmpfs vanishes with the process.
    void fullFileSystem_keepsOldFileAndReportsOnce_data()
    {
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("failingStatement");
        QTest::newRow("fails on commit") << 3 << 142;
        QTest::newRow("fails while writing") << 20000 << 138;
    }
    void fullFileSystem_keepsOldFileAndReportsOnce()
    {
        QFETCH(int, rows);
        QFETCH(int, failingStatement);
        if (!qEnvironmentVariableIsSet("QUILLFEN_TEST_PRIVATE_MOUNTS")) {
            const QString unshare = QStandardPaths::findExecutable(u"unshare"_s);
            if (unshare.isEmpty())
                QSKIP("unshare is missing: cannot mount a full file system");
            QStringList arguments{u"--mount"_s, u"--propagation"_s, u"private"_s};
            if (::geteuid() != 0)
                arguments.prepend(u"--map-root-user"_s);
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(u"QUILLFEN_TEST_PRIVATE_MOUNTS"_s, u"1"_s);
            child.setProcessEnvironment(env);
            child.setProcessChannelMode(QProcess::MergedChannels);
            const QString test = QString::fromLatin1(QTest::currentTestFunction()) + u':' +
                                 QString::fromLatin1(QTest::currentDataTag());
            child.start(unshare,
                        arguments +
                            QStringList{u"--"_s, QCoreApplication::applicationFilePath(), test});
            QVERIFY(child.waitForFinished(60000));
            const QByteArray output = child.readAll();
            if (child.exitCode() != 0 && !output.contains("FAIL!"))
                QSKIP(qPrintable(u"Cannot make a private mount namespace: "_s +
                                 QString::fromLocal8Bit(output).trimmed()));
            if (output.contains("SKIP   : "))
                QSKIP(qPrintable(QString::fromLocal8Bit(output.mid(output.indexOf("SKIP   : ")))
                                     .section(u'\n', 0, 1)));
            QVERIFY2(child.exitStatus() == QProcess::NormalExit && child.exitCode() == 0,
                     output.constData());
            QVERIFY2(output.contains("PASS   : TextFileExportTest::fullFileSystem"),
                     output.constData());
            return;
        }
        TreeFixture dir;
        const QByteArray mountPoint = QFile::encodeName(dir.root());
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", 0, "size=64k") != 0)
            QSKIP(qPrintable(u"Cannot mount a small tmpfs: "_s +
                             QString::fromLocal8Bit(::strerror(errno))));
        const QString path = dir.write(u"old.txt"_s, "old bytes");
        // Fill every block that is left.
        {
            QFile filler(dir.path(u"filler"_s));
            QVERIFY(filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
            const QByteArray block(4096, 'f');
            while (filler.write(block) > 0) {
            }
        }
        for (int i = 0; i < rows; ++i)
            m_list.addTexts({u"row "_s + QString::number(i)});
        m_platform.answerSaveFile(path);
        m_platform.answerNext(MessageAnswer::Yes);
        save();
        const QStringList shown = m_platform.shownMessages();
        const QStringList entries = QDir(dir.root()).entryList(QDir::Files | QDir::Hidden);
        const QByteArray kept = readFile(path);
        ::umount2(mountPoint.constData(), MNT_DETACH);
        QCOMPARE(kept, QByteArray("old bytes"));
        QCOMPARE(entries, (QStringList{u"filler"_s, u"old.txt"_s}));
        QCOMPARE(shown.size(), 2); // the question, then one report
        QVERIFY2(shown[1].startsWith(u"Cannot write "_s + path + u": "_s), qPrintable(shown[1]));
        QVERIFY2(shown[1].contains(u"\r\n"_s + ReportSites::SaveTextFile::Identifier +
                                   u"at line "_s + QString::number(failingStatement) + u"\r\r"_s),
                 qPrintable(shown[1]));
        QCOMPARE(m_platform.pointerHistory(),
                 (QList<PointerMode>{PointerMode::Busy, PointerMode::Default}));
    }

    void yieldsWhileWriting_withBusyPointer()
    {
        m_list.addTexts({u"a"_s, u"b"_s, u"c"_s});
        const QString path = m_tree.path(u"yields.txt"_s);
        QFile::remove(path);
        m_platform.answerSaveFile(path);
        QList<PointerMode> pointerDuringYields;
        m_platform.onYield([&](int) { pointerDuringYields << m_platform.pointerMode(); });
        save();
        QCOMPARE(pointerDuringYields, QList<PointerMode>(3, PointerMode::Busy));
    }
};

QTEST_GUILESS_MAIN(TextFileExportTest)
#include "tst_textfileexport.moc"
