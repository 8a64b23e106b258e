#include "CommandLine.h"

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

enum class OutputFormat { Lines, Json, Text };

struct Options
{
    ExtractMode mode = ExtractMode::Paragraph;
    LineFilter filter;
    std::optional<QStringList> abbreviations; // none: the stored list
    OutputFormat format = OutputFormat::Lines;
    QString outputPath;
    QStringList files;
    bool text = false;     // each file's whole text instead of rows
    bool nulAfter = false; // -0: a NUL byte after each file's text
    bool help = false;
    bool version = false;
    QString folderPattern = QStringLiteral("*.*"); // files taken from folders
    bool listInputs = false;
    int jobs = 0; // 0: one per processor
};

struct UsageError
{
    QString message;
};

Options parseArguments(const QStringList &arguments)
{
    Options options;
    bool filterSet = false;
    bool formatSet = false;
    bool onlyFiles = false;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString arg = arguments[i];
        if (onlyFiles || arg == u"-"_s || !arg.startsWith(u'-')) {
            options.files << arg;
            continue;
        }
        if (arg == u"--"_s) {
            onlyFiles = true;
            continue;
        }
        std::optional<QString> inlineValue;
        if (arg.startsWith(u"--"_s)) {
            const qsizetype eq = arg.indexOf(u'=');
            if (eq > 0) {
                inlineValue = arg.mid(eq + 1);
                arg.truncate(eq);
            }
        }
        auto value = [&]() -> QString {
            if (inlineValue)
                return *inlineValue;
            if (i + 1 >= arguments.size())
                throw UsageError{arg + u" needs a value"_s};
            return arguments[++i];
        };
        auto setFilter = [&](LineFilterKind kind) {
            if (filterSet)
                throw UsageError{u"give at most one of --containing and --not-containing"_s};
            filterSet = true;
            options.filter = {kind, value()};
        };
        if (arg == u"--paragraphs"_s) {
            options.mode = ExtractMode::Paragraph;
        } else if (arg == u"--sentences"_s) {
            options.mode = ExtractMode::Sentence;
        } else if (arg == u"--containing"_s) {
            setFilter(LineFilterKind::Containing);
        } else if (arg == u"--not-containing"_s) {
            setFilter(LineFilterKind::NotContaining);
        } else if (arg == u"--abbreviation"_s) {
            if (!options.abbreviations)
                options.abbreviations = QStringList();
            *options.abbreviations << value();
        } else if (arg == u"--no-abbreviations"_s) {
            options.abbreviations = QStringList();
        } else if (arg == u"--format"_s) {
            const QString format = value();
            formatSet = true;
            if (format == u"lines"_s)
                options.format = OutputFormat::Lines;
            else if (format == u"json"_s)
                options.format = OutputFormat::Json;
            else if (format == u"text"_s)
                options.format = OutputFormat::Text;
            else
                throw UsageError{u"unknown format \""_s + format + u"\" (lines, json or text)"_s};
        } else if (arg == u"-o"_s || arg == u"--output"_s) {
            options.outputPath = value();
        } else if (arg == u"--extension"_s) {
            options.folderPattern = u"*."_s + value();
        } else if (arg == u"-j"_s || arg == u"--jobs"_s) {
            bool ok = false;
            options.jobs = value().toInt(&ok);
            if (!ok || options.jobs < 1)
                throw UsageError{arg + u" needs a number of files at a time, 1 or more"_s};
        } else if (arg == u"--list-inputs"_s) {
            options.listInputs = true;
        } else if (arg == u"--text"_s) {
            options.text = true;
        } else if (arg == u"-0"_s) {
            options.nulAfter = true;
        } else if (arg == u"-h"_s || arg == u"--help"_s) {
            options.help = true;
        } else if (arg == u"--version"_s) {
            options.version = true;
        } else {
            throw UsageError{u"unknown option "_s + arg};
        }
    }
    if (options.nulAfter && !options.text)
        throw UsageError{u"-0 goes with --text"_s};
    if (options.text && formatSet)
        throw UsageError{u"--text writes texts, not rows: leave out --format"_s};
    if (!options.help && !options.version && options.files.isEmpty())
        throw UsageError{u"no input files"_s};
    return options;
}

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

QString commandLineHelp()
{
    return uR"(Usage: quillfen-cli [options] FILE|FOLDER...
Cuts the text of each file into paragraphs or sentences and prints the rows
that pass the filter, as the Quillfen window lists them. A FOLDER gives the
files in it and in every folder below it, as a folder dropped on the window
does (breadth first; names starting with "~" and hidden writable files are
left out).

  --paragraphs                 cut at empty lines (default)
  --sentences                  cut at "." outside the protected abbreviations
  --containing TEXT            keep rows containing TEXT
  --not-containing TEXT        keep rows not containing TEXT
  --abbreviation TEXT          protect TEXT (repeatable, in order; an empty
                               TEXT is an empty entry that keeps its number)
  --no-abbreviations           protect nothing
                               (default: the list stored by the window)
  --format lines|json|text     lines: each row then "\n" (default)
                               json: {"file": PATH, "text": ROW} per line
                               text: each row then CR LF, as the window saves
  --text                       write each file's whole text, uncut and
                               unfiltered, as UTF-8 (an HTML page as its
                               rendered text, with CR LF line ends)
  -0                           with --text: a NUL byte after each file's text
  -o, --output FILE            write there instead of standard output
  --extension EXT              from folders take only files named *.EXT, as
                               "Add All File(s) In Folder" does (* for all)
  --list-inputs                print the input files, one path per line,
                               and extract nothing
  -j, --jobs N                 read and cut N files at a time (default: one
                               per processor); the output keeps the order
  -h, --help                   show this help
  --version                    show the version

Exit status: 0 when every file was read, 1 when a file could not be read,
2 for a usage error.

Example: quillfen-cli --sentences --containing Quillfen notes.txt page.html
)"_s;
}

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
    if (options.help) {
        writeError(streams.out, commandLineHelp());
        return 0;
    }
    if (options.version) {
        writeError(streams.out, u"quillfen-cli "_s + QStringLiteral(QUILLFEN_VERSION) + u'\n');
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
