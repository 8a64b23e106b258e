#include "OfficeText.h"

#include "DocumentFailure.h"
#include "DocumentText.h"
#include "XmlTree.h"
#include "ZipContainer.h"

#include <QFile>
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

void appendWordPart(const pugi::xml_node &root, DocumentText &text)
{
    const auto &roles = wordRoles();
    walkTree(
        root,
        [&](const pugi::xml_node &node) {
            if (node.type() != pugi::node_element)
                return Visit::Skip;
            switch (roleIn(roles, node)) {
            case Role::Paragraph:
                text.endParagraph();
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
            if (localName(node) == "p")
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

// The targets of a part's relationships of a type, as entry names.
QList<QByteArray> relationshipTargets(ZipContainer &archive, const QByteArray &part,
                                      std::string_view typeEnd)
{
    const qsizetype slash = part.lastIndexOf('/');
    const QByteArray relsName = part.left(slash + 1) + "_rels/" + part.mid(slash + 1) + ".rels";
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
        const QByteArray name =
            resolveEntryName(part, QByteArray(target.data(), qsizetype(target.size())));
        if (!name.isEmpty())
            targets.append(name);
    }
    return targets;
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
    QList<QByteArray> main = relationshipTargets(archive, "_rels/.rels", "/officeDocument");
    if (main.isEmpty())
        main.append("word/document.xml");
    const QByteArray part = main.first();
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

QString docxText(const QString &path)
{
    return readDocumentFile(path, [&] {
        QFile file(path);
        if (file.open(QIODevice::ReadOnly) && isCompoundFile(file.read(8)))
            throw Failure(u"it is encrypted"_s);
        ZipContainer archive(path);
        return docxText(archive);
    });
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

QString odtText(const QString &path)
{
    return readDocumentFile(path, [&] {
        ZipContainer archive(path);
        return odtText(archive);
    });
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
