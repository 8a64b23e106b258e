#pragma once

#include "CommandLineOptions.h"

#include <QIODevice>
#include <QStringList>

namespace Quillfen {

struct ListedPaths
{
    QStringList paths;
    QStringList problems; // one line each, for standard error
};

// The paths a list names, in its order. A list of lines takes a CR before
// each LF as part of the line end; empty names are skipped. A "-" is
// standard input, as an argument is, save in a list that standard input
// holds. Throws Failure when the list cannot be read.
ListedPaths readInputList(const InputList &list, QIODevice *standardInput);

// The paths that a list's bytes name.
QStringList splitInputList(QByteArrayView bytes, InputList::Separator separator);

} // namespace Quillfen
