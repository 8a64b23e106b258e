#pragma once

#include <QString>

namespace Quillfen {

// Whether text holds a letter of a right-to-left script (Hebrew, Arabic,
// Syriac, Thaana, N'Ko and their presentation forms and supplements).
bool hasRightToLeftLetters(const QString &text);

// Whether a line, read as drawn, is a right-to-left line: more of its
// strong characters run right to left than left to right; a tie goes to
// the page's way.
bool runsRightToLeft(const QString &visualText, bool pageRunsRightToLeft);

// A line drawn in visual order (left to right on the page, as PDF text
// lists give it) in logical, reading order: the inverse of the Unicode
// bidirectional algorithm (ICU), with runs of letters or digits that run
// left to right kept as they stand, and mirrored brackets put back.
QString readingOrder(const QString &visualText, bool rightToLeft);

// The letters of presentation forms, which PDFs carry for the glyphs
// they drew: ligatures ("ﬁ" U+FB01 is "fi") and Arabic and Hebrew
// shaped forms. Every other character is left as it is.
QString presentationFormsAsLetters(const QString &text);

// Whether two lines of a paragraph join without a space: the one ends
// and the other starts with a character of a script written without
// spaces between words (Han, Hiragana, Katakana, Bopomofo, their
// punctuation and the full-width forms). Hangul is not one: Korean puts
// spaces between words.
bool joinsWithoutSpace(const QString &before, const QString &after);

} // namespace Quillfen
