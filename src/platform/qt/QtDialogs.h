#pragma once

#include "platform/Dialogs.h"

class QWidget;

namespace Quillfen {

// The dialogs and prompts as Qt's QFileDialog and QInputDialog, modal to
// the given window.
class QtDialogs final : public Dialogs
{
public:
    explicit QtDialogs(QWidget *owner) : m_owner(owner) {}

    QStringList openFiles(const QString &title, const QList<FileFilter> &filters) override;
    QString saveFile(const QString &title, const QList<FileFilter> &filters) override;
    QString chooseFolder(const QString &prompt, const QString &initialFolder) override;
    QString askText(const QString &prompt, const QString &caption,
                    const QString &initialText) override;

    // "Text Files (*.txt)" with "*.txt;*.TXT" as Qt's "Text Files (*.txt *.TXT)".
    static QString qtFilter(const FileFilter &filter);

private:
    QWidget *m_owner;
};

} // namespace Quillfen
