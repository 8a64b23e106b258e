#include "platform/OutputFile.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace Quillfen;

class OutputFileTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void regularFile_isReplacedOnlyOnCommit()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"out.txt"_s);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old content");
        old.close();

        {
            OutputFile file(path);
            QVERIFY(!file.isSpecial());
            QVERIFY(file.open());
            file.device().write("half");
            // Abandoned without commit: the old file stays.
        }
        QFile check(path);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("old content"));
        check.close();

        OutputFile file(path);
        QVERIFY(file.open());
        file.device().write("new");
        QVERIFY(file.commit());
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("new"));
    }

    // The last flush failing (here past a file size limit, as on a full
    // disk): commit says so, and the old file stays, with nothing beside it.
    void failingLastFlush_keepsTheOldFile()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(u"out.txt"_s);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        old.write("old content");
        old.close();

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
        QFile check(path);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QCOMPARE(check.readAll(), QByteArray("old content"));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"out.txt"_s});
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
        QTemporaryDir dir;
        const QString path = dir.filePath(u"out.txt"_s);
        const QString other = dir.filePath(u"other-name.txt"_s);
        const QByteArray oldBytes = bigBytes('a', 40 << 20);
        const QByteArray newBytes = bigBytes('A', 9 << 20);
        QFile old(path);
        QVERIFY(old.open(QIODevice::WriteOnly));
        QCOMPARE(old.write(oldBytes), oldBytes.size());
        old.close();
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

        QFile check(path);
        QVERIFY(check.open(QIODevice::ReadOnly));
        QVERIFY(check.readAll() == newBytes);
        if (secondName) {
            QFile kept(other);
            QVERIFY(kept.open(QIODevice::ReadOnly));
            QVERIFY(kept.readAll() == oldBytes);
        }
    }

    void newFile_hasNoReplacedPart()
    {
        QTemporaryDir dir;
        OutputFile file(dir.filePath(u"new.txt"_s));
        QVERIFY(file.open());
        file.device().write("x");
        QVERIFY(file.commit());
        QVERIFY(!file.releaseReplacedPart());
    }

    void pipe_isWrittenThroughAndStaysAPipe()
    {
        QTemporaryDir dir;
        const QString fifo = dir.filePath(u"pipe"_s);
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
