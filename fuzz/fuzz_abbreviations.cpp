// The stored abbreviation list: what the editor writes it reads back the
// same, and any stored value decodes without harm.
#include "FuzzSupport.h"
#include "abbrev/AbbreviationStore.h"

using namespace Quillfen;
using QuillfenFuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString value = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));

    // Any stored value: the editor never shows an empty entry, and the
    // extraction's numbering keeps every piece.
    const QStringList shown = editorAbbreviations(value);
    for (const QString &entry : shown)
        require(!entry.isEmpty(), "the editor shows an empty entry");
    // Separators are found left to right without overlap.
    qsizetype cuts = 0;
    for (qsizetype at = value.indexOf(AbbreviationSeparator); at >= 0;
         at = value.indexOf(AbbreviationSeparator, at + AbbreviationSeparator.size()))
        ++cuts;
    if (!value.isEmpty())
        require(extractionAbbreviations(value).size() == cuts + 1,
                "n separators give n + 1 pieces");

    // The input cut at NUL bytes as a list the editor can hold: non-empty
    // entries without the separator, each once.
    QStringList list;
    for (const QString &entry : value.split(QChar(u'\0'), Qt::SkipEmptyParts)) {
        if (!entry.contains(AbbreviationSeparator) && !list.contains(entry))
            list.append(entry);
    }
    if (list.isEmpty())
        return 0;
    // The stored form cannot hold an entry whose end, with the separator
    // after it, makes a separator earlier than the one written (an entry
    // ending in "|{}My_Separatora12|", say): such lists are left out here.
    const QString encoded = encodeAbbreviations(list);
    qsizetype separators = 0;
    for (qsizetype at = encoded.indexOf(AbbreviationSeparator); at >= 0;
         at = encoded.indexOf(AbbreviationSeparator, at + 1))
        ++separators;
    if (separators != list.size())
        return 0;
    const QStringList back = editorAbbreviations(encoded);
    require(back == list, "editor list does not survive encode then decode");
    return 0;
}
