#pragma once

#include "extract/RunChoices.h"

#include <QStringList>
#include <optional>
#include <vector>

namespace Quillfen {

enum class OutputFormat { Lines, Json, Text, Csv, Tsv };

// A file that names input files: --files-from (a name a line) or
// --files0-from (names ended by NUL bytes). "-" is standard input.
struct InputList
{
    enum Separator { Lines, Nul };
    QString path;
    Separator separator = Lines;
};

// What quillfen-cli's arguments ask for.
struct Options
{
    // The mode, filter, encoding and OCR; the abbreviations are made into
    // its shield once the list is known.
    RunChoices choices;
    std::optional<QStringList> abbreviations; // none: the stored list
    OutputFormat format = OutputFormat::Lines;
    QString outputPath;
    QStringList files;
    // Their files come after files, list after list.
    std::vector<InputList> inputLists;
    bool text = false;     // each file's whole text instead of rows
    bool nulAfter = false; // -0: a NUL byte after each file's text
    bool help = false;
    bool version = false;
    bool bashCompletion = false;
    QStringList folderPatterns{QStringLiteral("*.*")}; // files taken from folders
    bool followLinks = false; // in folders, links that lead outside them too
    bool listInputs = false;
    int jobs = 0; // 0: one per processor
};

struct UsageError
{
    QString message;
};

// What the shell offers for an option's value.
enum class ValueCompletion {
    Nothing,     // free text
    Choices,     // one of the option's values; others are a usage error
    Suggestions, // the option's values, though any text is taken
    FileName,
    Count, // 1 up to the number of processors
};

// The options as parsed so far, and what the rules between them need.
struct ParseState
{
    Options options;
    QStringList containing; // the filter's terms, each as given
    QStringList notContaining;
    TermMatching matching;
    bool formatSet = false;
    bool extensionSet = false;
};

// One option on the command line: its value is taken from the arguments
// only when asked for, so a handler may refuse the option before that.
class OptionOccurrence
{
public:
    virtual ~OptionOccurrence() = default;
    // The option as given, without an "=VALUE".
    virtual const QString &spelling() const = 0;
    // The value after "=" or the next argument; throws a UsageError when
    // there is none or it is not one of the option's choices.
    virtual QString value() = 0;
};

struct CommandLineOption
{
    enum Flag {
        Repeatable = 1, // each occurrence adds to the ones before
        Standalone = 2, // shows something and ends the run: nothing follows
        Hidden = 4,     // for the build, left out of --help and the completion
    };

    QString shortName{}; // "-o", or empty
    QString longName{};  // "--output", or empty
    QString valueName{}; // "FILE"; empty when the option takes no value
    QString help{};      // its lines in --help, joined by "\n"
    ValueCompletion completion = ValueCompletion::Nothing;
    QStringList values{}; // for Choices and Suggestions
    int flags = 0;
    void (*apply)(ParseState &state, OptionOccurrence &occurrence) = nullptr;

    bool takesValue() const { return !valueName.isEmpty(); }
    bool has(Flag flag) const { return (flags & flag) != 0; }
    QStringList names() const; // the short name, then the long one
};

// Every option of quillfen-cli, in the order --help lists them.
const std::vector<CommandLineOption> &commandLineOptions();

// Throws a UsageError with the message to show.
Options parseArguments(const QStringList &arguments);

QString commandLineHelp();
QString bashCompletion();

// The text that --help, --version and the like show instead of a run.
std::optional<QString> shownInsteadOfRun(const Options &options);

} // namespace Quillfen
