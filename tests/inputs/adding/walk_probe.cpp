// Walks one folder and prints the folder list, one entry per line, then
// the number of reports. The walk test runs it as an unprivileged user.

#include "ScriptedPlatform.h"
#include "inputs/adding/FolderWalk.h"

#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    if (argc != 2)
        return 2;
    Quillfen::Testing::ScriptedPlatform platform;
    Quillfen::FolderList list{QString::fromUtf8(argv[1])};
    Quillfen::collectSubfolders(list, true, platform, &platform);
    for (const QString &entry : std::as_const(list))
        std::printf("%s\n", entry.toUtf8().constData());
    std::printf("reports %d\n", int(platform.shownRequests().size()));
    return 0;
}
