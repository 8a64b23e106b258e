// The whole path of one input file, from its bytes to rows: the format
// signature (or the name, chosen by the first byte), the reader it names,
// the cut and the filter, as the command line reads a file. The bytes are
// written to a file, since the run reads files.
#include "FuzzSupport.h"
#include "extract/FileExtraction.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <array>

using namespace Quillfen;
using QuillfenFuzz::require;

namespace {

struct CollectRows final : RowSink
{
    QStringList rows;
    void append(QStringView row) override { rows.append(row.toString()); }
};

struct CollectBoth final : RowSink, Utf8RowSink
{
    QStringList rows;
    void append(QStringView row) override { rows.append(row.toString()); }
    void appendUtf8Row(QByteArrayView row) override { rows.append(QString::fromUtf8(row)); }
};

// A folder of its own in memory where there is one, for the whole run.
const QString &folder()
{
    static QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                 ? QStringLiteral("/dev/shm/quillfen-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/quillfen-fuzz-XXXXXX"));
    static const QString path = dir.path();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static constexpr std::array<const char *, 7> Names{
        "input.txt", "input.html", "input.docx", "input.odt", "input.epub", "input.pdf", "input"};
    QuillfenFuzz::Reader in(data, size);
    const std::uint8_t choice = in.byte();
    const QString path = folder() + u'/' + QString::fromLatin1(Names[choice % Names.size()]);
    const ExtractMode mode = (choice & 0x10)   ? ExtractMode::Sentence
                             : (choice & 0x20) ? ExtractMode::SmartSentence
                                               : ExtractMode::Paragraph;
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate), "cannot write the input");
        const QByteArrayView bytes = in.rest();
        require(file.write(bytes.data(), bytes.size()) == bytes.size(), "cannot write the input");
    }

    static const AbbreviationShield shield(
        QStringList{QStringLiteral("Dr."), QStringLiteral("e.g.")});
    const RunChoices choices{mode, shield, {}, {}};
    CollectRows rows;
    const std::optional<FileFailure> failure = extractFile(path, choices, rows);
    CollectBoth both;
    const std::optional<FileFailure> again = extractFileAsUtf8(path, choices, both, both);

    require(failure.has_value() == again.has_value(), "the two paths disagree on failing");
    if (failure) {
        require(!failure->description.isEmpty(), "a failure without a reason");
        require(failureLine(*failure).contains(path), "a failure that does not name its file");
        // Only a document read in part keeps its rows beside its report.
        require(rows.rows.isEmpty() || failure->description.contains(QStringLiteral("\" fully: ")),
                "rows and a failure");
        return 0;
    }
    for (const QString &row : std::as_const(rows.rows)) {
        require(!row.isEmpty(), "an empty row");
        require(row != QStringLiteral("."), "a row of only \".\"");
    }
    require(rows.rows == both.rows, "the UTF-8 path gives other rows");
    return 0;
}
