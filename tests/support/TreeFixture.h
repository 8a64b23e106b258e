#pragma once

// Folder trees for the walk and the fillers, built with raw names so that
// names which are not UTF-8 can be made too.

#include <QByteArray>
#include <QDir>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quillfen::Testing {

class TreeFixture
{
public:
    TreeFixture()
    {
        if (!m_dir.isValid())
            qFatal("no temporary folder");
        m_root = QDir(m_dir.path()).canonicalPath();
    }

    // The fixture's folder, without a trailing "/".
    QString root() const { return m_root; }
    QString path(const QString &relative) const { return m_root + u'/' + relative; }
    QByteArray raw(const QByteArray &relative) const { return m_root.toUtf8() + '/' + relative; }

    void makeFolder(const QByteArray &relative) const
    {
        if (::mkdir(raw(relative).constData(), 0755) != 0)
            qFatal("mkdir %s: %s", relative.constData(), std::strerror(errno));
    }
    void makeFile(const QByteArray &relative, const QByteArray &content = {}) const
    {
        const int fd = ::open(raw(relative).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (fd < 0 || ::write(fd, content.constData(), size_t(content.size())) != content.size())
            qFatal("write %s: %s", relative.constData(), std::strerror(errno));
        ::close(fd);
    }
    void makeLink(const QByteArray &target, const QByteArray &relative) const
    {
        if (::symlink(target.constData(), raw(relative).constData()) != 0)
            qFatal("symlink %s: %s", relative.constData(), std::strerror(errno));
    }

    // The names in a folder in the order the file system lists them:
    // folders (links to folders included), or existing files.
    QStringList listing(const QString &relative, bool folders) const
    {
        QStringList names;
        const QByteArray folder = relative.isEmpty() ? m_root.toUtf8() : raw(relative.toUtf8());
        DIR *dir = ::opendir(folder.constData());
        if (!dir)
            return names;
        while (const dirent *entry = ::readdir(dir)) {
            const QByteArray name(entry->d_name);
            if (name == "." || name == "..")
                continue;
            struct stat st;
            if (::fstatat(dirfd(dir), entry->d_name, &st, 0) != 0)
                continue;
            if (S_ISDIR(st.st_mode) == folders)
                names << QString::fromUtf8(name);
        }
        ::closedir(dir);
        return names;
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

} // namespace Quillfen::Testing
