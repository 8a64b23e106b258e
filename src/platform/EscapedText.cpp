#include "EscapedText.h"

#include <algorithm>

namespace Quillfen {

namespace {

bool isControl(char16_t unit)
{
    return unit < 0x20 || (unit >= 0x7f && unit <= 0x9f);
}

char namedEscape(char16_t unit)
{
    switch (unit) {
    case u'\a':
        return 'a';
    case u'\b':
        return 'b';
    case u'\t':
        return 't';
    case u'\n':
        return 'n';
    case u'\v':
        return 'v';
    case u'\f':
        return 'f';
    case u'\r':
        return 'r';
    default:
        return 0;
    }
}

} // namespace

QString escapedText(QStringView text)
{
    const auto first =
        std::find_if(text.begin(), text.end(), [](QChar c) { return isControl(c.unicode()); });
    if (first == text.end())
        return text.toString();
    static constexpr char Hex[] = "0123456789abcdef";
    QString shown;
    shown.reserve(text.size() + 8);
    shown.append(QStringView(text.begin(), first));
    for (auto it = first; it != text.end(); ++it) {
        const char16_t unit = it->unicode();
        if (!isControl(unit)) {
            shown.append(*it);
        } else if (const char named = namedEscape(unit)) {
            shown.append(u'\\').append(QLatin1Char(named));
        } else if (unit < 0x80) {
            shown.append(QLatin1StringView("\\x"));
            shown.append(QLatin1Char(Hex[unit >> 4])).append(QLatin1Char(Hex[unit & 15]));
        } else {
            shown.append(QLatin1StringView("\\u00"));
            shown.append(QLatin1Char(Hex[unit >> 4])).append(QLatin1Char(Hex[unit & 15]));
        }
    }
    return shown;
}

} // namespace Quillfen
