#include "PathTests.h"

#include "platform/EscapedText.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// Walks UTF-8 bytes; false when they are not valid UTF-8. Sets hasControl
// when a C0 or C1 control character or DEL occurs.
bool scanUtf8(QByteArrayView bytes, bool &hasControl)
{
    hasControl = false;
    const auto *p = reinterpret_cast<const unsigned char *>(bytes.data());
    const auto *end = p + bytes.size();
    while (p < end) {
        const unsigned char b = *p;
        if (b < 0x80) {
            if (b < 0x20 || b == 0x7f)
                hasControl = true;
            ++p;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        char32_t min = 0;
        if ((b & 0xe0) == 0xc0) {
            extra = 1;
            cp = b & 0x1f;
            min = 0x80;
        } else if ((b & 0xf0) == 0xe0) {
            extra = 2;
            cp = b & 0x0f;
            min = 0x800;
        } else if ((b & 0xf8) == 0xf0) {
            extra = 3;
            cp = b & 0x07;
            min = 0x10000;
        } else {
            return false;
        }
        if (end - p <= extra)
            return false;
        for (int i = 1; i <= extra; ++i) {
            if ((p[i] & 0xc0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i] & 0x3f);
        }
        if (cp < min || cp > 0x10ffff || (cp >= 0xd800 && cp <= 0xdfff))
            return false;
        if (cp <= 0x9f)
            hasControl = true;
        p += extra + 1;
    }
    return true;
}

bool statPath(const QString &path, struct stat &st)
{
    const QByteArray bytes = encodePath(path);
    return !bytes.isEmpty() && ::stat(bytes.constData(), &st) == 0;
}

} // namespace

SystemFailure::SystemFailure(int error, const QString &path)
    : Failure(QString::fromLocal8Bit(std::strerror(error)) + u": "_s + escapedText(path)),
      m_error(error)
{}

bool isFolder(const QString &path)
{
    struct stat st;
    return statPath(path, st) && S_ISDIR(st.st_mode);
}

bool isExistingFile(const QString &path)
{
    struct stat st;
    return statPath(path, st) && !S_ISDIR(st.st_mode);
}

int FileAttributes(const QString &path)
{
    // The attributes belong to the entry the path names, so a trailing "/"
    // (which would make lstat follow a link) is left out.
    QString entry = path;
    while (entry.size() > 1 && entry.endsWith(u'/'))
        entry.chop(1);
    const QByteArray bytes = encodePath(entry);
    struct stat st;
    if (bytes.isEmpty() || ::lstat(bytes.constData(), &st) != 0)
        throw SystemFailure(bytes.isEmpty() ? ENOENT : errno, path);

    int value = 0;
    if (S_ISLNK(st.st_mode)) {
        value |= FileAttribute::ReparsePoint;
        struct stat target;
        if (::stat(bytes.constData(), &target) == 0)
            st = target;
    }
    if (S_ISDIR(st.st_mode))
        value |= FileAttribute::Directory;
    else if (S_ISREG(st.st_mode))
        value |= FileAttribute::Archive;
    const qsizetype slash = entry.lastIndexOf(u'/');
    if (QStringView(entry).mid(slash + 1).startsWith(u'.'))
        value |= FileAttribute::Hidden;
    if (::access(bytes.constData(), W_OK) != 0)
        value |= FileAttribute::ReadOnly;
    return value;
}

bool hasUnsafeCharacters(QByteArrayView rawName)
{
    bool hasControl = false;
    return !scanUtf8(rawName, hasControl) || hasControl;
}

bool hasUnsafeCharacters(const QString &name)
{
    for (qsizetype i = 0; i < name.size(); ++i) {
        const char16_t u = name[i].unicode();
        if (u < 0x20 || (u >= 0x7f && u <= 0x9f) || u == 0xfffd)
            return true;
        // A surrogate that is not part of a pair cannot be written as UTF-8.
        if (QChar::isHighSurrogate(u) && i + 1 < name.size() && name[i + 1].isLowSurrogate())
            ++i;
        else if (QChar::isSurrogate(u))
            return true;
    }
    return false;
}

bool isValidUtf8Name(QByteArrayView bytes)
{
    bool hasControl = false;
    return scanUtf8(bytes, hasControl);
}

QString collapseSlashes(const QString &path)
{
    const QChar *begin = path.constData();
    const QChar *end = begin + path.size();
    const QChar *pair =
        std::adjacent_find(begin, end, [](QChar a, QChar b) { return a == u'/' && b == u'/'; });
    if (pair == end)
        return path;
    QString result;
    result.reserve(path.size());
    for (const QChar c : path) {
        if (c == u'/' && result.endsWith(u'/'))
            continue;
        result.append(c);
    }
    return result;
}

} // namespace Quillfen
