#pragma once

#include "extract/FileExtraction.h"

#include <QString>
#include <vector>

namespace Quillfen {

// The part of a path after its last "/"; the whole path without one.
QString fileNameOfPath(const QString &path);

// The progress bar's caption after a run: "1,234 rows from 56 files (2 could
// not be read) in 0.8 s". One row, one file, no failures: "1 row from 1
// file in 0.0 s". Counts are grouped by thousands with ",", the time has
// one decimal.
QString runSummary(qsizetype rows, int files, int unread, double seconds);
// Its parts: the list's rows, with the checked and shown ones when they
// differ ("25 rows, 20 checked, 7 shown"), and what the run adds (" from 56
// files in 0.8 s"), so that the caption can follow the list after the run.
QString rowsSummary(qsizetype rows, qsizetype checked, qsizetype shown);
QString runSummaryTail(int files, int unread, double seconds);

// The box that tells a run's unread files: "3 files could not be read:",
// then a line for each, however many.
QString unreadFilesHeading(std::size_t count);
QString unreadFilesDetails(const std::vector<FileFailure> &failures);

} // namespace Quillfen
