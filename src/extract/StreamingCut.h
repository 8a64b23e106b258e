#pragma once

#include "Segmentation.h"

#include <QString>

namespace Quillfen {

// Cuts a text that arrives in parts and hands every piece to a handler,
// giving exactly the rows of cutting the whole text at once. What follows
// the last point where the text can be cut safely waits for the next part:
// in Paragraph mode the end of an empty-line run that a non-line-end
// follows, in Sentence mode a "." that no occurrence of an entry takes in.
class StreamingCut
{
public:
    StreamingCut(ExtractMode mode, const AbbreviationShield &shield, const LineFilter &filter,
                 RowSink &sink);

    void feed(QStringView text);
    // The text has ended: cuts what is still waiting.
    void finish();

    // The units waiting for a safe cut.
    qsizetype waiting() const { return m_pending.size(); }

private:
    bool isSafeCut(qsizetype at) const;
    qsizetype lastSafeCut() const;
    void cutAndHandle(const QString &text);

    ExtractMode m_mode;
    const AbbreviationShield &m_shield;
    LineFilter m_filter;
    RowSink &m_sink;
    PieceHandler m_handler;
    QString m_pending;
    // How far past a cut point the test for it reads.
    qsizetype m_lookahead = 1;
    // Cut points before this were tested and are not safe.
    qsizetype m_testedBelow = 1;
};

} // namespace Quillfen
