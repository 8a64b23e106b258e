#pragma once

#include "reading/TextDecoding.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

namespace Quillfen {

// The first bytes of a file that the binary-file rule looks at.
constexpr qsizetype BinarySampleBytes = 8 * 1024;

// How the bytes of a text file (a file no document reader takes) become
// text: the one decision the whole-file, UTF-8 and block paths all make.
struct TextDecision
{
    enum class Kind {
        Encoding, // one of ours: a byte-order mark's, UTF-16/UTF-32 without one, UTF-8,
                  // Windows-1252
        Named,    // a legacy or forced encoding, through QStringDecoder
        Binary,   // not text: a NUL byte outside UTF-16 or UTF-32 text
    };
    Kind kind = Kind::Encoding;
    TextEncoding encoding = TextEncoding::Utf8;
    qsizetype markLength = 0; // bytes of the byte-order mark, not part of the text
    QByteArray name;          // for Named
};

// head: the file's first bytes (BinarySampleBytes of them, or the whole
// file: wholeFile); validUtf8: whether the bytes after any byte-order mark
// are valid UTF-8 (the whole file's, not only head's); forced: the encoding
// chosen for every text file, or empty. In this order: a NUL byte in
// head outside UTF-16/UTF-32 text makes the file binary; a forced encoding;
// a byte-order mark; UTF-16 or UTF-32 without one (UnmarkedWideText.h); UTF-8;
// East Asian UTF-16 without a NUL byte; a legacy encoding that uchardet
// names with confidence; Windows-1252.
TextDecision decideTextDecoding(QByteArrayView head, bool wholeFile, bool validUtf8,
                                const QByteArray &forced = {});

// The same for the whole file's bytes.
TextDecision decideTextDecoding(QByteArrayView bytes, const QByteArray &forced = {});

// Throws the failure the run reports for a binary file.
[[noreturn]] void refuseBinaryFile(const QString &path);

// The text of a text file's bytes by decideTextDecoding; throws Failure
// naming path when the file is binary.
QString decodeTextOfFile(const QString &path, QByteArrayView bytes, const QByteArray &forced = {});

} // namespace Quillfen
