#include "PopplerMessages.h"

#include <QByteArray>
#include <charconv>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

int hexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

// "<0a>" back to its byte.
QByteArray unescaped(std::string_view text)
{
    QByteArray bytes;
    bytes.reserve(qsizetype(text.size()));
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '<' && i + 3 < text.size() && text[i + 3] == '>') {
            const int high = hexDigit(text[i + 1]);
            const int low = hexDigit(text[i + 2]);
            if (high >= 0 && low >= 0) {
                bytes += char(high * 16 + low);
                i += 3;
                continue;
            }
        }
        bytes += text[i];
    }
    return bytes;
}

QString withControlsNamed(const QString &text)
{
    QString named;
    named.reserve(text.size());
    for (const QChar c : text) {
        const ushort u = c.unicode();
        if (u < 0x20 || (u >= 0x7f && u < 0xa0))
            named += u"U+"_s + QString::number(u, 16).toUpper().rightJustified(4, u'0');
        else
            named += c;
    }
    return named;
}

} // namespace

QString readablePopplerMessage(std::string_view message)
{
    long long place = -1;
    constexpr std::string_view Lead = "error";
    if (message.starts_with(Lead)) {
        std::string_view rest = message.substr(Lead.size());
        if (rest.starts_with(" (")) {
            const char *end = rest.data() + rest.size();
            const auto [after, error] = std::from_chars(rest.data() + 2, end, place);
            if (error == std::errc() && std::string_view(after, end).starts_with("): "))
                message = std::string_view(after + 3, end);
            else
                place = -1;
        } else if (rest.starts_with(": ")) {
            message = rest.substr(2);
        }
    }
    QString text = withControlsNamed(QString::fromUtf8(unescaped(message))).trimmed();
    if (place >= 0)
        text += u" (at byte "_s + QString::number(place) + u')';
    return text;
}

} // namespace Quillfen
