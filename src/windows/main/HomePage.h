#pragma once

#include <QString>
#include <QtGlobal>

namespace Quillfen {

// The maker's home page, opened now and then at start-up: the build's
// QUILLFEN_HOME_PAGE setting, empty by default.
QString homePageAddress();

// The start-up draw: a number from 1 to 100 from a generator seeded with
// the seed. The page opens when it is 7.
int homePageDraw(quint32 seed);
inline constexpr int HomePageNumber = 7;

// Seconds since midnight, local time: the draw's usual seed.
quint32 secondsSinceMidnight();

} // namespace Quillfen
