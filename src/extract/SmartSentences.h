#pragma once

// Smart sentence mode: sentences as a reader sees them, cut from UTF-8.
// Rules of its own, not ICU's BreakIterator: 50 of the 50 Golden Rules cases
// against ICU's 32, and the best boundary F1 of the splitters measured on
// annotated treebanks, in under a fifth of ICU's processor time
// (bench/sentences).
//
// A sentence ends after a run of ".", "?", "!", "…" (also ". . ."), "‼",
// "⁇", "⁈", "⁉" or the full-width and CJK enders "。", "．", "？", "！",
// "｡", together with the closing quotes and brackets, reference marks
// ("[17]", "²") and emoticons or emoji that follow it. After the run the
// next visible character decides:
// - ",", ";" or ":" continues the sentence;
// - a lower-case letter continues it after an ellipsis, a closing quote, a
//   CJK ender, an abbreviation or in a Spanish question; after "?" or "!"
//   it ends it when the word is a common sentence start ("where", "i") and
//   not a speech tag ("said Harry", "he asked"); after "." when the word
//   before is a word of letters and no abbreviation and the next word is a
//   common start, or the word before has five letters or more;
// - a character right after the run without a space ("3.5", "v2.1",
//   "a.b@c.de", "file.txt") continues it, except "word.Word" where a word
//   of two or more letters or a number meets a capitalised word outside
//   addresses, file names and site names ("ended.Then", not
//   "Newsfeed.Com");
// - a CJK ender ends it whatever follows, but a digit;
// - "?" or "!" ends it, unless the user's list protects the mark, a colon
//   stands before it ("Dial:?") or it ends a name ("Yahoo!");
// - an ellipsis ends it, except one standing apart from the word before
//   with three dots and no closer after it, unless a sentence start other
//   than "I" follows outside an open quotation ("is ... I", not "her ...
//   In"), one before a digit, and one in square brackets ("[...]");
// - a single "." ends it unless the word before is an abbreviation:
//   one of the built-in lists (SmartWords), the user's list (matched at a
//   word start, as listed or capitalised), an initial ("E.", "J. R. R.";
//   not a letter after "'", "&", "/", "°" or a digit: "John's.", "AT&T."),
//   a multi-period abbreviation ("U.S.A.", "z.B."), or a number of up to
//   three digits before a month or after a German cue ("12. Juni",
//   "am 3. Oktober"). After an abbreviation a digit continues; a
//   capitalised word ends the sentence only when it is a common sentence
//   start ("The", "Der", "Il", "El", ...), except after "Inc.", "etc.",
//   "p.m.", units, months and eras ("a. C.", "v. Chr.", "avant J.-C.")
//   (also when the user lists them), which end it
//   before any capital unless the sentence so far is a time phrase ("At 5
//   a.m. Mr. Smith ...") or two to four capitals follow ("Co. KG"). A
//   number of up to three digits between a sentence's end and a sentence
//   start is a footnote mark of the sentence before ("rights. 4 Even").
// Line ends do not end a sentence, but a blank line (two line ends with
// only spaces and tabs between) does, and so does a list marker at the
// start of a line ("1.", "2)", "a.", "(b)", "•", "- "), and a line end
// between two short lines without end marks, the second capitalised
// (list items: "Flour\nSugar"). A sentence that begins with a list marker
// does not end at the marker's ".", and ends before the next marker of its
// series on the same stretch ("1) x 2) y").
//
// Rows: each sentence's bytes with its ends trimmed of blanks and every
// run of spaces, tabs, CR and LF that holds a CR or LF inside it as one
// space; nothing else changes.
//
// Incremental use: the cut keeps the text of the sentence it is in. Every
// decision reads bytes from that sentence's start on only, and ahead of
// the place it decides only as far as the run, its closers, the blanks
// after it, the next word or two (at most LongestWord bytes each), the next
// short line, or a list marker (the next of a series within ListReach
// bytes of the start); where those bytes have not arrived yet, it waits for
// the next part and decides again.
// So the rows are those of the whole text wherever the parts are cut, and
// what is held is the open sentence, however long it is, and no more.

#include "ExtractionChoices.h"
#include "Utf8LineFilter.h"
#include "Utf8Paragraphs.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringList>
#include <array>
#include <memory>
#include <string>
#include <vector>

namespace Quillfen {

class SmartSentenceCut;

// The choices of one run: the user's abbreviations and the line filter.
class SmartSentences
{
public:
    // abbreviations: entries as stored; empty entries protect nothing.
    // filter: applied to each row as Utf8LineFilter applies it, so only a
    // filter that Utf8LineFilter::canFilter suits.
    SmartSentences(const QStringList &abbreviations, const LineFilter &filter);

    // Every sentence of text (valid UTF-8; the three bytes of an unpaired
    // surrogate are taken as one character) to sink: its row when the
    // filter accepts it, then pieceEnded().
    void extract(QByteArrayView text, Utf8RowSink &sink) const;

private:
    friend class SmartSentenceCut;

    // One form of an entry ("e.g." and "E.g.") and a place in it that
    // could be taken for a sentence end: an ASCII ".", "?" or "!", or the
    // position just past an entry that ends in a letter or digit.
    struct EntryStop
    {
        qsizetype entry; // index into m_forms
        qsizetype at;
        char first; // the form's first byte, to pass most places over
    };
    struct Form
    {
        std::string bytes;
        bool endsInWord; // must not run on into a letter or digit
    };
    std::vector<Form> m_forms;
    // By ".", "?", "!", then by the byte before the mark in the form (256
    // when the mark starts the form).
    std::array<std::vector<EntryStop>, 257> m_stops[3];
    Utf8LineFilter m_filter;
};

// The same rows from a text that arrives in parts cut at any byte.
class SmartSentenceStream
{
public:
    SmartSentenceStream(const SmartSentences &choices, Utf8RowSink &sink);
    ~SmartSentenceStream();
    Q_DISABLE_COPY_MOVE(SmartSentenceStream)

    void feed(QByteArrayView part);
    // The text has ended.
    void finish();
    // Bytes held for a decision still open.
    qsizetype waiting() const { return m_pending.size(); }

private:
    std::unique_ptr<SmartSentenceCut> m_cut;
    QByteArray m_pending;
};

// The sentences of a UTF-16 text, every row kept, unpaired surrogates too.
QStringList smartSentences(QStringView text, const QStringList &abbreviations);

} // namespace Quillfen
