#pragma once

#include <QString>

namespace tilvane {

// Author and version read from a mod archive's description. On some failures
// Author carries a fixed failure text instead, so that it never equals the
// server's author and the archive is replaced.
struct TModInfo {
  QString Author;
  QString Version;
};

} // namespace tilvane
