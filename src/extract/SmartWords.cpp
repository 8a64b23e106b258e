#include "SmartWords.h"

#include <QString>
#include <array>
#include <deque>
#include <string>
#include <unordered_map>

namespace Quillfen::SmartWords {

namespace {

// clang-format off
// Abbreviations, listed as they are written without their final ".":
// those listed in lower case also match capitalised. Multi-period ones
// hold their inner periods. Words that are common words as well ("in",
// "art", "min", "sun") are left out, or listed capitalised only.
constexpr std::string_view InnerList[] = {
    // English titles, ranks and addresses
    "Mr", "Mrs", "Ms", "Mx", "Messrs", "Mmes", "Dr", "Drs", "Prof", "Rev", "Hon", "St", "Mt", "Ft",
    "Gen", "Col", "Lt", "Capt", "Cmdr", "Maj", "Sgt", "Cpl", "Pvt", "Adm", "Gov", "Sen", "Rep",
    "Pres", "Supt", "Det", "Insp", "sr", "Ave", "Blvd", "Rd", "Ln", "Apt", "Ste", "Mtn",
    // English references, units and Latin
    "No", "Nos", "Nr", "vol", "vols", "Vol", "p", "pp", "para", "ch", "chap", "ed", "eds", "Fig",
    "Figs", "Eq", "Eqs", "approx", "appx", "ca", "cf", "vs", "viz", "al", "ibid", "esp",
    "incl", "dept", "univ", "assn", "tel", "ext", "e.g", "i.e", "prof", "resp", "ref", "refs",
    "Mon", "Tue", "Tues", "Wed", "Thu", "Thur", "Thurs", "Fri", "Ph.D", "M.D", "B.A", "M.A", "B.Sc",
    "M.Sc", "N°", "Nº",
    // US states
    "Ala", "Ariz", "Ark", "Calif", "Colo", "Conn", "Fla", "Kan", "Kans", "Ky", "Md", "Mich", "Minn",
    "Neb", "Nev", "Okla", "Penn", "Tenn", "Tex", "Vt", "Wis", "Wyo",
    // German
    "Abb", "Abs", "Anm", "Aufl", "bzw", "Bd", "Bde", "Chr", "d.h", "Dipl", "evtl", "ggf", "geb",
    "gest", "Hr", "Hrn", "Fr", "Frl", "Ing", "inkl", "Jh", "Jhd", "Jhdt", "Kap", "Mag", "Mio",
    "Mrd", "Std", "Str", "Tsd", "u.a", "u.U", "v.a", "vgl", "z.B", "z.T", "zzgl", "allg", "bspw",
    "Ziff", "Hbf", "ff", "Verf", "Vors", "usf", "sog", "Hrsg", "hrsg", "Tel", "Pkt", "Gebr", "Ges",
    "Bez", "Reg", "Landkr", "Nachf",
    // French
    "Mme", "Mlle", "Mmes", "Mgr", "Me", "Pr", "av", "apr", "env", "ex", "éd", "n°", "bd", "boul",
    "p.ex", "fig", "chap", "hab", "MM", "coll", "trad", "Vve", "ms", "suiv", "cit",
    // Spanish
    "sra", "srta", "sres", "sras", "Dña", "Dra", "Lic", "Ud", "Uds", "Vd", "Vds", "pág", "págs",
    "núm", "aprox", "ej", "p.ej", "avda", "EE.UU", "EE", "a.C", "d.C", "Excmo", "Excma", "Sto",
    "Sta", "Gral", "Cnel", "Pza", "Dto", "Dpto", "tfno", "Ntra", "sr", "sres", "Ilmo", "Ilma",
    "Fdo",
};

// Units and months are written with a period mostly at a sentence's end.
constexpr std::string_view ClosingList[] = {
    "Co", "co", "Corp", "Inc", "Ltd", "LLC", "Plc", "plc", "Bros", "etc", "Jr", "a.m", "p.m", "A.M",
    "P.M", "usw", "UU", "Cie", "Cía", "Hnos", "SpA",
    // units
    "cm", "mm", "km", "kg", "mg", "ml", "lb", "lbs", "oz", "ft", "yd", "mi", "hr", "hrs", "sq",
    // months
    "Jan", "Feb", "Mar", "Apr", "Jun", "Jul", "Aug", "Sep", "Sept", "Oct", "Nov", "Dec", "Okt",
    "Dez", "Mär", "Febr", "janv", "févr", "avr", "juil", "sept", "oct", "nov", "déc", "ene", "abr",
    "dic",
};

constexpr std::string_view StartList[] = {
    // English
    "A", "An", "The", "This", "That", "These", "Those", "There", "Then", "Thus", "Here", "It",
    "Its", "He", "She", "We", "They", "I", "You", "My", "Our", "Your", "His", "Her", "Their",
    "What", "When", "Where", "Who", "Whom", "Whose", "Why", "How", "Which", "While", "Whether",
    "If", "In", "On", "At", "By", "For", "From", "With", "Without", "To", "As", "Of", "After",
    "Before", "During", "Since", "Until", "Although", "Though", "Because", "But", "And", "Or",
    "Nor", "So", "Yet", "However", "Also", "Moreover", "Meanwhile", "Therefore", "Still", "Now",
    "Today", "Yesterday", "Tomorrow", "Later", "Finally", "First", "Next", "Some", "Many", "Most",
    "All", "Each", "Every", "No", "Not", "None", "One", "Both", "Either", "Neither", "Please",
    "Let", "Is", "Are", "Was", "Were", "Do", "Does", "Did", "Can", "Could", "Will", "Would",
    "Shall", "Should", "Might", "Must", "Have", "Has", "Had", "Our", "Once", "Even", "Just", "Only",
    "Perhaps", "Maybe", "Yes", "Otherwise", "Instead", "Besides", "Indeed", "Sometimes", "Give",
    "Take", "Make", "Use", "Press", "Click", "Select", "Note", "Keep", "Put", "Go", "Get", "Try",
    "Look", "Read", "Open", "Close", "Enter", "Type", "Check", "Find", "Add", "Remove", "Choose",
    // German
    "Der", "Die", "Das", "Den", "Dem", "Des", "Ein", "Eine", "Einer", "Eines", "Einem", "Einen",
    "Er", "Sie", "Es", "Wir", "Ihr", "Ich", "Du", "Man", "Dies", "Diese", "Dieser", "Dieses",
    "Dann", "Danach", "Doch", "Aber", "Und", "Oder", "Denn", "Also", "Auch", "Auf", "Aus", "Bei",
    "Mit", "Nach", "Von", "Vor", "Zu", "Zum", "Zur", "Im", "Am", "An", "Als", "Wenn", "Weil", "Ob",
    "Was", "Wer", "Wie", "Wo", "Warum", "Wann", "Welche", "Welcher", "Heute", "Gestern", "Morgen",
    "Jetzt", "Hier", "Dort", "Da", "Damit", "Deshalb", "Jedoch", "Trotzdem", "Nun", "Noch", "Nicht",
    "Kein", "Keine", "Mein", "Meine", "Sein", "Seine", "Ihre", "Unser", "Unsere", "Bitte", "Ja",
    "Nein",
    // French
    "Le", "La", "Les", "L", "Un", "Une", "Des", "Du", "De", "Il", "Elle", "Ils", "Elles", "On",
    "Nous", "Vous", "Je", "J", "Tu", "Ce", "Cet", "Cette", "Ces", "Ça", "Cela", "Mais", "Et", "Ou",
    "Donc", "Ni", "Car", "Puis", "Ensuite", "Alors", "Dans", "En", "Au", "Aux", "Pour", "Par",
    "Sur", "Sous", "Avec", "Sans", "Quand", "Si", "Lorsque", "Comme", "Qui", "Que", "Quoi", "Quel",
    "Quelle", "Comment", "Pourquoi", "Où", "Aujourd", "Hier", "Demain", "Maintenant", "Voici",
    "Voilà", "Mon", "Ma", "Mes", "Son", "Sa", "Ses", "Notre", "Votre", "Leur", "Leurs", "Oui",
    "Non",
    // Spanish
    "El", "Los", "Las", "Lo", "Una", "Unos", "Unas", "Él", "Ella", "Ellos", "Ellas", "Yo", "Tú",
    "Nosotros", "Vosotros", "Usted", "Ustedes", "Este", "Esta", "Esto", "Estos", "Estas", "Ese",
    "Esa", "Eso", "Pero", "Y", "O", "Sino", "Luego", "Después", "Entonces", "Con", "Para", "Por",
    "Sin", "Sobre", "Desde", "Hasta", "Cuando", "Como", "Qué", "Quién", "Cómo", "Dónde", "Cuándo",
    "Porque", "Hoy", "Ayer", "Mañana", "Ahora", "Aquí", "Allí", "Mi", "Mis", "Su", "Sus", "Nuestro",
    "Nuestra", "Ya", "Es", "Son", "Era", "Fue", "Hay", "Sí",
};

// Lower-case words that often begin a sentence in informal or lower-cased
// text, and seldom follow an abbreviation.
constexpr std::string_view LowerStartList[] = {
    // English
    "i", "the", "this", "that", "these", "those", "there", "then", "it", "its", "it's", "he", "she",
    "we", "they", "you", "my", "our", "your", "his", "their", "what", "when", "where", "who", "why",
    "how", "which", "if", "but", "so", "also", "however", "now", "well", "oh", "yes", "ok", "okay",
    "lol", "thanks", "thank", "please", "just", "maybe", "anyway", "plus", "still", "not", "do",
    "does", "did", "is", "are", "was", "were", "can", "could", "will", "would", "should", "have",
    "has", "had", "hi", "hey", "sorry", "haha", "im", "i'm", "i've", "i'll", "don't",
    // French
    "et", "le", "les", "il", "elle", "ils", "elles", "nous", "je", "on", "ce", "cette", "ces",
    "cela", "mais", "donc", "car", "puis", "ensuite", "alors", "sa", "son", "ses", "un", "une", "la", "à",
    "dans", "pour", "cependant", "comment", "pourquoi", "quand", "aux", "au", "c'est", "j'ai",
    // Spanish
    "el", "los", "las", "pero", "yo", "por", "para", "con", "una", "sus", "hay", "también",
    "además", "luego", "entonces", "esto", "este", "esta",
};

constexpr std::string_view SpeechVerbList[] = {
    "said", "says", "asked", "asks", "cried", "shouted", "replied", "whispered", "exclaimed",
    "answered", "added", "continued", "called", "yelled", "roared", "howled", "wailed", "laughed",
    "muttered", "murmured", "thought", "screamed", "snapped", "demanded", "sighed", "growled",
    "insisted", "repeated", "explained", "suggested", "gasped", "went", "cries", "shouts", "dit",
    "demanda", "répondit", "s'écria", "dijo", "preguntó", "respondió", "gritó",
};

constexpr std::string_view SpeakerPronounList[] = {"he", "she", "they", "i", "we", "you", "it"};

// Abbreviations only before a number; common words otherwise.
constexpr std::string_view NumberAbbreviationList[] = {"no", "No", "pop", "Pop", "nos", "tab",
                                                        "Art"};

constexpr std::string_view NeverEndsList[] = {
    "cf", "Cf", "vgl", "Vgl", "e.g", "E.g", "i.e", "I.e", "z.B", "Z.B", "d.h", "D.h", "p.ex",
    "P.ex", "p.ej", "P.ej", "viz", "bzw", "bspw", "sog",
};

constexpr std::string_view ExclaimedNameList[] = {"Yahoo", "Jeopardy", "Joomla"};

constexpr std::string_view MidSentenceCapitalList[] = {"I", "Sie", "Ihr"};

constexpr std::string_view MonthList[] = {
    "January", "February", "March", "April", "May", "June", "July", "August", "September",
    "October", "November", "December", "Jan", "Feb", "Mar", "Apr", "Jun", "Jul", "Aug", "Sep",
    "Sept", "Oct", "Nov", "Dec", "Januar", "Jänner", "Februar", "März", "Mai", "Juni", "Juli",
    "Oktober", "Dezember", "Okt", "Dez", "Mär", "Janvier", "Février", "Mars", "Avril", "Juin",
    "Juillet", "Août", "Septembre", "Octobre", "Novembre", "Décembre", "Enero", "Febrero", "Marzo",
    "Abril", "Mayo", "Junio", "Julio", "Agosto", "Septiembre", "Octubre", "Noviembre", "Diciembre",
};

constexpr std::string_view TimePrepositionList[] = {
    "At", "By", "Before", "After", "Until", "Till", "From", "Since", "Around", "About", "Um", "Ab",
    "Bis", "Gegen", "Vers", "Dès", "Desde", "Hasta", "Hacia",
};

constexpr std::string_view OrdinalCueList[] = {
    "am", "vom", "zum", "zur", "bis", "der", "die", "das", "den", "dem", "des", "im", "ab", "seit",
    "jeden", "jedem", "diesen", "diesem", "ihrem", "seinem", "Am", "Vom", "Zum", "Zur", "Bis", "Im",
    "Ab", "Seit", "Der", "Die", "Das", "Den", "Dem", "Des",
};

// A number of up to three digits and a "." before these is an ordinal.
constexpr std::string_view OrdinalNounList[] = {
    "Jahrhundert", "Jahrhunderts", "Jahrhunderte", "Jahrtausend", "Jahrtausends", "Jh", "Jhd",
    "Jahrestag", "Geburtstag", "Stock", "Platz", "Mal", "Lebensjahr", "Kapitel", "Auflage",
    "Ausgabe", "Klasse", "Runde", "Spieltag", "Etappe",
};
// clang-format on

class Table
{
public:
    // The words that stand before a mark, or the lower-case words that
    // may stand after one: two tables, so that looking up the first kind
    // does not wade through the second.
    enum Which { BeforeOrCapitalised, LowerAfter };
    explicit Table(Which which)
    {
        if (which == LowerAfter) {
            addAll(LowerStartList, LowerStart);
            addAll(SpeechVerbList, SpeechVerb);
            addAll(SpeakerPronounList, SpeakerPronoun);
            return;
        }
        for (const std::string_view word : InnerList)
            addAbbreviation(word, InnerAbbreviation);
        for (const std::string_view word : ClosingList)
            addAbbreviation(word, ClosingAbbreviation);
        addAll(StartList, SentenceStart);
        addAll(MonthList, Month);
        addAll(TimePrepositionList, TimePreposition);
        addAll(OrdinalCueList, OrdinalCue);
        addAll(OrdinalNounList, OrdinalNoun);
        addAll(NumberAbbreviationList, NumberAbbreviation);
        addAll(NeverEndsList, NeverEnds);
        addAll(ExclaimedNameList, ExclaimedName);
        addAll(MidSentenceCapitalList, MidSentenceCapital);
    }

