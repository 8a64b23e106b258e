#include "RowFinder.h"

#include "reading/Utf8Decoding.h"

#include <algorithm>
#include <array>

namespace Quillfen {

namespace {

constexpr std::array<unsigned char, 256> makeLower()
{
    std::array<unsigned char, 256> lower{};
    for (int c = 0; c < 256; ++c)
        lower[std::size_t(c)] = (c >= 'A' && c <= 'Z') ? (c - 'A' + 'a') : c;
    return lower;
}
constexpr std::array<unsigned char, 256> Lower = makeLower();

bool isAscii(QByteArrayView bytes)
{
    return std::none_of(bytes.begin(), bytes.end(),
                        [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

} // namespace

RowFinder::RowFinder(const QString &text) : m_text(text)
{
    const QString folded = text.toCaseFolded();
    const QByteArray bytes = folded.toUtf8();
    if (isAscii(bytes))
        m_asciiFolded = bytes;
}

bool RowFinder::asciiSearch(QByteArrayView bytes) const
{
    const qsizetype n = m_asciiFolded.size();
    const auto *needle = reinterpret_cast<const unsigned char *>(m_asciiFolded.constData());
    const auto *s = reinterpret_cast<const unsigned char *>(bytes.data());
    const qsizetype last = bytes.size() - n;
    for (qsizetype i = 0; i <= last; ++i) {
        if (Lower[s[i]] != needle[0])
            continue;
        qsizetype k = 1;
        while (k < n && Lower[s[i + k]] == needle[k])
            ++k;
        if (k == n)
            return true;
    }
    return false;
}

bool RowFinder::matches(QByteArrayView utf8) const
{
    if (m_text.isEmpty())
        return true;
    // A match among ASCII bytes is a match of the folded text; other
    // characters may fold to ASCII ones (the Kelvin sign to "k"), so a row
    // that holds any is decoded before it is given up.
    if (!m_asciiFolded.isEmpty() && asciiSearch(utf8))
        return true;
    if (isAscii(utf8))
        return false;
    QString text(utf8.size(), Qt::Uninitialized);
    text.resize(Detail::decodeKeepingSurrogates(utf8, reinterpret_cast<char16_t *>(text.data())));
    return text.contains(m_text, Qt::CaseInsensitive);
}

} // namespace Quillfen
