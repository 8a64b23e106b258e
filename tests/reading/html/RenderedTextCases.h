#pragma once

namespace Quillfen::Testing {

// Adds the rows "markup" (QByteArray) and "text" (QString) of the rendered
// text table to the current test's data.
void addRenderedTextRows();

} // namespace Quillfen::Testing
