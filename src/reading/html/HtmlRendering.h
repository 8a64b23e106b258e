#pragma once

#include <QByteArrayView>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace Quillfen {

// Bounds on the work spent on one page. Past them the page is read in a
// simpler way whose cost grows only with its length (see FlatMarkup.h).
struct HtmlLimits
{
    std::uint64_t nestingWork = 0; // estimated scope-lookup steps of the parser
    std::size_t treeBytes = 0;     // memory of the parsed tree
    qsizetype flatChunkBytes = 0;  // bytes per chunk of the simpler reading
    // Text stretches of at least this many bytes reach the parser as short
    // stand-ins (see TextStandIns.h); zero: none do.
    qsizetype textStandInBytes = 0;

    static HtmlLimits forPage(qsizetype pageBytes);
};

// The rendered text of an HTML page's body from the page's bytes, as a
// browser's document.body.innerText gives it, with CR LF line ends.
// Decodes as a browser does for a local file; runs no script and fetches
// nothing. A page without text gives an empty string.
QString renderedTextOfHtml(QByteArrayView bytes);

// How blocks part: lines as a browser shows them, or paragraphs (every
// block, list item and table row apart by an empty line), for pages of
// books, which often build paragraphs of divs.
enum class HtmlBlocks { Lines, Paragraphs };

QString renderedTextOfHtml(QByteArrayView bytes, HtmlBlocks blocks);
QString renderedTextOfHtml(QByteArrayView bytes, const HtmlLimits &limits,
                           HtmlBlocks blocks = HtmlBlocks::Lines);

} // namespace Quillfen
