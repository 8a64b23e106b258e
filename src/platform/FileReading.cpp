#include "FileReading.h"

#include "Failure.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// Only regular files are read: a FIFO would block the reader for ever and a
// device such as /dev/zero never ends. The file is opened without waiting
// and looked at before anything is read from it.
void open(QFile &file, const QString &path)
{
    const QByteArray name = QFile::encodeName(path);
    auto refuse = [&](const struct stat &info) {
        throw Failure(
            u"Cannot read \""_s + path +
            (S_ISDIR(info.st_mode) ? u"\": it is a folder"_s : u"\": it is not a regular file"_s));
    };
    struct stat info
    {
    };
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        if (::stat(name.constData(), &info) == 0 && !S_ISREG(info.st_mode))
            refuse(info); // a socket, say, which cannot be opened at all
        const QString reason = error == ENOENT || error == ENOTDIR
                                   ? u"File not found"_s
                                   : QString::fromLocal8Bit(std::strerror(error));
        throw Failure(u"Cannot read \""_s + path + u"\": "_s + reason);
    }
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        refuse(info);
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        throw Failure(u"Cannot read \""_s + path + u"\": "_s + file.errorString());
    }
}

} // namespace

QByteArray readWholeFile(const QString &path)
{
    QByteArray bytes;
    readWholeFile(path, bytes);
    return bytes;
}

void readWholeFile(const QString &path, QByteArray &bytes)
{
    QFile file;
    open(file, path);
    // One byte more than the size, to meet the end in the same read; a
    // file that grows meanwhile is read to its new end.
    bytes.resize(qsizetype(std::max<qint64>(file.size(), 0)) + 1);
    qsizetype filled = 0;
    for (;;) {
        if (filled == bytes.size())
            bytes.resize(2 * bytes.size());
        const qint64 got = file.read(bytes.data() + filled, bytes.size() - filled);
        if (got < 0)
            throw Failure(u"Cannot read \""_s + path + u"\": "_s + file.errorString());
        if (got == 0)
            break;
        filled += qsizetype(got);
    }
    bytes.resize(filled);
}

FileBlocks::FileBlocks(const QString &path) : m_path(path)
{
    open(m_file, path);
}

void FileBlocks::read(QByteArray &buffer, qsizetype max)
{
    buffer.resize(max);
    qsizetype filled = 0;
    while (filled < max) {
        const qint64 got = m_file.read(buffer.data() + filled, max - filled);
        if (got < 0)
            fail();
        if (got == 0)
            break;
        filled += got;
    }
    buffer.resize(filled);
}

void FileBlocks::rewind()
{
    if (!m_file.seek(0))
        fail();
}

void FileBlocks::fail() const
{
    throw Failure(u"Cannot read \""_s + m_path + u"\": "_s + m_file.errorString());
}

} // namespace Quillfen
