#pragma once

#include "platform/Failure.h"

#include <QString>

namespace Quillfen {

// A document read in part: the reason the rest could not be read, and the
// text of the part that could, which is still used (its rows come out and
// the file is reported as not read fully).
class PartlyRead : public Failure
{
public:
    PartlyRead(QString description, QString text)
        : Failure(std::move(description)), m_text(std::move(text))
    {}
    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
};

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
    } catch (const PartlyRead &partly) {
        throw PartlyRead(QStringLiteral("Cannot read \"") + path + QStringLiteral("\" fully: ") +
                             partly.description(),
                         partly.text());
    } catch (const Failure &failure) {
        throw Failure(QStringLiteral("Cannot read \"") + path + QStringLiteral("\": ") +
                      failure.description());
    }
}

} // namespace Quillfen
