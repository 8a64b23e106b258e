#pragma once

#include "platform/Failure.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Quillfen {

// The bits of a file's attribute value that occur on Linux.
namespace FileAttribute {
constexpr int ReadOnly = 1; // the user may not write it
constexpr int Hidden = 2;   // the name starts with "."
constexpr int Directory = 16;
constexpr int Archive = 32;        // every regular file
constexpr int ReparsePoint = 1024; // a symbolic link
} // namespace FileAttribute

// True when path exists and is a folder (links followed). Never fails.
bool isFolder(const QString &path);
// True when path exists and is not a folder (links followed). Never fails.
bool isExistingFile(const QString &path);
// The attribute value of path, the path itself when it is a link: a link's
// target decides between Directory and Archive. Throws Failure when the
// path cannot be examined.
int FileAttributes(const QString &path);

// A name the walk must not enter: bytes that are not valid UTF-8, or a
// control character (U+0000..U+001F, U+007F..U+009F).
bool hasUnsafeCharacters(QByteArrayView rawName);
// The same test on a decoded name, where bytes that were not UTF-8 show as
// U+FFFD.
bool hasUnsafeCharacters(const QString &name);
bool isValidUtf8Name(QByteArrayView bytes);

// Collapses every run of "/" to one.
QString collapseSlashes(const QString &path);

// File names are UTF-8 on this platform.
inline QByteArray encodePath(const QString &path)
{
    return path.toUtf8();
}
inline QString decodeName(QByteArrayView rawName)
{
    return QString::fromUtf8(rawName);
}

// A failed system call on a path; error is the errno value. The description
// shows the path with its control characters escaped.
class SystemFailure : public Failure
{
public:
    SystemFailure(int error, const QString &path);
    int error() const { return m_error; }

private:
    int m_error;
};

} // namespace Quillfen
