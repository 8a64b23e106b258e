#include "RowOutput.h"

#include "results/RowEncoding.h"

#include <charconv>
#include <cstring>

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

void OutputWriter::appendUtf8Row(QByteArrayView row)
{
    if (m_format == OutputFormat::Json) {
        beginJsonRow();
        appendJsonString(m_buffer, row);
    } else if (writesRecords()) {
        appendRecord(row);
    } else if (row.size() > FlushBytes) {
        flush();
        QByteArray joined;
        if (m_format == OutputFormat::Lines && holdsLineBreak(row)) {
            joined = row.toByteArray();
            joinLines(joined, 0);
            row = joined;
        }
        if (m_device.write(row.data(), row.size()) != row.size())
            m_failed = true;
    } else {
        const qsizetype from = m_buffer.size();
        m_buffer.append(row);
        if (m_format == OutputFormat::Lines)
            joinLines(m_buffer, from);
    }
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

bool holdsLineBreak(QByteArrayView bytes)
{
    const auto size = std::size_t(bytes.size());
    return std::memchr(bytes.data(), '\n', size) || std::memchr(bytes.data(), '\r', size);
}

void joinLines(QByteArray &bytes, qsizetype from)
{
    if (!holdsLineBreak(QByteArrayView(bytes).sliced(from)))
        return;
    char *const s = bytes.data();
    const qsizetype n = bytes.size();
    qsizetype out = from;
    for (qsizetype i = from; i < n; ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            s[out++] = ' ';
            if (s[i] == '\r' && i + 1 < n && s[i + 1] == '\n')
                ++i;
        } else {
            s[out++] = s[i];
        }
    }
    bytes.truncate(out);
}

} // namespace Quillfen
