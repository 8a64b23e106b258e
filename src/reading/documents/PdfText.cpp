#include "PdfText.h"

#include "DocumentFailure.h"
#include "PdfCutOff.h"
#include "PdfLayout.h"
#include "PopplerMessages.h"
#include "platform/FileReading.h"

#include <cmath>
#include <memory>
#include <mutex>
#include <poppler-document.h>
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
// direction, and how far apart their middles stand across it.
std::pair<double, double> gapAndOffset(const poppler::text_box &word, const poppler::text_box &next)
{
    const QRectF a = boxOf(word);
    const QRectF b = boxOf(next);
    switch (word.rotation()) {
    case 1:
        return {b.top() - a.bottom(), b.center().x() - a.center().x()};
    case 2:
        return {a.left() - b.right(), b.center().y() - a.center().y()};
    case 3:
        return {a.top() - b.bottom(), b.center().x() - a.center().x()};
    default:
        return {b.left() - a.right(), b.center().y() - a.center().y()};
    }
}

// poppler gives a page's words line by line in reading order but, through
// its C++ interface, not where a line ends. A word with a space after it
// has the next word of its line after it; one without ends its line unless
// the next word goes on right where it stops (a change of font inside a
// word), as poppler only joins such words within a line.
bool endsLine(const poppler::text_box &word, const poppler::text_box *next)
{
    if (!next)
        return true;
    if (word.has_space_after())
        return false;
    if (next->rotation() != word.rotation())
        return true;
    const QRectF box = boxOf(word);
    const double size = (word.rotation() % 2 == 0) ? box.height() : box.width();
    const auto [gap, offset] = gapAndOffset(word, *next);
    return gap < -0.1 * size || gap > 0.5 * size || std::abs(offset) > 0.5 * size;
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

QString readPdf(QByteArrayView bytes, const PdfLimits &limits)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { poppler::set_debug_error_function(keepComplaint, nullptr); });
    firstComplaint.clear();

    CuttablePdfFile file(bytes);
    const std::unique_ptr<poppler::document> document(
        poppler::document::load_from_file(file.path()));
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
    for (int index = 0; index < claimed; ++index) {
        const std::unique_ptr<poppler::page> page(document->create_page(index));
        if (!page)
            break;
        std::vector<poppler::text_box> words;
        bool expired = false;
        {
            PdfDeadline deadline(limits.perPage, file);
            words = page->text_list();
            expired = deadline.passed();
        }
        if (expired)
            throw Failure(u"its page "_s + QString::number(index + 1) + u" took more than "_s
                          + QString::number(limits.perPage.count()) + u" ms to read"_s);
        pages.push_back(linesOf(words));
    }
    const bool readable = !pages.empty();
    if (!readable)
        throw Failure(damaged(u"it has no page that can be read"_s));
    return pdfTextFromLines(std::move(pages));
}

} // namespace

QString pdfText(const QString &path, const PdfLimits &limits)
{
    return readDocumentFile(path, [&] { return readPdf(readWholeFile(path), limits); });
}

QString pdfTextOfBytes(const QByteArray &bytes, const PdfLimits &limits)
{
    return readPdf(bytes, limits);
}

} // namespace Quillfen
