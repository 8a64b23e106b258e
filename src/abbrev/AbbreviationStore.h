#pragma once

#include <QString>
#include <QStringList>

namespace Quillfen {

class SettingsStore;

inline const QString AbbreviationSeparator = QStringLiteral("|{}My_Separatora12||");
inline const QString AbbreviationsKey = QStringLiteral("Abbreviations");

// The ten entries in use while nothing is stored.
QStringList defaultAbbreviations();

// Every entry followed by the separator; the empty list gives "".
QString encodeAbbreviations(const QStringList &entries);
// Cut at every separator (exact match): n separators give n + 1 pieces,
// empty ones included. Never called with the empty text by the readers.
QStringList decodeAbbreviations(const QString &value);

// The entries the editor shows for a stored value: the non-empty pieces
// (none for the empty text, a list the user emptied on purpose).
QStringList editorAbbreviations(const QString &storedValue);
// The entries the extraction protects, numbered by position: none when the
// value is empty, else every piece, empty ones keeping their number.
QStringList extractionAbbreviations(const QString &storedValue);

// The stored value; while nothing is stored, the ten defaults as the editor
// would store them, so that the run protects what the editor shows.
QString storedAbbreviations(const SettingsStore &store);

} // namespace Quillfen
