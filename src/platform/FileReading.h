#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

namespace Quillfen {

// The whole content of a file. Throws Failure, naming the path and the
// reason, when it cannot be opened or read (missing, a folder, no access).
QByteArray readWholeFile(const QString &path);
// The same into bytes, whose room is used again: reading many files into
// buffers used before spares the system making fresh memory for each.
void readWholeFile(const QString &path, QByteArray &bytes);

// A file read block by block, for files too large to hold at once. Fails
// as readWholeFile does.
class FileBlocks
{
public:
    explicit FileBlocks(const QString &path);

    qint64 size() const { return m_file.size(); }
    // The next bytes, at most max of them, in buffer; empty at the end.
    void read(QByteArray &buffer, qsizetype max);
    // Back to the first byte.
    void rewind();

private:
    [[noreturn]] void fail() const;

    QString m_path;
    QFile m_file;
};

} // namespace Quillfen
