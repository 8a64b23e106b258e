// Hand-written: QCommandLineParser would take -j4, -j=4, -o=FILE, --o and -output (bench/parts)
#include "CommandLineOptions.h"

#include "inputs/adding/FolderListing.h"
#include "reading/documents/PageOcr.h"
#include "reading/encodings/LegacyEncoding.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

using Option = CommandLineOption;

void addInputList(ParseState &state, OptionOccurrence &occurrence, InputList::Separator separator)
{
    state.options.inputLists.push_back({occurrence.value(), separator});
}

// Standard input can be read once: by "-" as a file or by one list.
void checkStandardInputReaders(const Options &options)
{
    QStringList readers;
    if (options.files.contains(u"-"_s))
        readers << u"\"-\""_s;
    for (const InputList &list : options.inputLists) {
        if (list.path == u"-"_s)
            readers << (list.separator == InputList::Nul ? u"--files0-from -"_s
                                                         : u"--files-from -"_s);
    }
    if (readers.size() > 1)
        throw UsageError{readers[0] + u" and "_s + readers[1] + u" both read standard input"_s};
}

std::vector<Option> makeOptions()
{
    using enum ValueCompletion;
    return {
        {.longName = u"--paragraphs"_s,
         .help = u"cut at empty lines and after each \"?\", which\n"
                 u"stays with the part before it (default)"_s,
         .apply = [](ParseState &s,
                     OptionOccurrence &) { s.options.choices.mode = ExtractMode::Paragraph; }},
        {.longName = u"--sentences"_s,
         .help = uR"(cut at "." outside the protected abbreviations
and after each "?")"_s,
         .apply = [](ParseState &s,
                     OptionOccurrence &) { s.options.choices.mode = ExtractMode::Sentence; }},
        {.longName = u"--smart-sentences"_s,
         .help = u"cut sentences as a reader sees them: . ? ! and\n"
                 u"\u2026 end them, numbers, initials, abbreviations,\n"
                 u"web addresses and list numbers do not"_s,
         .apply = [](ParseState &s,
                     OptionOccurrence &) { s.options.choices.mode = ExtractMode::SmartSentence; }},
        {.longName = u"--containing"_s,
         .valueName = u"TEXT"_s,
         .help = u"keep rows containing TEXT (repeatable: any\n"
                 u"of them)"_s,
         .flags = Option::Repeatable,
         .apply = [](ParseState &s, OptionOccurrence &o) { s.containing << o.value(); }},
        {.longName = u"--not-containing"_s,
         .valueName = u"TEXT"_s,
         .help = u"leave out rows containing TEXT (repeatable:\n"
                 u"any of them)"_s,
         .flags = Option::Repeatable,
         .apply = [](ParseState &s, OptionOccurrence &o) { s.notContaining << o.value(); }},
        {.shortName = u"-i"_s,
         .longName = u"--ignore-case"_s,
         .help = u"terms match in any letter case (Unicode case\n"
                 u"folding: \"\u00C9LODIE\" matches \"\u00E9lodie\")"_s,
         .apply = [](ParseState &s, OptionOccurrence &) { s.matching.matchCase = false; }},
        {.shortName = u"-w"_s,
         .longName = u"--word"_s,
         .help = u"terms match whole words: not touching a\n"
                 u"letter, digit or \"_\" on either side"_s,
         .apply = [](ParseState &s, OptionOccurrence &) { s.matching.wholeWords = true; }},
        {.shortName = u"-E"_s,
         .longName = u"--regex"_s,
         .help = u"each TEXT is a Perl-compatible regular\n"
                 u"expression, matched anywhere in the row"_s,
         .apply = [](ParseState &s, OptionOccurrence &) { s.matching.regularExpression = true; }},
        {.longName = u"--abbreviation"_s,
         .valueName = u"TEXT"_s,
         .help = u"protect TEXT (repeatable, in order; an empty\n"
                 u"TEXT is an empty entry that keeps its number)"_s,
         .flags = Option::Repeatable,
         .apply =
             [](ParseState &s, OptionOccurrence &o) {
                 if (!s.options.abbreviations)
                     s.options.abbreviations = QStringList();
                 *s.options.abbreviations << o.value();
             }},
        {.longName = u"--no-abbreviations"_s,
         .help = u"protect nothing\n(default: the list stored by the window)"_s,
         .apply = [](ParseState &s,
                     OptionOccurrence &) { s.options.abbreviations = QStringList(); }},
        {.longName = u"--format"_s,
         .valueName = u"FORMAT"_s,
         .help = uR"(lines: each row on one line, its inner line
breaks as spaces, then "\n" (default)
json: {"file": PATH, "n": N, "text": ROW} per
line, N counting the file's rows from 1
text: each row then CR LF, as the window saves
csv: "file,text", then a record a row (RFC 4180,
CR LF), as the window saves CSV
tsv: the same tab-separated, LF ends; \\, \t, \n
and \r in a field stand for \, tab, LF and CR)"_s,
         .completion = Choices,
         .values = {u"lines"_s, u"json"_s, u"text"_s, u"csv"_s, u"tsv"_s},
         .apply =
             [](ParseState &s, OptionOccurrence &o) {
                 const QString format = o.value();
                 s.formatSet = true;
                 s.options.format = format == u"json"_s   ? OutputFormat::Json
                                    : format == u"text"_s ? OutputFormat::Text
                                    : format == u"csv"_s  ? OutputFormat::Csv
                                    : format == u"tsv"_s  ? OutputFormat::Tsv
                                                          : OutputFormat::Lines;
             }},
        {.longName = u"--text"_s,
         .help = u"write each file's whole text, uncut and\n"
                 u"unfiltered, as UTF-8 (an HTML page as its\n"
                 u"rendered text, with CR LF line ends)"_s,
         .apply = [](ParseState &s, OptionOccurrence &) { s.options.text = true; }},
        {.shortName = u"-0"_s,
         .help = u"with --text: a NUL byte after each file's text"_s,
         .apply = [](ParseState &s, OptionOccurrence &) { s.options.nulAfter = true; }},
        {.shortName = u"-o"_s,
         .longName = u"--output"_s,
         .valueName = u"FILE"_s,
         .help = u"write there instead of standard output"_s,
         .completion = FileName,
         .apply = [](ParseState &s, OptionOccurrence &o) { s.options.outputPath = o.value(); }},
        {.longName = u"--extension"_s,
         .valueName = u"EXT"_s,
         .help = u"from folders take only files named *.EXT, as\n"
                 u"\"Add All File(s) In Folder\" does (* for all;\n"
                 u"repeatable, or several as \"txt;html\")"_s,
         .completion = Suggestions,
         .values = {u"txt"_s, u"htm"_s, u"html"_s},
         .flags = Option::Repeatable,
         .apply =
             [](ParseState &s, OptionOccurrence &o) {
                 if (!s.extensionSet)
                     s.options.folderPatterns.clear();
                 s.extensionSet = true;
                 s.options.folderPatterns << extensionPatterns(o.value());
             }},
        {.longName = u"--follow-links"_s,
         .help = u"in folders, also follow the symbolic links\n"
                 u"that lead outside the folder given (not\n"
                 u"followed by default, with a notice each)"_s,
         .apply = [](ParseState &s, OptionOccurrence &) { s.options.followLinks = true; }},
        {.longName = u"--encoding"_s,
         .valueName = u"NAME"_s,
         .help = u"read every text file as NAME (KOI8-R,\n"
                 u"windows-1251, ISO-8859-2, ...) instead of\n"
                 u"telling the encoding from its bytes"_s,
         .completion = Suggestions,
         .values = {u"UTF-8"_s, u"windows-1252"_s, u"windows-1251"_s, u"KOI8-R"_s, u"ISO-8859-2"_s,
                    u"Shift_JIS"_s, u"GB18030"_s},
         .apply =
             [](ParseState &s, OptionOccurrence &o) {
                 const QString name = o.value();
                 if (!isKnownEncodingName(name.toLatin1()))
                     throw UsageError{u"unknown encoding \""_s + name + u'"'};
                 s.options.choices.reading.encoding = name.toLatin1();
             }},
        {.longName = u"--files-from"_s,
         .valueName = u"FILE"_s,
         .help = u"also read the files and folders named in FILE,\n"
                 u"one a line, after the arguments (- for\n"
                 u"standard input; repeatable)"_s,
         .completion = FileName,
         .flags = Option::Repeatable,
         .apply = [](ParseState &s, OptionOccurrence &o) { addInputList(s, o, InputList::Lines); }},
        {.longName = u"--files0-from"_s,
         .valueName = u"FILE"_s,
         .help = u"the same with names ended by NUL bytes, as\n"
                 u"find -print0 writes them (repeatable)"_s,
         .completion = FileName,
         .flags = Option::Repeatable,
         .apply = [](ParseState &s, OptionOccurrence &o) { addInputList(s, o, InputList::Nul); }},
        {.longName = u"--list-inputs"_s,
         .help = u"print the input files, one path per line,\nand extract nothing"_s,
         .apply = [](ParseState &s, OptionOccurrence &) { s.options.listInputs = true; }},
        {.shortName = u"-j"_s,
         .longName = u"--jobs"_s,
         .valueName = u"N"_s,
         .help = u"read and cut N files at a time (default: one\n"
                 u"per processor); the output keeps the order"_s,
         .completion = Count,
         .apply =
             [](ParseState &s, OptionOccurrence &o) {
                 bool ok = false;
                 s.options.jobs = o.value().toInt(&ok);
                 if (!ok || s.options.jobs < 1)
                     throw UsageError{o.spelling() +
                                      u" needs a number of files at a time, 1 or more"_s};
             }},
        {.longName = u"--ocr"_s,
         .help = u"read pages that have no text layer (scans)\n"
                 u"by OCR, with Tesseract"_s,
         .apply = [](ParseState &s, OptionOccurrence &) { s.options.choices.reading.ocr = true; }},
        {.longName = u"--ocr-language"_s,
         .valueName = u"LANGS"_s,
         .help = u"the OCR models, as Tesseract names them:\n"
                 u"eng+deu (default eng; implies --ocr)"_s,
         .completion = Suggestions,
         .values = {u"eng"_s, u"deu"_s, u"fra"_s, u"spa"_s, u"eng+deu"_s},
         .apply =
             [](ParseState &s, OptionOccurrence &o) {
                 s.options.choices.reading.ocr = true;
                 s.options.choices.reading.ocrLanguages = o.value();
             }},
        {.longName = u"--document-timeout"_s,
         .valueName = u"S"_s,
         .help = u"stop reading a document after S seconds, keeping\n"
                 u"its text so far and telling so (default 60;\n"
                 u"0: no limit)"_s,
         .completion = Count,
         .apply =
             [](ParseState &s, OptionOccurrence &o) {
                 bool ok = false;
                 const double seconds = o.value().toDouble(&ok);
                 if (!ok || !(seconds >= 0) || seconds > 1e9)
                     throw UsageError{o.spelling() + u" needs a number of seconds, 0 or more"_s};
                 s.options.choices.reading.documentTimeout =
                     std::chrono::milliseconds(qint64(seconds * 1000.0 + 0.5));
             }},
        {.shortName = u"-h"_s,
         .longName = u"--help"_s,
         .help = u"show this help"_s,
         .flags = Option::Standalone,
         .apply = [](ParseState &s, OptionOccurrence &) { s.options.help = true; }},
        {.longName = u"--version"_s,
         .help = u"show the version"_s,
         .flags = Option::Standalone,
         .apply = [](ParseState &s, OptionOccurrence &) { s.options.version = true; }},
        {.longName = u"--bash-completion"_s,
         .help = u"print the bash completion script"_s,
         .flags = Option::Standalone | Option::Hidden,
         .apply = [](ParseState &s, OptionOccurrence &) { s.options.bashCompletion = true; }},
    };
}

