#include "XmlTree.h"

#include "platform/Failure.h"

using namespace Qt::StringLiterals;

namespace Quillfen {

void parseXml(pugi::xml_document &tree, QByteArray &bytes, const char *what,
              qsizetype offsetInWhole)
{
    const pugi::xml_parse_result result =
        tree.load_buffer_inplace(bytes.data(), size_t(bytes.size()), XmlParseOptions);
    if (!result) {
        if (result.status == pugi::status_out_of_memory)
            throw std::bad_alloc();
        throw Failure(
            u"it is damaged: "_s + QString::fromUtf8(what) + u" is not well-formed XML ("_s +
            QString::fromUtf8(result.description()) + u" at byte "_s +
            QString::number(std::max<qsizetype>(0, qsizetype(result.offset) + offsetInWhole)) +
            u')');
    }
}

std::string_view attributeValue(const pugi::xml_node &node, std::string_view local)
{
    for (const pugi::xml_attribute &attribute : node.attributes()) {
        std::string_view name(attribute.name());
        const auto colon = name.find(':');
        if (colon != std::string_view::npos)
            name.remove_prefix(colon + 1);
        if (name == local)
            return attribute.value();
    }
    return {};
}

void failTooDeep()
{
    throw Failure(u"it is damaged: its XML nests more than "_s + QString::number(MaximumXmlDepth) +
                  u" levels deep"_s);
}

} // namespace Quillfen
