#include "platform/ProgramVersion.h"

namespace tilvane::platform {

std::optional<TFileVersion> ProgramFileVersion() {
  return TFileVersion{TILVANE_VERSION_MAJOR, TILVANE_VERSION_MINOR, TILVANE_VERSION_PATCH,
                      TILVANE_VERSION_BUILD};
}

} // namespace tilvane::platform
