#pragma once

#include "extract/RowSink.h"
#include "extract/Utf8Paragraphs.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>
#include <QStringList>

namespace Quillfen::Testing {

// Rows from either the engine or a UTF-8 cut, as UTF-8, with how many came
// through each and how many pieces the UTF-8 cut ended.
struct CollectRows final : RowSink, Utf8RowSink
{
    QList<QByteArray> rows;
    int utf8Rows = 0;
    qsizetype pieces = 0;
    void append(QStringView row) override { rows.append(row.toUtf8()); }
    void pieceEnded() override { ++pieces; }
    void appendUtf8Row(QByteArrayView row) override
    {
        rows.append(row.toByteArray());
        ++utf8Rows;
    }
};

// Containing or not containing one of needles, or everything (half the time).
inline LineFilter randomFilter(QRandomGenerator &random, const QStringList &needles)
{
    const QString needle = needles[random.bounded(int(needles.size()))];
    switch (random.bounded(4)) {
    case 0:
        return {LineFilterKind::Containing, needle};
    case 1:
        return {LineFilterKind::NotContaining, needle};
    default:
        return {LineFilterKind::All, {}};
    }
}

} // namespace Quillfen::Testing
