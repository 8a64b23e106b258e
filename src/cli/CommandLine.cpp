#include "CommandLine.h"

#include "CommandLineOptions.h"
#include "OrderedExtraction.h"
#include "abbrev/AbbreviationStore.h"
#include "core/ReportingProcedure.h"
#include "core/SettingsStore.h"
#include "extract/ExtractionRun.h"
#include "extract/FileExtraction.h"
#include "inputs/adding/TreeFiles.h"
#include "platform/Failure.h"
#include "platform/OutputFile.h"
#include "results/RowEncoding.h"

#include <QThread>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

// Collects output in a large buffer and writes it in big blocks.
class OutputWriter final : public RowSink, public Utf8RowSink
{
public:
    OutputWriter(OutputChunks &device, OutputFormat format) : m_device(device), m_format(format)
    {
        m_buffer.reserve(FlushBytes + 4096);
    }

    void setFile(const QString &path)
    {
        m_jsonFile.clear();
        appendJsonString(m_jsonFile, path);
    }

    void append(QStringView row) override
    {
        if (m_format == OutputFormat::Json) {
            beginJsonRow();
            appendJsonString(m_buffer, row);
        } else if (row.size() > FlushBytes) {
            writeInSlices(row);
        } else {
            appendUtf8(m_buffer, row);
        }
        endRow();
    }

    void appendUtf8Row(QByteArrayView row) override
    {
        if (m_format == OutputFormat::Json) {
            beginJsonRow();
            appendJsonString(m_buffer, row);
        } else if (row.size() > FlushBytes) {
            flush();
            if (m_device.write(row.data(), row.size()) != row.size())
                m_failed = true;
        } else {
            m_buffer.append(row);
        }
        endRow();
    }

    // A file's whole text, as UTF-8.
    void appendText(QStringView text, bool nulAfter)
    {
        appendUtf8(m_buffer, text);
        if (nulAfter)
            m_buffer.append('\0');
        if (m_buffer.size() >= FlushBytes)
            flush();
    }

    // What is not written yet, handed over whole.
    QByteArray takeOutput() { return std::exchange(m_buffer, QByteArray()); }

    bool flush()
    {
        // The buffer is handed over as the chunk, not copied into one.
        if (!m_buffer.isEmpty()) {
            m_device.hand(std::exchange(m_buffer, QByteArray()));
            m_buffer.reserve(FlushBytes + 4096);
        }
        return !m_failed;
    }
    bool failed() const { return m_failed; }

private:
    static constexpr qsizetype FlushBytes = 1 << 20;

    void beginJsonRow()
    {
        m_buffer.append("{\"file\": ");
        m_buffer.append(m_jsonFile);
        m_buffer.append(", \"text\": ");
    }

    void endRow()
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
        }
        if (m_buffer.size() >= FlushBytes)
            flush();
    }

    // A row longer than the buffer goes out encoded a slice at a time, so
    // that a row of a gigabyte is not held a second time as UTF-8.
    void writeInSlices(QStringView row)
    {
        flush();
        for (qsizetype from = 0; from < row.size();) {
            qsizetype length = std::min(FlushBytes, row.size() - from);
            if (from + length < row.size() && row[from + length - 1].isHighSurrogate())
                --length; // a pair stays whole
            appendUtf8(m_buffer, row.sliced(from, length));
            flush();
            from += length;
        }
    }

    OutputChunks &m_device;
    OutputFormat m_format;
    QByteArray m_buffer;
    QByteArray m_jsonFile;
    bool m_failed = false;
};

std::optional<FileFailure> writeFileText(const QString &path, bool nulAfter, HtmlTextSource &html,
                                         OutputWriter &writer)
{
    QStringList texts;
    try {
        texts = readInputFile(path, html);
    } catch (...) {
        return FileFailure{path, describeCurrentException()};
    }
    writer.appendText(texts.join(QString()), nulAfter);
    return std::nullopt;
}

void writeError(QIODevice &err, const QString &text)
{
    QByteArray bytes;
    appendUtf8(bytes, text);
    err.write(bytes);
}

