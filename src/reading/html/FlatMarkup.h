#pragma once

#include <QByteArrayView>
#include <functional>

namespace Quillfen {

// The page rewritten as flat markup that any parser reads in time and
// memory proportional to its length: its text, character references
// untouched, with only the tags that shape lines (a paragraph or block
// boundary, a line break, preformatted text, a text area) and without the
// content of elements that never show. The result comes in chunks of
// about maxChunkBytes (more when preformatted text or a text area runs
// on), each a document of its own ("<body>..."), to be parsed one after
// the other into one text. Used for pages whose real
// tree would be too deep or too large; table cells become spaces.
void flattenMarkup(QByteArrayView utf8, qsizetype maxChunkBytes,
                   const std::function<void(QByteArrayView chunk)> &takeChunk);

} // namespace Quillfen