const Option *findOption(const QString &spelling)
{
    for (const Option &option : commandLineOptions()) {
        if (spelling == option.shortName || spelling == option.longName)
            return &option;
    }
    return nullptr;
}

// "a, b or c"
QString listedChoices(const QStringList &values)
{
    if (values.size() < 2)
        return values.join(QString());
    return values.first(values.size() - 1).join(u", "_s) + u" or "_s + values.last();
}

class ArgumentCursor final : public OptionOccurrence
{
public:
    ArgumentCursor(const QStringList &arguments, qsizetype &index, const Option &option,
                   QString spelling, std::optional<QString> inlineValue)
        : m_arguments(arguments), m_index(index), m_option(option), m_spelling(std::move(spelling)),
          m_inlineValue(std::move(inlineValue))
    {}

    const QString &spelling() const override { return m_spelling; }

    QString value() override
    {
        if (!m_taken) {
            m_taken = true;
            if (m_inlineValue)
                m_value = *m_inlineValue;
            else if (m_index + 1 < m_arguments.size())
                m_value = m_arguments[++m_index];
            else
                throw UsageError{m_spelling + u" needs a value"_s};
            if (m_option.completion == ValueCompletion::Choices &&
                !m_option.values.contains(m_value)) {
                throw UsageError{u"unknown "_s + m_option.longName.mid(2) + u" \""_s + m_value +
                                 u"\" ("_s + listedChoices(m_option.values) + u')'};
            }
        }
        return m_value;
    }

private:
    const QStringList &m_arguments;
    qsizetype &m_index;
    const Option &m_option;
    QString m_spelling;
    std::optional<QString> m_inlineValue;
    QString m_value;
    bool m_taken = false;
};

