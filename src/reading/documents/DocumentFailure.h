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

// Runs a reader on bytes already read from the file at path, telling its
// reasons with the file's name.
template <typename Read> QString readDocumentBytes(const QString &path, Read &&read)
{
    try {
        return read();
    } catch (const Failure &failure) {
        throw Failure(QStringLiteral("Cannot read \"") + path + QStringLiteral("\": ") +
                      failure.description());
    }
}

} // namespace Quillfen
