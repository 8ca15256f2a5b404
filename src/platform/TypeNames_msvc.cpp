#include "platform/StackTrace.h"

namespace tilvane::platform {

// Microsoft's compiler keeps type names readable ("class std::bad_alloc"),
// and its runtime does not tell the type of the exception being handled.
std::string DemangleName(const char* AMangledName) {
  return AMangledName ? std::string(AMangledName) : std::string();
}

std::string CurrentExceptionTypeName() {
  return {};
}

} // namespace tilvane::platform
