#include "TextFileExport.h"

#include "SavePathChoice.h"
#include "core/ReportSites.h"
#include "core/ReportingProcedure.h"
#include "platform/EscapedText.h"
#include "platform/Failure.h"
#include "platform/OutputFile.h"
#include "platform/PacedYield.h"
#include "results/RowEncoding.h"

#include <optional>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

constexpr qsizetype ChunkBytes = 1 << 16;
// The dialog's "CSV (*.csv)".
constexpr int CsvFilter = 1;

Failure writeFailure(const QString &path, const OutputFile &file)
{
    return Failure(u"Cannot write %1: %2"_s.arg(path, file.errorString()));
}

void writeChunk(OutputFile &file, const QString &path, QByteArray &chunk)
{
    if (file.device().write(chunk) != chunk.size())
        throw writeFailure(path, file);
    file.writeBack();
    chunk.resize(0); // keeps the capacity
}

} // namespace

void saveResultsAsTextFile(const ExportServices &services, const ListData &list)
{
    namespace Site = ReportSites::SaveTextFile;
    ReportingProcedure proc(services.boxes, Site::Identifier);
    int chosenFilter = 0;
    const QString path = chooseSavePath(
        services, proc, u"Text Files (*.txt)|*.txt|CSV (*.csv)|*.csv|All Files (*.*)|*.*|"_s,
        {Site::ChooseFile, Site::AskOverwrite}, &chosenFilter);
    if (path.isEmpty())
        return;
    const bool csv = chosenFilter == CsvFilter || path.endsWith(u".csv"_s, Qt::CaseInsensitive);

    services.pointer.setPointerMode(PointerMode::Busy);
    // Everything from the opening to the commit is one write: its first
    // failure is reported and the rest is left out, so the old file stays.
    std::optional<OutputFile> file;
    QByteArray chunk;
    bool writing = proc.step(Site::Open, [&] {
        file.emplace(path);
        if (!file->open())
            throw writeFailure(path, *file);
    });
    // One pacer for the writing and the release after it, so that the
    // stretch between two yields never spans both.
    PacedYield pacer(services.loop, services.yieldInterval);
    if (writing) {
        int rows = 0;
        proc.step(Site::CountRows, [&] { rows = list.rowCount(); });
        chunk.reserve(ChunkBytes + 4096);
        if (csv)
            appendRecordHeader(chunk, RecordForm::Csv);
        QByteArray text;
        QByteArray filePath;
        for (int i = 1; writing && i <= rows; ++i) {
            pacer.point();
            writing = proc.step(Site::WriteRow, [&] {
                if (!list.checked(i))
                    return;
                if (csv) {
                    text.resize(0);
                    filePath.resize(0);
                    list.appendCellUtf8(text, i, 1);
                    if (list.columnCount() >= 2)
                        list.appendCellUtf8(filePath, i, 2);
                    appendRecord(chunk, RecordForm::Csv, filePath, text);
                } else {
                    list.appendCellUtf8(chunk, i, 1);
                    chunk.append("\r\n", 2);
                }
                if (chunk.size() >= ChunkBytes)
                    writeChunk(*file, path, chunk);
            });
        }
    }
    if (writing) {
        proc.step(Site::Commit, [&] {
            writeChunk(*file, path, chunk);
            if (!file->commit())
                throw writeFailure(path, *file);
        });
    }
    if (writing) {
        // The replaced file's room, given back between yields.
        while (file->releaseReplacedPart())
            pacer.point();
    }
    file.reset();
    services.pointer.setPointerMode(PointerMode::Default);
}

} // namespace Quillfen
