#include "InputLists.h"

#include "inputs/adding/PathTests.h"
#include "platform/Failure.h"

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace Quillfen {

QStringList splitInputList(QByteArrayView bytes, InputList::Separator separator)
{
    const char end = separator == InputList::Nul ? '\0' : '\n';
    QStringList paths;
    qsizetype from = 0;
    while (from < bytes.size()) {
        qsizetype to = bytes.indexOf(end, from);
        if (to < 0)
            to = bytes.size();
        QByteArrayView name = bytes.sliced(from, to - from);
        if (separator == InputList::Lines && name.endsWith('\r'))
            name.chop(1);
        if (!name.isEmpty())
            paths << decodeName(name);
        from = to + 1;
    }
    return paths;
}

ListedPaths readInputList(const InputList &list, QIODevice *standardInput)
{
    QByteArray bytes;
    const bool fromStandardInput = list.path == u"-"_s;
    if (fromStandardInput) {
        if (!standardInput || !standardInput->isReadable())
            throw Failure(u"Cannot read the list of files on standard input"_s);
        bytes = standardInput->readAll();
    } else {
        // Not readWholeFile: a list may well come through a pipe, as <(find ...) gives it.
        QFile file(list.path);
        if (QFileInfo(list.path).isDir())
            throw Failure(u"Cannot read the list \""_s + list.path + u"\": it is a folder"_s);
        if (!file.open(QIODevice::ReadOnly))
            throw Failure(u"Cannot read the list \""_s + list.path + u"\": "_s +
                          file.errorString());
        bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            throw Failure(u"Cannot read the list \""_s + list.path + u"\": "_s +
                          file.errorString());
    }
    ListedPaths listed{splitInputList(bytes, list.separator), {}};
    if (fromStandardInput && listed.paths.removeAll(u"-"_s) > 0)
        listed.problems << u"\"-\" in the list on standard input is left out: standard input "
                           u"is the list"_s;
    return listed;
}

} // namespace Quillfen
