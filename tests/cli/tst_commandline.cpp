// quillfen-cli end to end: the real binary on real files.

#include "../reading/documents/ZipFixture.h"
#include "CliRunner.h"
#include "TreeFixture.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace Quillfen::Testing;

namespace {

// A row as the lines format writes it: each line break one space.
void joinLines(QByteArray &row)
{
    row.replace("\r\n", " ").replace('\r', ' ').replace('\n', ' ');
}

} // namespace

class CommandLineTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;

    CliResult run(const QStringList &arguments)
    {
        return runCli(arguments, m_tree.path(u"config"_s));
    }

private Q_SLOTS:
    void initTestCase() { QVERIFY2(QFile::exists(cliProgram()), qPrintable(cliProgram())); }

    void paragraphs_areTheDefault()
    {
        const QString a = m_tree.write(u"a.txt"_s, "One\r\n\r\nTwo\r\nlines\r\n");
        const CliResult r = run({a});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QByteArray("One\nTwo lines\n"));
        QCOMPARE(r.err, QByteArray());
    }

    // Habits of a good Unix tool: "-" is standard input, repeated options
    // add up, a row of the lines format is one line.
    void unixHabits_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("out");
        const QByteArray text = "a\r\nb\n\nc\rd";
        QTest::newRow("- reads standard input")
            << QStringList{u"-"_s} << text << QByteArray("a b\nc d\n");
        QTest::newRow("--text on standard input")
            << QStringList{u"--text"_s, u"-"_s} << QByteArray("Caf\xe9")
            << QByteArray("Caf\xc3\xa9");
        QTest::newRow("json keeps inner line breaks")
            << QStringList{u"--format=json"_s, u"-"_s} << QByteArray("a\r\nb")
            << QByteArray("{\"file\": \"-\", \"n\": 1, \"text\": \"a\\rb\"}\n");
        QTest::newRow("text format keeps them") << QStringList{u"--format=text"_s, u"-"_s}
                                                << QByteArray("a\r\nb") << QByteArray("a\rb\r\n");
        QTest::newRow("--extension repeats")
            << QStringList{u"--list-inputs"_s, u"--extension"_s, u"txt"_s,
                           u"--extension"_s,   u"HTML"_s,        u"{tree}"_s}
            << QByteArray() << QByteArray("{tree}/a.txt\n{tree}/b.html\n");
        QTest::newRow("--extension with several")
            << QStringList{u"--list-inputs"_s, u"--extension=md;txt"_s, u"{tree}"_s} << QByteArray()
            << QByteArray("{tree}/a.txt\n{tree}/c.md\n");
    }
    void unixHabits()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, out);
        const QString tree = m_tree.path(u"habits"_s);
        for (const QString &name : {u"a.txt"_s, u"b.html"_s, u"c.md"_s})
            m_tree.write(u"habits/"_s + name, "x");
        arguments.replaceInStrings(u"{tree}"_s, tree);
        const CliResult r =
            runCli(arguments, m_tree.path(u"config"_s), {QString()}, 60000, {.input = input});
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.out, out.replace("{tree}", tree.toUtf8()));
        QCOMPARE(r.status, 0);
    }

    // A full disk is one message, naming the output and the reason, and
    // exit 1, in every format and with any number of jobs; the run stops
    // there, so the missing file after it is never reached. A closed pipe
    // ends the run without a word.
    void fullDiskAndClosedPipe_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<bool>("toFile");
        for (const bool toFile : {false, true}) {
            for (const char *format : {"lines", "json", "text"}) {
                for (const char *jobs : {"1", "2"}) {
                    QTest::addRow("%s, -j %s%s", format, jobs, toFile ? ", -o" : "")
                        << QStringList{u"--format"_s, QString::fromLatin1(format), u"-j"_s,
                                       QString::fromLatin1(jobs)}
                        << toFile;
                }
            }
            QTest::addRow("--text%s", toFile ? ", -o" : "") << QStringList{u"--text"_s} << toFile;
        }
    }
    void fullDiskAndClosedPipe()
    {
        QFETCH(QStringList, options);
        QFETCH(bool, toFile);
        QByteArray text;
        for (int i = 0; i < 20000; ++i)
            text += "Paragraph number " + QByteArray::number(i) + ".\n\n";
        const QString a = m_tree.write(u"full-a.txt"_s, text);
        const QString b = m_tree.write(u"full-b.txt"_s, text);
        const QString missing = m_tree.path(u"full-missing.txt"_s);
        const QString config = m_tree.path(u"config"_s);
        CliResult r;
        if (toFile) {
            r = runCli(options + QStringList{u"-o"_s, u"/dev/full"_s, a, missing, b}, config);
            QCOMPARE(r.err, QByteArray("quillfen-cli: cannot write /dev/full: No space left on "
                                       "device\n"));
        } else {
            r = runCli(options + QStringList{a, missing, b}, config, {QString()}, 60000,
                       {.outputFile = u"/dev/full"_s});
            QCOMPARE(r.err, QByteArray("quillfen-cli: cannot write standard output: No space "
                                       "left on device\n"));
        }
        QCOMPARE(r.status, 1);

        r = runCli(options + QStringList{a, b}, config, {QString()}, 60000, {.readUntil = 1});
        QCOMPARE(r.err, QByteArray());
        QVERIFY(r.status != 1);
    }

    // Every format is read by its reader, chosen by the content before the
    // name; legacy text by its detected or given encoding.
    void everyFormat_isRead_data()
    {
        QTest::addColumn<QString>("sample");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("firstRow");
        const QStringList none;
        QTest::newRow("Word") << u"Field Notes (Word).docx"_s << none
                              << QByteArray("Field Notes from the Marsh");
        QTest::newRow("OpenDocument")
            << u"Garden Diary (OpenDocument).odt"_s << none << QByteArray("Garden Diary, April");
        QTest::newRow("EPUB") << u"A Short Story (EPUB).epub"_s << none
                              << QByteArray("Chapter One");
        QTest::newRow("PDF") << u"Annual Report (PDF).pdf"_s << none
                             << QByteArray("Annual Report of the Reading Society");
        QTest::newRow("a Word file named .txt")
            << u"renamed.txt"_s << none << QByteArray("Field Notes from the Marsh");
        QTest::newRow("KOI8-R, detected")
            << u"koi8.txt"_s << none
            << QByteArray(
                   "\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82, \xd0\xbc\xd0\xb8\xd1\x80!");
        QTest::newRow("Windows-1251, given")
            << u"cp1251.txt"_s << QStringList{u"--encoding"_s, u"windows-1251"_s}
            << QByteArray("\xd0\x94\xd0\xb0");
    }
    void everyFormat_isRead()
    {
        QFETCH(QString, sample);
        QFETCH(QStringList, options);
        QFETCH(QByteArray, firstRow);
        const QString samples =
            qEnvironmentVariable("QUILLFEN_TEST_BINARY_DIR") + u"/bin/Samples/"_s;
        QFile::remove(m_tree.path(u"renamed.txt"_s));
        QVERIFY(QFile::copy(samples + u"Field Notes (Word).docx"_s, m_tree.path(u"renamed.txt"_s)));
        m_tree.write(u"koi8.txt"_s, "\xf0\xd2\xc9\xd7\xc5\xd4, \xcd\xc9\xd2!");
        m_tree.write(u"cp1251.txt"_s, "\xc4\xe0");
        const QString path = sample.contains(u'(') ? samples + sample : m_tree.path(sample);
        const CliResult r = run(options + QStringList{path});
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out.left(r.out.indexOf('\n')), firstRow);
    }

    void formats_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("expected");
        QTest::newRow("lines") << QStringList{u"--format"_s, u"lines"_s}
                               << QByteArray("Caf\xc3\xa9 \"x\"\nB\\c\n");
        QTest::newRow("text as the window saves")
            << QStringList{u"--format=text"_s} << QByteArray("Caf\xc3\xa9 \"x\"\r\nB\\c\r\n");
    }
    void formats()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, expected);
        // Windows-1252 without a mark: é is E9.
        const QString file = m_tree.write(u"latin.txt"_s, "Caf\xe9 \"x\"\n\nB\\c");
        const CliResult r = run(options << file);
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, expected);
    }

    void json_isExactPerRow()
    {
        const QString file =
            m_tree.write(u"j.txt"_s, "tab\there\r\nnext\r\n\r\nctl\x01 \xe2\x82\xac");
        const CliResult r = run({u"--format"_s, u"json"_s, file});
        QCOMPARE(r.status, 0);
        const QByteArray jsonPath = file.toUtf8();
        QCOMPARE(r.out, "{\"file\": \"" + jsonPath +
                            "\", \"n\": 1, \"text\": \"tab\\there\\rnext\"}\n" + "{\"file\": \"" +
                            jsonPath + "\", \"n\": 2, \"text\": \"ctl\\u0001 \xe2\x82\xac\"}\n");
    }

    // --files-from and --files0-from: the lists' files come after the
    // arguments; a list's "-" is standard input, its folders are walked.
    // In the tables "{t}" is the tree, "{list}" the list file's path.
    void inputLists_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("list");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<int>("status");
        const QString lines = u"--files-from"_s;
        const QString nul = u"--files0-from"_s;
        QTest::newRow("after the arguments, wherever the option stands")
            << QStringList{lines, u"{list}"_s, u"{t}/a.txt"_s} << QByteArray("{t}/b.txt\n")
            << QByteArray() << QByteArray("A\nB\n") << QByteArray() << 0;
        QTest::newRow("empty lines skipped, CR LF ends a line, no LF at the end")
            << QStringList{lines, u"{list}"_s} << QByteArray("\n{t}/b.txt\r\n\r\n\n{t}/a.txt")
            << QByteArray() << QByteArray("B\nA\n") << QByteArray() << 0;
        QTest::newRow("spaces belong to the name")
            << QStringList{lines, u"{list}"_s} << QByteArray(" {t}/a.txt\n{t}/sp ace.txt\n")
            << QByteArray() << QByteArray("S\n")
            << QByteArray("Cannot read \" {t}/a.txt\": File not found\n") << 1;
        QTest::newRow("a folder is walked, --extension applies")
            << QStringList{u"--extension=txt"_s, lines, u"{list}"_s} << QByteArray("{t}/dir\n")
            << QByteArray() << QByteArray("C\nD\n") << QByteArray() << 0;
        QTest::newRow("a missing file is reported, the rest goes on")
            << QStringList{lines, u"{list}"_s} << QByteArray("{t}/none.txt\n{t}/a.txt\n")
            << QByteArray() << QByteArray("A\n")
            << QByteArray("Cannot read \"{t}/none.txt\": File not found\n") << 1;
        QTest::newRow("NUL list: names with CR and LF, empty names skipped")
            << QStringList{nul, u"{list}"_s}
            << QByteArrayLiteral("\0{t}/cr\r\0\0{t}/new\nline\0{t}/a.txt") << QByteArray()
            << QByteArray("R\nN\nA\n") << QByteArray() << 0;
        QTest::newRow("list on standard input")
            << QStringList{lines, u"-"_s} << QByteArray() << QByteArray("{t}/b.txt\n{t}/dir\n")
            << QByteArray("B\nC\nD\nE\n") << QByteArray() << 0;
        QTest::newRow("NUL list on standard input, then a list of lines")
            << QStringList{nul, u"-"_s, lines, u"{list}"_s} << QByteArray("{t}/a.txt\n")
            << QByteArrayLiteral("{t}/b.txt\0{t}/sp ace.txt\0") << QByteArray("B\nS\nA\n")
            << QByteArray() << 0;
        QTest::newRow("a list through a pipe")
            << QStringList{lines, u"/dev/stdin"_s} << QByteArray() << QByteArray("{t}/b.txt")
            << QByteArray("B\n") << QByteArray() << 0;
        QTest::newRow("- in a list is standard input")
            << QStringList{lines, u"{list}"_s} << QByteArray("{t}/a.txt\n-\n")
            << QByteArray("Typed") << QByteArray("A\nTyped\n") << QByteArray() << 0;
        QTest::newRow("- in the list that standard input holds")
            << QStringList{lines, u"-"_s} << QByteArray() << QByteArray("-\n{t}/a.txt\n")
            << QByteArray("A\n")
            << QByteArray("\"-\" in the list on standard input is left out: standard input is "
                          "the list\n")
            << 1;
        QTest::newRow("an empty list gives nothing")
            << QStringList{nul, u"{list}"_s} << QByteArray() << QByteArray() << QByteArray()
            << QByteArray() << 0;
        QTest::newRow("a missing list: nothing is read")
            << QStringList{lines, u"{t}/nolist"_s, u"{t}/a.txt"_s} << QByteArray() << QByteArray()
            << QByteArray()
            << QByteArray("Cannot read the list \"{t}/nolist\": No such file or directory\n") << 1;
        QTest::newRow("a folder as a list")
            << QStringList{nul, u"{t}/dir"_s} << QByteArray() << QByteArray() << QByteArray()
            << QByteArray("Cannot read the list \"{t}/dir\": it is a folder\n") << 1;
    }
    void inputLists()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, list);
        QFETCH(QByteArray, input);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        QFETCH(int, status);
        const QString t = m_tree.path(u"lists"_s);
        const QList<std::pair<const char *, QByteArray>> files = {
            {"a.txt", "A"},     {"b.txt", "B"},    {"sp ace.txt", "S"}, {"dir/c.txt", "C"},
            {"dir/d.txt", "D"}, {"dir/e.md", "E"}, {"cr\r", "R"},       {"new\nline", "N"}};
        for (const auto &[name, text] : files)
            m_tree.write(u"lists/"_s + QString::fromUtf8(name), text);
        const QByteArray tree = t.toUtf8();
        const QString listPath = m_tree.write(u"list"_s, list.replace("{t}", tree));
        arguments.replaceInStrings(u"{t}"_s, t).replaceInStrings(u"{list}"_s, listPath);
        const CliResult r = runCli(arguments, m_tree.path(u"config"_s), {QString()}, 60000,
                                   {.input = input.replace("{t}", tree)});
        QCOMPARE(r.out, out);
        QByteArray expectedErr;
        for (const QByteArray &line : err.replace("{t}", tree).split('\n')) {
            if (!line.isEmpty())
                expectedErr += "quillfen-cli: " + line + '\n';
        }
        QCOMPARE(r.err, expectedErr);
        QCOMPARE(r.status, status);
    }

    // "n" numbers the rows written for each file from 1: after the filter,
    // in files read whole or block by block, with any number of jobs; the
    // texts are the rows of the lines format.
    void jsonRows_areNumberedWithinTheirFile_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("one job") << QStringList{u"-j"_s, u"1"_s};
        QTest::newRow("two jobs, sentences") << QStringList{u"-j"_s, u"2"_s, u"--sentences"_s};
        QTest::newRow("filtered") << QStringList{u"--containing"_s, u"keep"_s};
        QTest::newRow("filtered out") << QStringList{u"--not-containing"_s, u"keep"_s};
    }
    void jsonRows_areNumberedWithinTheirFile()
    {
        QFETCH(QStringList, options);
        QByteArray big;
        for (int i = 0; big.size() <= (16 << 20); ++i)
            big += "Row " + QByteArray::number(i) + (i % 3 ? " keep. " : " drop. ") +
                   QByteArray(160, 'x') + "\r\n\r\n";
        const QStringList files = {
            m_tree.write(u"n/a.txt"_s, "keep 1\n\ndrop\n\nkeep. 2\n\nkeep 3"),
            m_tree.write(u"n/b.txt"_s, "drop"), m_tree.write(u"n/c.txt"_s, "keep. 4. drop"),
            m_tree.write(u"n/big.txt"_s, big), u"-"_s};
        const auto cli = [&](const QStringList &arguments) {
            return runCli(options + arguments, m_tree.path(u"config"_s), {QString()}, 120000,
                          {.input = "keep\n\nkeep"});
        };
        const CliResult json = cli(QStringList{u"--format=json"_s} << files);
        QCOMPARE(json.status, 0);
        qsizetype line = 0;
        const QList<QByteArray> jsonLines = json.out.split('\n');
        QCOMPARE(jsonLines.last(), QByteArray());
        for (const QString &file : files) {
            const QList<QByteArray> rows = cli({file}).out.split('\n');
            for (qsizetype n = 1; n < rows.size(); ++n, ++line) {
                const QByteArray head = "{\"file\": \"" + file.toUtf8() +
                                        "\", \"n\": " + QByteArray::number(n) + ", \"text\": ";
                QVERIFY2(jsonLines[line].startsWith(head), jsonLines[line].constData());
                QByteArray text = QJsonDocument::fromJson(jsonLines[line])
                                      .object()[u"text"_s]
                                      .toString()
                                      .toUtf8();
                joinLines(text);
                QCOMPARE(text, rows[n - 1]);
            }
        }
        QCOMPARE(line, jsonLines.size() - 1);
    }

    // Rows longer than the output buffer go out in slices, from UTF-16 and
    // from UTF-8, with a character of four bytes across every slice edge.
    void longRows_areWrittenWhole_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("cut from UTF-8") << QStringList{u"--no-abbreviations"_s};
        // An entry of letters alone sends the text through UTF-16.
        QTest::newRow("cut from UTF-16") << QStringList{u"--abbreviation"_s, u"Inc"_s};
        QTest::newRow("text format") << QStringList{u"--format"_s, u"text"_s};
    }

    void longRows_areWrittenWhole()
    {
        QFETCH(QStringList, options);
        QByteArray row;
        for (int slice = 1; slice <= 3; ++slice) {
            row.append(QByteArray((1 << 20) - 1 - (slice == 1 ? 0 : 2), 'a'));
            row.append("\xF0\x9F\x98\x80"); // one pair: two UTF-16 units
        }
        row.append("end");
        const QString file = m_tree.write(u"long.txt"_s, row + ".\nshort.");
        const CliResult r = run(QStringList{u"--sentences"_s} << options << file);
        QCOMPARE(r.status, 0);
        const QByteArray end = options.contains(u"text"_s) ? "\r\n" : "\n";
        QVERIFY(r.out == row + '.' + end + "short." + end);
    }

    void smartSentences_keepTheDocumentsText()
    {
        const QString file = m_tree.write(u"smart.txt"_s, "See Dr. Alb\xc3\xa9 at 5 p.m. today.\r\n"
                                                          "It costs $100.00! Really?\n\nHeading\n");
        const CliResult r = run({u"--smart-sentences"_s, u"-j"_s, u"1"_s, file});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QByteArray("See Dr. Alb\xc3\xa9 at 5 p.m. today.\nIt costs $100.00!\n"
                                   "Really?\nHeading\n"));
    }

    void sentences_useGivenOrStoredAbbreviations()
    {
        const QString file = m_tree.write(u"s.txt"_s, "Mr. Smith met Dr. Jones. Bye");
        // Nothing stored: the ten defaults the editor shows.
        CliResult r = run({u"--sentences"_s, file});
        QCOMPARE(r.out, QByteArray("Mr. Smith met Dr.\nJones.\nBye.\n"));

        r = run({u"--sentences"_s, u"--abbreviation"_s, u"mr."_s, file});
        QCOMPARE(r.out, QByteArray("Mr. Smith met Dr.\nJones.\nBye.\n"));

        r = run({u"--sentences"_s, u"--no-abbreviations"_s, file});
        QCOMPARE(r.out, QByteArray("Mr.\nSmith met Dr.\nJones.\nBye.\n"));

        const QString conf = m_tree.write(u"config/Tarnwick.conf"_s,
                                          "[Quillfen]\nAbbreviations=Dr.|{}My_Separatora12||\n");
        r = run({u"--sentences"_s, file});
        QCOMPARE(r.out, QByteArray("Mr.\nSmith met Dr. Jones.\nBye.\n"));

        // A list emptied on purpose protects nothing.
        writeFile(conf, "[Quillfen]\nAbbreviations=\n");
        r = run({u"--sentences"_s, file});
        QCOMPARE(r.out, QByteArray("Mr.\nSmith met Dr.\nJones.\nBye.\n"));
        QFile::remove(conf);
    }

    void filters_keepOrDropRows_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("rows");
        auto add = [](const char *name, const QStringList &options, const QByteArray &rows) {
            QTest::newRow(name) << options << rows;
        };
        add("containing", {u"--containing"_s, u"cat"_s}, "Concatenate.\ncat_food and cats\n");
        add("not containing", {u"--not-containing"_s, u"cat"_s},
            "CAT.\ndog\n\xC3\x89LODIE et \xC3\xA9lodie\n");
        add("not containing nothing", {u"--not-containing"_s, QString()}, "");
        add("ignoring case", {u"--containing"_s, u"cat"_s, u"-i"_s},
            "Concatenate.\nCAT.\ncat_food and cats\n");
        add("case folded outside ASCII", {u"--ignore-case"_s, u"--containing"_s, u"élodie"_s},
            "\xC3\x89LODIE et \xC3\xA9lodie\n");
        add("whole words", {u"-i"_s, u"-w"_s, u"--containing"_s, u"cat"_s}, "CAT.\n");
        add("whole words, \"_\" in words", {u"--word"_s, u"--containing"_s, u"cats"_s},
            "cat_food and cats\n");
        add("any of the terms", {u"--containing"_s, u"dog"_s, u"--containing"_s, u"CAT"_s},
            "CAT.\ndog\n");
        add("a term with a bar is one term", {u"--containing"_s, u"dog | CAT"_s}, "");
        add("containing and not containing",
            {u"-i"_s, u"--containing"_s, u"cat"_s, u"--not-containing"_s, u"food"_s},
            "Concatenate.\nCAT.\n");
        add("none of the terms left out",
            {u"--not-containing"_s, u"cat"_s, u"--not-containing"_s, u"dog"_s},
            "CAT.\n\xC3\x89LODIE et \xC3\xA9lodie\n");
        add("a pattern", {u"-E"_s, u"-i"_s, u"--containing"_s, u"^c.t"_s},
            "CAT.\ncat_food and cats\n");
        add("a pattern of whole words", {u"--regex"_s, u"-w"_s, u"--containing"_s, u"ca[a-z]+"_s},
            "cat_food and cats\n");
        add("a pattern's characters are literal without -E", {u"--containing"_s, u"^c.t"_s}, "");
    }
    void filters_keepOrDropRows()
    {
        QFETCH(QStringList, options);
        QFETCH(QByteArray, rows);
        const QString file =
            m_tree.write(u"f.txt"_s, "Concatenate.\r\n\r\nCAT.\r\n\r\ndog\r\n\r\n\xC3\x89LODIE et "
                                     "\xC3\xA9lodie\r\n\r\ncat_food and cats");
        const CliResult r = run(QStringList(options) << file);
        QCOMPARE(r.err, QByteArray());
        QCOMPARE(r.out, rows);
        QCOMPARE(r.status, 0);
    }

    void unreadableFile_isReportedAndTheRestGoesOn()
    {
        const QString good = m_tree.write(u"good.txt"_s, "fine");
        const QString missing = m_tree.path(u"nothere.txt"_s);
        const CliResult r = run({missing, good});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QByteArray("fine\n"));
        // One line per failed file, as Unix tools write them.
        QCOMPARE(r.err, "quillfen-cli: Cannot read \"" + missing.toUtf8() + "\": File not found\n");
    }

    void outputFile_receivesTheRows()
    {
        const QString file = m_tree.write(u"o.txt"_s, "a\n\nb");
        const QString target = m_tree.path(u"out.txt"_s);
        const CliResult r = run({u"-o"_s, target, u"--format"_s, u"text"_s, file});
        QCOMPARE(r.status, 0);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(readFile(target), QByteArray("a\r\nb\r\n"));
    }

    void jobs_keepOutputAndReportsInOrder_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::newRow("paragraphs") << QStringList{u"--paragraphs"_s};
        QTest::newRow("sentences as JSON")
            << QStringList{u"--sentences"_s, u"--format"_s, u"json"_s};
    }

    // Files of very different sizes, so that they finish out of order, one
    // of them large enough to be read in blocks, and missing ones between.
    void jobs_keepOutputAndReportsInOrder()
    {
        QFETCH(QStringList, options);
        QStringList files;
        for (int i = 0; i < 14; ++i) {
            const QString name = u"order%1.txt"_s.arg(i);
            if (i % 4 == 2) {
                files << m_tree.path(u"missing-"_s + name);
                continue;
            }
            QByteArray paragraph = "File " + QByteArray::number(i) + ", Mr. Smith. Line two.\r\n";
            const qsizetype repeats = i == 5 ? 600000 : (i % 3 == 0 ? 20000 : 3);
            QByteArray bytes;
            bytes.reserve(paragraph.size() * repeats * 2);
            for (qsizetype r = 0; r < repeats; ++r)
                bytes += paragraph + (r % 3 == 2 ? "\r\n" : "");
            files << m_tree.write(name, bytes);
        }
        QVERIFY(QFileInfo(files[5]).size() > (16 << 20));

        const CliResult one = run(QStringList(options) << u"-j"_s << u"1"_s << files);
        for (const QString &jobs : {u"2"_s, u"4"_s}) {
            const CliResult many = run(QStringList(options) << u"-j"_s << jobs << files);
            QCOMPARE(many.status, one.status);
            QCOMPARE(many.out, one.out);
            QCOMPARE(many.err, one.err);
        }
        QCOMPARE(one.status, 1);

        // Each file run on its own gives its part of the output, in order.
        QByteArray out;
        QByteArray err;
        for (const QString &file : std::as_const(files)) {
            const CliResult alone = run(QStringList(options) << file);
            out += alone.out;
            err += alone.err;
        }
        QCOMPARE(one.out, out);
        QCOMPARE(one.err, err);
        QCOMPARE(one.err.count("File not found"), 3);
    }

    // A PDF without a text layer is one report naming it, exit status 1,
    // and the other files' rows still come out.
    void pdfWithoutText_isReported()
    {
        const QString scan = m_tree.write(
            u"scan.pdf"_s,
            "%PDF-1.4\n1 0 obj\n<< /Type /Catalog /Pages 2 0 R >>\nendobj\n2 0 obj\n<< /Type "
            "/Pages /Kids [3 0 R] /Count 1 >>\nendobj\n3 0 obj\n<< /Type /Page /Parent 2 0 R "
            "/MediaBox [0 0 612 792] >>\nendobj\ntrailer\n<< /Root 1 0 R >>\n%%EOF\n");
        const QString text = m_tree.write(u"a.txt"_s, "Kept.\n");
        const CliResult r = run({scan, text});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QByteArray("Kept.\n"));
        QVERIFY2(r.err.contains("scan.pdf") && r.err.contains("no text layer") &&
                     r.err.contains("--ocr"),
                 r.err.constData());
        QCOMPARE(r.err.count('\n'), 1);
    }

    void usageErrors_exitWithTwoAndAHint_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("message");
        QTest::newRow("no files") << QStringList() << QByteArray("no input files");
        QTest::newRow("unknown option")
            << QStringList{u"--bogus"_s, u"x"_s} << QByteArray("unknown option --bogus");
        QTest::newRow("unknown option with a value")
            << QStringList{u"--bogus=1"_s, u"x"_s} << QByteArray("unknown option --bogus");
        QTest::newRow("a short option's value joined")
            << QStringList{u"-j4"_s, u"x"_s} << QByteArray("unknown option -j4");
        QTest::newRow("a short option with =")
            << QStringList{u"-o=out"_s, u"x"_s} << QByteArray("unknown option -o=out");
        QTest::newRow("a short name with two dashes")
            << QStringList{u"--o"_s, u"out"_s, u"x"_s} << QByteArray("unknown option --o");
        QTest::newRow("missing value")
            << QStringList{u"x"_s, u"--containing"_s} << QByteArray("--containing needs a value");
        QTest::newRow("bad format")
            << QStringList{u"--format"_s, u"xml"_s, u"x"_s}
            << QByteArray("unknown format \"xml\" (lines, json, text, csv or tsv)");
        QTest::newRow("the first error counts")
            << QStringList{u"--format=xml"_s, u"--bogus"_s, u"x"_s}
            << QByteArray("unknown format \"xml\" (lines, json, text, csv or tsv)");
        QTest::newRow("a second filter without its value")
            << QStringList{u"x"_s, u"--containing"_s, u"a"_s, u"--not-containing"_s}
            << QByteArray("--not-containing needs a value");
        QTest::newRow("an invalid pattern")
            << QStringList{u"-E"_s, u"--containing"_s, u"a(b"_s, u"x"_s}
            << QByteArray("Invalid regular expression \"a(b\": missing closing parenthesis at "
                          "the end.");
        QTest::newRow("an invalid pattern among the terms left out")
            << QStringList{u"--containing"_s, u"a"_s,       u"--not-containing"_s,
                           u"x)y"_s,          u"--regex"_s, u"x"_s}
            << QByteArray("Invalid regular expression \"x)y\": unmatched closing parenthesis "
                          "at character 2.");
        QTest::newRow("an OCR model not installed")
            << QStringList{u"--ocr-language"_s, u"eng+zz_top"_s, u"x"_s}
            << QByteArray("there is no OCR model \"zz_top\": install the Debian package "
                          "tesseract-ocr-zz-top");
        QTest::newRow("a time limit below zero")
            << QStringList{u"--document-timeout"_s, u"-1"_s, u"x"_s}
            << QByteArray("--document-timeout needs a number of seconds, 0 or more");
        QTest::newRow("no jobs") << QStringList{u"-j"_s, u"0"_s, u"x"_s}
                                 << QByteArray("-j needs a number of files at a time, 1 or more");
        QTest::newRow("jobs not a number")
            << QStringList{u"--jobs=two"_s, u"x"_s}
            << QByteArray("--jobs needs a number of files at a time, 1 or more");
        QTest::newRow("- and a list on standard input")
            << QStringList{u"-"_s, u"--files-from"_s, u"-"_s}
            << QByteArray("\"-\" and --files-from - both read standard input");
        QTest::newRow("two lists on standard input")
            << QStringList{u"--files0-from=-"_s, u"--files-from"_s, u"-"_s}
            << QByteArray("--files0-from - and --files-from - both read standard input");
        QTest::newRow("a list's name missing")
            << QStringList{u"--files0-from"_s} << QByteArray("--files0-from needs a value");
        QTest::newRow("-0 without --text")
            << QStringList{u"-0"_s, u"x"_s} << QByteArray("-0 goes with --text");
        QTest::newRow("--text with --format")
            << QStringList{u"--text"_s, u"--format"_s, u"lines"_s, u"x"_s}
            << QByteArray("--text writes texts, not rows: leave out --format");
    }
    void usageErrors_exitWithTwoAndAHint()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, message);
        const CliResult r = run(arguments);
        QCOMPARE(r.status, 2);
        QCOMPARE(r.out, QByteArray());
        QCOMPARE(r.err, "quillfen-cli: " + message + " (try quillfen-cli --help)\n");
    }

    void helpAndVersion()
    {
        CliResult r = run({u"--help"_s});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.startsWith("Usage: quillfen-cli"));
        for (const char *option :
             {"--paragraphs", "--sentences", "--containing", "--not-containing", "--abbreviation",
              "--no-abbreviations", "--format", "--output"})
            QVERIFY2(r.out.contains(option), option);
        // Paragraph mode cuts at "?" too, as Sentence mode does.
        QVERIFY(r.out.contains("cut at empty lines and after each \"?\""));
        QVERIFY(
            r.out.contains("\"Is it late? Yes.\" gives the rows\n\"Is it late?\" and \" Yes.\""));
        r = run({u"--version"_s});
        QCOMPARE(r.status, 0);
        QVERIFY(r.out.startsWith("quillfen-cli "));
    }

    // A book read in part gives the rows of what it holds, one report line
    // naming the missing document, and exit status 1; the next file is read.
    void partlyReadBook_givesItsRowsAndFails()
    {
        const QByteArray book =
            epubOf("<item id=\"c\" href=\"c.xhtml\" media-type=\"application/xhtml+xml\"/>"
                   "<item id=\"g\" href=\"gone.xhtml\" media-type=\"application/xhtml+xml\"/>",
                   "<itemref idref=\"c\"/><itemref idref=\"g\"/>",
                   {{"c.xhtml", "<html><body><p>Kept one.</p><div>Kept two.</div></body></html>"}});
        const QString path = m_tree.write(u"partly.epub"_s, book);
        const QString next = m_tree.write(u"next.txt"_s, "Next file.");
        const CliResult r = run({path, next});
        QCOMPARE(r.status, 1);
        QCOMPARE(r.out, QByteArray("Kept one.\nKept two.\nNext file.\n"));
        QCOMPARE(r.err, "quillfen-cli: Cannot read \"" + path.toUtf8() +
                            "\" fully: its reading order names OEBPS/gone.xhtml, which is "
                            "missing from the book\n");
    }
};

QTEST_GUILESS_MAIN(CommandLineTest)
#include "tst_commandline.moc"
