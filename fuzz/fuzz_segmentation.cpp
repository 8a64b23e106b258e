// Cutting a text into rows in both modes, with any abbreviation list and
// line filter taken from the input.
#include "FuzzSupport.h"
#include "abbrev/AbbreviationStore.h"
#include "extract/FileExtraction.h"
#include "extract/Segmentation.h"

#include <optional>

using namespace Quillfen;
using QuillfenFuzz::require;

namespace {

struct CollectUtf8 final : Utf8RowSink
{
    QStringList rows;
    void appendUtf8Row(QByteArrayView row) override { rows.append(QString::fromUtf8(row)); }
};

// The rows cut straight from UTF-8, where the engine would take that path;
// nullopt where it would not.
std::optional<QStringList> utf8Rows(const QString &text, ExtractMode mode,
                                    const AbbreviationShield &shield, const LineFilter &filter)
{
    const RunChoices choices{mode, shield, filter, {}};
    if (!canCutUtf8(choices))
        return std::nullopt;
    CollectUtf8 sink;
    cutUtf8(text.toUtf8(), choices, sink);
    return sink.rows;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    QuillfenFuzz::Reader in(data, size);
    const std::uint8_t choice = in.byte();
    const ExtractMode mode = (choice & 1) ? ExtractMode::Sentence : ExtractMode::Paragraph;
    LineFilterKind kind = LineFilterKind::None;
    switch ((choice >> 1) & 3) {
    case 0:
        kind = LineFilterKind::All;
        break;
    case 1:
        kind = LineFilterKind::Containing;
        break;
    case 2:
        kind = LineFilterKind::NotContaining;
        break;
    default:
        break;
    }
    const TermMatching matching{.matchCase = (choice & 8) == 0,
                                .wholeWords = (choice & 16) != 0,
                                .regularExpression = (choice & 32) != 0};
    const LineFilter filter(kind, in.string(16), matching);
    // The list as it is stored, so that empty entries and odd pieces occur.
    const QString stored = in.string(200);
    const QStringList abbreviations = extractionAbbreviations(stored);
    const QString text = QString::fromUtf8(in.rest());

    const AbbreviationShield shield(abbreviations);
    const QStringList rows = extractRowsWithShield(text, mode, shield, filter);
    // fromUtf8 leaves no unpaired surrogate, so the text is valid UTF-8 too.
    if (const auto fromUtf8 = utf8Rows(text, mode, shield, filter))
        require(*fromUtf8 == rows, "rows cut from UTF-8 differ from the engine's");
    if (filter.kind() == LineFilterKind::None)
        require(rows.isEmpty(), "no filter selected emits nothing");
    for (const QString &row : rows) {
        require(!row.isEmpty(), "empty row");
        require(row != u".", "row of a lone full stop");
        // The filter judges a question before its "?" is put back.
        const bool question = row.endsWith(u'?');
        require(filter.accepts(question ? QStringView(row).chopped(1) : QStringView(row)),
                "row the filter refuses");
    }
    return 0;
}
