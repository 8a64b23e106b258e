#pragma once

#include <QIODevice>
#include <QStringList>

namespace Quillfen {

class SettingsArea;

struct CommandLineStreams
{
    QIODevice &out;
    QIODevice &err;
    bool errIsTerminal = false; // show a progress line on it...
    bool outIsTerminal = false; // ...unless the rows go to the same screen
    QIODevice *in = nullptr;    // what "-" as a file reads
};

// The name that stands for standard input among the files.
inline const QString StandardInputName = QStringLiteral("-");

// quillfen-cli: the extraction engine without a window. Returns the exit
// status: 0 when every file was read, 1 when a failure was reported, 2 for
// a usage error. arguments excludes the program name.
int runCommandLine(const QStringList &arguments, CommandLineStreams streams,
                   SettingsArea &settings);

} // namespace Quillfen
