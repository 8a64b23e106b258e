#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <utility>
#include <vector>

namespace Quillfen {

// Long stretches of a page's text go to the parser as short stand-ins, and
// the walk over the parsed tree puts the stretches back. The parser reads
// text one character at a time, which makes text most of its work; a
// stand-in gives it the same tree for a fraction of it. Only stretches the
// parser would keep as they are get one: they start and end with a
// character that is not white space (so what the parser does with white
// space around them stays the same) and hold no character reference, no
// carriage return and no character it reports or replaces (controls,
// non-characters).
class TextStandIns
{
public:
    // A stand-in is this private-use character (U+10FFFD) and the
    // stretch's number in a fixed number of base-62 digits (0-9, A-Z,
    // a-z), enough for the page: the parser may join a stand-in and the
    // text after it into one node.
    static constexpr QByteArrayView Lead = "\xF4\x8F\xBF\xBD";

    TextStandIns() = default;
    // page: the UTF-8 markup whose text is stood in for; it must outlive
    // this. minimumBytes: shorter stretches are left as they are.
    TextStandIns(QByteArrayView page, qsizetype minimumBytes);

    // True when stand-ins can be used on the page: it holds no lead
    // character of its own and no frameset, whose parsing keeps only the
    // white space of text.
    static bool usableOn(QByteArrayView page);

    // Appends the page's text from begin to end to out, long stretches
    // replaced by stand-ins.
    void appendText(QByteArray &out, qsizetype begin, qsizetype end);

    // When utf8 holds stand-ins: writes it with their stretches back into
    // expanded and returns true. Otherwise returns false.
    bool expand(QByteArrayView utf8, QByteArray &expanded) const;

    bool isEmpty() const { return m_stretches.empty(); }

private:
    QByteArrayView m_page;
    qsizetype m_minimum = 0;
    int m_digits = 1;
    std::vector<std::pair<qsizetype, qsizetype>> m_stretches; // begin, size
};

} // namespace Quillfen