// The option's forms and value as --help shows them: "-o, --output FILE".
QString helpHead(const Option &option)
{
    QString head = option.names().join(u", "_s);
    if (option.completion == ValueCompletion::Choices)
        head += u' ' + option.values.join(u'|');
    else if (option.takesValue())
        head += u' ' + option.valueName;
    return head;
}

QString shellWords(const QStringList &words)
{
    return u'\'' + words.join(u' ') + u'\'';
}

} // namespace

QStringList CommandLineOption::names() const
{
    QStringList names;
    if (!shortName.isEmpty())
        names << shortName;
    if (!longName.isEmpty())
        names << longName;
    return names;
}

const std::vector<CommandLineOption> &commandLineOptions()
{
    static const std::vector<CommandLineOption> options = makeOptions();
    return options;
}

Options parseArguments(const QStringList &arguments)
{
    ParseState state;
    Options &options = state.options;
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
        const Option *option = findOption(arg);
        if (!option)
            throw UsageError{u"unknown option "_s + arg};
        ArgumentCursor occurrence(arguments, i, *option, arg, std::move(inlineValue));
        option->apply(state, occurrence);
        if (option->takesValue())
            occurrence.value(); // taken even where the handler did not need it
    }
    options.choices.filter =
        LineFilter::ofTerms(state.containing, state.notContaining, state.matching);
    if (const auto problem = options.choices.filter.problem())
        throw UsageError{problem->message()};
    if (options.nulAfter && !options.text)
        throw UsageError{u"-0 goes with --text"_s};
    if (options.text && state.formatSet)
        throw UsageError{u"--text writes texts, not rows: leave out --format"_s};
    checkStandardInputReaders(options);
    if (options.choices.reading.ocr && !options.help && !options.version &&
        !options.bashCompletion) {
        if (const QString problem = ocrProblem(options.choices.reading.ocrLanguages);
            !problem.isEmpty())
            throw UsageError{problem};
    }
    if (!options.help && !options.version && !options.bashCompletion && options.files.isEmpty() &&
        options.inputLists.empty())
        throw UsageError{u"no input files"_s};
    return options;
}

