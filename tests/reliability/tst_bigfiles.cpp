// Files of one long line through the real quillfen-cli: they finish, every
// byte comes out where it belongs, and the program's peak memory, measured
// on the child itself, stays within a bound.

#include "CliRunner.h"
#include "TreeFixture.h"

#include <QFile>
#include <QTest>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace Quillfen::Testing;

namespace {

#ifdef QUILLFEN_SANITIZED_BUILD
// Instrumented code is several times slower and its memory is not the
// program's own: a smaller file, and no memory bound.
constexpr qint64 FileBytes = qint64(64) << 20;
constexpr qint64 RowBytes = qint64(16) << 20;
constexpr bool CheckMemory = false;
#else
constexpr qint64 FileBytes = qint64(1) << 30;
// A row is held whole, several times over: a line that is one row is kept
// to a size that CI's memory takes.
constexpr qint64 RowBytes = qint64(128) << 20;
constexpr bool CheckMemory = true;
#endif
constexpr qsizetype BufferBytes = qsizetype(1) << 20;

// A pattern whose length divides the buffer, so the file repeats it whole.
QByteArray letters()
{
    return "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_"; // 64
}
QByteArray sentences()
{
    return "Some more words that run on and on until they reach the period. "; // 64
}

void writeRepeated(const QString &path, const QByteArray &pattern, qint64 bytes)
{
    if (BufferBytes % pattern.size() != 0)
        qFatal("the pattern must divide the buffer");
    const QByteArray buffer = pattern.repeated(BufferBytes / pattern.size());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        qFatal("cannot write fixture");
    for (qint64 written = 0; written < bytes; written += buffer.size()) {
        if (file.write(buffer) != buffer.size())
            qFatal("cannot write fixture");
    }
}

struct Run
{
    int status = -1;
    qint64 outputBytes = 0;
    long peakKiB = 0;
    QByteArray err;
    QByteArray firstMismatch; // empty when the output was as expected
};

// Runs quillfen-cli with arguments, compares its standard output byte by
// byte as it arrives with expectedAt(offset), without keeping it, and takes
// the child's peak resident size from wait4.
Run runMeasured(const QStringList &arguments, const QString &configHome,
                const std::function<char(qint64)> &expectedAt)
{
    Run run;
    QList<QByteArray> argStore{QFile::encodeName(cliProgram())};
    for (const QString &a : arguments)
        argStore << QFile::encodeName(a);
    std::vector<char *> argv;
    for (QByteArray &a : argStore)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    QList<QByteArray> envStore{"XDG_CONFIG_HOME=" + QFile::encodeName(configHome)};
    for (const char *name : {"PATH", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
        if (qEnvironmentVariableIsSet(name))
            envStore << QByteArray(name) + '=' + qgetenv(name);
    }
    std::vector<char *> envp;
    for (QByteArray &e : envStore)
        envp.push_back(e.data());
    envp.push_back(nullptr);

    int out[2];
    int err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        return run;
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(out[1], STDOUT_FILENO);
        ::dup2(err[1], STDERR_FILENO);
        ::close(out[0]);
        ::close(out[1]);
        ::close(err[0]);
        ::close(err[1]);
        ::execve(argv[0], argv.data(), envp.data());
        ::_exit(127);
    }
    ::close(out[1]);
    ::close(err[1]);
    // Reports are short; reading them after the output cannot block it.
    ::fcntl(err[0], F_SETFL, O_NONBLOCK);
    QByteArray buffer(BufferBytes, Qt::Uninitialized);
    for (;;) {
        const ssize_t n = ::read(out[0], buffer.data(), size_t(buffer.size()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        for (qsizetype i = 0; i < qsizetype(n) && run.firstMismatch.isEmpty(); ++i) {
            if (buffer.at(i) != expectedAt(run.outputBytes + i)) {
                run.firstMismatch =
                    "at byte " + QByteArray::number(run.outputBytes + i) + ": " + buffer.mid(i, 80);
            }
        }
        run.outputBytes += n;
    }
    ::close(out[0]);
    int status = 0;
    rusage usage{};
    if (::wait4(pid, &status, 0, &usage) != pid)
        return run;
    for (ssize_t n; (n = ::read(err[0], buffer.data(), size_t(buffer.size()))) > 0;)
        run.err += buffer.first(n);
    ::close(err[0]);
    run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    run.peakKiB = usage.ru_maxrss;
    return run;
}

} // namespace

class BigFilesTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;
    QString config() const { return m_tree.path(u"config"_s); }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(cliProgram()), qPrintable(cliProgram()));
        if (!CheckMemory)
            qInfo("Sanitized build: 64 MB instead of 1 GB, a 16 MB row instead of 128 MB, "
                  "and memory is not checked");
    }

    // The one line is one row in both modes. A row is handed on whole, so
    // the program holds it (as UTF-16, twice in Sentence mode while it is
    // cut) but writes it out in slices: the bound is a few times the row,
    // which is all of the file.
    void oneLineWithoutEnds_isOneRow_data()
    {
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QByteArray>("rowEnd");
        QTest::addColumn<int>("timesRow");
        QTest::newRow("paragraphs") << u"--paragraphs"_s << QByteArray("\n") << 3;
        QTest::newRow("sentences") << u"--sentences"_s << QByteArray(".\n") << 5;
    }
    void oneLineWithoutEnds_isOneRow()
    {
        QFETCH(QString, mode);
        QFETCH(QByteArray, rowEnd);
        QFETCH(int, timesRow);
        const QString path = m_tree.path(u"one-line.txt"_s);
        if (!QFile::exists(path))
            writeRepeated(path, letters(), RowBytes);
        const QByteArray pattern = letters();
        const Run r = runMeasured({mode, u"--no-abbreviations"_s, path}, config(), [&](qint64 i) {
            if (i < RowBytes)
                return pattern.at(i % pattern.size());
            return i - RowBytes < rowEnd.size() ? rowEnd.at(i - RowBytes) : '\0';
        });
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.status, 0);
        QVERIFY2(r.firstMismatch.isEmpty(), r.firstMismatch.constData());
        QCOMPARE(r.outputBytes, RowBytes + rowEnd.size());
        qInfo("peak resident size %ld MiB", r.peakKiB / 1024);
        if (CheckMemory)
            QVERIFY2(r.peakKiB < timesRow * (RowBytes >> 10),
                     QByteArray::number(r.peakKiB).constData());
    }

    // 1 GB of sentences on one line: cut block by block, never held whole.
    void oneLineOfSentences_streamsInBoundedMemory()
    {
        QFile::remove(m_tree.path(u"one-line.txt"_s));
        const QString path = m_tree.path(u"sentences.txt"_s);
        writeRepeated(path, sentences(), FileBytes);
        // Each sentence is a row: the pattern without its trailing blank.
        const QByteArray row = sentences().chopped(1) + '\n';
        const Run r = runMeasured({u"--sentences"_s, u"--no-abbreviations"_s, path}, config(),
                                  [&](qint64 i) { return row.at(i % row.size()); });
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.status, 0);
        QVERIFY2(r.firstMismatch.isEmpty(), r.firstMismatch.constData());
        QCOMPARE(r.outputBytes, FileBytes);
        qInfo("peak resident size %ld MiB", r.peakKiB / 1024);
        if (CheckMemory)
            QVERIFY2(r.peakKiB < 256 * 1024, QByteArray::number(r.peakKiB).constData());
        QFile::remove(path);
    }
};

QTEST_GUILESS_MAIN(BigFilesTest)
#include "tst_bigfiles.moc"
