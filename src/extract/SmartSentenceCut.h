#pragma once

// The state and rules of one smart sentence cut (see SmartSentences.h).
// The rules live by family: SmartSentenceEnds.cpp what follows an ender,
// SmartSentenceWords.cpp what the words around it are,
// SmartSentenceLists.cpp list markers; SmartSentences.cpp drives them.

#include "SmartSentenceStops.h"
#include "SmartSentences.h"

#include <string>
#include <string_view>

namespace Quillfen {

// Where the open sentence starts, how far it has been read, and the list
// marker its series goes on with.
class SmartSentenceCut
{
public:
    SmartSentenceCut(const SmartSentences &choices, Utf8RowSink &sink)
        : m_choices(choices), m_sink(sink)
    {}

    // Cuts text[0, size); final: nothing follows. Returns how many bytes
    // at the front are no longer needed.
    qsizetype run(const char *text, qsizetype size, bool final);
    // The first bytes were dropped from the text.
    void dropped(qsizetype bytes)
    {
        m_start -= bytes;
        m_from -= bytes;
        m_needleFrom -= bytes;
        m_wordStartFor = -1;
        m_userEntryFor = -1;
    }

private:
    enum class Verdict { Continue, End, Wait };
    struct Decision
    {
        Verdict verdict;
        qsizetype end = 0;  // End: the sentence is [m_start, end)
        qsizetype next = 0; // where reading goes on
    };
    static Decision wait() { return {Verdict::Wait}; }
    static Decision goOn(qsizetype next) { return {Verdict::Continue, 0, next}; }
    static Decision endAt(qsizetype end, qsizetype next) { return {Verdict::End, end, next}; }

    enum class Kind { Plain, SmallNumber, Inner, Closing, Wait };
    enum class Case { Lower, Upper, Other, Wait };
    static constexpr int NeedMore = -1;

    // A run of enders with the closing quotes and brackets among and after
    // its marks.
    struct EnderRun
    {
        qsizetype end = 0;
        qsizetype closersAt = -1; // where the first closer stands
        int dots = 0;
        int marks = 0;
        bool strong = false; // holds "?" or "!"
        bool wide = false;   // holds a CJK ender
        bool closed = false; // holds a closing quote or bracket
    };
    // What a step along a run gives besides the place it goes on at.
    static constexpr qsizetype RunEnds = -1;
    static constexpr qsizetype RunWaits = -2;

    // SmartSentences.cpp
    Decision decide(qsizetype q);
    void emit(qsizetype end);
    bool holdsLineEnd(qsizetype from, qsizetype to) const;

    // SmartSentenceEnds.cpp
    Decision atLineEnd(qsizetype q);
    Decision atTerminator(qsizetype p);
    bool endsBeforeCapital(qsizetype p);
    qsizetype runStep(qsizetype i, EnderRun &run);
    qsizetype wideRunStep(qsizetype i, EnderRun &run);
    qsizetype referenceMark(qsizetype i);
    int spacedCloser(qsizetype k);
    Decision afterRun(qsizetype p, const EnderRun &run);
    Decision beforeLowerCase(qsizetype p, const EnderRun &run, qsizetype j);
    Decision periodBeforeLowerCase(qsizetype p, qsizetype e, qsizetype j);
    Decision byWordBefore(qsizetype p, qsizetype e, qsizetype j);
    Decision glued(qsizetype p, qsizetype e);
    qsizetype facesAt(qsizetype j);
    qsizetype emoticonAt(qsizetype k);
    qsizetype footnoteNumberAt(qsizetype j);
    int listLineEnds(qsizetype q, qsizetype j);
    bool isSpanishQuestion(qsizetype p) const;
    bool inQuotation(qsizetype p) const;
    int startsSpeechTag(qsizetype j);

    // SmartSentenceWords.cpp
    Kind kindBefore(qsizetype p);
    Kind builtinKindBefore(qsizetype p);
    qsizetype wordStartBefore(qsizetype p);
    qsizetype wordStartAfterBlank(qsizetype p);
    int flagsBefore(qsizetype p);
    Kind kindOfToken(qsizetype j, qsizetype p);
    Kind kindOfLastLetters(qsizetype j, qsizetype p);
    bool isEra(qsizetype j, std::string_view token);
    Kind userEntryAt(qsizetype p);
    Kind userEntryIn(const std::vector<SmartSentences::EntryStop> &stops, qsizetype p);
    int wordFlagsAt(qsizetype j);
    Case caseAt(qsizetype j);
    bool characterAt(qsizetype k, char32_t &c, int &length) const;
    qsizetype skipOpeners(qsizetype j, qsizetype end);
    bool wordCharBefore(qsizetype j);
    bool afterNumber(qsizetype j);
    static bool isTimeUnit(char c);
    static bool isDegreeUnit(char c);
    qsizetype lastLettersBefore(qsizetype p, qsizetype *letters, qsizetype *wordEnd);
    bool previousWordIsLower(qsizetype j, int *flags);
    bool isTimePhrase(qsizetype p);
    int shortCapitals(qsizetype j);

    // SmartSentenceLists.cpp
    qsizetype listMarker(qsizetype q, bool atLineStart, std::string *needle);
    qsizetype bulletMarker(qsizetype q, std::string *needle);
    qsizetype numberedMarker(qsizetype q, bool atLineStart, std::string *needle);
    qsizetype nextListMarker(qsizetype q);
    // The byte at k, ByteEnd past the final end, NeedMore past the bytes come.
    int byteAt(qsizetype k) const;
    static constexpr int ByteEnd = 256;

    const SmartSentences &m_choices;
    Utf8RowSink &m_sink;
    const char *s = nullptr;
    qsizetype n = 0;
    bool m_final = false;
    SmartText::StopFinder m_stops;

    bool m_fresh = true; // between sentences
    qsizetype m_start = 0;
    qsizetype m_from = 0;
    bool m_lineEndInside = false;
    std::string m_needle; // " 2. " after "1. ", empty when none
    qsizetype m_needleFrom = 0;
    std::string m_row;
    qsizetype m_wordStartFor = -1; // wordStartBefore's last answer
    qsizetype m_wordStartIn = -1;
    qsizetype m_wordStart = 0;
    qsizetype m_userEntryFor = -1; // userEntryAt's last answer but Wait
    qsizetype m_userEntryIn = -1;
    Kind m_userEntry = Kind::Plain;

    // From this many letters on, a word that no abbreviation list knows
    // ends a sentence before a lower-case word.
    static constexpr qsizetype LongWord = 5;
};

} // namespace Quillfen
