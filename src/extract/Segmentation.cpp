#include "Segmentation.h"

// Placeholder until segmentation lands.
namespace Quillfen {

struct AbbreviationShield::Matcher {};
AbbreviationShield::AbbreviationShield(QStringList entries) : m_entries(std::move(entries)) {}
bool AbbreviationShield::protectsNothing() const { return true; }
QString AbbreviationShield::shield(QStringView text) const { return text.toString(); }
void AbbreviationShield::restore(QStringView item, QString &out) const { out += item; }
bool AbbreviationShield::holdsPlaceholder(QStringView) { return false; }
PieceList cutParagraphs(const QString &text) { return {text, {{0, text.size()}}, false}; }
PieceList cutSentences(QStringView text, const AbbreviationShield &)
{
    return {text.toString(), {{0, text.size()}}, true};
}
PieceList cutText(const QString &text, ExtractMode mode, const AbbreviationShield &shield)
{
    if (mode == ExtractMode::Paragraph)
        return cutParagraphs(text);
    if (mode == ExtractMode::Sentence)
        return cutSentences(text, shield);
    return {};
}
void PieceHandler::handle(QStringView piece, bool, const AbbreviationShield *, const LineFilter &filter,
                          RowSink &sink)
{
    if (!piece.isEmpty() && filter.accepts(piece))
        sink.append(piece);
}
QStringList extractRows(const QString &text, ExtractMode mode, const QStringList &abbreviations,
                        const LineFilter &filter)
{
    struct Collect : RowSink {
        QStringList rows;
        void append(QStringView row) override { rows << row.toString(); }
    } sink;
    const AbbreviationShield shield(abbreviations);
    const PieceList pieces = cutText(text, mode, shield);
    PieceHandler handler;
    for (qsizetype i = 0; i < pieces.size(); ++i)
        handler.handle(pieces.piece(i), mode == ExtractMode::Paragraph,
                       pieces.shielded ? &shield : nullptr, filter, sink);
    return sink.rows;
}

} // namespace Quillfen
