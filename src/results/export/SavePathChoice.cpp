#include "SavePathChoice.h"

#include "platform/ApplicationFolder.h"
#include "platform/EscapedText.h"
#include "core/ApplicationError.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

QString chooseSavePath(const ExportServices &services, ReportingProcedure &proc,
                       const QString &filterText, SaveSteps steps, int *chosenFilter)
{
    // The dialog adds no extension and asks nothing about overwriting
    // (Dialogs::saveFile promises both); the question below is ours.
    const QList<FileFilter> filters = parseFileFilters(filterText);
    QString path;
    proc.step(steps.chooseFile,
              [&] { path = services.dialogs.saveFile(u"Save"_s, filters, chosenFilter); });
    if (path.isEmpty() || !PathExists(path))
        return path;
    MessageAnswer answer = MessageAnswer::No;
    proc.step(steps.askOverwrite, [&] {
        answer = services.boxes.show({u"Are you sure you wish to overwrite "_s +
                                          escapedText(path) + u" ?"_s,
                                      applicationTitle(), MessageButtons::YesNo,
                                      MessageIcon::None});
    });
    return answer == MessageAnswer::Yes ? path : QString();
}

} // namespace Quillfen
