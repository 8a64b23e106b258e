#pragma once

#include "MarkupScanner.h"

#include <QByteArrayView>
#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace Quillfen {

// What the HTML parser does with a tag name, as far as the scanning passes
// before and instead of the real parse need to know.
struct TagTraits
{
    enum Flag : std::uint32_t {
        Void = 1u << 0,    // never has content
        Ignored = 1u << 1, // html, head, body: never nest
        ClosesParagraph = 1u << 2,
        Breakout = 1u << 3,      // leaves SVG and MathML content
        ScopeMarker = 1u << 4,   // scope lookups stop here
        Block = 1u << 5,         // starts and ends a line of text
        Paragraph = 1u << 6,     // starts and ends a paragraph
        Preformatted = 1u << 7,  // keeps its white space
        NotRendered = 1u << 8,   // shows none of its content
        UnseenRawText = 1u << 9, // raw text content that is never shown
        Cell = 1u << 10,
        LineBreak = 1u << 11,
        ShownWhenOpen = 1u << 12, // dialog: shown with the open attribute only
    };
    int id = -1;
    std::uint32_t flags = 0;

    bool has(Flag flag) const { return (flags & flag) != 0; }
};

// A rough model of the HTML parser's stack of open elements, fed with the
// tags a MarkupScanner finds. It knows the parser's main implicit closings
// (paragraphs, list items, table cells, foreign content left by an HTML
// tag), enough to tell when a start tag switches the tokenizer to raw text
// and to estimate how deep the real tree nests. Cheap: amortised constant
// work per tag.
class OpenElementModel
{
public:
    struct StartOutcome
    {
        TagTraits traits;
        bool pushed = false; // the element stays open (false: void, ignored, self-closed)
        std::optional<MarkupScanner::RawMode> rawMode;
    };

    OpenElementModel();

    // The next tag will be read in SVG or MathML content.
    bool inForeignContent() const;

    StartOutcome startTag(QByteArrayView name, const MarkupScanner &scanner, bool selfClosing);
    TagTraits endTag(QByteArrayView name);

    std::size_t depth() const { return m_stack.size(); }
    // The sum of the depths at which tags were met: what scope lookups in
    // a real parser cost, roughly.
    std::uint64_t nestingWork() const { return m_work; }

private:
    enum class Space : std::uint8_t { Html, Svg, MathMl };
    struct Entry
    {
        int id;
        Space space;
        bool integrationPoint;
        bool marker;
    };

    TagTraits traitsOf(QByteArrayView name);
    bool isOpen(int id) const { return !m_positions[std::size_t(id)].empty(); }
    bool inScope(int id) const;
    int topId() const { return m_stack.empty() ? -1 : m_stack.back().id; }
    void push(const Entry &entry);
    void pop();
    void popTo(std::size_t size);
    void popThrough(int id);
    void closeParagraph();
    std::optional<MarkupScanner::RawMode> rawModeOf(int id) const;
    StartOutcome startInSelect(const TagTraits &traits);

    std::vector<Entry> m_stack;
    std::vector<std::uint32_t> m_markers;                // stack positions of scope markers
    std::vector<std::vector<std::uint32_t>> m_positions; // per name id, its stack positions
    std::unordered_map<std::string, int> m_otherNames;
    std::uint64_t m_work = 0;
};

} // namespace Quillfen
