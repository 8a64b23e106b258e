#include "PdfObjectClaims.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <optional>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// poppler keeps about 80 bytes for each object number it makes room for
// (4 million cost 330 MB, measured) and 16 bytes more for each page a
// linearized file claims. Any PDF may claim room for 2^20 (80 MB); more
// only as far as its bytes could hold that many objects, 8 bytes each at
// the least (real documents average several times that, even with
// compressed object streams), and never more than 2^22 (330 MB).
constexpr qint64 RoomForAnyPdf = qint64(1) << 20;
constexpr qint64 LeastBytesPerObject = 8;
constexpr qint64 MostRoom = qint64(1) << 22;

bool isWhite(char c)
{
    return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\v' || c == '\0';
}

bool isDelimiter(char c)
{
    return isWhite(c) || std::strchr("()<>[]{}/%", c) != nullptr;
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Reads integers and keywords from a place in the bytes, as poppler's
// lexer does (comments are white space).
class Tokens
{
public:
    Tokens(QByteArrayView bytes, qsizetype at) : m_bytes(bytes), m_at(at) {}

    // A plain number that fits an int (poppler takes any other as no count).
    std::optional<qint64> integer()
    {
        skipWhite();
        qsizetype at = m_at;
        const bool negative = at < m_bytes.size() && m_bytes[at] == '-';
        if (at < m_bytes.size() && (m_bytes[at] == '+' || m_bytes[at] == '-'))
            ++at;
        const qsizetype digits = at;
        qint64 value = 0;
        for (; at < m_bytes.size() && isDigit(m_bytes[at]); ++at)
            value = std::min<qint64>(value * 10 + (m_bytes[at] - '0'), qint64(INT_MAX) + 1);
        if (at == digits || value > INT_MAX || (at < m_bytes.size() && m_bytes[at] == '.'))
            return std::nullopt;
        m_at = at;
        return negative ? -value : value;
    }

    // The next run of regular characters (empty before a delimiter).
    QByteArrayView word()
    {
        skipWhite();
        const qsizetype start = m_at;
        while (m_at < m_bytes.size() && !isDelimiter(m_bytes[m_at]))
            ++m_at;
        return m_bytes.sliced(start, m_at - start);
    }

    bool take(char delimiter)
    {
        skipWhite();
        if (m_at >= m_bytes.size() || m_bytes[m_at] != delimiter)
            return false;
        ++m_at;
        return true;
    }

    qsizetype at() const { return m_at; }

private:
    void skipWhite()
    {
        while (m_at < m_bytes.size()) {
            if (m_bytes[m_at] == '%') {
                while (m_at < m_bytes.size() && m_bytes[m_at] != '\n' && m_bytes[m_at] != '\r')
                    ++m_at;
            } else if (isWhite(m_bytes[m_at])) {
                ++m_at;
            } else {
                break;
            }
        }
    }

    QByteArrayView m_bytes;
    qsizetype m_at;
};

// Calls found with the place of every occurrence of needle.
template <typename Found> void forEach(QByteArrayView bytes, QByteArrayView needle, Found &&found)
{
    const char *begin = bytes.data();
    const char *end = begin + bytes.size();
    for (const char *from = begin; from < end;) {
        const void *hit =
            memmem(from, std::size_t(end - from), needle.data(), std::size_t(needle.size()));
        if (!hit)
            return;
        const char *at = static_cast<const char *>(hit);
        found(qsizetype(at - begin));
        from = at + 1;
    }
}

// Calls found with the place after every occurrence of the PDF name
// (say "/Size", but not "/SizeX").
template <typename Found> void forEachName(QByteArrayView bytes, QByteArrayView name, Found &&found)
{
    forEach(bytes, name, [&](qsizetype at) {
        const qsizetype after = at + name.size();
        if (after == bytes.size() || isDelimiter(bytes[after]))
            found(after);
    });
}

class LargestClaim
{
public:
    // what makes the words only for a claim larger than any so far.
    template <typename What> void consider(qint64 count, What &&what)
    {
        if (count > m_claim.count)
            m_claim = {count, what()};
    }

    PdfRoomClaim claim() const { return m_claim; }

private:
    PdfRoomClaim m_claim;
};

QString number(qint64 value)
{
    return QString::number(value);
}

void sizes(QByteArrayView pdf, LargestClaim &largest)
{
    forEachName(pdf, "/Size", [&](qsizetype after) {
        if (const auto size = Tokens(pdf, after).integer())
            largest.consider(*size, [&]() -> QString { return u"/Size "_s + number(*size); });
    });
}

// A "first count" pair, which makes room up to first + count; described by
// pattern ("%1 %2") when it is the largest claim. The count, or nothing when
// no such pair comes next.
std::optional<qint64> claimedRange(Tokens &tokens, LargestClaim &largest, const QString &pattern)
{
    const auto first = tokens.integer();
    const auto count = first ? tokens.integer() : std::nullopt;
    if (!count || *first < 0 || *count < 0)
        return std::nullopt;
    largest.consider(*first + *count, [&]() -> QString { return pattern.arg(*first).arg(*count); });
    return count;
}

void indexPairs(QByteArrayView pdf, LargestClaim &largest)
{
    forEachName(pdf, "/Index", [&](qsizetype after) {
        Tokens tokens(pdf, after);
        if (!tokens.take('['))
            return;
        while (claimedRange(tokens, largest, u"/Index [%1 %2]"_s))
            continue;
    });
}

// A table's subsections ("first count" and count entries of "offset
// generation n|f"), up to its trailer or anything else.
void tableSubsections(QByteArrayView pdf, LargestClaim &largest)
{
    forEach(pdf, "xref", [&](qsizetype at) {
        const qsizetype after = at + 4;
        if ((at > 0 && !isDelimiter(pdf[at - 1])) ||
            (after < pdf.size() && !isDelimiter(pdf[after])))
            return; // "startxref", or a longer word
        Tokens tokens(pdf, after);
        while (const auto count =
                   claimedRange(tokens, largest, u"cross-reference subsection %1 %2"_s)) {
            for (qint64 entry = 0; entry < *count; ++entry) {
                const bool offset = tokens.integer().has_value();
                if (!offset || !tokens.integer())
                    return;
                const QByteArrayView kind = tokens.word();
                if (kind != "n" && kind != "f")
                    return;
            }
        }
    });
}

// "N G obj" anywhere: a table rebuilt from the objects found makes room
// up to the next multiple of 256 above N. It reads the file in lines of
// 255 bytes, which may cut a number; a cut one is smaller, but a run of
// ten digits or more may stand for any number.
void objectNumbers(QByteArrayView pdf, LargestClaim &largest)
{
    forEach(pdf, "obj", [&](qsizetype at) {
        qsizetype p = at;
        const auto skipBack = [&](auto &&test) {
            const qsizetype end = p;
            while (p > 0 && test(pdf[p - 1]))
                --p;
            return end - p;
        };
        if (!skipBack(isWhite) || !skipBack(isDigit) || !skipBack(isWhite))
            return;
        const qsizetype end = p;
        const qsizetype digits = skipBack(isDigit);
        if (digits == 0)
            return;
        qint64 value = INT_MAX;
        if (digits < 10)
            value = pdf.sliced(p, end - p).toLongLong();
        if (value <= 0)
            return;
        largest.consider(std::min<qint64>(value + 256, INT_MAX) & ~qint64(255), [&]() -> QString {
            return u"object number "_s + QString::fromLatin1(pdf.sliced(p, end - p));
        });
    });
}

// A linearized file's first object is a dictionary with /Linearized in it,
// whose /N poppler takes for the page count.
void linearizedPages(QByteArrayView pdf, LargestClaim &largest)
{
    Tokens tokens(pdf, 0);
    if (!tokens.integer() || !tokens.integer() || tokens.word() != "obj")
        return;
    QByteArrayView dictionary = pdf.sliced(tokens.at());
    dictionary = dictionary.first(std::min<qsizetype>(dictionary.size(), 4096));
    if (const qsizetype end = dictionary.indexOf("endobj"); end >= 0)
        dictionary.truncate(end);
    bool linearized = false;
    forEachName(dictionary, "/Linearized", [&](qsizetype) { linearized = true; });
    if (!linearized)
        return;
    forEachName(dictionary, "/N", [&](qsizetype after) {
        if (const auto pages = Tokens(dictionary, after).integer())
            largest.consider(*pages, [&]() -> QString {
                return u"linearized page count /N "_s + number(*pages);
            });
    });
}

} // namespace

PdfRoomClaim largestRoomClaim(QByteArrayView pdf)
{
    LargestClaim largest;
    sizes(pdf, largest);
    indexPairs(pdf, largest);
    tableSubsections(pdf, largest);
    objectNumbers(pdf, largest);
    linearizedPages(pdf, largest);
    return largest.claim();
}

qint64 objectRoomAllowed(qint64 bytes)
{
    return std::clamp(bytes / LeastBytesPerObject, RoomForAnyPdf, MostRoom);
}

} // namespace Quillfen
