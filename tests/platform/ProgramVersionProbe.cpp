#include "platform/ProgramVersion.h"

// Built without a version resource: exits with 0 when the program's version
// is reported as unknown, 1 when some version was made up.
int main() {
  return tilvane::platform::ProgramFileVersion() ? 1 : 0;
}
