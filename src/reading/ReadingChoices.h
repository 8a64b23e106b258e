#pragma once

#include <QString>
#include <chrono>

namespace Quillfen {

// How documents are read, as the command line or the window chose it;
// handed down to the readers with each file.
struct ReadingChoices
{
    // Pages without a text layer (scans) are read by OCR.
    bool ocr = false;
    // Tesseract's models, "eng+deu" form.
    QString ocrLanguages = QStringLiteral("eng");
    // A document's reading stops after this, keeping what was read; zero:
    // no limit.
    std::chrono::milliseconds documentTimeout{60'000};
};

} // namespace Quillfen