    std::uint16_t flagsOf(std::string_view word) const
    {
        // Most words asked about are in no list: a bit per (first, second,
        // last byte, length) spares them the hashing.
        const size_t bit = sieveBit(word);
        if (!(m_sieve[bit / 64] & (std::uint64_t(1) << (bit % 64))))
            return 0;
        const auto found = m_flags.find(word);
        return found == m_flags.end() ? 0 : found->second;
    }

private:
    static size_t sieveBit(std::string_view word)
    {
        const auto byte = [&](size_t i) { return size_t(uchar(word[i])); };
        return (byte(0) * 131 + byte(word.size() > 1 ? 1 : 0) * 17 + byte(word.size() - 1) * 31 +
                word.size() * 7919) %
               SieveBits;
    }
    void add(std::string_view word, Flag flag)
    {
        m_flags[word] |= flag;
        const size_t bit = sieveBit(word);
        m_sieve[bit / 64] |= std::uint64_t(1) << (bit % 64);
    }
    template <size_t N> void addAll(const std::string_view (&words)[N], Flag flag)
    {
        for (const std::string_view word : words)
            add(word, flag);
    }
    void addAbbreviation(std::string_view word, Flag flag)
    {
        add(word, flag);
        QString capitalised = QString::fromUtf8(word.data(), qsizetype(word.size()));
        capitalised[0] = capitalised[0].toUpper();
        const std::string &kept = m_capitalised.emplace_back(capitalised.toStdString());
        if (kept != word)
            add(kept, flag);
    }

    static constexpr size_t SieveBits = 32768;
    std::deque<std::string> m_capitalised;
    std::unordered_map<std::string_view, std::uint16_t> m_flags;
    std::array<std::uint64_t, SieveBits / 64> m_sieve{};
};

} // namespace

std::uint16_t flagsOf(std::string_view word)
{
    static const Table table(Table::BeforeOrCapitalised);
    if (word.empty() || word.size() > LongestWord)
        return 0;
    return table.flagsOf(word);
}

std::uint16_t lowerFlagsOf(std::string_view word)
{
    static const Table table(Table::LowerAfter);
    if (word.empty() || word.size() > LongestWord)
        return 0;
    return table.flagsOf(word);
}

} // namespace Quillfen::SmartWords
