#include "EpubText.h"

#include "DocumentFailure.h"
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
        const QByteArray name =
            resolveEntryName({}, bytesOf(attributeValue(rootfile, "full-path")));
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

// The page without the internal subset of its document type declaration
// ("<!DOCTYPE html [ <!ENTITY ...> ]>"), which an HTML parser ends at its
// first ">" and would show the rest of. Entities it declares stay as
// written, as in every other XML read here.
QByteArray withoutInternalSubset(QByteArray page)
{
    constexpr qsizetype Prolog = 4096;
    const QByteArrayView head = QByteArrayView(page).first(std::min(page.size(), Prolog));
    qsizetype doctype = -1;
    for (qsizetype at = head.indexOf("<!"); at >= 0; at = head.indexOf("<!", at + 2)) {
        if (head.sliced(at + 2)
                .first(std::min<qsizetype>(7, head.size() - at - 2))
                .compare("DOCTYPE", Qt::CaseInsensitive) == 0) {
            doctype = at;
            break;
        }
    }
    if (doctype < 0)
        return page;
    const qsizetype open = page.indexOf('[', doctype);
    const qsizetype end = page.indexOf('>', doctype);
    if (open < 0 || end < 0 || open > end)
        return page;
    for (qsizetype close = page.indexOf(']', open); close >= 0;
         close = page.indexOf(']', close + 1)) {
        qsizetype after = close + 1;
        while (after < page.size() && QByteArrayView(" \t\r\n").contains(page[after]))
            ++after;
        if (after < page.size() && page[after] == '>') {
            page.remove(open, close + 1 - open);
            return page;
        }
    }
    return page;
}

// "a.xhtml", "a.xhtml and b.xhtml", "a.xhtml, b.xhtml, ... and 4 more".
QString listOfNames(const QList<QByteArray> &names)
{
    constexpr qsizetype Shown = 3;
    QStringList shown;
    for (qsizetype i = 0; i < std::min(names.size(), Shown); ++i)
        shown << QString::fromUtf8(names[i]);
    if (names.size() > Shown)
        return shown.join(u", "_s) + u" and "_s + QString::number(names.size() - Shown) +
               u" more"_s;
    if (shown.size() == 1)
        return shown.first();
    const QString last = shown.takeLast();
    return shown.join(u", "_s) + u" and "_s + last;
}

bool isPage(std::string_view mediaType)
{
    return mediaType == "application/xhtml+xml" || mediaType == "text/html" || mediaType.empty();
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

    // Each document once, where the spine first names it: spines name a
    // document again for each of its #fragments.
    QSet<QByteArray> read;
    QList<QByteArray> missing;
    QString text;
    for (const pugi::xml_node &itemref : findElement(tree, "spine").children()) {
        if (localName(itemref) != "itemref")
            continue;
        const QByteArray name = pages.value(bytesOf(attributeValue(itemref, "idref")));
        if (name.isEmpty() || read.contains(name))
            continue;
        read.insert(name);
        if (encrypted.contains(name))
            throw Failure(u"it is encrypted"_s);
        const auto page = archive.read(name);
        if (!page) {
            missing.append(name);
            continue;
        }
        QString pageText = renderedTextOfHtml(withoutInternalSubset(*page), HtmlBlocks::Paragraphs);
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
    if (!missing.isEmpty())
        throw IncompleteText(text, u"its reading order names "_s + listOfNames(missing) +
                                       (missing.size() == 1 ? u", which is"_s : u", which are"_s) +
                                       u" missing from the book"_s);
    return text;
}

QString epubTextOfBytes(QByteArray bytes)
{
    ZipContainer archive(std::move(bytes));
    return epubText(archive);
}

} // namespace Quillfen