QString commandLineHelp()
{
    constexpr qsizetype HelpColumn = 31;
    QString help = uR"(Usage: quillfen-cli [options] FILE|FOLDER...
  or:  quillfen-cli [options] --files-from LIST [FILE|FOLDER...]
Cuts the text of each file into paragraphs or sentences and prints the rows
that pass the filter, as the Quillfen window lists them. A FOLDER gives the
files in it and in every folder below it, as a folder dropped on the window
does (breadth first; names starting with "~" and hidden writable files are
left out). A FILE of "-" is standard input, read as text.

)"_s;
    for (const Option &option : commandLineOptions()) {
        if (option.has(Option::Hidden))
            continue;
        QString head = u"  "_s + helpHead(option);
        if (head.size() >= HelpColumn)
            head += u'\n' + QString(HelpColumn, u' ');
        help += head.leftJustified(HelpColumn) +
                option.help.split(u'\n').join(u'\n' + QString(HelpColumn, u' ')) + u'\n';
    }
    help += uR"(
Exit status: 0 when every file was read, 1 when a file could not be read,
2 for a usage error.

In both modes a "?" ends a piece: "Is it late? Yes." gives the rows
"Is it late?" and " Yes." (the space after the "?" starts the next row).

Example: quillfen-cli --sentences --containing Quillfen notes.txt page.html
)"_s;
    return help;
}

