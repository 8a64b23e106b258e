#pragma once

#include "platform/Failure.h"

#include <QString>

namespace Quillfen {

// Throws the Failure readWholeFile gives when the file cannot be opened.
void requireReadableFile(const QString &path);

// Runs a reader on the file at path: a file that cannot be opened fails as
// any file does, and the reader's own reasons ("it is encrypted") are told
// with the file's name.
template <typename Read>
QString readDocumentFile(const QString &path, Read &&read)
{
    requireReadableFile(path);
    try {
        return read();
    } catch (const Failure &failure) {
        throw Failure(QStringLiteral("Cannot read \"") + path + QStringLiteral("\": ")
                      + failure.description());
    }
}

} // namespace Quillfen
