#include "QtDesktop.h"

#include <QClipboard>
#include <QDesktopServices>
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

// Programs that open a workbook as a new, untitled one, best first.
QString spreadsheetProgram()
{
    for (const QString &name : {u"soffice"_s, u"libreoffice"_s, u"localc"_s, u"gnumeric"_s}) {
        const QString path = QStandardPaths::findExecutable(name);
        if (!path.isEmpty())
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
    return !spreadsheetProgram().isEmpty() || xdgHasXlsxHandler();
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
