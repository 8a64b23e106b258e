#pragma once

#include <cstdint>
#include <string_view>

namespace Quillfen::SmartWords {

// What a word (UTF-8, without its final ".") is to the smart sentence cut.
enum Flag : std::uint16_t {
    // An abbreviation that seldom ends a sentence: titles, units, "e.g.",
    // "No.", initials of names.
    InnerAbbreviation = 1,
    // An abbreviation that often ends one: "Inc.", "etc.", "p.m.".
    ClosingAbbreviation = 2,
    // A capitalised word that begins many sentences: "The", "Der", "Il".
    SentenceStart = 4,
    Month = 8,
    // Begins a time phrase such as "At 5 a.m.".
    TimePreposition = 16,
    // Stands before an ordinal number in German: "am 3. Mai".
    OrdinalCue = 32,
    // An abbreviation only before a number: "no. 5", "pop. 4,000".
    NumberAbbreviation = 64,
    // A lower-case word that begins sentences in informal or lower-cased
    // text: "i", "the", "et", "pero".
    LowerStart = 128,
    // An abbreviation that a reference or example always follows: "cf.".
    NeverEnds = 256,
    // A name written with "!": "Yahoo!".
    ExclaimedName = 512,
    // Says who spoke after a quotation: "said", "asked".
    SpeechVerb = 1024,
    // "he", "she": may stand before a verb of speech.
    SpeakerPronoun = 2048,
    // A noun that a German ordinal stands before: "15. Jahrhundert".
    OrdinalNoun = 4096,
    // Written with a capital inside a sentence too: "I", "Sie".
    MidSentenceCapital = 8192,
};

// The flags of the built-in English, German, French and Spanish lists:
// abbreviations match as listed or with their first letter capitalised,
// the other words as listed.
std::uint16_t flagsOf(std::string_view word);
// LowerStart, SpeechVerb and SpeakerPronoun, which only lower-case words
// after a mark are asked for.
std::uint16_t lowerFlagsOf(std::string_view word);

// Longer words carry no flag.
constexpr std::size_t LongestWord = 16;

} // namespace Quillfen::SmartWords
