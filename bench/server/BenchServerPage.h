#pragma once

#include <QString>

namespace tilvane::bench {

// A grid mod page as a 10.0 server (AWithModHub) or a 9.1 server writes it,
// with ARows generated mod rows: the cells, nesting and links of a captured
// 10.0 page, without its indentation and admin buttons (about 2,100
// characters a row; the captured row has 3,100).
QString RealisticGridPage(int ARows, bool AWithModHub);

} // namespace tilvane::bench
