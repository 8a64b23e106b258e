#include "cli/CommandLine.h"
#include "platform/SettingsArea.h"

#include <QCoreApplication>
#include <QFile>
#include <malloc.h>
#include <unistd.h>

int main(int argc, char *argv[])
{
    // Every file's bytes, text and pieces are large, short-lived blocks. Kept
    // in the heap and not handed back, they are reused by the next file
    // instead of being mapped, faulted in and zeroed afresh each time.
    mallopt(M_MMAP_THRESHOLD, 32 << 20);
    mallopt(M_TRIM_THRESHOLD, 256 << 20);
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();

    QFile in;
    QFile out;
    QFile err;
    in.open(stdin, QIODevice::ReadOnly);
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);

    Quillfen::IniSettingsArea settings;
    return Quillfen::runCommandLine(arguments,
                                    {.out = out,
                                     .err = err,
                                     .errIsTerminal = isatty(STDERR_FILENO) == 1,
                                     .outIsTerminal = isatty(STDOUT_FILENO) == 1,
                                     .in = &in},
                                    settings);
}
