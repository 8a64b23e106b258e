#pragma once

#include "reading/Utf8Encoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>

namespace Quillfen {

// Appends the text as a JSON string literal, quotes included: exact for
// every character, control characters and unpaired surrogates escaped.
void appendJsonString(QByteArray &out, QStringView text);
// The same for text given as valid UTF-8.
void appendJsonString(QByteArray &out, QByteArrayView utf8);

} // namespace Quillfen

namespace Quillfen {

// Rows as records of two fields, the file's path and the row's text, in
// UTF-8 after a header record "file" and "text":
// - Csv (RFC 4180): fields separated by ",", records ended by CR LF; a
//   field that holds a comma, a double quote, a CR or an LF is put in
//   double quotes, each of its double quotes written twice.
// - Tsv: fields separated by a tab, records ended by LF; inside a field a
//   backslash is written "\\", a tab "\t", an LF "\n" and a CR "\r", so
//   every record is one line and every field comes back exactly.
enum class RecordForm { Csv, Tsv };

void appendRecordHeader(QByteArray &out, RecordForm form);
void appendRecord(QByteArray &out, RecordForm form, QByteArrayView file, QByteArrayView text);

} // namespace Quillfen
