#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <vector>

namespace Quillfen {

// Cuts HTML bytes (UTF-8 or any ASCII-compatible encoding) into text,
// tags and other markup at the places an HTML tokenizer would, without
// decoding anything. Like the tokenizer, it reads the content of script,
// style, title and the like as raw text only when told to after their
// start tag, because only the tree builder knows when that applies.
class MarkupScanner
{
public:
    enum class Kind {
        Text,     // character data between markup
        StartTag, // <name attributes...>
        EndTag,   // </name ...>
        Comment,  // a comment, or what the tokenizer reads as one ("<?php ...>")
        Markup,   // doctype, CDATA section, "</>", a tag cut off by the end
        RawText,  // the content of an element read as raw text
        End,
    };
    enum class RawMode { Rcdata, Rawtext, ScriptData, Plaintext };

    struct Token
    {
        Kind kind = Kind::End;
        qsizetype begin = 0; // byte range of the whole token
        qsizetype end = 0;
        QByteArrayView name; // tag name, lower-cased; valid until the next token
        bool selfClosing = false;
    };

    struct Attribute
    {
        QByteArrayView name; // as written
        QByteArrayView value;
    };

    explicit MarkupScanner(QByteArrayView bytes) : m_bytes(bytes) {}

    Token next();

    // Called right after a start tag: what follows is read in this mode up
    // to the end tag of the same name (or the end, for Plaintext).
    void enterRawMode(RawMode mode);
    // In foreign (SVG, MathML) content "<![CDATA[" opens a CDATA section.
    void setCdataAllowed(bool allowed) { m_cdataAllowed = allowed; }

    // The attributes of the last start or end tag.
    const std::vector<Attribute> &attributes() const { return m_attributes; }
    bool hasAttribute(QByteArrayView lowerCaseName) const;
    // The value of the named attribute (first occurrence), or a null view.
    QByteArrayView attributeValue(QByteArrayView lowerCaseName) const;

private:
    int at(qsizetype i) const { return i < m_bytes.size() ? int(uchar(m_bytes[i])) : -1; }
    Token markup(qsizetype begin, qsizetype end, Kind kind = Kind::Markup);
    Token scanTag(qsizetype begin, bool endTag);
    Token scanComment(qsizetype begin);
    Token scanRawText();
    qsizetype scriptDataEnd(qsizetype from) const;
    bool isEndTagOfRawElement(qsizetype lessThan) const;

    QByteArrayView m_bytes;
    qsizetype m_pos = 0;
    bool m_cdataAllowed = false;
    bool m_raw = false;
    RawMode m_rawMode = RawMode::Rawtext;
    QByteArray m_name;
    QByteArray m_rawName;
    std::vector<Attribute> m_attributes;
};

} // namespace Quillfen
