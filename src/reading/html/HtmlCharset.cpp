#include "HtmlCharset.h"

#include "reading/TextDecoding.h"

#include <QStringDecoder>
#include <algorithm>
#include <string_view>
#include <vector>

namespace Quillfen {

namespace {

constexpr qsizetype PrescanBytes = 1024;

// The encodings a page may declare, by every label browsers accept for
// them; the name is what the decoder knows them by. UTF-16 and
// x-user-defined are the two that a declaration turns into another.
struct Label
{
    std::string_view decoder;
    std::string_view labels; // separated by spaces
};

constexpr std::string_view Utf8Name = "utf-8";
constexpr std::string_view Windows1252Name = "windows-1252";

// Labels of encodings that browsers refuse to decode (ISO-2022-KR and the
// like) are not listed: they count as unknown.
constexpr Label KnownLabels[] = {
    {Utf8Name, "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8"},
    {"IBM866", "866 cp866 csibm866 ibm866"},
    {"ISO-8859-2", "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 "
                   "iso_8859-2:1987 l2 latin2"},
    {"ISO-8859-3", "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 "
                   "iso_8859-3:1988 l3 latin3"},
    {"ISO-8859-4", "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 "
                   "iso_8859-4:1988 l4 latin4"},
    {"ISO-8859-5", "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 "
                   "iso_8859-5 iso_8859-5:1988"},
    {"ISO-8859-6", "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 "
                   "iso-8859-6 iso-8859-6-e iso-8859-6-i iso-ir-127 iso8859-6 iso88596 "
                   "iso_8859-6 iso_8859-6:1987"},
    {"ISO-8859-7", "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 "
                   "iso8859-7 iso88597 iso_8859-7 iso_8859-7:1987 sun_eu_greek"},
    {"ISO-8859-8", "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 "
                   "iso8859-8 iso88598 iso_8859-8 iso_8859-8:1988 visual csiso88598i "
                   "iso-8859-8-i logical"},
    {"ISO-8859-10", "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6"},
    {"ISO-8859-13", "iso-8859-13 iso8859-13 iso885913"},
    {"ISO-8859-14", "iso-8859-14 iso8859-14 iso885914"},
    {"ISO-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9"},
    {"ISO-8859-16", "iso-8859-16"},
    {"KOI8-R", "cskoi8r koi koi8 koi8-r koi8_r"},
    {"KOI8-U", "koi8-ru koi8-u"},
    {"macintosh", "csmacintosh mac macintosh x-mac-roman"},
    {"windows-874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874"},
    {"windows-1250", "cp1250 windows-1250 x-cp1250"},
    {"windows-1251", "cp1251 windows-1251 x-cp1251"},
    {Windows1252Name, "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 "
                      "iso-ir-100 iso8859-1 iso88591 iso_8859-1 iso_8859-1:1987 l1 latin1 "
                      "us-ascii windows-1252 x-cp1252 x-user-defined"},
    {"windows-1253", "cp1253 windows-1253 x-cp1253"},
    {"windows-1254", "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 "
                     "iso_8859-9:1989 l5 latin5 windows-1254 x-cp1254"},
    {"windows-1255", "cp1255 windows-1255 x-cp1255"},
    {"windows-1256", "cp1256 windows-1256 x-cp1256"},
    {"windows-1257", "cp1257 windows-1257 x-cp1257"},
    {"windows-1258", "cp1258 windows-1258 x-cp1258"},
    {"x-mac-cyrillic", "x-mac-cyrillic x-mac-ukrainian"},
    {"GBK", "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk"},
    {"GB18030", "gb18030"},
    {"Big5-HKSCS", "big5 big5-hkscs cn-big5 csbig5 x-x-big5"},
    {"EUC-JP", "cseucpkdfmtjapanese euc-jp x-euc-jp"},
    {"ISO-2022-JP", "csiso2022jp iso-2022-jp"},
    {"Shift_JIS", "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
    {"windows-949", "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 "
                    "ks_c_5601-1989 ksc5601 ksc_5601 windows-949"},
    // A declaration of UTF-16 cannot be true of bytes that were read as
    // ASCII to find it.
    {Utf8Name, "unicodefffe utf-16be csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff "
               "utf-16 utf-16le"},
};

bool isAsciiSpace(char c)
{
    return c == 0x09 || c == 0x0A || c == 0x0C || c == 0x0D || c == 0x20;
}

char asciiLower(char c)
{
    return c >= 'A' && c <= 'Z' ? char(c + ('a' - 'A')) : c;
}

bool isAsciiAlpha(char c)
{
    const char l = asciiLower(c);
    return l >= 'a' && l <= 'z';
}

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && isAsciiSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isAsciiSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

bool labelListHolds(std::string_view list, std::string_view label)
{
    while (!list.empty()) {
        const size_t space = list.find(' ');
        const std::string_view entry = list.substr(0, space);
        if (entry.size() == label.size()) {
            bool same = true;
            for (size_t i = 0; i < entry.size() && same; ++i)
                same = entry[i] == asciiLower(label[i]);
            if (same)
                return true;
        }
        if (space == std::string_view::npos)
            break;
        list.remove_prefix(space + 1);
    }
    return false;
}

// The value of a Content-Type's "charset=" parameter inside a meta
// element's content attribute.
std::optional<std::string_view> charsetInContent(std::string_view s)
{
    size_t pos = 0;
    for (;;) {
        const size_t found = s.find("charset", pos);
        if (found == std::string_view::npos)
            return std::nullopt;
        pos = found + 7;
        while (pos < s.size() && isAsciiSpace(s[pos]))
            ++pos;
        if (pos >= s.size() || s[pos] != '=')
            continue;
        ++pos;
        while (pos < s.size() && isAsciiSpace(s[pos]))
            ++pos;
        if (pos >= s.size())
            return std::nullopt;
        const char quote = s[pos];
        if (quote == '"' || quote == '\'') {
            const size_t close = s.find(quote, pos + 1);
            if (close == std::string_view::npos)
                return std::nullopt;
            return s.substr(pos + 1, close - pos - 1);
        }
        size_t end = pos;
        while (end < s.size() && !isAsciiSpace(s[end]) && s[end] != ';')
            ++end;
        return s.substr(pos, end - pos);
    }
}

// The byte walk of the prescan. Every read past the end ends the whole
// scan without an answer.
class Prescan
{
public:
    explicit Prescan(QByteArrayView bytes) : m_bytes(bytes) {}

    std::optional<HtmlCharset> run()
    {
        while (m_pos < m_bytes.size()) {
            if (startsWith("<!--")) {
                if (!skipComment())
                    return std::nullopt;
            } else if (startsWithMeta()) {
                m_pos += 5;
                const Outcome outcome = readMeta();
                if (outcome == Outcome::Ended)
                    return std::nullopt;
                if (outcome == Outcome::Found)
                    return m_found;
            } else if (at(0) == '<' &&
                       (isAsciiAlpha(at(1)) || (at(1) == '/' && isAsciiAlpha(at(2))))) {
                if (!skipTag())
                    return std::nullopt;
            } else if (at(0) == '<' && (at(1) == '!' || at(1) == '/' || at(1) == '?')) {
                const qsizetype close = m_bytes.indexOf('>', m_pos + 1);
                if (close < 0)
                    return std::nullopt;
                m_pos = close;
            }
            ++m_pos;
        }
        return std::nullopt;
    }

private:
    enum class Outcome { Found, NotFound, Ended };
    enum class AttributeOutcome { Got, None, Ended };

    // The byte at m_pos + offset, or -1 past the end.
    int at(qsizetype offset) const
    {
        const qsizetype i = m_pos + offset;
        return i < m_bytes.size() ? int(uchar(m_bytes[i])) : -1;
    }

    bool startsWith(std::string_view s) const
    {
        return m_bytes.sliced(m_pos).startsWith(QByteArrayView(s.data(), qsizetype(s.size())));
    }

    bool startsWithMeta() const
    {
        static constexpr char meta[] = "<meta";
        for (int i = 0; i < 5; ++i) {
            if (at(i) < 0 || asciiLower(char(at(i))) != meta[i])
                return false;
        }
        const int next = at(5);
        return next >= 0 && (isAsciiSpace(char(next)) || next == '/');
    }

    bool skipComment()
    {
        const qsizetype end = m_bytes.indexOf("-->", m_pos + 2);
        if (end < 0)
            return false;
        m_pos = end + 2;
        return true;
    }

    bool skipTag()
    {
        while (at(0) >= 0 && !isAsciiSpace(char(at(0))) && at(0) != '>')
            ++m_pos;
        for (;;) {
            const AttributeOutcome outcome = readAttribute();
            if (outcome == AttributeOutcome::Ended)
                return false;
            if (outcome == AttributeOutcome::None)
                return true;
        }
    }

    Outcome readMeta()
    {
        std::vector<QByteArray> seen;
        bool gotPragma = false;
        std::optional<bool> needPragma;
        std::optional<std::optional<HtmlCharset>> charset;
        for (;;) {
            const AttributeOutcome outcome = readAttribute();
            if (outcome == AttributeOutcome::Ended)
                return Outcome::Ended;
            if (outcome == AttributeOutcome::None)
                break;
            if (std::find(seen.begin(), seen.end(), m_name) != seen.end())
                continue;
            seen.push_back(m_name);
            const std::string_view value(m_value.constData(), size_t(m_value.size()));
            if (m_name == "http-equiv") {
                gotPragma = gotPragma || value == "content-type";
            } else if (m_name == "content") {
                if (!charset) {
                    if (const auto label = charsetInContent(value)) {
                        charset = htmlCharsetForLabel(
                            QByteArrayView(label->data(), qsizetype(label->size())));
                        needPragma = true;
                    }
                }
            } else if (m_name == "charset") {
                charset = htmlCharsetForLabel(m_value);
                needPragma = false;
            }
        }
        if (!needPragma || (*needPragma && !gotPragma) || !charset || !*charset)
            return Outcome::NotFound;
        m_found = **charset;
        return Outcome::Found;
    }

    // "Get an attribute": name and value lower-cased into m_name, m_value.
    AttributeOutcome readAttribute()
    {
        while (at(0) >= 0 && (isAsciiSpace(char(at(0))) || at(0) == '/'))
            ++m_pos;
        if (at(0) < 0)
            return AttributeOutcome::Ended;
        if (at(0) == '>')
            return AttributeOutcome::None;
        m_name.clear();
        m_value.clear();
        for (;;) {
            const int c = at(0);
            if (c < 0)
                return AttributeOutcome::Ended;
            if (c == '=' && !m_name.isEmpty()) {
                ++m_pos;
                return readValue();
            }
            if (isAsciiSpace(char(c)))
                break;
            if (c == '/' || c == '>')
                return AttributeOutcome::Got;
            m_name.append(asciiLower(char(c)));
            ++m_pos;
        }
        while (at(0) >= 0 && isAsciiSpace(char(at(0))))
            ++m_pos;
        if (at(0) < 0)
            return AttributeOutcome::Ended;
        if (at(0) != '=')
            return AttributeOutcome::Got;
        ++m_pos;
        return readValue();
    }

    AttributeOutcome readValue()
    {
        while (at(0) >= 0 && isAsciiSpace(char(at(0))))
            ++m_pos;
        const int first = at(0);
        if (first < 0)
            return AttributeOutcome::Ended;
        if (first == '"' || first == '\'') {
            for (;;) {
                ++m_pos;
                const int c = at(0);
                if (c < 0)
                    return AttributeOutcome::Ended;
                if (c == first) {
                    ++m_pos;
                    return AttributeOutcome::Got;
                }
                m_value.append(asciiLower(char(c)));
            }
        }
        if (first == '>')
            return AttributeOutcome::Got;
        for (;;) {
            const int c = at(0);
            if (c < 0)
                return AttributeOutcome::Ended;
            if (isAsciiSpace(char(c)) || c == '>')
                return AttributeOutcome::Got;
            m_value.append(asciiLower(char(c)));
            ++m_pos;
        }
    }

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    QByteArray m_name;
    QByteArray m_value;
    HtmlCharset m_found;
};

QByteArray decodedAsUtf8(QByteArrayView bytes, const HtmlCharset &charset)
{
    switch (charset.kind) {
    case HtmlCharset::Utf8:
        return isValidUtf8(bytes) ? bytes.toByteArray() : decodeUtf8(bytes).toUtf8();
    case HtmlCharset::Windows1252:
        return decodeWindows1252(bytes).toUtf8();
    case HtmlCharset::Other:
        break;
    }
    QStringDecoder decoder(charset.name.constData());
    return decoder.decode(bytes).operator QString().toUtf8();
}

} // namespace

std::optional<HtmlCharset> htmlCharsetForLabel(QByteArrayView label)
{
    const std::string_view wanted = trimmed(std::string_view(label.data(), size_t(label.size())));
    if (wanted.empty())
        return std::nullopt;
    for (const Label &known : KnownLabels) {
        if (!labelListHolds(known.labels, wanted))
            continue;
        if (known.decoder == Utf8Name)
            return HtmlCharset{HtmlCharset::Utf8, {}};
        if (known.decoder == Windows1252Name)
            return HtmlCharset{HtmlCharset::Windows1252, {}};
        const QByteArray name(known.decoder.data(), qsizetype(known.decoder.size()));
        // A label this build cannot decode counts as unknown.
        if (!QStringDecoder(name.constData()).isValid())
            return std::nullopt;
        return HtmlCharset{HtmlCharset::Other, name};
    }
    return std::nullopt;
}

std::optional<HtmlCharset> declaredHtmlCharset(QByteArrayView bytes)
{
    return Prescan(bytes).run();
}

QByteArray htmlBytesAsUtf8(QByteArrayView bytes)
{
    if (const auto mark = detectByteOrderMark(bytes)) {
        const QByteArrayView rest = bytes.sliced(mark->length);
        if (mark->encoding == TextEncoding::Utf8)
            return decodedAsUtf8(rest, {});
        return decode(rest, mark->encoding).toUtf8();
    }
    if (const auto declared = declaredHtmlCharset(bytes.first(qMin(bytes.size(), PrescanBytes))))
        return decodedAsUtf8(bytes, *declared);
    return decodedAsUtf8(bytes, isValidUtf8(bytes) ? HtmlCharset{}
                                                   : HtmlCharset{HtmlCharset::Windows1252, {}});
}

} // namespace Quillfen
