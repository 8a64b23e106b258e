#include "PreparedMarkup.h"

#include "MarkupScanner.h"
#include "OpenElementModel.h"

namespace Quillfen {

PreparedMarkup prepareMarkup(const QByteArray &utf8, std::uint64_t workLimit)
{
    MarkupScanner scanner(utf8);
    OpenElementModel model;
    QByteArray kept;
    qsizetype keptUpTo = 0;
    bool dropRawText = false;
    bool rewritten = false;
    // Copies what lies between the last cut and end.
    auto keep = [&](qsizetype end) {
        if (!rewritten)
            kept.reserve(utf8.size() + 1024);
        rewritten = true;
        kept.append(QByteArrayView(utf8).sliced(keptUpTo, end - keptUpTo));
    };
    for (;;) {
        scanner.setCdataAllowed(model.inForeignContent());
        const MarkupScanner::Token token = scanner.next();
        if (token.kind == MarkupScanner::Kind::End)
            break;
        switch (token.kind) {
        case MarkupScanner::Kind::StartTag: {
            const auto outcome = model.startTag(token.name, scanner, token.selfClosing);
            if (outcome.rawMode) {
                scanner.enterRawMode(*outcome.rawMode);
                dropRawText = outcome.traits.has(TagTraits::UnseenRawText);
            }
            break;
        }
        case MarkupScanner::Kind::EndTag:
            // gumbo puts text that stands right before </form> after the
            // form; a comment in between keeps it inside.
            if (token.name == "form" && !model.inForeignContent()) {
                keep(token.begin);
                kept.append("<!---->");
                keptUpTo = token.begin;
            }
            model.endTag(token.name);
            break;
        case MarkupScanner::Kind::RawText:
            if (dropRawText && token.end > token.begin) {
                keep(token.begin);
                keptUpTo = token.end;
            }
            dropRawText = false;
            break;
        default:
            break;
        }
        if (model.nestingWork() > workLimit)
            return {{}, true};
    }
    if (!rewritten)
        return {utf8, false};
    kept.append(QByteArrayView(utf8).sliced(keptUpTo));
    return {kept, false};
}

} // namespace Quillfen
