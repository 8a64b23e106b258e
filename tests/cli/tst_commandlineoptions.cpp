// quillfen-cli's option table against what is written from it or beside it:
// the manual page, the README, --help and the bash completion; and what it
// writes on a terminal.

#include "CliRunner.h"
#include "MemorySettingsArea.h"
#include "TreeFixture.h"
#include "cli/CommandLine.h"
#include "cli/CommandLineOptions.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen::Testing;
using Quillfen::CommandLineOption;

namespace {

QString sourceFile(const QString &relative)
{
    QFile file(QStringLiteral(QUILLFEN_SOURCE_DIR) + u'/' + relative);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return QString::fromUtf8(file.readAll());
}

// "-o", "--output", "-0" and the like in text, in order of appearance.
QStringList optionNamesIn(const QString &text)
{
    static const QRegularExpression name(u"(?<![\\w-])--?[A-Za-z0-9][a-z0-9-]*"_s);
    QStringList names;
    for (const QRegularExpressionMatch &match : name.globalMatch(text))
        names << match.captured();
    return names;
}

struct Described
{
    QString head;      // where the options are named
    QString paragraph; // the whole description
};

// The manual page's OPTIONS section: a tagged paragraph per option.
QList<Described> manualPageOptions()
{
    QString page = sourceFile(u"packaging/quillfen-cli.1.in"_s);
    page.replace(u"\\-"_s, u"-"_s);
    const QString section = page.section(u"\n.SH OPTIONS\n"_s, 1).section(u"\n.SH "_s, 0, 0);
    QList<Described> options;
    for (const QString &paragraph : section.split(u".TP\n"_s, Qt::SkipEmptyParts))
        options.append({paragraph.section(u'\n', 0, 0), paragraph});
    return options;
}

// The README's table of options: a row per option.
QList<Described> readmeOptions()
{
    const QString readme = sourceFile(u"README.md"_s);
    const QString table = readme.section(u"| option | meaning |\n"_s, 1).section(u"\n\n"_s, 0, 0);
    QList<Described> options;
    for (const QString &row : table.split(u'\n')) {
        if (row.startsWith(u"|---"_s))
            continue;
        options.append({row.section(u" | "_s, 0, 0), row});
    }
    return options;
}

QStringList sorted(QStringList names)
{
    names.sort();
    names.removeDuplicates();
    return names;
}

struct Completed
{
    QStringList words;
    QByteArray err;
};

} // namespace

class CommandLineOptionsTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;

    QStringList visibleNames() const
    {
        QStringList names;
        for (const CommandLineOption &option : Quillfen::commandLineOptions()) {
            if (!option.has(CommandLineOption::Hidden))
                names << option.names();
        }
        return names;
    }

    // What bash offers for the last word of line, with the completion the
    // program writes, in m_tree.
    Completed complete(const QString &line)
    {
        QProcess bash;
        bash.setWorkingDirectory(m_tree.root());
        bash.start(u"bash"_s, {u"-c"_s, uR"sh(source /usr/share/bash-completion/bash_completion
eval "$("$0" --bash-completion)"
COMP_LINE=$1
COMP_POINT=${#COMP_LINE}
read -r -a COMP_WORDS <<<"$COMP_LINE"
[[ $COMP_LINE == *' ' ]] && COMP_WORDS+=('')
COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
_quillfen_cli
printf '%s\n' "${COMPREPLY[@]}")sh"_s,
                               cliProgram(), line});
        if (!bash.waitForFinished(30000))
            qFatal("bash did not finish");
        const QString out = QString::fromUtf8(bash.readAllStandardOutput());
        return {sorted(out.split(u'\n', Qt::SkipEmptyParts)), bash.readAllStandardError()};
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFile::exists(cliProgram()), qPrintable(cliProgram())); }

    // The progress line goes to a terminal only when the rows do not go to
    // the same screen, where it would mix into them.
    void progressLine_staysOffTheRowsScreen_data()
    {
        QTest::addColumn<bool>("errIsTerminal");
        QTest::addColumn<bool>("outIsTerminal");
        QTest::addColumn<bool>("shown");
        QTest::newRow("rows to a file or pipe") << true << false << true;
        QTest::newRow("rows to the same screen") << true << true << false;
        QTest::newRow("errors to a file") << false << false << false;
    }
    void progressLine_staysOffTheRowsScreen()
    {
        QFETCH(bool, errIsTerminal);
        QFETCH(bool, outIsTerminal);
        QFETCH(bool, shown);
        TreeFixture tree;
        const QString file = tree.write(u"p.txt"_s, "row");
        QBuffer out;
        QBuffer err;
        out.open(QIODevice::WriteOnly);
        err.open(QIODevice::WriteOnly);
        MemorySettingsArea settings;
        QCOMPARE(runCommandLine({file}, {out, err, errIsTerminal, outIsTerminal}, settings), 0);
        QCOMPARE(out.data(), QByteArray("row\n"));
        QCOMPARE(err.data().contains("Processing: p.txt"), shown);
    }

    void documents_nameEveryOption_data()
    {
        QTest::addColumn<QList<Described>>("described");
        QTest::addColumn<QString>("repeatableWord");
        QTest::newRow("manual page") << manualPageOptions() << u"Repeatable"_s;
        QTest::newRow("README") << readmeOptions() << u"repeatable"_s;
    }

    // Each visible option has its own entry, no entry names an option that
    // does not exist, and a repeatable option's entry says so.
    void documents_nameEveryOption()
    {
        QFETCH(QList<Described>, described);
        QFETCH(QString, repeatableWord);
        QStringList documented;
        for (const Described &entry : std::as_const(described))
            documented << optionNamesIn(entry.head);
        documented.removeAll(u"--"_s); // ends the options: the parser's, not the table's
        QCOMPARE(sorted(documented), sorted(visibleNames()));

        for (const CommandLineOption &option : Quillfen::commandLineOptions()) {
            if (!option.has(CommandLineOption::Repeatable))
                continue;
            const auto entry =
                std::find_if(described.cbegin(), described.cend(), [&](const Described &d) {
                    return optionNamesIn(d.head).contains(option.longName);
                });
            QVERIFY(entry != described.cend());
            QVERIFY2(entry->paragraph.contains(repeatableWord), qPrintable(option.longName));
        }
    }

    void help_showsEveryVisibleOptionAndEndsWithALineEnd()
    {
        const CliResult cli = runCli({u"--help"_s}, qEnvironmentVariable("XDG_CONFIG_HOME"));
        QCOMPARE(cli.status, 0);
        const QString help = QString::fromUtf8(cli.out);
        QVERIFY(help.endsWith(u".html\n"_s));
        QStringList heads;
        for (const QString &line : help.split(u'\n')) {
            QVERIFY2(line.size() <= 79, qPrintable(line));
            if (line.startsWith(u"  -"_s))
                heads << optionNamesIn(line.section(u"  "_s, 1, 1));
        }
        QCOMPARE(heads, visibleNames());
    }

    void completion_offersOptionsAndValues_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("a long option") << u"quillfen-cli --for"_s << QStringList{u"--format"_s};
        QTest::newRow("choices") << u"quillfen-cli --format "_s
                                 << QStringList{u"csv"_s, u"json"_s, u"lines"_s, u"text"_s,
                                                u"tsv"_s};
        QTest::newRow("choices after =") << u"quillfen-cli --format=j"_s << QStringList{u"json"_s};
        QTest::newRow("suggestions")
            << u"quillfen-cli --extension h"_s << QStringList{u"htm"_s, u"html"_s};
        QTest::newRow("a file name") << u"quillfen-cli -o no"_s << QStringList{u"notes.txt"_s};
        QTest::newRow("a long form's file name")
            << u"quillfen-cli --output "_s << QStringList{u"-dash.txt"_s, u"notes.txt"_s};
        QTest::newRow("a list's file name")
            << u"quillfen-cli --files-from no"_s << QStringList{u"notes.txt"_s};
        QTest::newRow("a NUL list's file name after =")
            << u"quillfen-cli --files0-from=no"_s << QStringList{u"notes.txt"_s};
        QTest::newRow("free text") << u"quillfen-cli --containing no"_s << QStringList();
        QTest::newRow("after --help") << u"quillfen-cli --help "_s << QStringList();
        QTest::newRow("a file after --") << u"quillfen-cli -- -"_s << QStringList{u"-dash.txt"_s};
        QTest::newRow("a count") << u"quillfen-cli -j 1"_s << QStringList{u"1"_s};
    }

    void completion_offersOptionsAndValues()
    {
        if (!QFile::exists(u"/usr/share/bash-completion/bash_completion"_s))
            QSKIP("bash-completion is not installed");
        QFETCH(QString, line);
        QFETCH(QStringList, expected);
        for (const QString &name : {u"notes.txt"_s, u"-dash.txt"_s})
            m_tree.write(name);
        const Completed completed = complete(line);
        QCOMPARE(completed.err, QByteArray());
        QCOMPARE(completed.words, expected);
    }

    void completion_offersEveryVisibleOption()
    {
        if (!QFile::exists(u"/usr/share/bash-completion/bash_completion"_s))
            QSKIP("bash-completion is not installed");
        const Completed completed = complete(u"quillfen-cli -"_s);
        QCOMPARE(completed.err, QByteArray());
        QCOMPARE(completed.words, sorted(visibleNames() << u"--"_s));
    }
};

QTEST_GUILESS_MAIN(CommandLineOptionsTest)
#include "tst_commandlineoptions.moc"
