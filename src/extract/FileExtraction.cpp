#include "FileExtraction.h"

#include "BlockExtraction.h"
#include "ExtractionRun.h"
#include "platform/Failure.h"
#include "reading/TextFileReader.h"

#include <QFileInfo>

namespace Quillfen {

QStringList readInputFile(const QString &path, HtmlTextSource &html)
{
    if (isHtmlPath(path))
        return {html.renderedText(path)};
    return ReadTextFile(path);
}

std::optional<FileFailure> extractFile(const QString &path, ExtractMode mode,
                                       const AbbreviationShield &shield, const LineFilter &filter,
                                       HtmlTextSource &html, RowSink &sink)
{
    QStringList texts;
    try {
        if (!isHtmlPath(path) && QFileInfo(path).size() >= BlockwiseFileBytes) {
            extractTextFileInBlocks(path, mode, shield, filter, sink);
            return std::nullopt;
        }
        texts = readInputFile(path, html);
    } catch (...) {
        return FileFailure{isHtmlPath(path) ? 132 : 144, describeCurrentException()};
    }
    PieceHandler handler;
    for (const QString &text : std::as_const(texts)) {
        const PieceList pieces = cutText(text, mode, shield);
        const AbbreviationShield *restoreWith = pieces.shielded ? &shield : nullptr;
        for (qsizetype m = 0; m < pieces.size(); ++m)
            handler.handle(pieces.piece(m), mode == ExtractMode::Paragraph, restoreWith, filter,
                           sink, pieces.isPlain(m));
    }
    return std::nullopt;
}

} // namespace Quillfen
