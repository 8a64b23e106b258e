// The OCR of a page image, bounded in size: the orientation, the turn that
// makes the page upright, Tesseract's words and the line collector they go
// to. The first two bytes give the width and the turn, the rest the grey
// pixels, row after row.
#include "FuzzSupport.h"
#include "reading/documents/PageOcr.h"
#include "reading/documents/PdfLayout.h"

using namespace Quillfen;

extern "C" PageOcr *quillfenMakePageOcr(const QString &languages);

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    constexpr std::size_t MaxPixels = 160 * 160;
    if (size < 2 + 64 || size > 2 + MaxPixels)
        return 0;
    static PageOcr *const ocr = quillfenMakePageOcr(QStringLiteral("eng"));
    QuillfenFuzz::require(ocr != nullptr, "the eng model did not load");
    GrayImage image;
    image.width = 8 + data[0] % 153;
    image.stride = image.width;
    image.height = int((size - 2) / std::size_t(image.width));
    if (image.height < 8)
        return 0;
    image.pixels.assign(data + 2, data + 2 + std::size_t(image.width) * std::size_t(image.height));

    const int turns = ocr->quarterTurnsToUpright(image, 300);
    QuillfenFuzz::require(turns >= 0 && turns < 4, "a turn out of range");
    const GrayImage upright = turnedClockwise(image, data[1] % 4);
    QuillfenFuzz::require(std::size_t(upright.width) * std::size_t(upright.height) ==
                              std::size_t(image.width) * std::size_t(image.height),
                          "the turn changed the image's size");
    PdfLineCollector collector;
    for (const OcrWord &word : ocr->words(upright, 300, [] { return false; })) {
        QuillfenFuzz::require(word.box.left() >= 0 && word.box.top() >= 0 &&
                                  word.box.right() <= upright.width &&
                                  word.box.bottom() <= upright.height,
                              "a word outside the page");
        collector.addWord(word.text, word.box, !word.lineEnds, word.lineEnds);
    }
    for (const PdfLine &line : collector.take().lines)
        QuillfenFuzz::require(!line.text.isEmpty(), "an empty line");
    return 0;
}
