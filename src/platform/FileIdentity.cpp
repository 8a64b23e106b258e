#include "FileIdentity.h"

#include <QFile>
#include <sys/stat.h>

namespace Quillfen {

std::optional<FileIdentity> fileIdentity(const QString &path)
{
    struct stat info = {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    constexpr qint64 NsPerSecond = 1'000'000'000;
    return FileIdentity{quint64(info.st_dev), quint64(info.st_ino), qint64(info.st_size),
                        qint64(info.st_mtim.tv_sec) * NsPerSecond + info.st_mtim.tv_nsec,
                        qint64(info.st_ctim.tv_sec) * NsPerSecond + info.st_ctim.tv_nsec};
}

} // namespace Quillfen