QString bashCompletion()
{
    QString valueArms;
    QStringList freeText;
    QStringList fileNames;
    QStringList standalone;
    QStringList words;
    for (const Option &option : commandLineOptions()) {
        if (option.has(Option::Hidden))
            continue;
        const QStringList names = option.names();
        words << names;
        if (option.has(Option::Standalone))
            standalone << names;
        if (!option.takesValue())
            continue;
        const QString pattern = u"        "_s + names.join(u" | "_s) + u")\n"_s;
        switch (option.completion) {
        case ValueCompletion::Nothing:
            freeText << names;
            break;
        case ValueCompletion::FileName:
            fileNames << names;
            break;
        case ValueCompletion::Choices:
        case ValueCompletion::Suggestions:
            valueArms += pattern + u"            COMPREPLY=($(compgen -W "_s +
                         shellWords(option.values) + u" -- \"$cur\"))\n"_s +
                         u"            return\n            ;;\n"_s;
            break;
        case ValueCompletion::Count:
            valueArms +=
                pattern +
                uR"sh(            COMPREPLY=($(compgen -W "$(seq 1 "$(nproc 2>/dev/null || echo 4)")" -- "$cur"))
            return
            ;;
)sh"_s;
            break;
        }
    }
    words << u"--"_s;
    auto arm = [](const QStringList &names, const QString &body) -> QString {
        if (names.isEmpty())
            return QString();
        return u"        "_s + names.join(u" | "_s) + u")\n"_s + body +
               u"            return\n            ;;\n"_s;
    };
    // Free text and what ends the command line complete nothing.
    const QString arms = valueArms + arm(fileNames, u"            _filedir\n"_s) +
                         arm(freeText, {}) + arm(standalone, {});
    return uR"(# bash completion for quillfen-cli                        -*- shell-script -*-
# Written by quillfen-cli --bash-completion from its option table.

_quillfen_cli()
{
    local cur prev words cword split
    # -s: "--format=json" completes as "--format json" does.
    _init_completion -s || return

    case $prev in
)"_s + arms +
           uR"(    esac
    $split && return

    local i
    for ((i = 1; i < cword; i++)); do
        if [[ ${words[i]} == -- ]]; then
            _filedir
            return
        fi
    done

    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W )"_s +
           shellWords(words) + uR"( -- "$cur"))
        return
    fi

    _filedir
} &&
    complete -F _quillfen_cli quillfen-cli

# ex: filetype=sh
)"_s;
}

std::optional<QString> shownInsteadOfRun(const Options &options)
{
    if (options.help)
        return commandLineHelp();
    if (options.version)
        return u"quillfen-cli "_s + QStringLiteral(QUILLFEN_VERSION) + u'\n';
    if (options.bashCompletion)
        return bashCompletion();
    return std::nullopt;
}

} // namespace Quillfen
