#include "PdfText.h"

#include "DocumentFailure.h"
#include "LoadableModules.h"
#include "PdfReading.h"
#include "platform/FileReading.h"
#include "reading/IncompleteText.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

struct PdfModule
{
    QuillfenReadPdf read = nullptr;
    QString failure;
};

// Loaded at the first PDF: poppler and its two dozen libraries would
// otherwise double the start-up of a run that reads none.
const PdfModule &pdfModule()
{
    static const PdfModule loaded = [] {
        PdfModule m;
        QFunctionPointer read = nullptr;
        m.failure = loadModule(u"quillfen-pdf.so"_s, "QUILLFEN_PDF_MODULE", u"PDF reading"_s,
                               {{"quillfenReadPdf", &read}});
        m.read = reinterpret_cast<QuillfenReadPdf>(read);
        return m;
    }();
    return loaded;
}

} // namespace

QString pdfText(const QString &path, const ReadingChoices &choices)
{
    const QByteArray bytes = readWholeFile(path);
    return readDocumentBytes(path, [&] { return pdfTextOfBytes(bytes, choices); });
}

QString pdfTextOfBytes(const QByteArray &bytes, const ReadingChoices &choices)
{
    const PdfModule &module = pdfModule();
    if (!module.read)
        throw Failure(module.failure);
    PdfReadResult result;
    module.read(bytes, choices, result);
    switch (result.kind) {
    case PdfReadResult::Read:
        return result.text;
    case PdfReadResult::Incomplete:
        throw IncompleteText(std::move(result.text), result.problem);
    case PdfReadResult::Failed:
        break;
    }
    throw Failure(result.problem);
}

} // namespace Quillfen
