#pragma once

#include "CommandLineOptions.h"
#include "extract/RowSink.h"
#include "extract/Utf8Paragraphs.h"
#include "run/OrderedExtraction.h"

#include <QByteArray>
#include <QString>

namespace Quillfen {

// One file's rows in the chosen format, collected in a large buffer and
// handed on in big blocks.
class OutputWriter final : public RowSink, public Utf8RowSink
{
public:
    OutputWriter(OutputChunks &device, OutputFormat format);

    // Rows after this are the file's, numbered from 1.
    void setFile(const QString &path);
    void append(QStringView row) override;
    void appendUtf8Row(QByteArrayView row) override { appendRowBytes(row, true); }
    void appendUtf8RowWithoutBreaks(QByteArrayView row) override { appendRowBytes(row, false); }
    char *rowRoom(qsizetype size) override;
    void appendRowWritten(qsizetype size) override;
    // The lines format writes each line break as one space.
    bool joinsLineBreaks() const override { return m_format == OutputFormat::Lines; }
    // A file's whole text, as UTF-8.
    void appendText(QStringView text, bool nulAfter);

    // What is not written yet, handed over whole.
    QByteArray takeOutput() { return std::exchange(m_buffer, QByteArray()); }
    bool flush();
    bool failed() const { return m_failed; }

private:
    static constexpr qsizetype FlushBytes = 1 << 20;

    void beginJsonRow();
    bool writesRecords() const
    {
        return m_format == OutputFormat::Csv || m_format == OutputFormat::Tsv;
    }
    void appendRecord(QByteArrayView row);
    // mayHoldBreaks: the lines format looks for line breaks in it.
    void appendRowBytes(QByteArrayView row, bool mayHoldBreaks);
    void endRow();
    void writeInSlices(QStringView row);

    OutputChunks &m_device;
    OutputFormat m_format;
    QByteArray m_buffer;
    QByteArray m_jsonFile;
    qint64 m_rowNumber = 0; // rows written for the file, for json's "n"
    QByteArray m_file;      // the path as UTF-8, for csv and tsv
    QByteArray m_row;       // a row encoded, for csv and tsv
    bool m_failed = false;
    qsizetype m_roomAt = 0; // where the room of rowRoom starts
};

// True when bytes hold a CR or an LF.
bool holdsLineBreak(QByteArrayView bytes);
// Rewrites bytes from from on so that each line break (CR LF, a lone CR or
// a lone LF) is one space: a row of the lines format is one line.
void joinLines(QByteArray &bytes, qsizetype from);
// Appends row to bytes, each of its line breaks as one space.
void appendJoinedLines(QByteArray &bytes, QByteArrayView row);

} // namespace Quillfen
