#pragma once

#include "platform/Failure.h"

#include <QStringList>

namespace Quillfen {

// The input file list as the fillers see it: rows numbered from 1, each the
// path of one file; appending is the only change a filler makes.
class InputListTarget
{
public:
    virtual ~InputListTarget() = default;
    virtual void appendRow(const QString &path) = 0;
    virtual int rowCount() const = 0;
    virtual QString rowText(int row) const = 0;
};

// A list kept in memory: quillfen-cli's input list, and tests'.
class StringListTarget final : public InputListTarget
{
public:
    QStringList rows;

    void appendRow(const QString &path) override { rows.append(path); }
    int rowCount() const override { return int(rows.size()); }
    QString rowText(int row) const override
    {
        if (row < 1 || row > rows.size())
            throw Failure(QStringLiteral("Index out of bounds"));
        return rows[row - 1];
    }
};

} // namespace Quillfen
