#include "QtDesktop.h"

#include <QClipboard>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QProcess>
#include <QStandardPaths>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

QUrl urlFor(const QString &folderOrAddress)
{
    if (QFileInfo::exists(folderOrAddress))
        return QUrl::fromLocalFile(folderOrAddress);
    return QUrl::fromUserInput(folderOrAddress);
}

// A program can show a workbook only where there is a display.
bool displayAvailable()
{
    return !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

// LibreOffice without Calc or without a display plugin (Debian's
// libreoffice-core-nogui) converts workbooks but shows none.
bool libreOfficeShows(const QString &program)
{
    const QDir folder = QFileInfo(QFileInfo(program).canonicalFilePath()).dir();
    return folder.exists(u"libsclo.so"_s) &&
           !folder.entryList({u"libvclplug_*"_s}, QDir::Files).isEmpty();
}

// Programs that open a workbook as a new, untitled one and show it, best
// first.
QString spreadsheetProgram()
{
    for (const QString &name : {u"soffice"_s, u"libreoffice"_s, u"localc"_s, u"gnumeric"_s}) {
        const QString path = QStandardPaths::findExecutable(name);
        if (path.isEmpty())
            continue;
        if (name == u"gnumeric"_s || libreOfficeShows(path))
            return path;
    }
    return {};
}

bool xdgHasXlsxHandler()
{
    const QString query = QStandardPaths::findExecutable(u"xdg-mime"_s);
    if (query.isEmpty())
        return false;
    QProcess process;
    process.start(query, {u"query"_s, u"default"_s,
                          u"application/vnd.openxmlformats-officedocument.spreadsheetml.sheet"_s});
    if (!process.waitForFinished(5000))
        return false;
    return process.exitCode() == 0 && !process.readAllStandardOutput().trimmed().isEmpty();
}

} // namespace

bool QtDesktop::openLocation(const QString &folderOrAddress)
{
    return QDesktopServices::openUrl(urlFor(folderOrAddress));
}

bool QtDesktop::openFile(const QString &path)
{
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

// The file manager's own interface selects the file; without one, its
// folder is opened.
bool QtDesktop::showInFolder(const QString &path)
{
    const QString service = u"org.freedesktop.FileManager1"_s;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (bus.isConnected() && bus.interface() && bus.interface()->isServiceRegistered(service)) {
        QDBusMessage call = QDBusMessage::createMethodCall(
            service, u"/org/freedesktop/FileManager1"_s, service, u"ShowItems"_s);
        call << QStringList{QUrl::fromLocalFile(path).toString()} << QString();
        if (bus.send(call))
            return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(path).absolutePath()));
}

bool QtDesktop::clearClipboard()
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->clear();
    return true;
}

bool QtDesktop::setClipboardText(const QString &text)
{
    QClipboard *clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        return false;
    clipboard->setText(text);
    return clipboard->text() == text;
}

bool QtDesktop::spreadsheetApplicationAvailable()
{
    return displayAvailable() && (!spreadsheetProgram().isEmpty() || xdgHasXlsxHandler());
}

bool QtDesktop::openWorkbook(const QString &path)
{
    const QString program = spreadsheetProgram();
    if (program.endsWith(u"gnumeric"_s))
        return QProcess::startDetached(program, {path});
    if (!program.isEmpty()) // LibreOffice: -n opens the file as a new, untitled workbook
        return QProcess::startDetached(program, {u"--calc"_s, u"-n"_s, path});
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace Quillfen
