#include "RowOutput.h"

#include "results/RowEncoding.h"

#include <charconv>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace Quillfen {

OutputWriter::OutputWriter(OutputChunks &device, OutputFormat format)
    : m_device(device), m_format(format)
{
    m_buffer.reserve(FlushBytes + 4096);
}

void OutputWriter::setFile(const QString &path)
{
    m_jsonFile.clear();
    appendJsonString(m_jsonFile, path);
    m_rowNumber = 0;
    m_file.clear();
    appendUtf8(m_file, path);
}

void OutputWriter::appendRecord(QByteArrayView row)
{
    Quillfen::appendRecord(
        m_buffer, m_format == OutputFormat::Csv ? RecordForm::Csv : RecordForm::Tsv, m_file, row);
}

void OutputWriter::append(QStringView row)
{
    if (m_format == OutputFormat::Json) {
        beginJsonRow();
        appendJsonString(m_buffer, row);
    } else if (writesRecords()) {
        m_row.resize(0);
        appendUtf8(m_row, row);
        appendRecord(m_row);
    } else if (row.size() > FlushBytes) {
        writeInSlices(row);
    } else {
        const qsizetype from = m_buffer.size();
        appendUtf8(m_buffer, row);
        if (m_format == OutputFormat::Lines)
            joinLines(m_buffer, from);
    }
    endRow();
}

void OutputWriter::appendRowBytes(QByteArrayView row, bool mayHoldBreaks)
{
    const bool joins = m_format == OutputFormat::Lines && mayHoldBreaks;
    if (m_format == OutputFormat::Json) {
        beginJsonRow();
        appendJsonString(m_buffer, row);
    } else if (writesRecords()) {
        appendRecord(row);
    } else if (row.size() > FlushBytes) {
        flush();
        QByteArray joined;
        if (joins && holdsLineBreak(row)) {
            joined.reserve(row.size());
            appendJoinedLines(joined, row);
            row = joined;
        }
        if (m_device.write(row.data(), row.size()) != row.size())
            m_failed = true;
    } else {
        if (joins)
            appendJoinedLines(m_buffer, row);
        else
            m_buffer.append(row);
    }
    endRow();
}

char *OutputWriter::rowRoom(qsizetype size)
{
    // Rows as they stand are the lines format's; a long one goes in slices.
    if (m_format != OutputFormat::Lines || size > FlushBytes)
        return nullptr;
    m_roomAt = m_buffer.size();
    m_buffer.resize(m_roomAt + size);
    return m_buffer.data() + m_roomAt;
}

void OutputWriter::appendRowWritten(qsizetype size)
{
    m_buffer.truncate(m_roomAt + size);
    endRow();
}

void OutputWriter::appendText(QStringView text, bool nulAfter)
{
    appendUtf8(m_buffer, text);
    if (nulAfter)
        m_buffer.append('\0');
    if (m_buffer.size() >= FlushBytes)
        flush();
}

bool OutputWriter::flush()
{
    // The buffer is handed over as the chunk, not copied into one.
    if (!m_buffer.isEmpty()) {
        m_device.hand(std::exchange(m_buffer, QByteArray()));
        m_buffer.reserve(FlushBytes + 4096);
    }
    return !m_failed;
}

void OutputWriter::beginJsonRow()
{
    m_buffer.append("{\"file\": ");
    m_buffer.append(m_jsonFile);
    m_buffer.append(", \"n\": ");
    char digits[24];
    const auto written = std::to_chars(digits, digits + sizeof digits, ++m_rowNumber);
    m_buffer.append(digits, written.ptr - digits);
    m_buffer.append(", \"text\": ");
}

void OutputWriter::endRow()
{
    switch (m_format) {
    case OutputFormat::Lines:
        m_buffer.append('\n');
        break;
    case OutputFormat::Text:
        m_buffer.append("\r\n", 2);
        break;
    case OutputFormat::Json:
        m_buffer.append("}\n");
        break;
    case OutputFormat::Csv:
    case OutputFormat::Tsv:
        break; // the record wrote its own end
    }
    if (m_buffer.size() >= FlushBytes)
        flush();
}

