#pragma once

#include <QString>
#include <string_view>

namespace Quillfen {

// One of poppler's complaints as a sentence: poppler writes every byte
// outside printable ASCII as "<0a>" and leads with "error (1234): ". The
// bytes are decoded (UTF-8), control characters named as U+000A, and the
// place told at the end: "Illegal character U+000A in hex string (at byte
// 1234)".
QString readablePopplerMessage(std::string_view message);

} // namespace Quillfen
