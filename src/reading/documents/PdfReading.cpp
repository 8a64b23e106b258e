#include "PdfReading.h"

#include "PageOcr.h"
#include "PdfCutOff.h"
#include "PdfLayout.h"
#include "PdfObjectClaims.h"
#include "PopplerMessages.h"
#include "reading/IncompleteText.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <mutex>
#include <poppler-document.h>
#include <poppler-image.h>
#include <poppler-page-renderer.h>
#include <poppler-page.h>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// poppler's first complaint about the document being read on this thread;
// it calls the handler on the thread that reads.
thread_local QString firstComplaint;

void keepComplaint(const std::string &message, void *)
{
    if (firstComplaint.isEmpty())
        firstComplaint = readablePopplerMessage(message);
}

QString damaged(const QString &detail)
{
    QString reason = u"it is damaged: "_s + detail;
    if (!firstComplaint.isEmpty())
        reason += u" (poppler: "_s + firstComplaint + u')';
    return reason;
}

QString textOf(const poppler::ustring &text)
{
    return QString::fromUtf16(reinterpret_cast<const char16_t *>(text.data()),
                              qsizetype(text.size()));
}

QRectF boxOf(const poppler::text_box &word)
{
    const poppler::rectf box = word.bbox();
    return QRectF(box.x(), box.y(), box.width(), box.height());
}

// How far next starts past the end of word along their writing
// direction, and how much the two overlap across it.
std::pair<double, double> gapAndOverlap(const QRectF &a, const QRectF &b, int rotation)
{
    const double across = rotation % 2 == 0
                              ? std::min(a.bottom(), b.bottom()) - std::max(a.top(), b.top())
                              : std::min(a.right(), b.right()) - std::max(a.left(), b.left());
    switch (rotation) {
    case 1:
        return {b.top() - a.bottom(), across};
    case 2:
        return {a.left() - b.right(), across};
    case 3:
        return {a.top() - b.bottom(), across};
    default:
        return {b.left() - a.right(), across};
    }
}

// poppler gives a page's words line by line in reading order but, through
// its C++ interface, not where a line ends. A word with a space after it
// has the next word of its line after it. One without ends its line unless
// the next word goes on close after it (kerned into it, as the "A" of
// "LaTeX", or a raised footnote mark) and mostly level with it: poppler
// joins words without a space only within a line.
bool endsLine(const poppler::text_box &word, const poppler::text_box *next)
{
    if (!next)
        return true;
    if (word.has_space_after())
        return false;
    const int rotation = word.rotation();
    if (next->rotation() != rotation)
        return true;
    const QRectF a = boxOf(word);
    const QRectF b = boxOf(*next);
    const auto size = [rotation](const QRectF &box) {
        return rotation % 2 == 0 ? box.height() : box.width();
    };
    const double larger = std::max(size(a), size(b));
    const double smaller = std::min(size(a), size(b));
    const auto [gap, overlap] = gapAndOverlap(a, b, rotation);
    return gap < -larger || gap > 0.5 * larger || overlap < 0.4 * smaller;
}

PdfPageLines linesOf(const std::vector<poppler::text_box> &words)
{
    PdfLineCollector collector;
    for (std::size_t i = 0; i < words.size(); ++i) {
        const poppler::text_box *next = i + 1 < words.size() ? &words[i + 1] : nullptr;
        collector.addWord(textOf(words[i].text()), boxOf(words[i]), words[i].has_space_after(),
                          endsLine(words[i], next));
    }
    return collector.take();
}

// About 300 dpi suits OCR; a page too large for that at this many pixels
// (40 MB of grey) gets fewer dots an inch.
constexpr double OcrDpi = 300;
constexpr double OcrMaxPixels = 40e6;

int ocrResolution(const poppler::rectf &points)
{
    const double inches = std::max(points.width(), 1.0) / 72 * std::max(points.height(), 1.0) / 72;
    return int(std::clamp(std::sqrt(OcrMaxPixels / inches), 1.0, OcrDpi));
}

// The page as an image, read by OCR once it is turned upright; its words
// then go through the same line collector as a text layer's.
PdfPageLines ocrLines(const poppler::page &page, const QString &languages,
                      const PdfDeadline &deadline)
{
    PageOcr &ocr = pageOcrOfThisThread(languages);
    const int dpi = ocrResolution(page.page_rect());
    GrayImage image;
    {
        poppler::page_renderer renderer;
        renderer.set_image_format(poppler::image::format_gray8);
        renderer.set_render_hints(poppler::page_renderer::antialiasing |
                                  poppler::page_renderer::text_antialiasing);
        const poppler::image rendered = renderer.render_page(&page, dpi, dpi);
        if (!rendered.is_valid() || rendered.width() <= 0 || rendered.height() <= 0)
            return {};
        image.width = rendered.width();
        image.height = rendered.height();
        image.stride = rendered.bytes_per_row();
        const auto *first = reinterpret_cast<const unsigned char *>(rendered.const_data());
        image.pixels.assign(first, first + std::size_t(image.stride) * std::size_t(image.height));
    }
    if (deadline.passed())
        return {};
    // Orientation needs far fewer dots than reading: a quarter of them.
    if (const int turns = ocr.quarterTurnsToUpright(halved(image), dpi / 2))
        image = turnedClockwise(image, turns);
    const std::vector<OcrWord> words = ocr.words(image, dpi, [&] { return deadline.passed(); });
    const double scale = 72.0 / dpi;
    PdfLineCollector collector;
    for (const OcrWord &word : words) {
        const QRectF &box = word.box;
        collector.addWord(
            word.text,
            QRectF(box.x() * scale, box.y() * scale, box.width() * scale, box.height() * scale),
            !word.lineEnds, word.lineEnds);
    }
    return collector.take();
}

