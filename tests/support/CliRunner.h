#pragma once

// Runs the real quillfen-cli on fixture files, optionally as an
// unprivileged user so that permissions hold even when the tests run as root.
// A run that does not finish ends the test program: a hang never passes.

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <unistd.h>

namespace Quillfen::Testing {

struct CliResult
{
    int status = -1; // -2: the program crashed
    QByteArray out;
    QByteArray err;
};

inline QString cliProgram()
{
    return qEnvironmentVariable("QUILLFEN_TEST_BINARY_DIR") + QStringLiteral("/bin/quillfen-cli");
}

// Root reads files whatever their mode; setpriv drops to "nobody" for the
// cases that need a refused permission. Empty when that is not possible.
inline QStringList unprivilegedPrefix()
{
    if (geteuid() != 0)
        return {QString()};
    if (QFile::exists(QStringLiteral("/usr/bin/setpriv")))
        return {QStringLiteral("/usr/bin/setpriv"), QStringLiteral("--reuid=65534"),
                QStringLiteral("--regid=65534"), QStringLiteral("--clear-groups")};
    return {};
}

// What the program's standard streams are besides pipes.
struct CliStreams
{
    QByteArray input{};       // written to its standard input, then closed
    QString outputFile{};     // its standard output, when not empty
    qsizetype readUntil = -1; // close standard output after that many bytes
};

inline CliResult runCli(const QStringList &arguments, const QString &configHome,
                        const QStringList &prefix = {QString()}, int timeoutMs = 120000,
                        const CliStreams &streams = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), configHome);
    process.setProcessEnvironment(env);
    if (!streams.outputFile.isEmpty())
        process.setStandardOutputFile(streams.outputFile);
    if (prefix.value(0).isEmpty())
        process.start(cliProgram(), arguments);
    else
        process.start(prefix.first(), prefix.mid(1) + QStringList{cliProgram()} + arguments);
    process.write(streams.input);
    process.closeWriteChannel();
    if (streams.readUntil >= 0) {
        QByteArray head;
        while (head.size() < streams.readUntil && process.waitForReadyRead(timeoutMs))
            head += process.readAllStandardOutput();
        process.closeReadChannel(QProcess::StandardOutput);
    }
    if (!process.waitForFinished(timeoutMs)) {
        process.kill();
        process.waitForFinished();
        qFatal("quillfen-cli did not finish in %d ms", timeoutMs);
    }
    if (process.exitStatus() != QProcess::NormalExit)
        return {-2, process.readAllStandardOutput(), process.readAllStandardError()};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

// The number of failure reports in the error output: one line each.
inline int reportCount(const QByteArray &err)
{
    return int(err.count("\nquillfen-cli: ") + (err.startsWith("quillfen-cli: ") ? 1 : 0));
}

} // namespace Quillfen::Testing
