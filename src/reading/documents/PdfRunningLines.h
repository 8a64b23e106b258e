#pragma once

#include "PdfLayout.h"

#include <vector>

namespace Quillfen {

// Leaves out running headers, footers and page numbers: lines in the top
// or bottom band of the pages' text, set apart from the text below or
// above them, that repeat (their digits aside) at the same height on at
// least two pages and on a third of the pages with text. A line that does
// not repeat stays, and no page loses all of its text.
void dropRunningLines(std::vector<PdfPageLines> &pages);

} // namespace Quillfen
