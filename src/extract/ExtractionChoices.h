#pragma once

#include <QString>

namespace Quillfen {

// Extraction mode: paragraphs, sentences by the fixed rules, sentences as a
// reader sees them (SmartSentences.h), or none (no mode button selected).
enum class ExtractMode { None, Paragraph, Sentence, SmartSentence };

// The line filter: keep all, only rows containing a text, or only rows not
// containing one; None when no filter button is selected, which emits
// nothing.
enum class LineFilterKind { None, All, Containing, NotContaining };

struct LineFilter
{
    LineFilterKind kind = LineFilterKind::All;
    QString text; // the text of the selected filter's box

    bool accepts(QStringView item) const;
    bool operator==(const LineFilter &) const = default;
};

} // namespace Quillfen
