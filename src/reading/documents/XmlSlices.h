#pragma once

#include "XmlTree.h"

#include <QByteArray>
#include <functional>
#include <vector>

namespace Quillfen {

// How much of a part's XML is parsed at once. A parsed tree takes ten
// times its XML and more (a node is 64 bytes, "<w:p/>" six), so a large
// part (the zip budget allows 400 MB) is parsed in slices cut between
// elements: each slice is the part's prolog, the start tags of the
// elements open where it starts, its own bytes, and end tags for the
// elements still open where it ends.
constexpr qsizetype XmlSliceBytes = 16 << 20;

// Where XML comes from: appends its next bytes to buffer and says true,
// or says false at its end. A part of a zip archive is inflated this way,
// so that only about a slice of it is held at a time.
using XmlSource = std::function<bool(QByteArray &buffer)>;

// XML already in memory, handed on pieceBytes at a time (all at once by
// default).
XmlSource xmlSourceOf(QByteArray bytes, qsizetype pieceBytes = 0);

// Cuts XML into such slices. Only cuts after an end tag or an empty
// element, never inside markup, text, a comment or CDATA; XML that is not
// in an ASCII-compatible encoding, or too small, is one slice. Holds the
// XML from where the slice at hand starts on, the prolog and the start
// tags of the elements open there.
class XmlSlicer
{
public:
    XmlSlicer(XmlSource source, qsizetype sliceBytes);

    struct Slice
    {
        QByteArray xml;
        int replayed = 0;     // elements opened before the slice, on its first-child chain
        int openAtEnd = 0;    // elements still open after it, on its last-child chain
        qsizetype from = 0;   // where its own bytes start in the whole
        qsizetype prefix = 0; // bytes before them in xml
    };
    // The next slice; false after the last.
    bool next(Slice &slice);

private:
    struct Open
    {
        qsizetype start; // of its start tag, in m_buffer or in m_kept
        qsizetype end;   // past it
        bool kept;       // in m_kept
    };
    bool pull();
    // Whether the byte at at is there, pulling more until it is.
    bool have(qsizetype at) { return at < m_buffer.size() || pullUntil(at); }
    bool pullUntil(qsizetype at);
    char byteAt(qsizetype at) const { return m_buffer.constData()[at]; }
    qsizetype find(char c, qsizetype from);
    qsizetype find(QByteArrayView text, qsizetype from);
    qsizetype skipMarkup(qsizetype at);
    qsizetype tagEnd(qsizetype from);
    bool parserAgreesOnProlog();
    QByteArrayView startTag(const Open &open) const;
    void dropSliced();

    XmlSource m_source;
    bool m_ended = false;
    QByteArray m_buffer; // the XML from m_base on
    qsizetype m_base = 0;
    QByteArray m_prolog;
    QByteArray m_kept; // start tags of open elements whose bytes were dropped
    qsizetype m_sliceBytes;
    qsizetype m_pos = 0;
    std::vector<Open> m_open;
    bool m_whole = false;
    bool m_done = false;
};

// Visits every node of the XML from source as walkTree visits the nodes below
// a whole document, parsing at most about sliceBytes of it at a time: an
// element that slices cut is entered once and left once. depth is 1 for
// the document element, given to enter(node, depth) and leave(node,
// depth). Throws Failure as parseXml does, naming what.
template <typename Enter, typename Leave>
void walkXml(XmlSource source, const char *what, Enter &&enter, Leave &&leave,
             qsizetype sliceBytes = XmlSliceBytes)
{
    XmlSlicer slicer(std::move(source), sliceBytes);
    XmlSlicer::Slice slice;
    std::vector<pugi::xml_node> path; // the elements entered, outermost first
    std::vector<pugi::xml_node> openAtEnd;
    // The depth of the element still open at a slice's end whose children
    // enter said to skip; 0: none.
    int skippedDepth = 0;
    while (slicer.next(slice)) {
        pugi::xml_document tree;
        parseXml(tree, slice.xml, what, slice.from - slice.prefix);
        const auto elementAmong = [](pugi::xml_node node, bool forward) {
            while (node && node.type() != pugi::node_element)
                node = forward ? node.next_sibling() : node.previous_sibling();
            return node;
        };
        // The elements left open at the end are left in a later slice.
        openAtEnd.clear();
        for (pugi::xml_node last = elementAmong(tree.last_child(), false);
             last && int(openAtEnd.size()) < slice.openAtEnd;
             last = elementAmong(last.last_child(), false))
            openAtEnd.push_back(last);
        const auto isOpenAtEnd = [&](const pugi::xml_node &element, size_t depth) {
            return depth >= 1 && depth <= openAtEnd.size() && openAtEnd[depth - 1] == element;
        };
        // The replayed ancestors stand for elements entered before: the walk
        // goes on inside the deepest, or after one whose children are skipped.
        path.clear();
        const int skippedBefore = skippedDepth;
        skippedDepth = 0;
        pugi::xml_node node = tree.first_child();
        for (int depth = 1; depth <= slice.replayed; ++depth) {
            node = elementAmong(node, true);
            if (!node)
                break;
            if (depth == skippedBefore) {
                if (isOpenAtEnd(node, size_t(depth)))
                    skippedDepth = depth; // skipped on in the next slice
                else
                    leave(node, depth);
                node = node.next_sibling();
                break;
            }
            path.push_back(node);
            node = node.first_child();
        }
        while (node || !path.empty()) {
            if (!node) {
                const pugi::xml_node done = path.back();
                if (!isOpenAtEnd(done, path.size()))
                    leave(done, int(path.size()));
                path.pop_back();
                node = done.next_sibling();
                continue;
            }
            const size_t depth = path.size() + 1;
            const Visit visit = enter(node, int(depth));
            if (visit == Visit::Children && node.first_child()) {
                if (depth > size_t(MaximumXmlDepth))
                    failTooDeep();
                path.push_back(node);
                node = node.first_child();
                continue;
            }
            if (node.type() == pugi::node_element) {
                if (!isOpenAtEnd(node, depth))
                    leave(node, int(depth));
                else if (visit == Visit::Skip)
                    skippedDepth = int(depth);
            }
            node = node.next_sibling();
        }
    }
}

} // namespace Quillfen
