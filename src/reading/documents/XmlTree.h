#pragma once

#include <QByteArray>
#include <cstring>
#include <pugixml.hpp>
#include <string_view>

namespace Quillfen {

// How XML is parsed: CDATA and text kept, white space too; character and
// the five predefined entity references decoded.
constexpr unsigned XmlParseOptions =
    pugi::parse_cdata | pugi::parse_escapes | pugi::parse_eol | pugi::parse_ws_pcdata;

// How deep the elements of a document's XML may nest.
constexpr int MaximumXmlDepth = 1000;

// Parses XML held in bytes, in place (the bytes must outlive the tree).
// Character references and the five predefined entities are decoded; a
// document type declaration is skipped, so entities it declares are never
// expanded (a reference to one stays as written) and nothing external is
// ever fetched. Throws Failure ("it is damaged: ...") naming what, when the
// XML is not well formed, at its byte offset plus offsetInWhole (for a
// slice of a larger part).
void parseXml(pugi::xml_document &tree, QByteArray &bytes, const char *what,
              qsizetype offsetInWhole = 0);

// An element's name without its namespace prefix.
inline std::string_view localName(const pugi::xml_node &node)
{
    const char *name = node.name();
    const char *colon = std::strchr(name, ':');
    return colon ? std::string_view(colon + 1) : std::string_view(name);
}

// An attribute's value by its name without prefix; empty when missing.
std::string_view attributeValue(const pugi::xml_node &node, std::string_view local);

enum class Visit { Children, Skip };

[[noreturn]] void failTooDeep();

// Visits every node below root in document order without recursion:
// enter(node) for each (elements, text and CDATA), which may skip the
// node's children; leave(node) after an element's children. Throws Failure
// when elements nest deeper than MaximumXmlDepth.
template <typename Enter, typename Leave>
void walkTree(const pugi::xml_node &root, Enter &&enter, Leave &&leave)
{
    int depth = 0;
    pugi::xml_node node = root.first_child();
    while (node) {
        if (enter(node) == Visit::Children && node.first_child()) {
            if (++depth > MaximumXmlDepth)
                failTooDeep();
            node = node.first_child();
            continue;
        }
        if (node.type() == pugi::node_element)
            leave(node);
        while (!node.next_sibling()) {
            node = node.parent();
            if (node == root || !node)
                return;
            --depth;
            leave(node);
        }
        node = node.next_sibling();
    }
}

} // namespace Quillfen
