#include "OfficeText.h"

#include "DocumentText.h"
#include "XmlSlices.h"
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

bool isSeparatorNote(const pugi::xml_node &node)
{
    const std::string_view name = localName(node);
    if (name != "footnote" && name != "endnote")
        return false;
    const std::string_view type = attributeValue(node, "type");
    return !type.empty() && type != "normal";
}

// The walk of a Word part's elements. A paragraph framed as a drop cap
// (its properties' framePr) holds the first letter(s) of the next one,
// which it starts. Its state lives across the slices of a large part.
class WordPartWalk
{
public:
    explicit WordPartWalk(DocumentText &text) : m_text(text) {}

    Visit enter(const pugi::xml_node &node, int depth)
    {
        if (m_textDepth > 0) {
            // A text element's own text, met as the walk goes so that a
            // slice boundary inside it loses nothing.
            if (depth == m_textDepth + 1 &&
                (node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata))
                m_text.append(node.value());
            return Visit::Skip;
        }
        if (node.type() != pugi::node_element)
            return Visit::Skip;
        if (m_propertiesDepth > 0) {
            if (localName(node) == "framePr" && !m_dropCaps.empty()) {
                const std::string_view dropCap = attributeValue(node, "dropCap");
                m_dropCaps.back() = dropCap == "drop" || dropCap == "margin";
            }
            return Visit::Skip;
        }
        if (localName(node) == "pPr") {
            m_propertiesDepth = depth;
            return Visit::Children;
        }
        switch (roleIn(wordRoles(), node)) {
        case Role::Paragraph:
            if (!m_joinNext)
                m_text.endParagraph();
            m_joinNext = false;
            m_dropCaps.push_back(false);
            return Visit::Children;
        case Role::Text:
            m_textDepth = depth;
            return Visit::Children;
        case Role::Tab:
            m_text.append("\t");
            return Visit::Skip;
        case Role::LineBreak:
            m_text.lineBreak();
            return Visit::Skip;
        case Role::Hyphen:
            m_text.append("-");
            return Visit::Skip;
        case Role::Skip:
            return Visit::Skip;
        default:
            return isSeparatorNote(node) ? Visit::Skip : Visit::Children;
        }
    }

    void leave(const pugi::xml_node &node, int depth)
    {
        if (depth == m_textDepth) {
            m_textDepth = 0;
        } else if (depth == m_propertiesDepth) {
            m_propertiesDepth = 0;
        } else if (m_propertiesDepth == 0 && localName(node) == "p" && !m_dropCaps.empty()) {
            m_joinNext = m_dropCaps.back();
            m_dropCaps.pop_back();
            if (!m_joinNext)
                m_text.endParagraph();
        }
    }

private:
    DocumentText &m_text;
    int m_propertiesDepth = 0;    // of the paragraph properties being read; 0: none
    int m_textDepth = 0;          // of the text element being read; 0: none
    std::vector<bool> m_dropCaps; // of the paragraphs open, innermost last
    bool m_joinNext = false;
};

// An entry's XML, inflated as the slices need it.
XmlSource xmlOfEntry(std::unique_ptr<ZipEntryStream> entry)
{
    return [entry = std::shared_ptr<ZipEntryStream>(std::move(entry))](QByteArray &buffer) {
        return entry->readMore(buffer);
    };
}

void appendWordPart(XmlSource xml, const char *what, DocumentText &text,
                    qsizetype sliceBytes = XmlSliceBytes)
{
    WordPartWalk walk(text);
    walkXml(
        std::move(xml), what,
        [&](const pugi::xml_node &node, int depth) { return walk.enter(node, depth); },
        [&](const pugi::xml_node &node, int depth) { walk.leave(node, depth); }, sliceBytes);
    text.endParagraph();
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
        if (localName(relation) != "Relationship" || !type.ends_with(typeEnd) ||
            attributeValue(relation, "TargetMode") == "External")
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

// Text only ever stands inside office:body; styles and declarations before
// it hold none.
QString odtTextOfContent(XmlSource xml, qsizetype sliceBytes = XmlSliceBytes)
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
    walkXml(
        std::move(xml), "content.xml",
        [&](const pugi::xml_node &node, int depth) {
            if (depth == 2 && localName(node) != "body")
                return Visit::Skip;
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
        [&](const pugi::xml_node &node, int depth) {
            if (depth == 2)
                return;
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
        },
        sliceBytes);
    QString text = body.take();
    const QString noteText = notes.take();
    if (!text.isEmpty() && !noteText.isEmpty())
        text += u"\r\n\r\n"_s;
    return text + noteText;
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
    appendWordPart(xmlOfEntry(archive.openRequired(part)), "the main document", text);
    for (const char *type : {"/footnotes", "/endnotes"}) {
        for (const QByteArray &notes : relationshipTargets(archive, part, type)) {
            if (auto entry = archive.open(notes))
                appendWordPart(xmlOfEntry(std::move(entry)), notes.constData(), text);
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
    return odtTextOfContent(xmlOfEntry(archive.openRequired("content.xml")));
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
    return docxPartText(std::move(xml), XmlSliceBytes);
}

QString docxPartText(QByteArray xml, qsizetype sliceBytes, qsizetype pieceBytes)
{
    DocumentText text;
    appendWordPart(xmlSourceOf(std::move(xml), pieceBytes), "the part", text, sliceBytes);
    return text.take();
}

QString odtContentText(QByteArray xml)
{
    return odtTextOfContent(xmlSourceOf(std::move(xml)));
}

QString odtContentText(QByteArray xml, qsizetype sliceBytes, qsizetype pieceBytes)
{
    return odtTextOfContent(xmlSourceOf(std::move(xml), pieceBytes), sliceBytes);
}

} // namespace Quillfen
