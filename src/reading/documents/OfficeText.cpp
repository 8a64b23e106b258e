#include "OfficeText.h"

#include "DocumentText.h"
#include "XmlTree.h"
#include "ZipContainer.h"
#include "platform/Failure.h"

#include <QList>
#include <algorithm>
#include <charconv>
#include <unordered_map>

using namespace Qt::StringLiterals;

namespace Quillfen {

namespace {

enum class Role {
    Other,
    Paragraph,
    Text,
    Tab,
    LineBreak,
    Hyphen,
    Spaces,
    Note,
    Skip,
};

Role roleIn(const std::unordered_map<std::string_view, Role> &roles, const pugi::xml_node &node)
{
    const auto found = roles.find(localName(node));
    return found == roles.end() ? Role::Other : found->second;
}

const std::unordered_map<std::string_view, Role> &wordRoles()
{
    static const std::unordered_map<std::string_view, Role> roles = {
        {"p", Role::Paragraph},
        {"t", Role::Text},
        {"tab", Role::Tab},
        {"ptab", Role::Tab},
        {"br", Role::LineBreak},
        {"cr", Role::LineBreak},
        {"noBreakHyphen", Role::Hyphen},
        // Properties (tab stops are "tab" there too), deleted revisions,
        // field codes, and the fallback copy of what a choice shows.
        {"pPr", Role::Skip},
        {"rPr", Role::Skip},
        {"sectPr", Role::Skip},
        {"tblPr", Role::Skip},
        {"tblGrid", Role::Skip},
        {"trPr", Role::Skip},
        {"tcPr", Role::Skip},
        {"sdtPr", Role::Skip},
        {"sdtEndPr", Role::Skip},
        {"del", Role::Skip},
        {"delText", Role::Skip},
        {"moveFrom", Role::Skip},
        {"instrText", Role::Skip},
        {"delInstrText", Role::Skip},
        {"fldData", Role::Skip},
        {"Fallback", Role::Skip},
    };
    return roles;
}

QByteArray bytesOf(std::string_view text)
{
    return QByteArray(text.data(), qsizetype(text.size()));
}

void appendPcdata(const pugi::xml_node &node, DocumentText &text)
{
    for (const pugi::xml_node &child : node.children()) {
        if (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)
            text.append(child.value());
    }
}

bool isSeparatorNote(const pugi::xml_node &node)
{
    const std::string_view name = localName(node);
    if (name != "footnote" && name != "endnote")
        return false;
    const std::string_view type = attributeValue(node, "type");
    return !type.empty() && type != "normal";
}

// A paragraph framed as a drop cap holds the first letter(s) of the next
// one, which it starts.
bool isDropCap(const pugi::xml_node &paragraph)
{
    for (const pugi::xml_node &properties : paragraph.children()) {
        if (properties.type() != pugi::node_element || localName(properties) != "pPr")
            continue;
        for (const pugi::xml_node &property : properties.children()) {
            if (localName(property) != "framePr")
                continue;
            const std::string_view dropCap = attributeValue(property, "dropCap");
            return dropCap == "drop" || dropCap == "margin";
        }
    }
    return false;
}

void appendWordPart(const pugi::xml_node &root, DocumentText &text)
{
    const auto &roles = wordRoles();
    bool joinNext = false; // after a drop cap
    walkTree(
        root,
        [&](const pugi::xml_node &node) {
            if (node.type() != pugi::node_element)
                return Visit::Skip;
            switch (roleIn(roles, node)) {
            case Role::Paragraph:
                if (!joinNext)
                    text.endParagraph();
                joinNext = false;
                return Visit::Children;
            case Role::Text:
                appendPcdata(node, text);
                return Visit::Skip;
            case Role::Tab:
                text.append("\t");
                return Visit::Skip;
            case Role::LineBreak:
                text.lineBreak();
                return Visit::Skip;
            case Role::Hyphen:
                text.append("-");
                return Visit::Skip;
            case Role::Skip:
                return Visit::Skip;
            default:
                return isSeparatorNote(node) ? Visit::Skip : Visit::Children;
            }
        },
        [&](const pugi::xml_node &node) {
            if (localName(node) != "p")
                return;
            joinNext = isDropCap(node);
            if (!joinNext)
                text.endParagraph();
        });
    text.endParagraph();
}

void appendWordPart(QByteArray xml, const char *what, DocumentText &text)
{
    pugi::xml_document tree;
    parseXml(tree, xml, what);
    appendWordPart(tree, text);
}

// The entry holding the relationships of part; an empty part is the
// package itself, whose relationships are _rels/.rels.
QByteArray relationshipsOf(const QByteArray &part)
{
    const qsizetype slash = part.lastIndexOf('/');
    return part.left(slash + 1) + "_rels/" + part.mid(slash + 1) + ".rels";
}

// The targets of a part's relationships of a type (the end of its URI,
// which Strict OOXML's purl.oclc.org types share with the transitional
// ones), as entry names resolved from the part's own folder.
QList<QByteArray> relationshipTargets(ZipContainer &archive, const QByteArray &part,
                                      std::string_view typeEnd)
{
    const QByteArray relsName = relationshipsOf(part);
    auto rels = archive.read(relsName);
    QList<QByteArray> targets;
    if (!rels)
        return targets;
    pugi::xml_document tree;
    parseXml(tree, *rels, relsName.constData());
    for (const pugi::xml_node &relation : tree.document_element().children()) {
        const std::string_view type = attributeValue(relation, "Type");
        if (localName(relation) != "Relationship" || !type.ends_with(typeEnd)
            || attributeValue(relation, "TargetMode") == "External")
            continue;
        const std::string_view target = attributeValue(relation, "Target");
        const QByteArray name = resolveEntryName(part, bytesOf(target));
        if (!name.isEmpty())
            targets.append(name);
    }
    return targets;
}

// The content type [Content_Types].xml gives the part, if it names it.
QByteArray contentTypeOf(ZipContainer &archive, const QByteArray &part)
{
    auto types = archive.read("[Content_Types].xml");
    if (!types)
        return {};
    pugi::xml_document tree;
    parseXml(tree, *types, "[Content_Types].xml");
    for (const pugi::xml_node &type : tree.document_element().children()) {
        if (localName(type) != "Override")
            continue;
        const QByteArray name = resolveEntryName({}, bytesOf(attributeValue(type, "PartName")));
        if (name == part)
            return bytesOf(attributeValue(type, "ContentType"));
    }
    return {};
}

// A spreadsheet or a presentation of the same packaging is told as what it
// is, not as a damaged Word document.
void refuseOtherOfficeFiles(ZipContainer &archive, const QByteArray &main)
{
    const QByteArray type = contentTypeOf(archive, main);
    const auto refuse = [](const QString &kind) {
        throw Failure(u"it is "_s + kind + u", not a document Quillfen reads"_s);
    };
    if (type.contains("spreadsheetml") || type.contains("ms-excel") ||
        (type.isEmpty() && main.startsWith("xl/")))
        refuse(u"a spreadsheet"_s);
    if (type.contains("presentationml") || type.contains("ms-powerpoint") ||
        (type.isEmpty() && main.startsWith("ppt/")))
        refuse(u"a presentation"_s);
}

// Office files with a password are not zip archives but compound files.
bool isCompoundFile(QByteArrayView bytes)
{
    return bytes.startsWith("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1");
}

const std::unordered_map<std::string_view, Role> &odtRoles()
{
    static const std::unordered_map<std::string_view, Role> roles = {
        {"p", Role::Paragraph},
        {"h", Role::Paragraph},
        {"s", Role::Spaces},
        {"tab", Role::Tab},
        {"line-break", Role::LineBreak},
        {"note", Role::Note},
        // Deleted text of tracked changes, comments, and declarations.
        {"tracked-changes", Role::Skip},
        {"annotation", Role::Skip},
        {"note-citation", Role::Skip},
        {"sequence-decls", Role::Skip},
        {"variable-decls", Role::Skip},
        {"user-field-decls", Role::Skip},
        {"forms", Role::Skip},
        {"desc", Role::Skip},
    };
    return roles;
}

// Runs of white space in an OpenDocument paragraph's text are one space,
// and none at its start or after a line break.
class CollapsingText
{
public:
    explicit CollapsingText(DocumentText &text) : m_text(text) {}

