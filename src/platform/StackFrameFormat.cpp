#include "platform/StackTrace.h"

#include <cinttypes>
#include <cstdio>

namespace tilvane::platform {

std::string FormatStackFrame(const TStackFrame& AFrame) {
  char Address[32];
  std::snprintf(Address, sizeof Address, "[%016" PRIxPTR "] ", AFrame.Address);
  std::string Line = Address;
  Line += AFrame.Module.empty() ? std::string("?") : AFrame.Module;
  if (!AFrame.Function.empty())
    Line += "  " + AFrame.Function;
  if (AFrame.Offset != 0 && AFrame.File.empty()) {
    char Offset[32];
    std::snprintf(Offset, sizeof Offset, " + 0x%" PRIxPTR, AFrame.Offset);
    Line += Offset;
  }
  if (!AFrame.File.empty())
    Line += " (" + AFrame.File + ":" + std::to_string(AFrame.Line) + ")";
  if (AFrame.Inlined)
    Line += " [inlined]";
  return Line;
}

} // namespace tilvane::platform
