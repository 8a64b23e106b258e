#pragma once

// The bytes and characters the smart sentence cut looks at.

#include <QChar>
#include <QtGlobal>

namespace Quillfen::SmartText {

inline bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
inline bool isAsciiLower(char c)
{
    return c >= 'a' && c <= 'z';
}
inline bool isAsciiUpper(char c)
{
    return c >= 'A' && c <= 'Z';
}
inline bool isAsciiDigit(char c)
{
    return c >= '0' && c <= '9';
}
inline bool isAsciiLetter(char c)
{
    return isAsciiLower(c) || isAsciiUpper(c);
}

inline int sequenceLength(uchar lead)
{
    return lead < 0xC0 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
}

inline char32_t decode(const char *p, int length)
{
    const auto b = [p](int i) { return char32_t(uchar(p[i])); };
    switch (length) {
    case 2:
        return ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    case 3:
        return ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    case 4:
        return ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    default:
        return b(0);
    }
}

inline bool isWordCodePoint(char32_t c)
{
    return QChar::isLetterOrNumber(c) || c == U'°' || c == U'º';
}

// The characters beyond ASCII that the cut looks at.
enum class Mark {
    None,
    Ellipsis,
    Strong,
    Wide,
    Closer,
    Opener,
    Bullet,
    Dash,
    NoBreakSpace,
    Superscript
};

inline Mark markOf(char32_t c)
{
    switch (c) {
    case U'…':
        return Mark::Ellipsis;
    case U'‼':
    case U'⁇':
    case U'⁈':
    case U'⁉':
        return Mark::Strong;
    case U'。':
    case U'．':
    case U'｡':
    case U'！':
    case U'？':
        return Mark::Wide;
    case U'’':
    case U'”':
    case U'»':
    case U'›':
    case U'」':
    case U'』':
    case U'）':
    case U'］':
    case U'〕':
    case U'】':
    case U'》':
    case U'〉':
    case U'＂':
    case U'＇':
        return Mark::Closer;
    case U'“':
    case U'‘':
    case U'„':
    case U'‚':
    case U'«':
    case U'‹':
    case U'¿':
    case U'¡':
    case U'「':
    case U'『':
    case U'（':
        return Mark::Opener;
    case U'•':
    case U'◦':
    case U'▪':
    case U'‣':
    case U'⁃':
    case U'∙':
        return Mark::Bullet;
    case U'–':
        return Mark::Dash;
    case U'\u00A0':
    case U'\u202F':
        return Mark::NoBreakSpace;
    case U'¹':
    case U'²':
    case U'³':
    case U'⁰':
    case U'⁴':
    case U'⁵':
    case U'⁶':
    case U'⁷':
    case U'⁸':
    case U'⁹':
        return Mark::Superscript;
    default:
        return Mark::None;
    }
}

// Pictographs, symbols and the joiners and modifiers of emoji sequences.
inline bool isEmoji(char32_t c)
{
    return (c >= 0x1F000 && c <= 0x1FAFF) || (c >= 0x2600 && c <= 0x27BF) || c == 0x200D ||
           c == 0xFE0F || c == 0x2B50 || c == 0x2764;
}

inline bool isAsciiCloser(char c)
{
    return c == ')' || c == ']' || c == '}' || c == '"' || c == '\'';
}
inline bool isAsciiOpener(char c)
{
    return c == '(' || c == '[' || c == '{' || c == '"' || c == '\'';
}

// Which of ".", "?" and "!" c is, for tables by mark.
inline int stopIndex(char c)
{
    return c == '.' ? 0 : c == '?' ? 1 : 2;
}

// Constants the cut's parts share: how far back a word is looked for, and
// how far ahead a list marker of the sentence's series.
constexpr qsizetype TokenReach = 64;
constexpr qsizetype ListReach = 2048;

} // namespace Quillfen::SmartText
