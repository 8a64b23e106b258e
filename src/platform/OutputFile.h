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
    Q_DISABLE_COPY_MOVE(OutputFile)

    bool open();
    QIODevice &device();
    // Finishes the file; false when it could not be written completely.
    bool commit();
    QString errorString() const;
    bool isSpecial() const { return m_special; }

private:
    bool m_special;
    QSaveFile m_saved;
    QFile m_direct;
    QString m_failure; // why the last flush failed, when it did
};

} // namespace Quillfen
