#pragma once

#include "TermSearch.h"

#include <QByteArray>
#include <QByteArrayView>
#include <memory>
#include <string>
#include <vector>

namespace Quillfen {

// The first place at or after from where text holds needle's bytes, or -1.
// asciiCaseless: needle's ASCII letters are lower case and match either
// case; every other byte matches itself.
qsizetype findBytes(QByteArrayView text, qsizetype from, QByteArrayView needle, bool asciiCaseless);

// Appends valid UTF-8 text to out with each character case folded as
// foldCodePoint folds it.
void appendFoldedUtf8(QByteArrayView text, QByteArray &out);

// A TermSet applied to rows in valid UTF-8, with the rows of the UTF-16
// search. Literal terms are searched in the bytes: as they are when case
// counts; ignoring case, ASCII letters in both cases, and the row folded only
// when a character outside ASCII could take part in a match. Patterns are
// matched on the row decoded. Const use is safe from several threads.
class Utf8TermSet
{
public:
    explicit Utf8TermSet(std::shared_ptr<const TermSet> terms);

    bool foundIn(QByteArrayView text) const;

private:
    enum class Search {
        Exact,         // the term's bytes
        AsciiCaseless, // the folded term is ASCII
        Folded,        // the folded term in the folded row
    };
    struct Term
    {
        Search search = Search::Exact;
        QByteArray bytes; // the term's UTF-8, folded unless Exact
        // AsciiCaseless: characters outside ASCII that fold into the term
        // (LONG S for "s", KELVIN SIGN for "k"), as UTF-8. A row holding
        // one is searched folded.
        std::vector<QByteArray> foldingIn;
        // Folded: the longest run of the term that only ASCII letters in
        // either case (or other ASCII as itself) can match; empty for none.
        QByteArray asciiRun;
        // Folded: the term's folded code points, and where the run starts
        // among them.
        std::u32string folded;
        qsizetype runAt = 0;
    };
    bool found(const Term &term, QByteArrayView text) const;
    bool foundWhole(QByteArrayView text, QByteArrayView needle, bool asciiCaseless) const;
    bool foundFolded(const Term &term, QByteArrayView text) const;
    // Folded with a run: the term around each place the run matches.
    bool foundAroundRun(const Term &term, QByteArrayView text) const;

    std::shared_ptr<const TermSet> m_set;
    std::vector<Term> m_terms;
    // The foldingIn of every AsciiCaseless term, each once.
    std::vector<QByteArray> m_foldingIn;
    bool m_wholeWords = false;
};

} // namespace Quillfen
