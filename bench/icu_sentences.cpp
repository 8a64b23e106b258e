// Reference for the sentence benchmark: prints every sentence of each
// UTF-8 file as ICU's sentence BreakIterator finds it, one per line.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <unicode/brkiter.h>
#include <unicode/unistr.h>

int main(int argc, char *argv[])
{
    UErrorCode status = U_ZERO_ERROR;
    // English with its standard abbreviation suppressions ("Mr.", "e.g."),
    // or the locale ICU_LOCALE names ("de@ss=standard").
    const char *locale = std::getenv("ICU_LOCALE");
    std::unique_ptr<icu::BreakIterator> sentences(icu::BreakIterator::createSentenceInstance(
        icu::Locale(locale && *locale ? locale : "en@ss=standard"), status));
    if (U_FAILURE(status))
        return 2;
    std::string out;
    for (int i = 1; i < argc; ++i) {
        std::ifstream file(argv[i], std::ios::binary);
        std::stringstream bytes;
        bytes << file.rdbuf();
        const icu::UnicodeString text = icu::UnicodeString::fromUTF8(bytes.str());
        sentences->setText(text);
        int32_t start = sentences->first();
        for (int32_t end = sentences->next(); end != icu::BreakIterator::DONE;
             start = end, end = sentences->next()) {
            text.tempSubStringBetween(start, end).toUTF8String(out);
            out += '\n';
            if (out.size() > (1 << 20)) {
                std::fwrite(out.data(), 1, out.size(), stdout);
                out.clear();
            }
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return 0;
}
