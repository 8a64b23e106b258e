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
        ShownWhenOpen = 1u << 12,    // dialog: shown with the open attribute only
        Formatting = 1u << 13,       // b, i, a, font...: reopened after an implied close
        FormattingMarker = 1u << 14, // cells, captions, objects: no reopening across them
    };
    int id = -1;
    std::uint32_t flags = 0;

    bool has(Flag flag) const { return (flags & flag) != 0; }
};

// A rough model of the HTML parser's stack of open elements, fed with the
// tags a MarkupScanner finds. It knows the parser's main implicit closings
// (paragraphs, list items, table cells, foreign content left by an HTML
// tag) and how formatting elements closed that way open again, enough to
// tell when a start tag switches the tokenizer to raw text and to estimate
// how deep the real tree nests and what the parser's lookups cost. Its own
// cost grows with that estimate, which callers bound.
class OpenElementModel
{
public:
    struct StartOutcome
    {
        TagTraits traits;
        bool pushed = false; // the element stays open (false: void, ignored, self-closed)
        std::optional<MarkupScanner::RawMode> rawMode;
    };

    // Without the reopening of formatting elements the model costs
    // amortised constant work per tag, whatever the page, but it may
    // underestimate the depth.
    explicit OpenElementModel(bool reopenFormatting = true);

    // The next tag will be read in SVG or MathML content.
    bool inForeignContent() const;

    StartOutcome startTag(QByteArrayView name, const MarkupScanner &scanner, bool selfClosing);
    TagTraits endTag(QByteArrayView name);
    // Text between tags.
    void text(qsizetype bytes);

    std::size_t depth() const { return m_stack.size(); }
    // What the real parser's lookups cost, roughly: the depths at which
    // tags are met, and for text in a formatting element, how deep that
    // element stands (in eighths: that lookup is cheaper).
    std::uint64_t nestingWork() const { return m_work; }

private:
    enum class Space : std::uint8_t { Html, Svg, MathMl };
    struct Entry
    {
        int id;
        Space space;
        bool integrationPoint;
        bool marker;
        bool formatting = false;
        bool formattingMarker = false;
    };
    // The parser's list of active formatting elements.
    struct Active
    {
        int id; // Marker for a marker
        std::uint64_t attributes;
        std::int64_t position; // on the stack, or -1 when closed
    };
    static constexpr int Marker = -1;

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
    void reopenFormatting();
    std::optional<std::size_t> activeEntry(int id);
    void addActive(int id, std::uint64_t attributes);
    void clearActiveToMarker();

    std::vector<Entry> m_stack;
    std::vector<std::uint32_t> m_markers;                // stack positions of scope markers
    std::vector<std::vector<std::uint32_t>> m_positions; // per name id, its stack positions
    std::unordered_map<std::string, int> m_otherNames;
    std::vector<Active> m_active;
    bool m_reopenFormatting;
    std::uint64_t m_work = 0;
};

} // namespace Quillfen
