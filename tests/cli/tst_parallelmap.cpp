// quillfen-cli as the map step of GNU parallel: a list of files spread over
// several processes gives, all outputs together, what one run gives.

#include "CliRunner.h"
#include "TreeFixture.h"

#include <QMap>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>

using namespace Qt::StringLiterals;
using namespace Quillfen::Testing;

namespace {

struct Run
{
    int status = -1;
    QByteArray out;
    QByteArray err;
};

QList<QByteArray> sortedLines(const QByteArray &bytes)
{
    QList<QByteArray> lines = bytes.split('\n');
    std::sort(lines.begin(), lines.end());
    return lines;
}

// A json run's lines by the "file" they carry, each file's in their order.
QMap<QByteArray, QList<QByteArray>> linesByFile(const QByteArray &json)
{
    QMap<QByteArray, QList<QByteArray>> files;
    for (const QByteArray &line : json.split('\n')) {
        if (line.isEmpty())
            continue;
        const qsizetype end = line.indexOf(", \"n\": ");
        if (!line.startsWith("{\"file\": ") || end < 0)
            qFatal("not a json row: %s", line.constData());
        files[line.sliced(9, end - 9)].append(line);
    }
    return files;
}

} // namespace

class ParallelMapTest : public QObject
{
    Q_OBJECT

private:
    TreeFixture m_tree;

    // script runs in bash with $CLI, $T (the tree), $W (a fresh folder) and
    // $FORMAT (the format's options, unquoted) set.
    Run bash(const QString &script, const QString &format)
    {
        static int folders = 0;
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_CONFIG_HOME"_s, m_tree.path(u"config"_s));
        env.insert(u"CLI"_s, cliProgram());
        env.insert(u"T"_s, m_tree.root());
        env.insert(u"W"_s, m_tree.folder(u"work%1"_s.arg(++folders)));
        env.insert(u"FORMAT"_s, format);
        process.setProcessEnvironment(env);
        process.start(u"bash"_s, {u"-c"_s, script});
        if (!process.waitForFinished(300000))
            qFatal("bash did not finish");
        if (process.exitStatus() != QProcess::NormalExit)
            return {-2, {}, {}};
        return {process.exitCode(), process.readAllStandardOutput(),
                process.readAllStandardError()};
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY2(QFile::exists(cliProgram()), qPrintable(cliProgram()));
        if (QStandardPaths::findExecutable(u"parallel"_s).isEmpty())
            QSKIP("GNU parallel is not installed (Debian package parallel)");
        // Files of many sizes, a folder and a missing file among them.
        QByteArray list;
        for (int i = 0; i < 30; ++i) {
            QByteArray text;
            for (int p = 0; p < 1 + (i * 37) % 50; ++p)
                text += "File " + QByteArray::number(i) + " paragraph " + QByteArray::number(p) +
                        ". Mr. Smith said so. " + (p % 4 ? "keep" : "drop") + "\r\n\r\n";
            list += m_tree.write(u"docs/f%1.txt"_s.arg(i), text).toUtf8() + '\n';
            if (i == 11)
                list += m_tree.path(u"docs/missing.txt"_s).toUtf8() + '\n';
        }
        for (int i = 0; i < 3; ++i)
            m_tree.write(u"docs/sub/s%1.txt"_s.arg(i),
                         "Below " + QByteArray::number(i) + ", keep.");
        list += m_tree.path(u"docs/sub"_s).toUtf8() + '\n';
        m_tree.write(u"list.txt"_s, list);
        m_tree.write(u"list0"_s, list.replace('\n', '\0'));
    }

    void parallelRuns_giveOneRunsOutput_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("format");
        const QList<std::pair<const char *, QString>> ways = {
            {"split lists", uR"sh(cd "$W" && split -l 4 "$T/list.txt" chunk. &&
parallel --will-cite --joblog "$W/log" -j 2 "$CLI" -j 1 $FORMAT --files-from {} ::: chunk.*)sh"_s},
            {"--pipe, list on standard input",
             uR"sh(parallel --will-cite --joblog "$W/log" --pipe -N 4 -j 2 \
"$CLI" -j 1 $FORMAT --files-from - < "$T/list.txt")sh"_s},
            {"--pipe, NUL list on standard input",
             uR"sh(parallel --will-cite --joblog "$W/log" --pipe -N 4 --recend '\0' -j 2 \
"$CLI" -j 1 $FORMAT --files0-from - < "$T/list0")sh"_s},
            {"--sshlogin 2/: (this machine)",
             uR"sh(parallel --will-cite --joblog "$W/log" --sshlogin 2/: --pipe -N 4 \
"$CLI" -j 1 $FORMAT --files-from - < "$T/list.txt")sh"_s},
        };
        for (const auto &[way, script] : ways) {
            QTest::addRow("%s, lines", way) << script << u"--format lines --sentences"_s;
            QTest::addRow("%s, json", way) << script << u"--format json --containing keep"_s;
        }
    }

    void parallelRuns_giveOneRunsOutput()
    {
        QFETCH(QString, script);
        QFETCH(QString, format);
        const Run one = bash(uR"sh("$CLI" $FORMAT --files-from "$T/list.txt")sh"_s, format);
        QCOMPARE(one.status, 1);
        QCOMPARE(one.err.count("File not found"), 1);
        QVERIFY(one.out.count('\n') > 200);

        const Run spread = bash(script + uR"sh(
status=$?
echo "jobs $(($(wc -l < "$W/log") - 1))" >&2
exit $status)sh"_s,
                                format);
        // parallel's status is the number of jobs that failed: the one that
        // met the missing file.
        QCOMPARE(spread.status, 1);
        QList<QByteArray> err = spread.err.split('\n');
        const QByteArray jobs = err.takeAt(err.size() - 2);
        QVERIFY2(jobs.sliced(5).toInt() >= 4, jobs.constData());
        std::sort(err.begin(), err.end());
        QCOMPARE(err, sortedLines(one.err));

        if (format.contains(u"json"_s)) {
            const auto files = linesByFile(spread.out);
            QCOMPARE(files.size(), 32); // 3 from the folder, the first file keeps none
            QCOMPARE(files, linesByFile(one.out));
        } else {
            QCOMPARE(sortedLines(spread.out), sortedLines(one.out));
        }
    }
};

QTEST_GUILESS_MAIN(ParallelMapTest)
#include "tst_parallelmap.moc"
