#include "platform/OutputFile.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sys/stat.h>

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