// A row longer than the buffer goes out encoded a slice at a time, so that
// a row of a gigabyte is not held a second time as UTF-8.
void OutputWriter::writeInSlices(QStringView row)
{
    flush();
    for (qsizetype from = 0; from < row.size();) {
        qsizetype length = std::min(FlushBytes, row.size() - from);
        // A surrogate pair, and a CR LF, stays whole.
        if (from + length < row.size() &&
            (row[from + length - 1].isHighSurrogate() ||
             (row[from + length - 1] == u'\r' && row[from + length] == u'\n')))
            --length;
        appendUtf8(m_buffer, row.sliced(from, length));
        if (m_format == OutputFormat::Lines)
            joinLines(m_buffer, 0);
        flush();
        from += length;
    }
}

namespace {

// The first CR or LF in [p, end), or end: sixteen bytes at a time, as most
// rows hold none and the others few.
const char *findLineBreak(const char *p, const char *end)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        const unsigned hits = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf))));
        if (hits != 0)
            return p + __builtin_ctz(hits);
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\r' || *p == '\n')
            return p;
    }
    return end;
}

// Copies [p, end) to out up to the first CR or LF and returns its place
// (or end), out moved past the copy; one pass, sixteen bytes at a time,
// the last sixteen of a row from begin read again rather than byte by
// byte. It may write up to 15 bytes past the copy, never past
// out + (end - p).
const char *copyUntilLineBreak(const char *begin, const char *p, const char *end, char *&out)
{
#if defined(__SSE2__)
    const __m128i cr = _mm_set1_epi8('\r');
    const __m128i lf = _mm_set1_epi8('\n');
    for (; end - p >= 16; p += 16, out += 16) {
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(p));
        _mm_storeu_si128(reinterpret_cast<__m128i *>(out), block);
        const unsigned hits = unsigned(
            _mm_movemask_epi8(_mm_or_si128(_mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf))));
        if (hits != 0) {
            const int before = __builtin_ctz(hits);
            out += before;
            return p + before;
        }
    }
    if (p != end && end - begin >= 16) {
        const char *const last = end - 16;
        const __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i *>(last));
        const unsigned hits = unsigned(_mm_movemask_epi8(_mm_or_si128(
                                  _mm_cmpeq_epi8(block, cr), _mm_cmpeq_epi8(block, lf)))) >>
                              (p - last);
        const qsizetype length = hits != 0 ? __builtin_ctz(hits) : end - p;
        std::memcpy(out, p, std::size_t(length));
        out += length;
        return p + length;
    }
#endif
    for (; p < end; ++p) {
        if (*p == '\r' || *p == '\n')
            return p;
        *out++ = *p;
    }
    return end;
}

// Past the line break at p: CR LF is one break.
const char *pastLineBreak(const char *p, const char *end)
{
    return p + (*p == '\r' && p + 1 < end && p[1] == '\n' ? 2 : 1);
}

} // namespace

bool holdsLineBreak(QByteArrayView bytes)
{
    const char *const end = bytes.data() + bytes.size();
    return findLineBreak(bytes.data(), end) != end;
}

void joinLines(QByteArray &bytes, qsizetype from)
{
    const char *end = bytes.constData() + bytes.size();
    const char *next = findLineBreak(bytes.constData() + from, end);
    if (next == end)
        return;
    // The text before the first break stays where it is; each run after a
    // break moves down over what the breaks gave up.
    const qsizetype first = next - bytes.constData();
    char *const s = bytes.data();
    end = s + bytes.size();
    char *out = s + first;
    const char *p = s + first;
    while (p != end) {
        p = pastLineBreak(p, end); // before the space may overwrite the break
        *out++ = ' ';
        next = findLineBreak(p, end);
        std::memmove(out, p, std::size_t(next - p));
        out += next - p;
        p = next;
    }
    bytes.truncate(out - s);
}

void appendJoinedLines(QByteArray &bytes, QByteArrayView row)
{
    // Joining never lengthens a row: room for it whole, then what it gives.
    const qsizetype at = bytes.size();
    bytes.resize(at + row.size());
    char *const start = bytes.data();
    char *out = start + at;
    const char *p = row.data();
    const char *const end = p + row.size();
    for (;;) {
        p = copyUntilLineBreak(row.data(), p, end, out);
        if (p == end)
            break;
        *out++ = ' ';
        p = pastLineBreak(p, end);
    }
    bytes.truncate(out - start);
}

} // namespace Quillfen
