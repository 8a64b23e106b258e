#pragma once

#include <QRectF>
#include <QString>
#include <functional>
#include <memory>
#include <vector>

namespace Quillfen {

// A page rendered in 8-bit grey, one byte a pixel, rows stride bytes apart.
struct GrayImage
{
    int width = 0;
    int height = 0;
    int stride = 0;
    std::vector<unsigned char> pixels;
};

// The image turned clockwise by quarterTurns quarters (0 to 3).
GrayImage turnedClockwise(const GrayImage &image, int quarterTurns);

// The image at half its size each way, each pixel the mean of four.
GrayImage halved(const GrayImage &image);

struct OcrWord
{
    QString text;
    QRectF box; // in the image's pixels
    bool lineEnds = false;
};

// Tesseract on one thread: models loaded once and used for page after
// page. Lives in a module of its own (quillfen-ocr.so), loaded when OCR is
// first asked for, so that a run without OCR never loads Tesseract.
class PageOcr
{
public:
    virtual ~PageOcr() = default;
    // Quarter turns clockwise that make the page upright, by Tesseract's
    // orientation detection; 0 when it cannot tell.
    virtual int quarterTurnsToUpright(const GrayImage &image, int dpi) = 0;
    // The words of an upright page in reading order, line by line; stops
    // early, with the words so far, once stop() says so.
    virtual std::vector<OcrWord> words(const GrayImage &image, int dpi,
                                       const std::function<bool()> &stop) = 0;
};

// Why OCR with these models ("eng+deu") cannot run, naming the Debian
// package to install; empty when it can.
QString ocrProblem(const QString &languages);

// This thread's OCR for these models, made on first use and kept. Throws
// Failure with ocrProblem's reason when it cannot be made.
PageOcr &pageOcrOfThisThread(const QString &languages);

} // namespace Quillfen

// What the module exports; the module's and the program's builds must match.
extern "C" {
using QuillfenOcrProblem = QString (*)(const QString &languages);
using QuillfenMakePageOcr = Quillfen::PageOcr *(*)(const QString &languages);
}