QString seconds(std::chrono::milliseconds time)
{
    return QString::number(double(time.count()) / 1000.0, 'g', 6) + u" s"_s;
}

// poppler makes room for every object number a file claims before it
// reads any object, so a claim of millions in a few bytes would cost
// gigabytes. Such a file is refused rather than handed to poppler with a
// smaller claim written in: that would be another document than the file,
// whose text no other reader would show.
void refuseClaimsBeyondTheBytes(QByteArrayView bytes)
{
    const PdfRoomClaim claim = largestRoomClaim(bytes);
    const qint64 allowed = objectRoomAllowed(bytes.size());
    if (claim.count > allowed)
        throw Failure(u"it claims room for "_s + QString::number(claim.count) + u" objects ("_s +
                      claim.what + u"), more than the "_s + QString::number(allowed) +
                      u" a PDF of "_s + QString::number(bytes.size()) +
                      u" bytes is read with (a damaged or hostile file?)"_s);
}

QString readPdf(QByteArrayView bytes, const ReadingChoices &choices)
{
    refuseClaimsBeyondTheBytes(bytes);
    static std::once_flag quiet;
    std::call_once(quiet, [] { poppler::set_debug_error_function(keepComplaint, nullptr); });
    firstComplaint.clear();

    CuttablePdfFile file(bytes);
    // Whatever the page at hand is doing when the time is up, it ends soon
    // after: the file poppler reads is emptied.
    PdfDeadline deadline(choices.documentTimeout, file);
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_file(file.path()));
    if (deadline.passed())
        throw IncompleteText({}, u"reading it took more than "_s +
                                     seconds(choices.documentTimeout) +
                                     u" (the time allowed for one document)"_s);
    if (!document)
        throw Failure(damaged(u"poppler cannot open it"_s));
    if (document->is_locked())
        throw Failure(u"it is encrypted"_s);
    // The page count is the document's claim: a page tree that holds fewer
    // pages is read as far as it goes, so neither memory nor time follows
    // a count of millions that nothing backs. poppler cannot find any page
    // after one it cannot find.
    const int claimed = document->pages();
    std::vector<PdfPageLines> pages;
    bool anyWord = false;
    for (int index = 0; index < claimed; ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (!page || deadline.passed())
            break;
        const std::vector<poppler::text_box> words = page->text_list();
        if (deadline.passed())
            break; // the page was cut off halfway
        if (words.empty() && choices.ocr) {
            // A stopped run wants no more pages, and OCR takes seconds each.
            if (choices.isCancelled())
                break;
            pages.push_back(ocrLines(*page, choices.ocrLanguages, deadline));
            if (deadline.passed()) {
                pages.pop_back();
                break;
            }
            anyWord = true; // a page read by OCR and found blank is blank
            continue;
        }
        anyWord = anyWord || !words.empty();
        pages.push_back(linesOf(words));
    }
    if (choices.isCancelled())
        return pdfTextFromLines(std::move(pages)); // what was read before the stop
    if (deadline.passed()) {
        const QString read = QString::number(pages.size());
        throw IncompleteText(pdfTextFromLines(std::move(pages)),
                             u"reading it took more than "_s + seconds(choices.documentTimeout) +
                                 u" (the time allowed for one document); the text of its first "_s +
                                 read + u" of "_s + QString::number(claimed) + u" pages is kept"_s);
    }
    if (pages.empty())
        throw Failure(damaged(u"it has no page that can be read"_s));
    if (!anyWord)
        throw IncompleteText({}, u"it has no text layer: its pages are images, as scanned pages "
                                 "are, which OCR can read (quillfen-cli --ocr, or \"Read scanned "
                                 "pages (OCR)\" in the window)"_s);
    return pdfTextFromLines(std::move(pages));
}

} // namespace

PdfReadResult readPdfBytes(QByteArrayView bytes, const ReadingChoices &choices)
{
    try {
        return {readPdf(bytes, choices), {}, PdfReadResult::Read};
    } catch (const IncompleteText &partial) {
        return {partial.text(), partial.description(), PdfReadResult::Incomplete};
    } catch (const Failure &failure) {
        return {{}, failure.description(), PdfReadResult::Failed};
    } catch (const std::bad_alloc &) {
        return {{}, u"there is not enough memory to read it"_s, PdfReadResult::Failed};
    } catch (const std::exception &error) {
        return {{},
                u"it cannot be read: "_s + QString::fromLocal8Bit(error.what()),
                PdfReadResult::Failed};
    }
}

} // namespace Quillfen
