#include "PdfText.h"

#include "DocumentFailure.h"
#include "PdfLayout.h"

#include <poppler/qt6/poppler-qt6.h>

#include <mutex>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// poppler's complaints about the document being read on this thread; it
// calls the handler on the thread that reads.
thread_local QString firstComplaint;

void keepComplaint(const QString &message, const QVariant &)
{
    if (firstComplaint.isEmpty())
        firstComplaint = message;
}

struct PageClock
{
    std::chrono::steady_clock::time_point deadline;
    bool expired = false;
};

bool pageTimeIsUp(const QVariant &closure)
{
    auto *clock = reinterpret_cast<PageClock *>(closure.value<quintptr>());
    if (std::chrono::steady_clock::now() > clock->deadline)
        clock->expired = true;
    return clock->expired;
}

QString damaged(const QString &detail)
{
    QString reason = u"it is damaged: "_s + detail;
    if (!firstComplaint.isEmpty())
        reason += u" (poppler: "_s + firstComplaint + u')';
    return reason;
}

QString textOf(std::unique_ptr<Poppler::Document> document, const PdfLimits &limits)
{
    if (!document)
        throw Failure(damaged(u"poppler cannot open it"_s));
    if (document->isLocked())
        throw Failure(u"it is encrypted"_s);
    const int pageCount = document->numPages();
    std::vector<PdfPageLines> pages;
    pages.reserve(std::size_t(std::max(pageCount, 0)));
    int readable = 0;
    for (int index = 0; index < pageCount; ++index) {
        const std::unique_ptr<Poppler::Page> page = document->page(index);
        if (!page) {
            pages.emplace_back();
            continue;
        }
        ++readable;
        PageClock clock{std::chrono::steady_clock::now() + limits.perPage};
        const auto words = page->textList(Poppler::Page::Rotate0, pageTimeIsUp,
                                          QVariant::fromValue(quintptr(&clock)));
        if (clock.expired)
            throw Failure(u"its page "_s + QString::number(index + 1) + u" took more than "_s
                          + QString::number(limits.perPage.count()) + u" ms to read"_s);
        PdfLineCollector collector;
        for (const auto &word : words)
            collector.addWord(word->text(), word->boundingBox(), word->hasSpaceAfter(),
                              word->nextWord() == nullptr);
        pages.push_back(collector.take());
    }
    if (readable == 0)
        throw Failure(damaged(u"it has no page that can be read"_s));
    return pdfTextFromLines(std::move(pages));
}

template <typename Load>
QString readPdf(Load &&load, const PdfLimits &limits)
{
    static std::once_flag quiet;
    std::call_once(quiet, [] { Poppler::setDebugErrorFunction(keepComplaint, QVariant()); });
    firstComplaint.clear();
    return textOf(load(), limits);
}

} // namespace

QString pdfText(const QString &path, const PdfLimits &limits)
{
    return readDocumentFile(path, [&] {
        return readPdf([&] { return Poppler::Document::load(path); }, limits);
    });
}

QString pdfTextOfBytes(const QByteArray &bytes, const PdfLimits &limits)
{
    return readPdf([&] { return Poppler::Document::loadFromData(bytes); }, limits);
}

} // namespace Quillfen
