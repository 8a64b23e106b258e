#pragma once

#include "platform/Dialogs.h"

#include <QPointer>
#include <QWidget>

namespace Quillfen {

// The dialogs and prompts as Qt's QFileDialog and QInputDialog, modal to
// the owner window (to the whole program while there is none).
class QtDialogs final : public Dialogs
{
public:
    explicit QtDialogs(QWidget *owner = nullptr) : m_owner(owner) {}
    void setOwner(QWidget *owner) { m_owner = owner; }

    QStringList openFiles(const QString &title, const QList<FileFilter> &filters,
                          const QString &initialFolder) override;
    QString saveFile(const QString &title, const QList<FileFilter> &filters,
                     const QString &initialFolder, int *chosenFilter = nullptr) override;
    QString chooseFolder(const QString &prompt, const QString &initialFolder) override;
    QString askText(const QString &prompt, const QString &caption,
                    const QString &initialText) override;

    // "Text Files (*.txt)" with "*.txt;*.TXT" as Qt's "Text Files (*.txt *.TXT)".
    // "*.*" becomes "*": Qt's "*.*" would hide names without a dot.
    static QString qtFilter(const FileFilter &filter);

private:
    QPointer<QWidget> m_owner;
};

} // namespace Quillfen
