#pragma once

#include "platform/Failure.h"
#include "reading/IncompleteText.h"

#include <QString>

namespace Quillfen {

// Runs a reader on bytes already read from the file at path, telling its
// reasons with the file's name.
template <typename Read> QString readDocumentBytes(const QString &path, Read &&read)
{
    try {
        return read();
    } catch (const IncompleteText &partly) {
        throw IncompleteText(partly.text(), QStringLiteral("Cannot read \"") + path +
                                                QStringLiteral("\" fully: ") +
                                                partly.description());
    } catch (const Failure &failure) {
        throw Failure(QStringLiteral("Cannot read \"") + path + QStringLiteral("\": ") +
                      failure.description());
    }
}

} // namespace Quillfen
