#include "RenderedTextWalk.h"

#include <QByteArrayView>
#include <cstring>
#include <strings.h>
#include <vector>

namespace Quillfen {

namespace {

// How an element takes part in the rendered text.
enum class Role {
    NotRendered, // shows nothing, and nothing of its content
    Inline,      // its content flows with the text around it
    Block,       // its content stands on lines of its own
    Table,
    Row,
    Cell,
    LineBreak,
    InlineBox,     // an image, a form field: a box without text
    InlineTextBox, // a button, a text area: a box with text inside
};

struct Display
{
    Role role = Role::Inline;
    int lineEnds = 0; // Block: required before and after
    bool preserve = false;
    bool select = false; // only its options show
    bool closedDetails = false;
};

enum class Svg { Outside, Drawing, Text }; // outside SVG, in a drawing, in <text>

// What the children of an element inherit, and what only its direct
// children see.
struct Context
{
    bool preserve = false;
    Svg svg = Svg::Outside;
    const GumboNode *lastRow = nullptr;  // of the nearest table
    const GumboNode *lastCell = nullptr; // of the parent row
    bool selectChildren = false;
    bool tablePartChildren = false;
    const GumboNode *onlyChild = nullptr; // a closed details element shows its summary only
    bool closedDetails = false;
};

struct Frame
{
    const GumboNode *node;
    Display display;
    Context context;
    unsigned next = 0;
};

const GumboElement &elementOf(const GumboNode &node)
{
    return node.v.element;
}

bool isElement(const GumboNode &node)
{
    return node.type == GUMBO_NODE_ELEMENT;
}

bool hasAttribute(const GumboElement &element, const char *name)
{
    return gumbo_get_attribute(&element.attributes, name) != nullptr;
}

// The name as written, for elements gumbo has no tag constant for.
bool isNamed(const GumboElement &element, const char *lowerName)
{
    GumboStringPiece name = element.original_tag;
    if (!name.data || name.length == 0)
        return false;
    gumbo_tag_from_original_text(&name);
    const std::size_t length = std::strlen(lowerName);
    if (name.length != length)
        return false;
    for (std::size_t i = 0; i < length; ++i) {
        char c = name.data[i];
        if (c >= 'A' && c <= 'Z')
            c = char(c + ('a' - 'A'));
        if (c != lowerName[i])
            return false;
    }
    return true;
}

bool isHtml(const GumboElement &element, GumboTag tag)
{
    return element.tag == tag && element.tag_namespace == GUMBO_NAMESPACE_HTML;
}

bool isRenderedHtml(const GumboNode &node, GumboTag tag)
{
    return isElement(node) && isHtml(elementOf(node), tag) && !isHiddenElement(node);
}

const GumboNode *childAt(const GumboNode &node, unsigned i)
{
    return static_cast<const GumboNode *>(elementOf(node).children.data[i]);
}

// The last row of a table, looking into its row groups.
const GumboNode *lastRowOf(const GumboNode &table)
{
    const GumboVector &children = elementOf(table).children;
    for (unsigned i = children.length; i-- > 0;) {
        const GumboNode &child = *childAt(table, i);
        if (isRenderedHtml(child, GUMBO_TAG_TR))
            return &child;
        if (isRenderedHtml(child, GUMBO_TAG_TBODY) || isRenderedHtml(child, GUMBO_TAG_THEAD) ||
            isRenderedHtml(child, GUMBO_TAG_TFOOT)) {
            for (unsigned j = elementOf(child).children.length; j-- > 0;) {
                const GumboNode &row = *childAt(child, j);
                if (isRenderedHtml(row, GUMBO_TAG_TR))
                    return &row;
            }
        }
    }
    return nullptr;
}

const GumboNode *lastCellOf(const GumboNode &row)
{
    for (unsigned i = elementOf(row).children.length; i-- > 0;) {
        const GumboNode &child = *childAt(row, i);
        if (isRenderedHtml(child, GUMBO_TAG_TD) || isRenderedHtml(child, GUMBO_TAG_TH))
            return &child;
    }
    return nullptr;
}

const GumboNode *firstSummaryOf(const GumboNode &details)
{
    for (unsigned i = 0; i < elementOf(details).children.length; ++i) {
        const GumboNode &child = *childAt(details, i);
        if (isElement(child) && isHtml(elementOf(child), GUMBO_TAG_SUMMARY))
            return &child;
    }
    return nullptr;
}

Display block(int lineEnds = 1, bool preserve = false)
{
    return {Role::Block, lineEnds, preserve, false, false};
}

Display roleOfHtml(const GumboNode &node)
{
    const GumboElement &element = elementOf(node);
    if (hasAttribute(element, "hidden"))
        return {Role::NotRendered};
    switch (element.tag) {
    case GUMBO_TAG_HEAD:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_BASE:
    case GUMBO_TAG_LINK:
    case GUMBO_TAG_META:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_NOSCRIPT: // scripts would run, so it shows nothing
    case GUMBO_TAG_TEMPLATE:
    case GUMBO_TAG_AREA:
    case GUMBO_TAG_BASEFONT:
    case GUMBO_TAG_BGSOUND:
    case GUMBO_TAG_DATALIST:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_PARAM:
    case GUMBO_TAG_RP:
    case GUMBO_TAG_SOURCE:
    case GUMBO_TAG_TRACK:
    case GUMBO_TAG_COLGROUP:
    case GUMBO_TAG_COL:
        return {Role::NotRendered};
    case GUMBO_TAG_INPUT: {
        const GumboAttribute *type = gumbo_get_attribute(&element.attributes, "type");
        if (type && strcasecmp(type->value, "hidden") == 0)
            return {Role::NotRendered};
        return {Role::InlineBox};
    }
    case GUMBO_TAG_AUDIO: // a player shows only with its controls
        return hasAttribute(element, "controls") ? Display{Role::InlineBox}
                                                 : Display{Role::NotRendered};
    case GUMBO_TAG_IMG:
    case GUMBO_TAG_IMAGE:
    case GUMBO_TAG_EMBED:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_VIDEO:
    case GUMBO_TAG_CANVAS:
    case GUMBO_TAG_PROGRESS:
    case GUMBO_TAG_METER:
    case GUMBO_TAG_KEYGEN:
    case GUMBO_TAG_FRAME:
        return {Role::InlineBox};
    case GUMBO_TAG_BR:
        return {Role::LineBreak};
    case GUMBO_TAG_P:
        return block(2);
    case GUMBO_TAG_PRE:
    case GUMBO_TAG_LISTING:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_PLAINTEXT:
        return block(1, true);
    case GUMBO_TAG_DETAILS: {
        Display display = block();
        display.closedDetails = !hasAttribute(element, "open");
        return display;
    }
    case GUMBO_TAG_ADDRESS:
    case GUMBO_TAG_ARTICLE:
    case GUMBO_TAG_ASIDE:
    case GUMBO_TAG_BLOCKQUOTE:
    case GUMBO_TAG_CENTER:
    case GUMBO_TAG_DIR:
    case GUMBO_TAG_DIV:
    case GUMBO_TAG_DL:
    case GUMBO_TAG_DD:
    case GUMBO_TAG_DT:
    case GUMBO_TAG_FIELDSET:
    case GUMBO_TAG_FIGCAPTION:
    case GUMBO_TAG_FIGURE:
    case GUMBO_TAG_FOOTER:
    case GUMBO_TAG_FORM:
    case GUMBO_TAG_H1:
    case GUMBO_TAG_H2:
    case GUMBO_TAG_H3:
    case GUMBO_TAG_H4:
    case GUMBO_TAG_H5:
    case GUMBO_TAG_H6:
    case GUMBO_TAG_HEADER:
    case GUMBO_TAG_HGROUP:
    case GUMBO_TAG_HR:
    case GUMBO_TAG_LEGEND:
    case GUMBO_TAG_LI:
    case GUMBO_TAG_MAIN:
    case GUMBO_TAG_MENU:
    case GUMBO_TAG_NAV:
    case GUMBO_TAG_OL:
    case GUMBO_TAG_UL:
    case GUMBO_TAG_OPTGROUP:
    case GUMBO_TAG_OPTION:
    case GUMBO_TAG_SECTION:
    case GUMBO_TAG_SUMMARY:
    case GUMBO_TAG_CAPTION:
    case GUMBO_TAG_FRAMESET:
    case GUMBO_TAG_BODY:
    case GUMBO_TAG_HTML:
        return block();
    case GUMBO_TAG_TABLE:
        return {Role::Table, 1};
    case GUMBO_TAG_TR:
        return {Role::Row};
    case GUMBO_TAG_TD:
    case GUMBO_TAG_TH:
        return {Role::Cell};
    case GUMBO_TAG_BUTTON:
    case GUMBO_TAG_MARQUEE:
        return {Role::InlineTextBox};
    case GUMBO_TAG_SELECT:
        return {Role::InlineTextBox, 0, false, true, false};
    case GUMBO_TAG_TEXTAREA:
        return {Role::InlineTextBox, 0, true, false, false};
    case GUMBO_TAG_UNKNOWN:
        if (isNamed(element, "dialog"))
            return hasAttribute(element, "open") ? block() : Display{Role::NotRendered};
        if (isNamed(element, "search"))
            return block();
        return {};
    default:
        return {};
    }
}

Display roleOf(const GumboNode &node, Svg svg)
{
    const GumboElement &element = elementOf(node);
    switch (element.tag_namespace) {
    case GUMBO_NAMESPACE_HTML:
        return roleOfHtml(node);
    case GUMBO_NAMESPACE_SVG:
        // A drawing is a box in the line that shows the text of its <text>
        // elements, each on its own line, and none of its titles,
        // descriptions, styles or scripts.
        if (element.tag == GUMBO_TAG_SVG && svg == Svg::Outside)
            return {Role::InlineTextBox};
        if (element.tag == GUMBO_TAG_TITLE || element.tag == GUMBO_TAG_DESC ||
            element.tag == GUMBO_TAG_SCRIPT || element.tag == GUMBO_TAG_STYLE ||
            isNamed(element, "metadata"))
            return {Role::NotRendered};
        if (element.tag == GUMBO_TAG_FOREIGNOBJECT ||
            (svg != Svg::Text && isNamed(element, "text")))
            return block();
        return {};
    case GUMBO_NAMESPACE_MATHML: {
        // A formula is a box in the line (or a block); every part of it
        // stands on a line of its own.
        if (element.tag == GUMBO_TAG_ANNOTATION_XML || isNamed(element, "annotation"))
            return {Role::NotRendered};
        if (element.tag != GUMBO_TAG_MATH)
            return block();
        const GumboAttribute *display = gumbo_get_attribute(&element.attributes, "display");
        if (display && strcasecmp(display->value, "block") == 0)
            return block();
        return {Role::InlineTextBox};
    }
    }
    return {};
}

Context contextForChildren(const GumboNode &node, const Display &display, const Context &parent)
{
    const GumboElement &element = elementOf(node);
    Context context;
    context.preserve = parent.preserve || display.preserve;
    context.svg = parent.svg;
    context.lastRow = parent.lastRow;
    if (element.tag_namespace == GUMBO_NAMESPACE_SVG) {
        if (element.tag == GUMBO_TAG_FOREIGNOBJECT)
            context.svg = Svg::Outside;
        else if (element.tag == GUMBO_TAG_SVG && parent.svg == Svg::Outside)
            context.svg = Svg::Drawing;
        else if (isNamed(element, "text"))
            context.svg = Svg::Text;
    } else if (element.tag_namespace == GUMBO_NAMESPACE_HTML) {
        switch (display.role) {
        case Role::Table:
            context.lastRow = lastRowOf(node);
            context.tablePartChildren = true;
            break;
        case Role::Row:
            context.lastCell = lastCellOf(node);
            context.tablePartChildren = true;
            break;
        default:
            context.tablePartChildren = element.tag == GUMBO_TAG_TBODY ||
                                        element.tag == GUMBO_TAG_THEAD ||
                                        element.tag == GUMBO_TAG_TFOOT;
            break;
        }
        context.selectChildren = display.select;
        if (display.closedDetails) {
            context.closedDetails = true;
            context.onlyChild = firstSummaryOf(node);
        }
    }
    return context;
}

void writeText(const GumboNode &node, const Context &context, RenderedTextWriter &writer)
{
    if (context.svg == Svg::Drawing || context.selectChildren || context.closedDetails)
        return;
    // White space between table parts makes no box.
    if (context.tablePartChildren && node.type == GUMBO_NODE_WHITESPACE)
        return;
    const char *text = node.v.text.text;
    const QByteArrayView bytes(text, qsizetype(std::strlen(text)));
    if (context.preserve)
        writer.preservedText(bytes);
    else
        writer.text(bytes);
}

void enter(const Frame &frame, RenderedTextWriter &writer)
{
    switch (frame.display.role) {
    case Role::Block:
    case Role::Table:
        writer.requireLineEnds(frame.display.lineEnds);
        break;
    case Role::Cell:
        writer.enterCell();
        break;
    case Role::InlineTextBox:
        writer.enterInlineBox();
        break;
    default:
        break;
    }
}

void leave(const Frame &frame, const Context &parent, RenderedTextWriter &writer)
{
    switch (frame.display.role) {
    case Role::Block:
    case Role::Table:
        writer.requireLineEnds(frame.display.lineEnds);
        break;
    case Role::Row:
        if (frame.node != parent.lastRow)
            writer.rowEnd();
        break;
    case Role::Cell:
        writer.leaveCell();
        if (frame.node != parent.lastCell)
            writer.tab();
        break;
    case Role::InlineTextBox:
        writer.leaveInlineBox();
        break;
    default:
        break;
    }
}

} // namespace

bool isHiddenElement(const GumboNode &node)
{
    return isElement(node) && elementOf(node).tag_namespace == GUMBO_NAMESPACE_HTML &&
           hasAttribute(elementOf(node), "hidden");
}

void writeRenderedText(const GumboNode &body, RenderedTextWriter &writer)
{
    std::vector<Frame> stack;
    stack.push_back({&body, Display{}, Context{}});
    stack.back().context = contextForChildren(body, Display{}, Context{});
    while (!stack.empty()) {
        Frame &top = stack.back();
        const GumboVector &children = elementOf(*top.node).children;
        if (top.next >= children.length) {
            const Frame done = top;
            stack.pop_back();
            if (!stack.empty())
                leave(done, stack.back().context, writer);
            continue;
        }
        const GumboNode &child = *static_cast<const GumboNode *>(children.data[top.next++]);
        const Context &context = top.context;
        if (context.closedDetails && &child != context.onlyChild)
            continue;
        switch (child.type) {
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
        case GUMBO_NODE_CDATA:
            writeText(child, context, writer);
            continue;
        case GUMBO_NODE_ELEMENT:
            break;
        default: // comments, template contents
            continue;
        }
        if (context.selectChildren && !isHtml(elementOf(child), GUMBO_TAG_OPTION) &&
            !isHtml(elementOf(child), GUMBO_TAG_OPTGROUP))
            continue;
        const Display display = roleOf(child, context.svg);
        switch (display.role) {
        case Role::NotRendered:
            continue;
        case Role::LineBreak:
            writer.lineEnd();
            continue;
        case Role::InlineBox:
            writer.inlineBox();
            continue;
        default:
            break;
        }
        Frame frame{&child, display, contextForChildren(child, display, context)};
        enter(frame, writer);
        stack.push_back(frame);
    }
}

void writeTextContent(const GumboNode &node, RenderedTextWriter &writer)
{
    std::vector<std::pair<const GumboNode *, unsigned>> stack{{&node, 0u}};
    while (!stack.empty()) {
        auto &[current, next] = stack.back();
        const GumboVector &children = elementOf(*current).children;
        if (next >= children.length) {
            stack.pop_back();
            continue;
        }
        const GumboNode &child = *static_cast<const GumboNode *>(children.data[next++]);
        if (child.type == GUMBO_NODE_ELEMENT)
            stack.emplace_back(&child, 0u);
        else if (child.type == GUMBO_NODE_TEXT || child.type == GUMBO_NODE_WHITESPACE ||
                 child.type == GUMBO_NODE_CDATA)
            writer.preservedText(QByteArrayView(child.v.text.text));
    }
}

} // namespace Quillfen
