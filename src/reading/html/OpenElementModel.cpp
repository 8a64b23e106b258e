#include "OpenElementModel.h"

#include <string_view>

namespace Quillfen {

namespace {

// Names whose handling is specific; every other known name has id Plain
// plus its place in the table below.
enum Id : int {
    A,
    AnnotationXml,
    Body,
    Button,
    Caption,
    Col,
    Colgroup,
    Dd,
    Desc,
    Dt,
    Font,
    ForeignObject,
    Form,
    H1,
    H2,
    H3,
    H4,
    H5,
    H6,
    Head,
    Html,
    Input,
    Keygen,
    Li,
    Math,
    Mi,
    Mn,
    Mo,
    Ms,
    Mtext,
    Nobr,
    Optgroup,
    Option,
    P,
    Rb,
    Rp,
    Rt,
    Rtc,
    Script,
    Select,
    Svg,
    Table,
    Tbody,
    Td,
    Template,
    Textarea,
    Tfoot,
    Th,
    Thead,
    Title,
    Tr,
    Style,
    Xmp,
    Iframe,
    Noembed,
    Noframes,
    Noscript,
    Plaintext,
    Plain // first id of the names below without specific handling
};

using F = TagTraits::Flag;
constexpr std::uint32_t BlockStart = F::ClosesParagraph | F::Block;

struct KnownName
{
    std::string_view name;
    int id;
    std::uint32_t flags;
};

constexpr KnownName SpecificNames[] = {
    {"a", A, F::Formatting},
    {"annotation-xml", AnnotationXml, 0},
    {"body", Body, F::Ignored | F::Breakout},
    {"button", Button, 0},
    {"caption", Caption, F::ScopeMarker | F::FormattingMarker | F::Block},
    {"col", Col, F::Void},
    {"colgroup", Colgroup, 0},
    {"dd", Dd, BlockStart | F::Breakout},
    {"desc", Desc, 0},
    {"dt", Dt, BlockStart | F::Breakout},
    {"font", Font, F::Formatting},
    {"foreignobject", ForeignObject, 0},
    {"form", Form, BlockStart},
    {"h1", H1, BlockStart | F::Breakout},
    {"h2", H2, BlockStart | F::Breakout},
    {"h3", H3, BlockStart | F::Breakout},
    {"h4", H4, BlockStart | F::Breakout},
    {"h5", H5, BlockStart | F::Breakout},
    {"h6", H6, BlockStart | F::Breakout},
    {"head", Head, F::Ignored | F::Breakout},
    {"html", Html, F::Ignored},
    {"input", Input, F::Void},
    {"keygen", Keygen, F::Void},
    {"li", Li, BlockStart | F::Breakout},
    {"math", Math, 0},
    {"mi", Mi, 0},
    {"mn", Mn, 0},
    {"mo", Mo, 0},
    {"ms", Ms, 0},
    {"mtext", Mtext, 0},
    {"nobr", Nobr, F::Breakout | F::Formatting},
    {"optgroup", Optgroup, F::Block},
    {"option", Option, F::Block},
    {"p", P, F::ClosesParagraph | F::Paragraph | F::Breakout},
    {"rb", Rb, 0},
    {"rp", Rp, F::NotRendered},
    {"rt", Rt, 0},
    {"rtc", Rtc, 0},
    {"script", Script, F::UnseenRawText},
    {"select", Select, 0},
    {"svg", Svg, F::NotRendered},
    {"table", Table, F::ClosesParagraph | F::Block | F::ScopeMarker | F::Breakout},
    {"tbody", Tbody, 0},
    {"td", Td, F::ScopeMarker | F::FormattingMarker | F::Cell},
    {"template", Template, F::ScopeMarker | F::FormattingMarker | F::NotRendered},
    {"textarea", Textarea, 0},
    {"tfoot", Tfoot, 0},
    {"th", Th, F::ScopeMarker | F::FormattingMarker | F::Cell},
    {"thead", Thead, 0},
    {"title", Title, F::UnseenRawText},
    {"tr", Tr, F::Block},
    {"style", Style, F::UnseenRawText},
    {"xmp", Xmp, F::ClosesParagraph | F::Block | F::Preformatted},
    {"iframe", Iframe, F::UnseenRawText},
    {"noembed", Noembed, F::UnseenRawText},
    {"noframes", Noframes, F::UnseenRawText},
    {"noscript", Noscript, F::UnseenRawText},
    {"plaintext", Plaintext, F::ClosesParagraph | F::Block | F::Preformatted},
};

constexpr KnownName PlainNames[] = {
    {"address", 0, BlockStart},
    {"applet", 0, F::ScopeMarker | F::FormattingMarker},
    {"area", 0, F::Void},
    {"article", 0, BlockStart},
    {"aside", 0, BlockStart},
    {"audio", 0, F::NotRendered},
    {"b", 0, F::Breakout | F::Formatting},
    {"base", 0, F::Void},
    {"basefont", 0, F::Void},
    {"bgsound", 0, F::Void},
    {"big", 0, F::Breakout | F::Formatting},
    {"blockquote", 0, BlockStart | F::Breakout},
    {"br", 0, F::Void | F::Breakout | F::LineBreak},
    {"canvas", 0, F::NotRendered},
    {"center", 0, BlockStart | F::Breakout},
    {"code", 0, F::Breakout | F::Formatting},
    {"datalist", 0, F::NotRendered},
    {"details", 0, BlockStart},
    {"dialog", 0, BlockStart | F::ShownWhenOpen},
    {"dir", 0, BlockStart},
    {"div", 0, BlockStart | F::Breakout},
    {"dl", 0, BlockStart | F::Breakout},
    {"em", 0, F::Breakout | F::Formatting},
    {"embed", 0, F::Void | F::Breakout},
    {"fieldset", 0, BlockStart},
    {"figcaption", 0, BlockStart},
    {"figure", 0, BlockStart},
    {"footer", 0, BlockStart},
    {"frame", 0, F::Void},
    {"header", 0, BlockStart},
    {"hgroup", 0, BlockStart},
    {"hr", 0, F::Void | F::ClosesParagraph | F::Block | F::Breakout},
    {"i", 0, F::Breakout | F::Formatting},
    {"image", 0, F::Void},
    {"img", 0, F::Void | F::Breakout},
    {"legend", 0, F::Block},
    {"link", 0, F::Void},
    {"listing", 0, BlockStart | F::Breakout | F::Preformatted},
    {"main", 0, BlockStart},
    {"marquee", 0, F::ScopeMarker | F::FormattingMarker},
    {"menu", 0, BlockStart | F::Breakout},
    {"meta", 0, F::Void | F::Breakout},
    {"meter", 0, F::NotRendered},
    {"nav", 0, BlockStart},
    {"object", 0, F::ScopeMarker | F::FormattingMarker},
    {"ol", 0, BlockStart | F::Breakout},
    {"param", 0, F::Void},
    {"pre", 0, BlockStart | F::Breakout | F::Preformatted},
    {"progress", 0, F::NotRendered},
    {"ruby", 0, F::Breakout},
    {"s", 0, F::Breakout | F::Formatting},
    {"search", 0, BlockStart},
    {"section", 0, BlockStart},
    {"small", 0, F::Breakout | F::Formatting},
    {"source", 0, F::Void},
    {"span", 0, F::Breakout},
    {"strike", 0, F::Breakout | F::Formatting},
    {"strong", 0, F::Breakout | F::Formatting},
    {"sub", 0, F::Breakout},
    {"summary", 0, BlockStart},
    {"sup", 0, F::Breakout},
    {"track", 0, F::Void},
    {"tt", 0, F::Breakout | F::Formatting},
    {"u", 0, F::Breakout | F::Formatting},
    {"ul", 0, BlockStart | F::Breakout},
    {"var", 0, F::Breakout},
    {"video", 0, F::NotRendered},
    {"wbr", 0, F::Void},
};

constexpr int KnownNameCount = Plain + int(std::size(PlainNames));

const std::unordered_map<std::string_view, TagTraits> &knownNames()
{
    static const auto table = [] {
        std::unordered_map<std::string_view, TagTraits> names;
        for (const KnownName &known : SpecificNames)
            names.emplace(known.name, TagTraits{known.id, known.flags});
        int id = Plain;
        for (const KnownName &known : PlainNames)
            names.emplace(known.name, TagTraits{id++, known.flags});
        return names;
    }();
    return table;
}

bool isHeading(int id)
{
    return id >= H1 && id <= H6;
}

bool isRowGroup(int id)
{
    return id == Tbody || id == Thead || id == Tfoot;
}

bool isTablePart(int id)
{
    return isRowGroup(id) || id == Tr || id == Td || id == Th || id == Caption || id == Colgroup ||
           id == Col;
}

// Formatting elements with the same name and attributes count as the same.
std::uint64_t attributesKey(const MarkupScanner &scanner)
{
    std::uint64_t key = scanner.attributes().size();
    for (const auto &attribute : scanner.attributes()) {
        std::uint64_t hash = 1469598103934665603ull;
        for (const char c : attribute.name)
            hash = (hash ^ std::uint8_t(c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c)) *
                   1099511628211ull;
        hash = (hash ^ '=') * 1099511628211ull;
        for (const char c : attribute.value)
            hash = (hash ^ std::uint8_t(c)) * 1099511628211ull;
        key += hash; // the order of the attributes does not matter
    }
    return key;
}

// Text between two tags counts this much less per byte than a tag per level.
constexpr std::uint64_t TextLookupShare = 8;

} // namespace

OpenElementModel::OpenElementModel(bool reopenFormatting)
    : m_positions(std::size_t(KnownNameCount)), m_reopenFormatting(reopenFormatting)
{}

TagTraits OpenElementModel::traitsOf(QByteArrayView name)
{
    const std::string_view key(name.data(), std::size_t(name.size()));
    const auto &known = knownNames();
    if (const auto found = known.find(key); found != known.end())
        return found->second;
    auto [other, added] = m_otherNames.try_emplace(std::string(key), int(m_positions.size()));
    if (added)
        m_positions.emplace_back();
    return TagTraits{other->second, 0};
}

bool OpenElementModel::inForeignContent() const
{
    return !m_stack.empty() && m_stack.back().space != Space::Html &&
           !m_stack.back().integrationPoint;
}

bool OpenElementModel::inScope(int id) const
{
    const auto &positions = m_positions[std::size_t(id)];
    if (positions.empty())
        return false;
    return m_markers.empty() || positions.back() >= m_markers.back();
}

void OpenElementModel::push(const Entry &entry)
{
    const auto position = std::uint32_t(m_stack.size());
    m_stack.push_back(entry);
    m_positions[std::size_t(entry.id)].push_back(position);
    if (entry.marker)
        m_markers.push_back(position);
}

void OpenElementModel::pop()
{
    const Entry top = m_stack.back();
    const auto position = std::int64_t(m_stack.size() - 1);
    m_positions[std::size_t(top.id)].pop_back();
    if (top.marker)
        m_markers.pop_back();
    m_stack.pop_back();
    // A formatting element closed by another element's end stays active,
    // to be opened again.
    if (top.formatting) {
        for (std::size_t i = m_active.size(); i-- > 0;) {
            ++m_work;
            if (m_active[i].position == position) {
                m_active[i].position = -1;
                break;
            }
        }
    }
    if (top.formattingMarker)
        clearActiveToMarker();
}

void OpenElementModel::clearActiveToMarker()
{
    while (!m_active.empty()) {
        ++m_work;
        const bool marker = m_active.back().id == Marker;
        m_active.pop_back();
        if (marker)
            break;
    }
}

// The last active entry for id after the last marker.
std::optional<std::size_t> OpenElementModel::activeEntry(int id)
{
    for (std::size_t i = m_active.size(); i-- > 0;) {
        ++m_work;
        if (m_active[i].id == Marker)
            break;
        if (m_active[i].id == id)
            return i;
    }
    return std::nullopt;
}

// The parser reopens, at the current node, the active formatting elements
// that were closed since the last one still open.
void OpenElementModel::reopenFormatting()
{
    if (m_active.empty() || m_active.back().id == Marker || m_active.back().position >= 0)
        return;
    std::size_t first = m_active.size() - 1;
    while (first > 0 && m_active[first - 1].id != Marker && m_active[first - 1].position < 0) {
        ++m_work;
        --first;
    }
    for (std::size_t i = first; i < m_active.size(); ++i) {
        m_work += m_stack.size();
        m_active[i].position = std::int64_t(m_stack.size());
        push({m_active[i].id, Space::Html, false, false, true, false});
    }
}

// A fourth formatting element like three active ones pushes out the
// earliest of them.
void OpenElementModel::addActive(int id, std::uint64_t attributes)
{
    int same = 0;
    std::optional<std::size_t> earliest;
    for (std::size_t i = m_active.size(); i-- > 0;) {
        ++m_work;
        if (m_active[i].id == Marker)
            break;
        if (m_active[i].id == id && m_active[i].attributes == attributes) {
            ++same;
            earliest = i;
        }
    }
    if (same >= 3)
        m_active.erase(m_active.begin() + std::ptrdiff_t(*earliest));
    m_active.push_back({id, attributes, std::int64_t(m_stack.size() - 1)});
}

void OpenElementModel::text(qsizetype bytes)
{
    if (inForeignContent() || isOpen(Select))
        return;
    reopenFormatting();
    // Inserting each character looks the last active element up on the
    // stack, from the bottom.
    if (!m_active.empty() && m_active.back().id != Marker && m_active.back().position >= 0)
        m_work +=
            std::uint64_t(bytes) * std::uint64_t(m_active.back().position + 1) / TextLookupShare;
}

void OpenElementModel::popTo(std::size_t size)
{
    while (m_stack.size() > size)
        pop();
}

void OpenElementModel::popThrough(int id)
{
    popTo(m_positions[std::size_t(id)].back());
}

void OpenElementModel::closeParagraph()
{
    if (inScope(P))
        popThrough(P);
}

std::optional<MarkupScanner::RawMode> OpenElementModel::rawModeOf(int id) const
{
    using Mode = MarkupScanner::RawMode;
    switch (id) {
    case Title:
    case Textarea:
        return Mode::Rcdata;
    case Style:
    case Xmp:
    case Iframe:
    case Noembed:
    case Noframes:
    case Noscript: // as in a browser that runs scripts
        return Mode::Rawtext;
    case Script:
        return Mode::ScriptData;
    case Plaintext:
        return Mode::Plaintext;
    default:
        return std::nullopt;
    }
}

// Inside a select element the parser drops most start tags.
OpenElementModel::StartOutcome OpenElementModel::startInSelect(const TagTraits &traits)
{
    StartOutcome outcome{traits, false, std::nullopt};
    switch (traits.id) {
    case Option:
    case Optgroup:
        if (topId() == Option)
            pop();
        if (traits.id == Optgroup && topId() == Optgroup)
            pop();
        push({traits.id, Space::Html, false, false});
        outcome.pushed = true;
        return outcome;
    case Select:
    case Input:
    case Keygen:
        popThrough(Select);
        return outcome;
    case Textarea:
        popThrough(Select);
        break;
    case Script:
    case Template:
        break;
    default:
        return outcome;
    }
    push({traits.id, Space::Html, false, traits.has(F::ScopeMarker)});
    outcome.pushed = true;
    outcome.rawMode = rawModeOf(traits.id);
    return outcome;
}

OpenElementModel::StartOutcome
OpenElementModel::startTag(QByteArrayView name, const MarkupScanner &scanner, bool selfClosing)
{
    m_work += m_stack.size();
    const TagTraits traits = traitsOf(name);
    StartOutcome outcome{traits, false, std::nullopt};

    if (inForeignContent()) {
        const bool breakout =
            traits.has(F::Breakout) ||
            (traits.id == Font && (scanner.hasAttribute("color") || scanner.hasAttribute("face") ||
                                   scanner.hasAttribute("size")));
        if (!breakout) {
            if (selfClosing)
                return outcome;
            Entry entry{traits.id, m_stack.back().space, false, false};
            if (traits.id == Svg)
                entry.space = Space::Svg;
            if (entry.space == Space::Svg)
                entry.integrationPoint =
                    traits.id == ForeignObject || traits.id == Desc || traits.id == Title;
            else if (traits.id == AnnotationXml) {
                const QByteArray encoding =
                    scanner.attributeValue("encoding").toByteArray().toLower();
                entry.integrationPoint =
                    encoding == "text/html" || encoding == "application/xhtml+xml";
            } else
                entry.integrationPoint = traits.id == Mi || traits.id == Mo || traits.id == Mn ||
                                         traits.id == Ms || traits.id == Mtext;
            entry.marker = entry.integrationPoint;
            push(entry);
            outcome.pushed = true;
            return outcome;
        }
        while (inForeignContent())
            pop();
    }

    if (isOpen(Select))
        return startInSelect(traits);
    if (traits.has(F::Ignored))
        return outcome;
    if (traits.has(F::ClosesParagraph))
        closeParagraph();
    if (traits.has(F::Void)) {
        if (!traits.has(F::ClosesParagraph) && !isTablePart(traits.id))
            reopenFormatting();
        return outcome;
    }

    switch (traits.id) {
    case Svg:
    case Math:
        reopenFormatting();
        if (selfClosing)
            return outcome;
        push({traits.id, traits.id == Svg ? Space::Svg : Space::MathMl, false, false});
        outcome.pushed = true;
        return outcome;
    case Li:
        if (inScope(Li))
            popThrough(Li);
        break;
    case Dd:
    case Dt: {
        const int open = !isOpen(Dd)                                       ? Dt
                         : !isOpen(Dt)                                     ? Dd
                         : m_positions[Dd].back() > m_positions[Dt].back() ? Dd
                                                                           : Dt;
        if (inScope(open))
            popThrough(open);
        break;
    }
    case A:
    case Nobr:
        // An open one is closed first (the adoption agency, roughly).
        if (!m_reopenFormatting && inScope(traits.id))
            popThrough(traits.id);
        if (const auto entry = activeEntry(traits.id)) {
            const std::int64_t position = m_active[*entry].position;
            if (position >= 0)
                popTo(std::size_t(position));
            if (*entry < m_active.size())
                m_active.erase(m_active.begin() + std::ptrdiff_t(*entry));
        }
        break;
    case Button:
        if (inScope(traits.id))
            popThrough(traits.id);
        break;
    case Form:
        if (isOpen(Form))
            return outcome;
        break;
    case Option:
    case Optgroup:
        if (topId() == Option)
            pop();
        break;
    case Rb:
    case Rp:
    case Rt:
    case Rtc:
        if (topId() == Rb || topId() == Rp || topId() == Rt || topId() == Rtc)
            pop();
        break;
    case Td:
    case Th:
        if (!isOpen(Table))
            return outcome;
        while (topId() != Tr && !isRowGroup(topId()) && topId() != Table && topId() != Template)
            pop();
        break;
    case Tr:
        if (!isOpen(Table))
            return outcome;
        while (!isRowGroup(topId()) && topId() != Table && topId() != Template)
            pop();
        break;
    case Tbody:
    case Thead:
    case Tfoot:
    case Caption:
    case Colgroup:
        if (!isOpen(Table))
            return outcome;
        while (topId() != Table && topId() != Template)
            pop();
        break;
    default:
        if (isHeading(traits.id) && isHeading(topId()))
            pop();
        break;
    }
    outcome.rawMode = rawModeOf(traits.id);
    if (!traits.has(F::ClosesParagraph) && !isTablePart(traits.id) && !outcome.rawMode)
        reopenFormatting();
    const bool formatting = m_reopenFormatting && traits.has(F::Formatting);
    const bool formattingMarker = m_reopenFormatting && traits.has(F::FormattingMarker);
    push({traits.id, Space::Html, false, traits.has(F::ScopeMarker), formatting, formattingMarker});
    outcome.pushed = true;
    if (formatting)
        addActive(traits.id, attributesKey(scanner));
    else if (formattingMarker)
        m_active.push_back({Marker, 0, -1});
    return outcome;
}

TagTraits OpenElementModel::endTag(QByteArrayView name)
{
    m_work += m_stack.size();
    const TagTraits traits = traitsOf(name);
    if (traits.has(F::Ignored))
        return traits;
    if (traits.has(F::Formatting) && !inForeignContent()) {
        if (const auto entry = activeEntry(traits.id)) {
            const std::int64_t position = m_active[*entry].position;
            if (position >= 0 && !m_markers.empty() && position < std::int64_t(m_markers.back()))
                return traits; // not in scope: ignored
            if (position >= 0)
                popTo(std::size_t(position));
            if (*entry < m_active.size())
                m_active.erase(m_active.begin() + std::ptrdiff_t(*entry));
            return traits;
        }
    }
    if (!isOpen(traits.id))
        return traits;
    switch (traits.id) {
    case Table:
    case Tbody:
    case Thead:
    case Tfoot:
    case Tr:
    case Td:
    case Th:
    case Caption:
    case Colgroup:
    case Select:
    case Template:
        popThrough(traits.id);
        return traits;
    default:
        break;
    }
    if (inForeignContent() || inScope(traits.id))
        popThrough(traits.id);
    return traits;
}

} // namespace Quillfen
