#pragma once

#include <QString>
#include <QStringList>

namespace Quillfen {

// One type filter of a file dialog: "Text Files (*.txt)" with "*.txt".
struct FileFilter
{
    QString description;
    QString patterns; // ";"-separated wildcards

    friend bool operator==(const FileFilter &, const FileFilter &) = default;
};

// Parses "Desc|pat|Desc|pat|" pairs; the first pair is selected first.
QList<FileFilter> parseFileFilters(const QString &pairs);

// The modal dialogs and prompts the actions open. Every call returns when
// the user has answered; cancel gives an empty result.
class Dialogs
{
public:
    virtual ~Dialogs() = default;
    // Full paths in the dialog's order; empty when cancelled. The dialog
    // opens in initialFolder when it exists.
    virtual QStringList openFiles(const QString &title, const QList<FileFilter> &filters,
                                  const QString &initialFolder) = 0;
    // One path, exactly as chosen (no extension added, no overwrite
    // question); empty when cancelled. chosenFilter, when given, gets the
    // number (from 0) of the type filter selected when the user answered.
    virtual QString saveFile(const QString &title, const QList<FileFilter> &filters,
                             const QString &initialFolder, int *chosenFilter = nullptr) = 0;
    // A folder's full path; empty when cancelled. initialFolder is selected
    // when it exists.
    virtual QString chooseFolder(const QString &prompt, const QString &initialFolder) = 0;
    // A one-line prompt with OK and Cancel; cancel gives the empty text.
    virtual QString askText(const QString &prompt, const QString &caption,
                            const QString &initialText) = 0;
};

} // namespace Quillfen
