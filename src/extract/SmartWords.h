#pragma once

#include <cstdint>
#include <string_view>

namespace Quillfen::SmartWords {

// What a word (UTF-8, without its final ".") is to the smart sentence cut.
enum Flag : std::uint8_t {
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
};

// The flags of the built-in English, German, French and Spanish lists:
// abbreviations match as listed or with their first letter capitalised,
// the other words as listed.
std::uint8_t flagsOf(std::string_view word);

// Longer words carry no flag.
constexpr std::size_t LongestWord = 16;

} // namespace Quillfen::SmartWords
