#include "TreeFixture.h"
#include "platform/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace Quillfen;
using namespace Quillfen::Testing;

class OutputFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void regularFile_isReplacedOnlyOnCommit()
    {
        TreeFixture dir;
        const QString path = dir.write(u"out.txt"_s, "old content");

        {
            OutputFile file(path);
            QVERIFY(!file.isSpecial());
            QVERIFY(file.open());
            file.device().write("half");
            // Abandoned without commit: the old file stays.
        }
        QCOMPARE(readFile(path), QByteArray("old content"));

        OutputFile file(path);
        QVERIFY(file.open());
        file.device().write("new");
        QVERIFY(file.commit());
        QCOMPARE(readFile(path), QByteArray("new"));
    }

    // The last flush failing (here past a file size limit, as on a full
    // disk): commit says so, and the old file stays, with nothing beside it.
    void failingLastFlush_keepsTheOldFile()
    {
        TreeFixture dir;
        const QString path = dir.write(u"out.txt"_s, "old content");

        rlimit saved{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit small = saved;
        small.rlim_cur = 16;
        QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
        bool committed = true;
        QString error;
        {
            OutputFile file(path);
            if (file.open()) {
                // Small enough to wait in the buffer until the commit.
                file.device().write(QByteArray(100, 'n'));
                committed = file.commit();
                error = file.errorString();
            }
        }
        ::setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, previousHandler);

        QVERIFY(!committed);
        QVERIFY(!error.isEmpty());
        QCOMPARE(readFile(path), QByteArray("old content"));
        QCOMPARE(QDir(dir.root()).entryList(QDir::Files | QDir::Hidden), QStringList{u"out.txt"_s});
    }

    // Large enough that write-back and the release of the replaced file
    // both work in several parts.
    static QByteArray bigBytes(char seed, qsizetype size)
    {
        QByteArray bytes(size, Qt::Uninitialized);
        for (qsizetype i = 0; i < size; ++i)
            bytes[i] = char(seed + i % 61);
        return bytes;
    }

    void replacedFile_isCutInParts_andTheNewBytesStay_data()
    {
        QTest::addColumn<bool>("secondName");
        QTest::newRow("only name") << false;
        QTest::newRow("also linked elsewhere") << true;
    }
    void replacedFile_isCutInParts_andTheNewBytesStay()
    {
        QFETCH(bool, secondName);
        TreeFixture dir;
        const QString path = dir.path(u"out.txt"_s);
        const QString other = dir.path(u"other-name.txt"_s);
        const QByteArray oldBytes = bigBytes('a', 40 << 20);
        const QByteArray newBytes = bigBytes('A', 9 << 20);
        writeFile(path, oldBytes);
        if (secondName)
            QCOMPARE(::link(qPrintable(path), qPrintable(other)), 0);

        OutputFile file(path);
        QVERIFY(file.open());
        QVERIFY(!file.releaseReplacedPart()); // nothing before the commit
        for (qsizetype at = 0; at < newBytes.size(); at += 1 << 16) {
            QCOMPARE(file.device().write(
                         newBytes.sliced(at, std::min<qsizetype>(1 << 16, newBytes.size() - at))),
                     std::min<qsizetype>(1 << 16, newBytes.size() - at));
            file.writeBack();
        }
        QVERIFY(file.commit());
        int parts = 0;
        while (file.releaseReplacedPart())
            ++parts;
        // A file that another name still holds is left whole.
        QCOMPARE(parts > 1, !secondName);

        QVERIFY(readFile(path) == newBytes);
        if (secondName)
            QVERIFY(readFile(other) == oldBytes);
    }

    void newFile_hasNoReplacedPart()
    {
        TreeFixture dir;
        OutputFile file(dir.path(u"new.txt"_s));
        QVERIFY(file.open());
        file.device().write("x");
        QVERIFY(file.commit());
        QVERIFY(!file.releaseReplacedPart());
    }

    void pipe_isWrittenThroughAndStaysAPipe()
    {
        TreeFixture dir;
        const QString fifo = dir.path(u"pipe"_s);
        QVERIFY(::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0);
        QProcess reader;
        reader.start(u"cat"_s, {fifo});
        QVERIFY(reader.waitForStarted());

        OutputFile file(fifo);
        QVERIFY(file.isSpecial());
        QVERIFY(file.open());
        file.device().write("through the pipe");
        QVERIFY(file.commit());

        QVERIFY(reader.waitForFinished(10000));
        QCOMPARE(reader.readAllStandardOutput(), QByteArray("through the pipe"));
        struct stat info;
        QCOMPARE(::stat(QFile::encodeName(fifo).constData(), &info), 0);
        QVERIFY(S_ISFIFO(info.st_mode));
    }
};

QTEST_GUILESS_MAIN(OutputFileTest)
#include "tst_outputfile.moc"
