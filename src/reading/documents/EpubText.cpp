#include "EpubText.h"

#include "XmlTree.h"
#include "ZipContainer.h"
#include "platform/Failure.h"
#include "reading/html/HtmlRendering.h"

#include <QHash>
#include <QSet>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

QByteArray bytesOf(std::string_view text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

// The first element of that local name below root, searched without
// recursion.
pugi::xml_node findElement(const pugi::xml_node &root, std::string_view name)
{
    pugi::xml_node found;
    walkTree(
        root,
        [&](const pugi::xml_node &node) {
            if (found || node.type() != pugi::node_element)
                return Visit::Skip;
            if (localName(node) == name) {
                found = node;
                return Visit::Skip;
            }
            return Visit::Children;
        },
        [](const pugi::xml_node &) {});
    return found;
}

QByteArray packageName(ZipContainer &archive)
{
    QByteArray xml = archive.readRequired("META-INF/container.xml");
    pugi::xml_document tree;
    parseXml(tree, xml, "META-INF/container.xml");
    const pugi::xml_node rootfiles = findElement(tree, "rootfiles");
    for (const pugi::xml_node &rootfile : rootfiles.children()) {
        if (localName(rootfile) != "rootfile")
            continue;
        const std::string_view type = attributeValue(rootfile, "media-type");
        if (!type.empty() && type != "application/oebps-package+xml")
            continue;
        const QByteArray name = resolveEntryName({}, bytesOf(attributeValue(rootfile, "full-path")));
        if (!name.isEmpty())
            return name;
    }
    throw Failure(u"it is damaged: META-INF/container.xml names no package"_s);
}

// The entries META-INF/encryption.xml says are encrypted. Fonts are often
// obfuscated; only the text documents matter here.
QSet<QByteArray> encryptedEntries(ZipContainer &archive)
{
    QSet<QByteArray> entries;
    auto xml = archive.read("META-INF/encryption.xml");
    if (!xml)
        return entries;
    pugi::xml_document tree;
    parseXml(tree, *xml, "META-INF/encryption.xml");
    walkTree(
        tree,
        [&](const pugi::xml_node &node) {
            if (node.type() != pugi::node_element)
                return Visit::Skip;
            if (localName(node) == "CipherReference")
                entries.insert(resolveEntryName({}, bytesOf(attributeValue(node, "URI"))));
            return Visit::Children;
        },
        [](const pugi::xml_node &) {});
    return entries;
}

bool isPage(std::string_view mediaType)
{
    return mediaType == "application/xhtml+xml" || mediaType == "text/html"
        || mediaType.empty();
}

} // namespace

QString epubText(ZipContainer &archive)
{
    const QByteArray package = packageName(archive);
    QByteArray opf = archive.readRequired(package);
    pugi::xml_document tree;
    parseXml(tree, opf, package.constData());

    QHash<QByteArray, QByteArray> pages; // manifest id -> entry name
    for (const pugi::xml_node &item : findElement(tree, "manifest").children()) {
        if (localName(item) != "item" || !isPage(attributeValue(item, "media-type")))
            continue;
        const QByteArray name = resolveEntryName(package, bytesOf(attributeValue(item, "href")));
        if (!name.isEmpty())
            pages.insert(bytesOf(attributeValue(item, "id")), name);
    }
    const QSet<QByteArray> encrypted = encryptedEntries(archive);

    QString text;
    for (const pugi::xml_node &itemref : findElement(tree, "spine").children()) {
        if (localName(itemref) != "itemref")
            continue;
        const QByteArray name = pages.value(bytesOf(attributeValue(itemref, "idref")));
        if (name.isEmpty())
            continue;
        if (encrypted.contains(name))
            throw Failure(u"it is encrypted"_s);
        const auto page = archive.read(name);
        if (!page)
            continue;
        QString pageText = renderedTextOfHtml(*page);
        // Only what stands between the documents' texts is trimmed.
        while (!pageText.isEmpty() && pageText.back().isSpace())
            pageText.chop(1);
        qsizetype start = 0;
        while (start < pageText.size() && (pageText[start] == u'\r' || pageText[start] == u'\n'))
            ++start;
        pageText.remove(0, start);
        if (pageText.isEmpty())
            continue;
        if (!text.isEmpty())
            text += u"\r\n\r\n"_s;
        text += pageText;
    }
    return text;
}

QString epubTextOfBytes(QByteArray bytes)
{
    ZipContainer archive(std::move(bytes));
    return epubText(archive);
}

} // namespace Quillfen
