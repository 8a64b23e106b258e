#pragma once

#include <QString>
#include <QStringView>

namespace Quillfen {

// The mark that stands for a line end when a row is shown on one line.
inline constexpr QChar LineEndMark = QChar(0x21B5); // ↵

// The row on one line: every CR LF, lone CR and lone LF becomes one mark.
// Texts longer than limit characters are cut there and end in "…".
QString singleLineText(QStringView text, qsizetype limit);

// The row's full text for its tooltip, cut at limit characters with "…".
QString tooltipText(QStringView text, qsizetype limit);

} // namespace Quillfen
