#include "SavePathChoice.h"

#include "core/ApplicationError.h"
#include "core/LastFolder.h"
#include "core/SettingsStore.h"
#include "platform/ApplicationFolder.h"
#include "platform/EscapedText.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// A name typed without an extension gets the chosen filter's, as desktop
// save dialogs do: "report" with "CSV (*.csv)" is "report.csv". "All Files"
// adds nothing.
QString withExtensionOf(const QString &path, const FileFilter &filter)
{
    const QString name = path.section(u'/', -1);
    if (name.isEmpty() || (name.contains(u'.') && !name.endsWith(u'.')))
        return path;
    const QString pattern = filter.patterns.section(u';', 0, 0);
    if (!pattern.startsWith(u"*."_s) || pattern.size() < 3 || pattern.indexOf(u'*', 1) >= 0 ||
        pattern.contains(u'?'))
        return path;
    return path + (name.endsWith(u'.') ? pattern.mid(2) : pattern.mid(1));
}

} // namespace

QString chooseSavePath(const ExportServices &services, ReportingProcedure &proc,
                       const QString &filterText, SaveSteps steps, int *chosenFilter)
{
    // The dialog adds no extension and asks nothing about overwriting
    // (Dialogs::saveFile promises both); the question below is ours.
    const QList<FileFilter> filters = parseFileFilters(filterText);
    QString path;
    int filter = 0;
    const QString lastFolder =
        services.settings ? SettingsStore(*services.settings).get(LastSaveFolderKey) : QString();
    proc.step(steps.chooseFile,
              [&] { path = services.dialogs.saveFile(u"Save"_s, filters, lastFolder, &filter); });
    if (chosenFilter)
        *chosenFilter = filter;
    if (path.isEmpty())
        return path;
    rememberFolderOf(services.settings, LastSaveFolderKey, path);
    path = withExtensionOf(path, filters.value(filter));
    if (!pathExists(path))
        return path;
    MessageAnswer answer = MessageAnswer::No;
    proc.step(steps.askOverwrite, [&] {
        answer = services.boxes.show(
            {u"Are you sure you wish to overwrite "_s + escapedText(path) + u" ?"_s,
             applicationTitle(), MessageButtons::YesNo, MessageIcon::None});
    });
    return answer == MessageAnswer::Yes ? path : QString();
}

} // namespace Quillfen
