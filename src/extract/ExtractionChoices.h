#pragma once

#include <QString>

namespace Quillfen {

// Extraction mode: Option1 (paragraphs), Option2 (sentences), or neither.
enum class ExtractMode { None, Paragraph, Sentence };

// The line filter: Option3 (keep all), Option4 (containing Text1),
// Option5 (not containing Text2); None when no button is selected, which
// emits nothing.
enum class LineFilterKind { None, All, Containing, NotContaining };

struct LineFilter
{
    LineFilterKind kind = LineFilterKind::All;
    QString text; // Text1 for Containing, Text2 for NotContaining

    bool accepts(QStringView item) const;
    bool operator==(const LineFilter &) const = default;
};

} // namespace Quillfen
