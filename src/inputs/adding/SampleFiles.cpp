#include "SampleFiles.h"

#include "FolderListing.h"
#include "PathTests.h"
#include "Scramble.h"
#include "core/ApplicationError.h"

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// True when the path's modification time can be read.
bool pathExists(const QString &path)
{
    const QByteArray bytes = encodePath(path);
    struct stat st;
    return !bytes.isEmpty() && ::stat(bytes.constData(), &st) == 0;
}

} // namespace

void recordSampleSnapshot(const QString &dataFolder, SettingsStore &settings, EventLoop *loop)
{
    const QString folder = SampleFiles::folder(dataFolder);
    QStringList paths;
    for (const QString &name : listMatchingFiles(folder, u"*.*"_s))
        paths << folder + u'/' + name;
    settings.save(SampleFiles::SnapshotKey,
                  scrambleText(paths.join(u'|'), SampleFiles::RecordKey, loop));
}

void addSampleFiles(InputListTarget &target, const QString &dataFolder,
                    const FillerServices &services)
{
    // A missing record reads as the Boolean default, which names no file.
    const QString stored =
        services.settings.get(SampleFiles::SnapshotKey, SettingsStore::booleanText(false));
    const QString record = unscrambleText(stored, SampleFiles::RecordKey, services.loop);
    const QStringList parts = record.isEmpty() ? QStringList() : record.split(u'|');
    for (const QString &path : parts) {
        if (pathExists(path) && !listHolds(target, path))
            target.appendRow(path);
    }
    const MessageAnswer answer = services.boxes.show(
        {SampleFiles::Question, applicationTitle(), MessageButtons::YesNo, MessageIcon::None});
    if (answer == MessageAnswer::Yes)
        services.desktop.openLocation(SampleFiles::folder(dataFolder) + u'/');
}

bool listHolds(const InputListTarget &target, const QString &text)
{
    const int count = target.rowCount();
    bool found = false;
    for (int row = 1; row <= count; ++row) {
        if (target.rowText(row) == text)
            found = true;
    }
    return found;
}

} // namespace Quillfen
