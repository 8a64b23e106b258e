#pragma once

#include <QByteArray>
#include <QString>
#include <atomic>
#include <chrono>

namespace Quillfen {

// How files are read, as the command line or the window chose it; handed
// down to the readers with each file.
struct ReadingChoices
{
    // The encoding of every text file (quillfen-cli --encoding); empty:
    // told from each file's bytes.
    QByteArray encoding;
    // Pages without a text layer (scans) are read by OCR.
    bool ocr = false;
    // Tesseract's models, "eng+deu" form.
    QString ocrLanguages = QStringLiteral("eng");
    // A document's reading stops after this, keeping what was read; zero:
    // no limit.
    std::chrono::milliseconds documentTimeout{60'000};
    // Set when the run is stopped: a reader looks at it between pages.
    const std::atomic<bool> *cancelled = nullptr;

    bool isCancelled() const { return cancelled && cancelled->load(std::memory_order_relaxed); }
};

} // namespace Quillfen
