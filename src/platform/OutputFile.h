#pragma once

#include <QFile>
#include <QSaveFile>
#include <QString>

namespace Quillfen {

// A file written so that an existing one is replaced only once the whole
// new content is written (through QSaveFile). A path that names a device,
// a pipe or a socket is written straight through instead: renaming a new
// file over it would replace the device itself (as /dev/null).
class OutputFile
{
public:
    explicit OutputFile(const QString &path);
    ~OutputFile();
    Q_DISABLE_COPY_MOVE(OutputFile)

    bool open();
    QIODevice &device();
    // Call after each write. Once another megabyte is written, starts
    // writing it to the disk and waits for the part started the time
    // before, so that commit()'s sync finds little left: a large file
    // otherwise ends in one wait of a large part of a second. Each wait is
    // for one megabyte at most, short enough to stay between two yields.
    void writeBack();
    // Finishes the file; false when it could not be written completely.
    bool commit();
    // After a commit that replaced a file: gives back a part of the old
    // file's disk room, true while some is left. The file system frees a
    // large file's room in one long wait when its last name goes; holding
    // the replaced file open and cutting it down in parts spreads that
    // wait between the caller's yields. Whatever is left is given back
    // when this object is destroyed.
    bool releaseReplacedPart();
    QString errorString() const;
    bool isSpecial() const { return m_special; }

private:
    static constexpr qint64 WriteBackBytes = qint64(1) << 20;
    static constexpr qint64 ReleaseBytes = qint64(4) << 20;

    bool m_special;
    QSaveFile m_saved;
    QFile m_direct;
    QString m_failure;    // why the last flush failed, when it did
    qint64 m_started = 0; // bytes whose writing to the disk has started
    qint64 m_waited = 0;  // bytes known to be on the disk
    int m_replaced = -1;  // the file that the commit replaces, open for writing
    qint64 m_replacedSize = 0;
    bool m_committed = false;
};

} // namespace Quillfen