// One line on standard error for each failure, as Unix tools write them.
QString errorLine(const QString &line)
{
    return u"quillfen-cli: "_s + line + u'\n';
}

// The folder walk's failures.
class StreamReports final : public FailureReports
{
public:
    explicit StreamReports(QIODevice &err) : m_err(err) {}
    void failed(const QString &, int, const QString &description) override
    {
        ++reports;
        writeError(m_err, errorLine(failureLine({QString(), description})));
    }
    int reports = 0;

private:
    QIODevice &m_err;
};

} // namespace

int runCommandLine(const QStringList &arguments, CommandLineStreams streams,
                   SettingsArea &settingsArea, HtmlTextSource &html)
{
    Options options;
    try {
        options = parseArguments(arguments);
    } catch (const UsageError &error) {
        writeError(streams.err,
                   u"quillfen-cli: "_s + error.message + u" (try quillfen-cli --help)\n"_s);
        return 2;
    }
    if (const auto shown = shownInsteadOfRun(options)) {
        writeError(streams.out, *shown);
        return 0;
    }

    QStringList entries;
    if (options.abbreviations) {
        entries = *options.abbreviations;
    } else {
        SettingsStore store(settingsArea);
        entries = extractionAbbreviations(storedAbbreviations(store));
    }
    const AbbreviationShield shield(entries);

    std::optional<OutputFile> outputFile;
    QIODevice *out = &streams.out;
    if (!options.outputPath.isEmpty()) {
        outputFile.emplace(options.outputPath);
        if (!outputFile->open()) {
            writeError(streams.err, u"quillfen-cli: cannot write "_s + options.outputPath +
                                        u": "_s + outputFile->errorString() + u'\n');
            return 1;
        }
        out = &outputFile->device();
    }

    StreamReports walkReports(streams.err);
    StringListTarget inputs;
    FolderWalk walk(walkReports, nullptr);
    AddDroppedPaths(options.files, inputs, walk, options.folderPattern);
    if (options.listInputs) {
        QByteArray list;
        for (const QString &path : std::as_const(inputs.rows)) {
            appendUtf8(list, path);
            list.append('\n');
        }
        if (out->write(list) != list.size() || (outputFile && !outputFile->commit())) {
            writeError(streams.err,
                       u"quillfen-cli: the output could not be written completely\n"_s);
            return 1;
        }
        return walkReports.reports > 0 ? 1 : 0;
    }

    bool anyFailure = walkReports.reports > 0;
    const qsizetype total = inputs.rows.size();
    const FileWork work = [&](const QString &path, OutputChunks &output) {
        OutputWriter writer(output, options.format);
        writer.setFile(path);
        auto failure = options.text ? writeFileText(path, options.nulAfter, html, writer)
                                    : extractFileAsUtf8(path, options.mode, shield, options.filter,
                                                        html, writer, writer);
        output.hand(writer.takeOutput());
        return failure;
    };
    OrderedReports reports;
    reports.starting = [&](qsizetype i) {
        if (streams.errIsTerminal) {
            writeError(streams.err, u"\r\x1b[KProcessing: "_s + FileNameOfPath(inputs.rows[i]) +
                                        u" ("_s + QString::number(i + 1) + u'/' +
                                        QString::number(total) + u')');
        }
    };
    reports.failed = [&](qsizetype, const FileFailure &failure) {
        anyFailure = true;
        if (streams.errIsTerminal)
            writeError(streams.err, u"\r\x1b[K"_s);
        writeError(streams.err, errorLine(failureLine(failure)));
    };
    const int jobs = options.jobs > 0 ? options.jobs : QThread::idealThreadCount();
    const bool extracted = extractInOrder(inputs.rows, jobs, *out, work, reports);
    if (streams.errIsTerminal)
        writeError(streams.err, u"\r\x1b[K"_s);

    const bool written = extracted && (!outputFile || outputFile->commit());
    if (!written) {
        writeError(streams.err, u"quillfen-cli: the output could not be written completely\n"_s);
        return 1;
    }
    return anyFailure ? 1 : 0;
}

} // namespace Quillfen
