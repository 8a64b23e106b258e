#pragma once

// Files and folder trees in a temporary folder that goes with the fixture.
// The raw forms take names as bytes, so that names which are not UTF-8 can
// be made too. A fixture that cannot be made ends the test program.

#include <QByteArray>
#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace Quillfen::Testing {

// Writes bytes to path, making the folders above it, and returns the path.
inline QString writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

// The bytes of a file, or "<missing>" when it cannot be read.
inline QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

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

    // Writes a file, making the folders above it, and returns its path.
    QString write(const QString &relative, const QByteArray &bytes = {}) const
    {
        return writeFile(path(relative), bytes);
    }
    // Makes a folder and the ones above it, and returns its path.
    QString folder(const QString &relative) const
    {
        if (!QDir().mkpath(path(relative)))
            qFatal("cannot make %s", qPrintable(relative));
        return path(relative);
    }

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

    // The names in a folder in the order a file manager shows them:
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
        // The walk lists a folder as a file manager does; the order itself
        // is pinned by explicit names in tst_folderwalk.
        QLocale locale;
        if (locale.language() == QLocale::C)
            locale = QLocale(QLocale::English, QLocale::UnitedStates);
        QCollator collator(locale);
        collator.setNumericMode(true);
        collator.setCaseSensitivity(Qt::CaseInsensitive);
        std::sort(names.begin(), names.end(), [&](const QString &a, const QString &b) {
            const int order = collator.compare(a, b);
            return order != 0 ? order < 0 : a.toUtf8() < b.toUtf8();
        });
        return names;
    }

private:
    QTemporaryDir m_dir;
    QString m_root;
};

} // namespace Quillfen::Testing
