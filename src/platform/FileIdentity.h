#pragma once

#include <QString>
#include <optional>

namespace Quillfen {

// What tells one state of a file from another: the same identity means the
// same file with the same content, short of a write that keeps size and
// both time stamps to the nanosecond.
struct FileIdentity
{
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    qint64 changedNs = 0;

    bool operator==(const FileIdentity &) const = default;
};

// The identity of the file at path, following links; nullopt when there is
// no regular file there to read.
std::optional<FileIdentity> fileIdentity(const QString &path);

} // namespace Quillfen
