#include "CommandLine.h"

#include "CommandLineOptions.h"
#include "InputLists.h"
#include "RowOutput.h"
#include "abbrev/AbbreviationStore.h"
#include "core/ReportingProcedure.h"
#include "core/SettingsStore.h"
#include "extract/FileExtraction.h"
#include "inputs/adding/TreeFiles.h"
#include "platform/EscapedText.h"
#include "platform/Failure.h"
#include "platform/OutputFile.h"
#include "reading/IncompleteText.h"
#include "reading/documents/DocumentFormats.h"
#include "reading/encodings/TextFileDecoding.h"
#include "results/RowEncoding.h"
#include "run/OrderedExtraction.h"
#include "run/RunSummary.h"

#include <QThread>
#include <mutex>
#include <optional>
#include <utility>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

std::optional<FileFailure> writeFileText(const QString &path, bool nulAfter,
                                         const ReadingChoices &choices, OutputWriter &writer)
{
    QString text;
    std::optional<FileFailure> failure;
    try {
        text = readDocumentText(path, choices);
    } catch (const IncompleteText &partial) {
        text = partial.text();
        failure = FileFailure{path, partial.description()};
    } catch (...) {
        return FileFailure{path, describeCurrentException()};
    }
    writer.appendText(text, nulAfter);
    return failure;
}

// Standard input, read whole at its turn. It is text, whatever it holds.
class StandardInput
{
public:
    explicit StandardInput(QIODevice *device) : m_device(device) {}

    std::optional<FileFailure> read(QByteArray &bytes)
    {
        const std::lock_guard lock(m_mutex);
        if (!m_device || !m_device->isReadable())
            return FileFailure{StandardInputName, u"Cannot read standard input"_s};
        bytes = m_device->readAll(); // a second "-" finds it at its end
        return std::nullopt;
    }

private:
    QIODevice *m_device;
    std::mutex m_mutex;
};

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

// The one report of output that could not be written: where it went and
// why, as the system says it.
QString outputFailure(const QString &name, const QString &reason)
{
    return errorLine(
        u"cannot write "_s + escapedText(name) + u": "_s +
        (reason.isEmpty() ? u"the output could not be written completely"_s : escapedText(reason)));
}

} // namespace

int runCommandLine(const QStringList &arguments, CommandLineStreams streams,
                   SettingsArea &settingsArea)
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
    // Paragraphs and whole texts use no abbreviation; making the shield
    // folds every entry and builds the tables of its search, a good part of
    // the start-up that a run of a small file waits for.
    if (options.choices.mode != ExtractMode::Paragraph && !options.text)
        options.choices.shield = AbbreviationShield(entries);
    const RunChoices &choices = options.choices;

    // The lists are read whole before the first file: one that cannot be
    // read leaves the run without its inputs, so nothing is extracted.
    QStringList paths = options.files;
    int listProblems = 0;
    for (const InputList &list : options.inputLists) {
        try {
            const ListedPaths listed = readInputList(list, streams.in);
            paths << listed.paths;
            for (const QString &problem : listed.problems)
                writeError(streams.err, errorLine(escapedText(problem)));
            listProblems += int(listed.problems.size());
        } catch (...) {
            writeError(streams.err, errorLine(escapedText(describeCurrentException())));
            return 1;
        }
    }

    std::optional<OutputFile> outputFile;
    QIODevice *out = &streams.out;
    if (!options.outputPath.isEmpty()) {
        outputFile.emplace(options.outputPath);
        if (!outputFile->open()) {
            writeError(streams.err, outputFailure(options.outputPath, outputFile->errorString()));
            return 1;
        }
        out = &outputFile->device();
    }

    const QString outputName = outputFile ? options.outputPath : u"standard output"_s;
    StreamReports walkReports(streams.err);
    StringListTarget inputs;
    FolderWalk walk(walkReports, nullptr);
    walk.setFollowLinks(options.followLinks);
    addPathsInOrder(paths, inputs, walk, options.folderPatterns);
    // A notice, not a failure: the run reads what it was meant to.
    for (const QString &link : walk.linksNotFollowed())
        writeError(streams.err,
                   errorLine(linkNotFollowedLine(link) + u" (--follow-links follows it)"_s));
    if (options.listInputs) {
        QByteArray list;
        for (const QString &path : std::as_const(inputs.rows)) {
            appendUtf8(list, path);
            list.append('\n');
        }
        if (out->write(list) != list.size()) {
            writeError(streams.err, outputFailure(outputName, out->errorString()));
            return 1;
        }
        if (outputFile && !outputFile->commit()) {
            writeError(streams.err, outputFailure(outputName, outputFile->errorString()));
            return 1;
        }
        return walkReports.reports + listProblems > 0 ? 1 : 0;
    }

    bool anyFailure = walkReports.reports + listProblems > 0;
    const qsizetype total = inputs.rows.size();
    StandardInput standardInput(streams.in);
    const FileWork work = [&](const QString &path, OutputChunks &output) {
        OutputWriter writer(output, options.format);
        writer.setFile(path);
        std::optional<FileFailure> failure;
        if (path == StandardInputName) {
            QByteArray bytes;
            failure = standardInput.read(bytes);
            try {
                if (!failure && options.text)
                    writer.appendText(decodeTextOfFile(path, bytes, choices.reading.encoding),
                                      options.nulAfter);
                else if (!failure)
                    extractTextBytes(path, bytes, choices, writer, writer);
            } catch (...) {
                failure = FileFailure{path, describeCurrentException()};
            }
        } else {
            failure = options.text ? writeFileText(path, options.nulAfter, choices.reading, writer)
                                   : extractFileAsUtf8(path, choices, writer, writer);
        }
        output.hand(writer.takeOutput());
        return failure;
    };
    // A progress line on the screen where the rows go would mix into them.
    const bool showProgress =
        streams.errIsTerminal && (!streams.outIsTerminal || outputFile.has_value());
    OrderedReports reports;
    reports.starting = [&](qsizetype i) {
        if (showProgress) {
            writeError(streams.err,
                       u"\r\x1b[KProcessing: "_s + escapedText(fileNameOfPath(inputs.rows[i])) +
                           u" ("_s + QString::number(i + 1) + u'/' + QString::number(total) + u')');
        }
    };
    reports.failed = [&](qsizetype, const FileFailure &failure) {
        anyFailure = true;
        if (showProgress)
            writeError(streams.err, u"\r\x1b[K"_s);
        writeError(streams.err, errorLine(failureLine(failure)));
    };
    const int jobs = options.jobs > 0 ? options.jobs : QThread::idealThreadCount();
    bool headerWritten = true;
    if (options.format == OutputFormat::Csv || options.format == OutputFormat::Tsv) {
        QByteArray header;
        appendRecordHeader(header,
                           options.format == OutputFormat::Csv ? RecordForm::Csv : RecordForm::Tsv);
        headerWritten = out->write(header) == header.size();
    }
    // The run stops at the first write that fails: whatever it read after
    // could not be written either.
    const bool extracted = headerWritten && extractInOrder(inputs.rows, jobs, *out, work, reports);
    if (showProgress)
        writeError(streams.err, u"\r\x1b[K"_s);
    if (!extracted) {
        writeError(streams.err, outputFailure(outputName, out->errorString()));
        return 1;
    }
    if (outputFile && !outputFile->commit()) {
        writeError(streams.err, outputFailure(outputName, outputFile->errorString()));
        return 1;
    }
    return anyFailure ? 1 : 0;
}

} // namespace Quillfen
