#pragma once

#include "FillerServices.h"
#include "InputListTarget.h"

namespace Quillfen {

namespace SampleFiles {
// The record of the sample folder's files is kept scrambled with this key.
inline const QString RecordKey = QStringLiteral("wrenfold");
inline const QString SnapshotKey = QStringLiteral("Snapshot");
inline const QString Question = QStringLiteral(
    "Would you like this software to open the folder where these sample files are stored (so "
    "that you can view them before working with them)?");

inline QString folder(const QString &dataFolder)
{
    return dataFolder + QStringLiteral("/Samples");
}
} // namespace SampleFiles

// Records the full paths of the files now in the data folder's Samples
// folder (joined by "|", in listing order) under "Snapshot", scrambled;
// an empty or missing folder gives the empty record. Throws Failure when
// the settings cannot be written.
void recordSampleSnapshot(const QString &dataFolder, SettingsStore &settings,
                          EventLoop *loop = nullptr);

// Appends the recorded sample files that still exist and are not in the
// list yet, then asks whether to open the Samples folder and opens it on
// Yes. Throws Failure from the settings or the list, which the caller
// reports.
void addSampleFiles(InputListTarget &target, const QString &dataFolder,
                    const FillerServices &services);

// True when some row holds exactly text.
bool listHolds(const InputListTarget &target, const QString &text);

} // namespace Quillfen
