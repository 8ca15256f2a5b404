#include "platform/StackTrace.h"

#include <cxxabi.h>

#include <cstdlib>
#include <memory>
#include <typeinfo>

// Type and function names as compilers of the Itanium C++ ABI (GCC, clang,
// MinGW) mangle them.
namespace tilvane::platform {

namespace {
struct FreeDeleter {
  void operator()(char* AP) const { std::free(AP); }
};
} // namespace

std::string DemangleName(const char* AMangledName) {
  if (!AMangledName)
    return {};
  int Status = 0;
  std::unique_ptr<char, FreeDeleter> Demangled(
      abi::__cxa_demangle(AMangledName, nullptr, nullptr, &Status));
  return Status == 0 && Demangled ? std::string(Demangled.get()) : std::string(AMangledName);
}

std::string CurrentExceptionTypeName() {
  const std::type_info* Type = abi::__cxa_current_exception_type();
  if (!Type)
    return {};
  // GCC marks the names of types local to one file with a leading '*'.
  const char* Name = Type->name();
  return DemangleName(*Name == '*' ? Name + 1 : Name);
}

} // namespace tilvane::platform
