// Times each hand-written part against the Qt facility that does the same
// job, on the bench corpus and the folder tree, interleaved round by round
// in one run; prints medians and the library's time over the hand-written
// part's, and whether both gave the same output on these inputs.
//
// Usage: parts_bench CORPUS_DIR TREE_DIR [ROUNDS]

#include "cli/CommandLineOptions.h"
#include "extract/FileExtraction.h"
#include "extract/Utf8TermSearch.h"
#include "inputs/adding/DirectoryReader.h"
#include "inputs/adding/FolderListing.h"
#include "inputs/adding/PathTests.h"
#include "reading/TextDecoding.h"
#include "reading/Utf8Decoding.h"
#include "reading/Utf8Encoding.h"
#include "run/OrderedExtraction.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentMap>
#include <algorithm>
#include <cstdio>
#include <dirent.h>
#include <functional>
#include <sys/resource.h>
#include <sys/stat.h>
#include <vector>

using namespace Qt::StringLiterals;
using namespace Quillfen;

namespace {

int g_rounds = 7;

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

double timeOnce(const std::function<void()> &run)
{
    QElapsedTimer timer;
    timer.start();
    run();
    return double(timer.nsecsElapsed()) / 1e6;
}

// One row: both once to warm up, then ROUNDS rounds, the order swapped
// every round.
void race(const char *part, const char *library, bool same, const std::function<void()> &hand,
          const std::function<void()> &qt)
{
    hand();
    qt();
    std::vector<double> handTimes;
    std::vector<double> qtTimes;
    for (int round = 0; round < g_rounds; ++round) {
        if (round % 2 == 0) {
            handTimes.push_back(timeOnce(hand));
            qtTimes.push_back(timeOnce(qt));
        } else {
            qtTimes.push_back(timeOnce(qt));
            handTimes.push_back(timeOnce(hand));
        }
    }
    const double h = median(handTimes);
    const double q = median(qtTimes);
    std::printf("| %s | %s | %s | %.3f | %.3f | %.2f |\n", part, library, same ? "yes" : "NO", h, q,
                q / h);
    std::fflush(stdout);
}

volatile qsizetype g_sink = 0; // keeps results from being optimised away

struct CorpusFile
{
    QString path;
    QByteArray bytes;
};

std::vector<CorpusFile> readCorpus(const QString &dir)
{
    std::vector<CorpusFile> files;
    QDirIterator it(dir, QDir::Files);
    while (it.hasNext()) {
        const QString path = it.next();
        QFile file(path);
        if (file.open(QIODevice::ReadOnly))
            files.push_back({path, file.readAll()});
    }
    std::sort(files.begin(), files.end(),
              [](const CorpusFile &a, const CorpusFile &b) { return a.path < b.path; });
    return files;
}

// Qt copies unpaired surrogates through and leaves out an odd last
// byte: the pass after it makes each one U+FFFD, as decodeUtf16 does.
QString qtDecodeUtf16(QByteArrayView bytes, bool bigEndian)
{
    const QByteArrayView units = bytes.first(bytes.size() & ~qsizetype(1));
    QStringDecoder decoder(bigEndian ? QStringDecoder::Utf16BE : QStringDecoder::Utf16LE,
                           QStringDecoder::Flag::Stateless |
                               QStringDecoder::Flag::ConvertInitialBom);
    QString text(decoder.requiredSpace(units.size()) + 1, Qt::Uninitialized);
    QChar *const start = text.data();
    QChar *end = decoder.appendToBuffer(start, units);
    bool endsInUnpairedHigh = false;
    for (QChar *c = start; c < end; ++c) {
        if (!c->isSurrogate())
            continue;
        if (c->isHighSurrogate() && c + 1 < end && c[1].isLowSurrogate()) {
            ++c;
            continue;
        }
        endsInUnpairedHigh = c->isHighSurrogate() && c + 1 == end;
        *c = QChar(QChar::ReplacementCharacter);
    }
    if (units.size() != bytes.size() && !endsInUnpairedHigh)
        *end++ = QChar(QChar::ReplacementCharacter);
    text.resize(end - start);
    return text;
}

// The conversion utf8TextOfFile does, with Qt's decoders and encoder.
QByteArrayView qtUtf8TextOfFile(QByteArrayView bytes, QByteArray &scratch)
{
    if (const auto mark = detectByteOrderMark(bytes)) {
        const QByteArrayView rest = bytes.sliced(mark->length);
        if (mark->encoding == TextEncoding::Utf8 && rest.isValidUtf8())
            return rest;
        if (mark->encoding == TextEncoding::Utf16LE || mark->encoding == TextEncoding::Utf16BE) {
            scratch = qtDecodeUtf16(rest, mark->encoding == TextEncoding::Utf16BE).toUtf8();
            return scratch;
        }
        scratch = QString::fromUtf8(rest).toUtf8();
        return scratch;
    }
    if (bytes.isValidUtf8())
        return bytes;
    QStringDecoder decoder("windows-1252", QStringDecoder::Flag::Stateless);
    scratch = QString(decoder.decode(bytes)).toUtf8();
    return scratch;
}

class CountingSink final : public Utf8RowSink, public RowSink
{
public:
    void appendUtf8Row(QByteArrayView row) override { bytes += row.size() + 1; }
    void append(QStringView row) override { bytes += row.size() + 1; }
    qsizetype bytes = 0;
};

// What the command line writes for --paragraphs: each row, then a line feed.
class LinesWriter final : public Utf8RowSink, public RowSink
{
public:
    void appendUtf8Row(QByteArrayView row) override
    {
        out.append(row);
        out.append('\n');
    }
    void append(QStringView row) override
    {
        appendUtf8(out, row);
        out.append('\n');
    }
    QByteArray out;
};

class NullDevice final : public QIODevice
{
public:
    NullDevice() { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    qsizetype written = 0;

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *, qint64 length) override
    {
        written += length;
        return length;
    }
};

QByteArray units(const QString &text)
{
    QByteArray out;
    for (const QChar c : text)
        out += QByteArray::number(c.unicode(), 16).toUpper() + ' ';
    return out.trimmed();
}

// Where Qt's decoders and encoder give other text than ours.
void malformed()
{
    std::printf("\nMalformed input, ours against Qt's:\n");
    auto show = [](const char *what, const QByteArray &ours, const QByteArray &qt) {
        std::printf("- %s: ours `%s`, Qt `%s`\n", what, ours.constData(), qt.constData());
    };
    const QByteArray truncated = QByteArray::fromHex("E2 82 41");
    show("UTF-8 E2 82 41 (a cut-off character)", units(decodeUtf8(truncated)),
         units(QString::fromUtf8(truncated)));
    const QByteArray surrogate = QByteArray::fromHex("ED A0 80");
    show("UTF-8 ED A0 80 (a surrogate)", units(decodeUtf8(surrogate)),
         units(QString::fromUtf8(surrogate)));
    auto qtDecode = [](QStringDecoder::Encoding encoding, const QByteArray &bytes) {
        return QString(QStringDecoder(encoding, QStringDecoder::Flag::Stateless).decode(bytes));
    };
    const QByteArray lone = QByteArray::fromHex("00 D8 41 00");
    show("UTF-16LE 00 D8 41 00 (an unpaired surrogate)", units(decodeUtf16(lone, false)),
         units(qtDecode(QStringDecoder::Utf16LE, lone)));
    const QByteArray past = QByteArray::fromHex("00 00 11 00");
    show("UTF-32LE 00 00 11 00 (past U+10FFFF)", units(decodeUtf32(past, false)),
         units(qtDecode(QStringDecoder::Utf32LE, past)));
    const QString unpaired = QString(QChar(0xD800)) + u'a';
    QByteArray encoded;
    appendUtf8(encoded, unpaired);
    show("UTF-8 of D800 61 (an unpaired surrogate)", encoded.toHex(' ').toUpper(),
         unpaired.toUtf8().toHex(' ').toUpper());
}

void codecs(const std::vector<CorpusFile> &corpus)
{
    std::vector<QByteArrayView> utf8;   // valid UTF-8, without a mark
    std::vector<QByteArrayView> utf16;  // UTF-16LE, without the mark
    std::vector<QByteArrayView> cp1252; // neither
    for (const CorpusFile &file : corpus) {
        QByteArrayView bytes = file.bytes;
        if (const auto mark = detectByteOrderMark(bytes)) {
            bytes = bytes.sliced(mark->length);
            (mark->encoding == TextEncoding::Utf8 ? utf8 : utf16).push_back(bytes);
        } else {
            (isValidUtf8(bytes) ? utf8 : cp1252).push_back(bytes);
        }
    }
    std::printf("corpus: %zu files, %zu UTF-8, %zu UTF-16LE, %zu Windows-1252\n\n", corpus.size(),
                utf8.size(), utf16.size(), cp1252.size());
    std::printf("| part | library | same output | ours ms | library ms | library / ours |\n");
    std::printf("|---|---|---|---:|---:|---:|\n");

    bool same = true;
    for (const CorpusFile &file : corpus)
        same = same && isValidUtf8(file.bytes) == QByteArrayView(file.bytes).isValidUtf8();
    race(
        "UTF-8 validation (every file)", "QByteArrayView::isValidUtf8", same,
        [&] {
            for (const CorpusFile &file : corpus)
                g_sink = g_sink + isValidUtf8(file.bytes);
        },
        [&] {
            for (const CorpusFile &file : corpus)
                g_sink = g_sink + QByteArrayView(file.bytes).isValidUtf8();
        });

    same = std::all_of(utf8.begin(), utf8.end(), [](QByteArrayView b) {
        return isValidUtf8(b) == Detail::isValidUtf8Scalar(b);
    });
    race(
        "UTF-8 validation (UTF-8 files)", "the scalar validator", same,
        [&] {
            for (QByteArrayView b : utf8)
                g_sink = g_sink + isValidUtf8(b);
        },
        [&] {
            for (QByteArrayView b : utf8)
                g_sink = g_sink + Detail::isValidUtf8Scalar(b);
        });

    same = std::all_of(utf8.begin(), utf8.end(),
                       [](QByteArrayView b) { return decodeUtf8(b) == QString::fromUtf8(b); });
    race(
        "UTF-8 decoding (UTF-8 files)", "QString::fromUtf8", same,
        [&] {
            for (QByteArrayView b : utf8)
                g_sink = g_sink + decodeUtf8(b).size();
        },
        [&] {
            for (QByteArrayView b : utf8)
                g_sink = g_sink + QString::fromUtf8(b).size();
        });

    auto qtUtf16Bare = [](QByteArrayView b) {
        return QString(
            QStringDecoder(QStringDecoder::Utf16LE, QStringDecoder::Flag::Stateless).decode(b));
    };
    same = std::all_of(utf16.begin(), utf16.end(),
                       [&](QByteArrayView b) { return decodeUtf16(b, false) == qtUtf16Bare(b); });
    race(
        "UTF-16LE decoding (UTF-16 files)", "QStringDecoder Utf16LE alone", same,
        [&] {
            for (QByteArrayView b : utf16)
                g_sink = g_sink + decodeUtf16(b, false).size();
        },
        [&] {
            for (QByteArrayView b : utf16)
                g_sink = g_sink + qtUtf16Bare(b).size();
        });
    same = std::all_of(utf16.begin(), utf16.end(), [&](QByteArrayView b) {
        return decodeUtf16(b, false) == qtDecodeUtf16(b, false);
    });
    race(
        "UTF-16LE decoding (UTF-16 files)",
        "QStringDecoder Utf16LE, then a pass for unpaired surrogates", same,
        [&] {
            for (QByteArrayView b : utf16)
                g_sink = g_sink + decodeUtf16(b, false).size();
        },
        [&] {
            for (QByteArrayView b : utf16)
                g_sink = g_sink + qtDecodeUtf16(b, false).size();
        });

    auto qt1252 = [](QByteArrayView b) {
        return QString(QStringDecoder("windows-1252", QStringDecoder::Flag::Stateless).decode(b));
    };
    same = std::all_of(cp1252.begin(), cp1252.end(),
                       [&](QByteArrayView b) { return decodeWindows1252(b) == qt1252(b); });
    race(
        "Windows-1252 decoding (1252 files)", "QStringDecoder windows-1252 (ICU)", same,
        [&] {
            for (QByteArrayView b : cp1252)
                g_sink = g_sink + decodeWindows1252(b).size();
        },
        [&] {
            for (QByteArrayView b : cp1252)
                g_sink = g_sink + qt1252(b).size();
        });

    QByteArray scratch;
    same = std::all_of(cp1252.begin(), cp1252.end(), [&](QByteArrayView b) {
        windows1252ToUtf8(b, scratch);
        return scratch == qt1252(b).toUtf8();
    });
    race(
        "Windows-1252 to UTF-8 (1252 files)", "QStringDecoder (ICU), then QString::toUtf8", same,
        [&] {
            for (QByteArrayView b : cp1252) {
                windows1252ToUtf8(b, scratch);
                g_sink = g_sink + scratch.size();
            }
        },
        [&] {
            for (QByteArrayView b : cp1252)
                g_sink = g_sink + qt1252(b).toUtf8().size();
        });

    std::vector<QString> texts;
    for (QByteArrayView b : utf16)
        texts.push_back(decodeUtf16(b, false));
    for (QByteArrayView b : cp1252)
        texts.push_back(decodeWindows1252(b));
    same = std::all_of(texts.begin(), texts.end(), [&](const QString &t) {
        scratch.resize(0);
        appendUtf8(scratch, t);
        return scratch == t.toUtf8();
    });
    race(
        "UTF-16 to UTF-8 (decoded 1252 and UTF-16 files)", "QString::toUtf8", same,
        [&] {
            for (const QString &t : texts) {
                scratch.resize(0);
                appendUtf8(scratch, t);
                g_sink = g_sink + scratch.size();
            }
        },
        [&] {
            for (const QString &t : texts)
                g_sink = g_sink + t.toUtf8().size();
        });

    Utf8Scratch handScratch;
    same = std::all_of(corpus.begin(), corpus.end(), [&](const CorpusFile &f) {
        return utf8TextOfFile(QString(), f.bytes, handScratch) ==
               qtUtf8TextOfFile(f.bytes, scratch);
    });
    race(
        "a file's text as UTF-8 (every file)", "the same with Qt's decoders and encoder", same,
        [&] {
            for (const CorpusFile &f : corpus)
                g_sink = g_sink + utf8TextOfFile(QString(), f.bytes, handScratch).size();
        },
        [&] {
            for (const CorpusFile &f : corpus)
                g_sink = g_sink + qtUtf8TextOfFile(f.bytes, scratch).size();
        });

    // What --text does with each file: its whole text, as UTF-8.
    QByteArray handText;
    QByteArray qtText;
    race(
        "--text of the corpus, files in memory, one thread",
        "QStringDecoder (ICU) for Windows-1252", true,
        [&] {
            handText.resize(0);
            for (const CorpusFile &f : corpus)
                appendUtf8(handText, decodeTextFile(f.bytes));
        },
        [&] {
            qtText.resize(0);
            for (const CorpusFile &f : corpus) {
                const bool windows1252 = !detectByteOrderMark(f.bytes) && !isValidUtf8(f.bytes);
                appendUtf8(qtText, windows1252 ? qt1252(f.bytes) : decodeTextFile(f.bytes));
            }
        });
    if (handText != qtText)
        std::printf("(the texts differ)\n");

    const AbbreviationShield shield;
    const LineFilter filter;
    CountingSink handRows;
    CountingSink qtRows;
    race(
        "--paragraphs of the corpus, files in memory, one thread", "Qt's decoders and encoder",
        true,
        [&] {
            for (const CorpusFile &f : corpus)
                cutUtf8(utf8TextOfFile(QString(), f.bytes, handScratch),
                        RunChoices{ExtractMode::Paragraph, shield, filter, {}}, handRows);
        },
        [&] {
            for (const CorpusFile &f : corpus)
                cutUtf8(qtUtf8TextOfFile(f.bytes, scratch),
                        RunChoices{ExtractMode::Paragraph, shield, filter, {}}, qtRows);
        });
    if (handRows.bytes != qtRows.bytes)
        std::printf("(the rows differ: %lld against %lld bytes)\n", qlonglong(handRows.bytes),
                    qlonglong(qtRows.bytes));
}

// The folders below root, root first, in no particular order.
QStringList foldersOf(const QString &root)
{
    QStringList folders{root};
    QDirIterator it(root, QDir::Dirs | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext())
        folders << it.next();
    return folders;
}

struct Listed
{
    QStringList names;
    std::vector<bool> folders;
    bool operator==(const Listed &) const = default;
};

// A folder's entries and which of them are folders, links followed.
Listed handListing(const QString &folder)
{
    Listed listed;
    DirectoryReader dir(encodePath(folder));
    for (const DirectoryReader::Entry &entry : dir.entries()) {
        bool isFolder = entry.type == DT_DIR;
        if (entry.type == DT_LNK || entry.type == DT_UNKNOWN) {
            struct stat st;
            isFolder = fstatat(dir.fd(), entry.cName, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        listed.names << decodeName(entry.name);
        listed.folders.push_back(isFolder);
    }
    return listed;
}

Listed qtListing(const QString &folder)
{
    Listed listed;
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
    while (it.hasNext()) {
        it.next();
        listed.names << it.fileName();
        listed.folders.push_back(it.fileInfo().isDir());
    }
    return listed;
}

// A wildcard as WildcardPattern reads it: "[" is a plain character, and a
// pattern ending in ".*" also matches what its part before ".*" matches.
class QtWildcard
{
public:
    explicit QtWildcard(QString pattern)
    {
        auto regex = [](QString p) {
            p.replace(u"["_s, u"[[]"_s);
            return QRegularExpression(QRegularExpression::wildcardToRegularExpression(p),
                                      QRegularExpression::CaseInsensitiveOption);
        };
        m_pattern = regex(pattern);
        if (pattern.size() >= 2 && pattern.endsWith(u".*"_s))
            m_alternative = regex(pattern.chopped(2));
    }
    bool matches(const QString &name) const
    {
        return m_pattern.match(name).hasMatch() ||
               (m_alternative.isValid() && !m_alternative.pattern().isEmpty() &&
                m_alternative.match(name).hasMatch());
    }

private:
    QRegularExpression m_pattern;
    QRegularExpression m_alternative{QString()};
};

void folders(const QString &tree)
{
    const QStringList all = foldersOf(tree);
    QStringList names;
    for (const QString &folder : all)
        names << handListing(folder).names;
    std::printf("\ntree: %lld folders, %lld entries\n\n", qlonglong(all.size()),
                qlonglong(names.size()));
    std::printf("| part | library | same output | ours ms | library ms | library / ours |\n");
    std::printf("|---|---|---|---:|---:|---:|\n");

    bool same = std::all_of(all.begin(), all.end(),
                            [](const QString &f) { return handListing(f) == qtListing(f); });
    race(
        "listing every folder of the tree, with types", "QDirIterator", same,
        [&] {
            for (const QString &folder : all)
                g_sink = g_sink + handListing(folder).names.size();
        },
        [&] {
            for (const QString &folder : all)
                g_sink = g_sink + qtListing(folder).names.size();
        });

    for (const QString &pattern : {u"*.txt"_s, u"*.*"_s, u"file0?.HTM*"_s}) {
        const WildcardPattern hand(pattern);
        const QtWildcard qt(pattern);
        same = std::all_of(names.begin(), names.end(),
                           [&](const QString &n) { return hand.matches(n) == qt.matches(n); });
        const QByteArray part = "wildcard " + pattern.toUtf8() + " on every name";
        race(
            part.constData(), "QRegularExpression::wildcardToRegularExpression", same,
            [&] {
                for (const QString &name : std::as_const(names))
                    g_sink = g_sink + hand.matches(name);
            },
            [&] {
                for (const QString &name : std::as_const(names))
                    g_sink = g_sink + qt.matches(name);
            });
    }
}

// The command line's run of paths with two jobs, by the hand-written
// ordered extraction or by QtConcurrent::mapped; returns the bytes written.
qsizetype runInOrder(const QStringList &paths, bool hand)
{
    const RunChoices choices;
    auto rowsOf = [&](const QString &path) {
        LinesWriter writer;
        extractFileAsUtf8(path, choices, writer, writer);
        return std::move(writer.out);
    };
    NullDevice out;
    if (hand) {
        // As the command line does it: a block file's rows go out as they come.
        class Chunks final : public Utf8RowSink, public RowSink
        {
        public:
            explicit Chunks(OutputChunks &device) : m_device(device) {}
            ~Chunks() override { m_device.hand(std::move(m_buffer)); }
            void appendUtf8Row(QByteArrayView row) override
            {
                m_buffer.append(row);
                rowEnded();
            }
            void append(QStringView row) override
            {
                appendUtf8(m_buffer, row);
                rowEnded();
            }

        private:
            void rowEnded()
            {
                m_buffer.append('\n');
                if (m_buffer.size() >= (1 << 20))
                    m_device.hand(std::exchange(m_buffer, QByteArray()));
            }

            OutputChunks &m_device;
            QByteArray m_buffer;
        };
        const FileWork work = [&](const QString &path, OutputChunks &output) {
            Chunks chunks(output);
            extractFileAsUtf8(path, choices, chunks, chunks);
            return std::optional<FileFailure>();
        };
        const OrderedReports reports{[](qsizetype) {}, [](qsizetype, const FileFailure &) {}};
        extractInOrder(paths, 2, out, work, reports);
    } else {
        QThreadPool pool;
        pool.setMaxThreadCount(2);
        QFuture<QByteArray> rows =
            QtConcurrent::mapped(&pool, paths, std::function<QByteArray(const QString &)>(rowsOf));
        for (qsizetype i = 0; i < paths.size(); ++i)
            out.write(rows.resultAt(i));
    }
    return out.written;
}

void threads(const std::vector<CorpusFile> &corpus)
{
    std::printf("\n| part | library | same output | ours ms | library ms | library / ours |\n");
    std::printf("|---|---|---|---:|---:|---:|\n");
    // The command line's -j 2 on the files as read from the disk cache.
    QStringList paths;
    for (const CorpusFile &f : corpus)
        paths << f.path;
    qsizetype handWritten = 0;
    qsizetype qtWritten = 0;
    race(
        "--paragraphs -j 2: files cut in order", "QtConcurrent::mapped, results in order", true,
        [&] { handWritten = runInOrder(paths, true); },
        [&] { qtWritten = runInOrder(paths, false); });
    if (handWritten != qtWritten)
        std::printf("(the output differs: %lld against %lld bytes)\n", qlonglong(handWritten),
                    qlonglong(qtWritten));
}

// QCommandLineParser set up from the option table.
bool qtParses(const QStringList &arguments)
{
    QCommandLineParser parser;
    for (const CommandLineOption &option : commandLineOptions()) {
        QStringList names;
        for (const QString &name : option.names())
            names << QString(name).remove(0, name.startsWith(u"--"_s) ? 2 : 1);
        parser.addOption(QCommandLineOption(names, option.help, option.valueName));
    }
    return parser.parse(QStringList{u"quillfen-cli"_s} + arguments);
}

bool handParses(const QStringList &arguments)
{
    try {
        parseArguments(arguments);
        return true;
    } catch (const UsageError &) {
        return false;
    }
}

void parser()
{
    QStringList arguments{u"--sentences"_s};
    for (const char *a :
         {"etc.", "vs.", "i.e.", "et al.", "e.g.", "Mr.", "Jr.", "Mrs.", "Ms.", "Inc."})
        arguments << u"--abbreviation"_s << QString::fromUtf8(a);
    for (int i = 0; i < 200; ++i)
        arguments << u"text/file%1.txt"_s.arg(i);
    std::printf("\n| part | library | same output | ours ms | library ms | library / ours |\n");
    std::printf("|---|---|---|---:|---:|---:|\n");
    race(
        "1,000 parses of --sentences, 10 abbreviations, 200 files", "QCommandLineParser", true,
        [&] {
            for (int i = 0; i < 1000; ++i)
                g_sink = g_sink + parseArguments(arguments).files.size();
        },
        [&] {
            for (int i = 0; i < 1000; ++i)
                g_sink = g_sink + qtParses(arguments);
        });
    std::printf("\nWhere QCommandLineParser, set up from the table, takes what the "
                "hand-written parser refuses:\n");
    for (const QStringList &line : {QStringList{u"-j4"_s, u"a"_s},
                                    {u"-j=4"_s, u"a"_s},
                                    {u"-o=out"_s, u"a"_s},
                                    {u"--o"_s, u"out"_s, u"a"_s},
                                    {u"--j"_s, u"2"_s, u"a"_s},
                                    {u"--0"_s, u"--text"_s, u"a"_s},
                                    {u"-output"_s, u"out"_s, u"a"_s},
                                    {u"--text=1"_s, u"a"_s},
                                    {u"-0h"_s, u"a"_s}}) {
        const bool hand = handParses(line);
        const bool qt = qtParses(line);
        if (hand != qt)
            std::printf("- `%s`: hand-written %s, QCommandLineParser %s\n",
                        qPrintable(line.join(u' ')), hand ? "takes it" : "refuses it",
                        qt ? "takes it" : "refuses it");
    }
}

// The UTF-8 rows' term search against what the rows would need without
// it: the row decoded and Qt's search (QString::indexOf, case folded or
// not, through TermSet), on every line of the UTF-8 files.
void filters(const std::vector<CorpusFile> &corpus)
{
    std::vector<QByteArrayView> rows;
    for (const CorpusFile &file : corpus) {
        if (!isValidUtf8(file.bytes) || detectByteOrderMark(file.bytes))
            continue;
        const QByteArrayView bytes(file.bytes);
        for (qsizetype at = 0; at < bytes.size();) {
            qsizetype end = bytes.indexOf('\n', at);
            if (end < 0)
                end = bytes.size();
            if (end > at)
                rows.push_back(bytes.sliced(at, end - at));
            at = end + 1;
        }
    }
    std::printf("\n%zu rows (the lines of the UTF-8 files)\n\n", rows.size());
    std::printf("| part | library | same output | ours ms | library ms | library / ours |\n");
    std::printf("|---|---|---|---:|---:|---:|\n");
    struct Case
    {
        const char *name;
        QStringList terms;
        TermMatching matching;
    };
    const Case cases[] = {
        {"UTF-8 term search: museum", {u"museum"_s}, {}},
        {"UTF-8 term search: -i MUSEUM", {u"MUSEUM"_s}, {.matchCase = false}},
        {"UTF-8 term search: -i CR\u00C8ME", {u"CR\u00C8ME"_s}, {.matchCase = false}},
        {"UTF-8 term search: museum \\| harbour \\| library",
         {u"museum"_s, u"harbour"_s, u"library"_s},
         {}},
        {"UTF-8 term search: -w the", {u"the"_s}, {.wholeWords = true}},
    };
    for (const Case &c : cases) {
        const auto terms = std::make_shared<const TermSet>(c.terms, c.matching);
        const Utf8TermSet utf8(terms);
        auto ours = [&] {
            qsizetype found = 0;
            for (QByteArrayView row : rows)
                found += utf8.foundIn(row);
            return found;
        };
        auto qt = [&] {
            qsizetype found = 0;
            for (QByteArrayView row : rows)
                found += terms->foundIn(QString::fromUtf8(row));
            return found;
        };
        race(
            c.name, "QString::fromUtf8, then TermSet (QString::indexOf)", ours() == qt(),
            [&] { g_sink = g_sink + ours(); }, [&] { g_sink = g_sink + qt(); });
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 2 && args[1] == u"--ordered-memory"_s) {
        // parts_bench --ordered-memory hand|qt FILE...: one run, then its peak memory.
        const qsizetype written = runInOrder(args.mid(3), args[2] == u"hand"_s);
        struct rusage usage;
        getrusage(RUSAGE_SELF, &usage);
        std::printf("%s: %lld bytes written, peak %ld MB\n", qPrintable(args[2]),
                    qlonglong(written), usage.ru_maxrss / 1024);
        return 0;
    }
    if (args.size() > 2 && args[1] == u"--filters"_s) {
        // parts_bench --filters CORPUS_DIR [ROUNDS]: the term search alone.
        if (args.size() > 3)
            g_rounds = args[3].toInt();
        filters(readCorpus(args[2]));
        return 0;
    }
    if (args.size() > 2 && args[1] == u"--codecs"_s) {
        // parts_bench --codecs CORPUS_DIR [ROUNDS]: validation and decoding alone.
        if (args.size() > 3)
            g_rounds = args[3].toInt();
        codecs(readCorpus(args[2]));
        return 0;
    }
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: parts_bench CORPUS_DIR TREE_DIR [ROUNDS]\n");
        return 2;
    }
    if (args.size() > 3)
        g_rounds = args[3].toInt();
    const std::vector<CorpusFile> corpus = readCorpus(args[1]);
    std::printf("%d rounds, medians; library / ours above 1: ours is faster\n\n", g_rounds);
    codecs(corpus);
    malformed();
    folders(args[2]);
    threads(corpus);
    parser();
    filters(corpus);
    return 0;
}
