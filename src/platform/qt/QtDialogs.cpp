#include "QtDialogs.h"

#include <QDir>
#include <QFileDialog>
#include <QInputDialog>
#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace Quillfen {

QString QtDialogs::qtFilter(const FileFilter &filter)
{
    // Qt reads the patterns from the last parentheses, separated by blanks.
    static const QRegularExpression trailingPatterns(u"\\s*\\([^()]*\\)\\s*$"_s);
    QString description = filter.description;
    description.remove(trailingPatterns);
    QStringList patterns = filter.patterns.split(u';', Qt::SkipEmptyParts);
    for (QString &pattern : patterns) {
        if (pattern == u"*.*"_s)
            pattern = u"*"_s;
    }
    return description + u" ("_s + patterns.join(u' ') + u')';
}

static QString filterString(const QList<FileFilter> &filters)
{
    QStringList parts;
    for (const FileFilter &filter : filters)
        parts << QtDialogs::qtFilter(filter);
    return parts.join(u";;"_s);
}

QStringList QtDialogs::openFiles(const QString &title, const QList<FileFilter> &filters,
                                 const QString &initialFolder)
{
    return QFileDialog::getOpenFileNames(m_owner, title, initialFolder, filterString(filters));
}

QString QtDialogs::saveFile(const QString &title, const QList<FileFilter> &filters,
                            const QString &initialFolder, int *chosenFilter)
{
    // No overwrite question here: the action asks its own.
    QFileDialog dialog(m_owner, title, initialFolder, filterString(filters));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setDefaultSuffix(QString());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    if (chosenFilter) {
        const QString selected = dialog.selectedNameFilter();
        *chosenFilter = 0;
        for (qsizetype i = 0; i < filters.size(); ++i) {
            if (qtFilter(filters[i]) == selected)
                *chosenFilter = int(i);
        }
    }
    return dialog.selectedFiles().constFirst();
}

QString QtDialogs::chooseFolder(const QString &prompt, const QString &initialFolder)
{
    // Without a folder to show, the user's home rather than wherever the
    // program happened to be started.
    const QString start =
        !initialFolder.isEmpty() && QDir(initialFolder).exists() ? initialFolder : QDir::homePath();
    return QFileDialog::getExistingDirectory(m_owner, prompt, start, QFileDialog::ShowDirsOnly);
}

QString QtDialogs::askText(const QString &prompt, const QString &caption,
                           const QString &initialText)
{
    bool ok = false;
    QString prompted = prompt;
    prompted.replace(u"\r\n"_s, u"\n"_s);
    prompted.replace(u'\r', u'\n');
    const QString answer =
        QInputDialog::getText(m_owner, caption, prompted, QLineEdit::Normal, initialText, &ok);
    return ok ? answer : QString();
}

} // namespace Quillfen
