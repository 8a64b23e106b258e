#include "cli/CommandLine.h"
#include "platform/SettingsArea.h"
#include "reading/html/GumboHtml.h"

#include <QCoreApplication>
#include <QFile>
#include <unistd.h>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QStringList arguments = app.arguments();
    arguments.removeFirst();

    QFile out;
    QFile err;
    out.open(stdout, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(stderr, QIODevice::WriteOnly | QIODevice::Unbuffered);

    Quillfen::IniSettingsArea settings;
    Quillfen::GumboHtml html;
    return Quillfen::runCommandLine(arguments, {out, err, isatty(STDERR_FILENO) == 1}, settings,
                                    html);
}
