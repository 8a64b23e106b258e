#pragma once

#include "ExtractionChoices.h"
#include "Segmentation.h"
#include "reading/ReadingChoices.h"

namespace Quillfen {

// Everything a run does with each file, as one value: taken once when the
// run starts (from the window's options or quillfen-cli's arguments) and
// handed to the engine with every file, so that no file of a run is made
// with other choices than the rest.
struct RunChoices
{
    ExtractMode mode = ExtractMode::Paragraph;
    // The abbreviation list, ready to cut with; empty where the mode uses
    // none.
    AbbreviationShield shield;
    LineFilter filter;
    // The encoding of text files, OCR, the time a document may take.
    ReadingChoices reading;
};

} // namespace Quillfen
