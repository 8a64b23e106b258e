#pragma once

#include "RunChoices.h"

#include <QString>

namespace Quillfen {

// Files from this size on are read and cut block by block.
constexpr qint64 BlockwiseFileBytes = qint64(16) << 20;
constexpr qsizetype ExtractionBlockBytes = qsizetype(4) << 20;

// Every row of a text file (not a document), read blockBytes at a time in
// bounded memory: exactly the rows of reading it as one text. A file
// without a byte-order mark is read twice, first to tell UTF-8 from a
// legacy encoding. Throws Failure when the file cannot be read or is
// binary; a read that fails part way comes after the rows of the blocks
// before it.
void extractTextFileInBlocks(const QString &path, const RunChoices &choices, RowSink &sink,
                             qsizetype blockBytes = ExtractionBlockBytes);

} // namespace Quillfen
