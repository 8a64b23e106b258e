#include "HtmlRendering.h"

#include "FlatMarkup.h"
#include "GumboParse.h"
#include "HtmlCharset.h"
#include "PreparedMarkup.h"
#include "RenderedTextWalk.h"
#include "RenderedTextWriter.h"
#include "platform/Failure.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

constexpr std::size_t MiB = 1024 * 1024;

// Real pages build trees of ten to twenty times their size.
constexpr std::size_t TreeBytesPerPageByte = 32;
constexpr std::size_t SmallestTreeBudget = 256 * MiB;
constexpr std::size_t LargestTreeBudget = 2048 * MiB;
// Real pages cost about one lookup step per byte; deep nesting costs
// thousands.
constexpr std::uint64_t NestingWorkPerPageByte = 16;
constexpr std::uint64_t SmallestNestingWork = 4'000'000;
constexpr qsizetype FlatChunkBytes = 256 * 1024;
constexpr std::size_t FlatTreeBytesPerByte = 256;
// A stand-in takes five to eight bytes, and one character and its digits
// of the parser's reading.
constexpr qsizetype TextStandInBytes = 8;

bool isHiddenHtml(const GumboNode *node)
{
    return node && isHiddenElement(*node);
}

void writeBody(const GumboOutput &output, RenderedTextWriter &writer)
{
    const GumboNode *body = GumboParse::bodyOf(output);
    if (!body)
        return;
    // A body that is not rendered gives all of its text.
    if (isHiddenHtml(body) || isHiddenHtml(output.root))
        writeTextContent(*body, writer);
    else
        writeRenderedText(*body, writer);
}

void writeFlattened(QByteArrayView utf8, const HtmlLimits &limits, RenderedTextWriter &writer)
{
    flattenMarkup(utf8, limits.flatChunkBytes, [&](QByteArrayView chunk) {
        // Flat markup builds no deep tree and no copies of formatting
        // elements, so this bound is never reached in practice.
        GumboParse parse(
            std::max(SmallestTreeBudget, FlatTreeBytesPerByte * std::size_t(chunk.size())));
        const GumboOutput *output = parse.parse(chunk);
        if (!output)
            throw Failure(u"The page is too large to be read"_s);
        if (const GumboNode *body = GumboParse::bodyOf(*output))
            writeRenderedText(*body, writer);
    });
}

} // namespace

HtmlLimits HtmlLimits::forPage(qsizetype pageBytes)
{
    const auto bytes = std::size_t(pageBytes);
    return {std::max(SmallestNestingWork, NestingWorkPerPageByte * bytes),
            std::clamp(TreeBytesPerPageByte * bytes, SmallestTreeBudget, LargestTreeBudget),
            FlatChunkBytes, TextStandInBytes};
}

QString renderedTextOfHtml(QByteArrayView bytes)
{
    return renderedTextOfHtml(bytes, HtmlLimits::forPage(bytes.size()));
}

QString renderedTextOfHtml(QByteArrayView bytes, HtmlBlocks blocks)
{
    return renderedTextOfHtml(bytes, HtmlLimits::forPage(bytes.size()), blocks);
}

QString renderedTextOfHtml(QByteArrayView bytes, const HtmlLimits &limits, HtmlBlocks blocks)
{
    const QByteArray utf8 = htmlBytesAsUtf8(bytes);
    RenderedTextWriter writer;
    writer.setBlocksAsParagraphs(blocks == HtmlBlocks::Paragraphs);
    bool parsed = false;
    {
        const PreparedMarkup prepared =
            prepareMarkup(utf8, limits.nestingWork, limits.textStandInBytes);
        if (!prepared.tooDeep) {
            GumboParse parse(limits.treeBytes);
            if (const GumboOutput *output = parse.parse(prepared.bytes)) {
                writer.setStandIns(&prepared.standIns);
                writeBody(*output, writer);
                writer.setStandIns(nullptr);
                parsed = true;
            }
        }
    }
    if (!parsed)
        writeFlattened(utf8, limits, writer);
    return QString::fromUtf8(writer.take());
}

} // namespace Quillfen
