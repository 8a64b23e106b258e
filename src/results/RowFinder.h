#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Quillfen {

// The find box's test of a row, on the row's UTF-8 as the list keeps it:
// whether the row holds the text, letters in any case (Qt's case folding).
// Rows of ASCII bytes are searched as bytes; only rows with other
// characters are decoded, and only when the byte search did not find it.
class RowFinder
{
public:
    explicit RowFinder(const QString &text);

    bool matches(QByteArrayView utf8) const;

private:
    bool asciiSearch(QByteArrayView bytes) const;

    QString m_text;
    QByteArray m_asciiFolded; // empty when the folded text is not ASCII
};

} // namespace Quillfen