    void appendCollapsed(const char *utf8)
    {
        m_buffer.clear();
        for (const char *p = utf8; *p; ++p) {
            const bool white = *p == ' ' || *p == '\t' || *p == '\n' || *p == '\r';
            if (white) {
                if (!m_afterSpace)
                    m_buffer.push_back(' ');
                m_afterSpace = true;
            } else {
                m_buffer.push_back(*p);
                m_afterSpace = false;
            }
        }
        m_text.append(m_buffer);
    }
    void appendKept(std::string_view utf8)
    {
        m_text.append(utf8);
        m_afterSpace = false;
    }
    void spaces(int count)
    {
        m_text.appendSpaces(count);
        m_afterSpace = false;
    }
    void lineBreak()
    {
        m_text.lineBreak();
        m_afterSpace = true;
    }
    void endParagraph()
    {
        m_text.endParagraph();
        m_afterSpace = true;
    }

private:
    DocumentText &m_text;
    std::string m_buffer;
    bool m_afterSpace = true;
};

int spaceCount(const pugi::xml_node &node)
{
    const std::string_view given = attributeValue(node, "c");
    int count = 1;
    std::from_chars(given.data(), given.data() + given.size(), count);
    // Any more is a way to blow a small file up, not a document.
    return std::clamp(count, 1, 1024);
}

QString odtText(const pugi::xml_node &root)
{
    DocumentText body;
    DocumentText notes;
    CollapsingText bodyText(body);
    CollapsingText notesText(notes);
    CollapsingText *current = &bodyText;
    int noteDepth = 0;
    // Text outside paragraphs (between list items, say) is no text.
    int paragraphDepth = 0;
    const auto &roles = odtRoles();
    walkTree(
        root,
        [&](const pugi::xml_node &node) {
            if (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata) {
                if (paragraphDepth > 0)
                    current->appendCollapsed(node.value());
                return Visit::Skip;
            }
            if (node.type() != pugi::node_element)
                return Visit::Skip;
            switch (roleIn(roles, node)) {
            case Role::Paragraph:
                current->endParagraph();
                ++paragraphDepth;
                return Visit::Children;
            case Role::Spaces:
                current->spaces(spaceCount(node));
                return Visit::Skip;
            case Role::Tab:
                current->appendKept("\t");
                return Visit::Skip;
            case Role::LineBreak:
                current->lineBreak();
                return Visit::Skip;
            case Role::Note:
                ++noteDepth;
                current = &notesText;
                return Visit::Children;
            case Role::Skip:
                return Visit::Skip;
            default:
                return Visit::Children;
            }
        },
        [&](const pugi::xml_node &node) {
            switch (roleIn(roles, node)) {
            case Role::Paragraph:
                current->endParagraph();
                --paragraphDepth;
                break;
            case Role::Note:
                current->endParagraph();
                if (--noteDepth == 0)
                    current = &bodyText;
                break;
            default:
                break;
            }
        });
    QString text = body.take();
    const QString noteText = notes.take();
    if (!text.isEmpty() && !noteText.isEmpty())
        text += u"\r\n\r\n"_s;
    return text + noteText;
}

// Text only ever stands inside office:body; styles and declarations before
// it hold none.
pugi::xml_node odtBody(const pugi::xml_document &tree)
{
    for (const pugi::xml_node &child : tree.document_element().children()) {
        if (child.type() == pugi::node_element && localName(child) == "body")
            return child;
    }
    return tree.document_element();
}

} // namespace

QString docxText(ZipContainer &archive)
{
    // The package's officeDocument relationship names the main part;
    // "word/document.xml" is only where Word puts it.
    QList<QByteArray> main = relationshipTargets(archive, {}, "/officeDocument");
    if (main.isEmpty())
        main.append("word/document.xml");
    const QByteArray part = main.first();
    refuseOtherOfficeFiles(archive, part);
    DocumentText text;
    appendWordPart(archive.readRequired(part), "the main document", text);
    for (const char *type : {"/footnotes", "/endnotes"}) {
        for (const QByteArray &notes : relationshipTargets(archive, part, type)) {
            if (auto xml = archive.read(notes))
                appendWordPart(*std::move(xml), notes.constData(), text);
        }
    }
    return text.take();
}

QString docxTextOfBytes(QByteArray bytes)
{
    if (isCompoundFile(bytes))
        throw Failure(u"it is encrypted"_s);
    ZipContainer archive(std::move(bytes));
    return docxText(archive);
}

QString odtText(ZipContainer &archive)
{
    if (auto manifest = archive.read("META-INF/manifest.xml")) {
        if (manifest->contains("encryption-data"))
            throw Failure(u"it is encrypted"_s);
    }
    QByteArray xml = archive.readRequired("content.xml");
    pugi::xml_document tree;
    parseXml(tree, xml, "content.xml");
    return odtText(odtBody(tree));
}

QString odtTextOfBytes(QByteArray bytes)
{
    if (isCompoundFile(bytes))
        throw Failure(u"it is encrypted"_s);
    ZipContainer archive(std::move(bytes));
    return odtText(archive);
}

QString docxPartText(QByteArray xml)
{
    DocumentText text;
    appendWordPart(std::move(xml), "the part", text);
    return text.take();
}

QString odtContentText(QByteArray xml)
{
    pugi::xml_document tree;
    parseXml(tree, xml, "content.xml");
    return odtText(odtBody(tree));
}

} // namespace Quillfen
