#include "platform/OutputFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
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
