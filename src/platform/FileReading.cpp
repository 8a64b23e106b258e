#include "FileReading.h"

#include "Failure.h"

#include <QFileInfo>
#include <algorithm>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

void open(QFile &file, const QString &path)
{
    const QFileInfo info(path);
    if (info.isDir())
        throw Failure(u"Cannot read \""_s + path + u"\": it is a folder"_s);
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        const QString reason = info.exists() ? file.errorString() : u"File not found"_s;
        throw Failure(u"Cannot read \""_s + path + u"\": "_s + reason);
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
