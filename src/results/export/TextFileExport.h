#pragma once

#include "ExportServices.h"
#include "ListData.h"

#include <QString>

namespace Quillfen {

// "Save Results As Text File": asks for a path (and, for an existing one,
// whether to overwrite it), then writes every checked row of column 1, in
// list order, followed by CR LF, as UTF-8 without a byte-order mark. With
// the dialog's "CSV (*.csv)" chosen, or a name ending in ".csv", it writes
// CSV instead (RowEncoding.h): the header "file,text", then for each
// checked row column 2 (the file's path; empty without one) and column 1.
// The file is replaced only when the whole content is written: a failure
// leaves the old file as it was and is reported once.
void saveResultsAsTextFile(const ExportServices &services, const ListData &list);

} // namespace Quillfen
