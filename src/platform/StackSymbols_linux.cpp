#include "platform/StackTrace.h"

#include <dlfcn.h>

#include <cstring>

#if defined(TILVANE_HAVE_LIBBACKTRACE)
#include <backtrace.h>
#endif

namespace tilvane::platform {

namespace {

std::string BaseName(const char* APath) {
  if (!APath || !*APath)
    return {};
  const char* Slash = std::strrchr(APath, '/');
  return Slash ? std::string(Slash + 1) : std::string(APath);
}

// What the dynamic loader knows of an address: always the module, and the
// nearest exported symbol (release builds export only what -rdynamic adds).
void AddLoaderInfo(TStackFrame& AFrame) {
  Dl_info Info{};
  if (dladdr(reinterpret_cast<void*>(AFrame.Address), &Info) == 0)
    return;
  AFrame.Module = BaseName(Info.dli_fname);
  if (!AFrame.Function.empty())
    return;
  if (Info.dli_sname && Info.dli_saddr) {
    AFrame.Function = DemangleName(Info.dli_sname);
    AFrame.Offset = AFrame.Address - reinterpret_cast<std::uintptr_t>(Info.dli_saddr);
  } else if (Info.dli_fbase) {
    AFrame.Offset = AFrame.Address - reinterpret_cast<std::uintptr_t>(Info.dli_fbase);
  }
}

#if defined(TILVANE_HAVE_LIBBACKTRACE)

// A missing debug information or symbol table is no error here: the frame
// keeps what the dynamic loader knows.
void IgnoreError(void*, const char*, int) {}

// libbacktrace reads the debug information (function names, files, lines,
// inlined calls) and the full symbol tables, static functions included,
// without the program having to export its symbols.
backtrace_state* SymbolState() {
  // The state caches what it has read and can never be freed: one per
  // process, made on first use so that a program that never reports reads
  // no debug information.
  static backtrace_state* const State =
      backtrace_create_state(nullptr, /*threaded=*/1, IgnoreError, nullptr);
  return State;
}

struct TLookup {
  std::uintptr_t Address;
  std::vector<TStackFrame>* Frames;
  std::size_t First;
};

// Called once per function at the address, inlined ones first. Nothing may
// escape into the C library: a failure ends the lookup of this address.
int AddLineInfo(void* AData, std::uintptr_t, const char* AFile, int ALine, const char* AFunction) {
  auto* Lookup = static_cast<TLookup*>(AData);
  try {
    TStackFrame Frame;
    Frame.Address = Lookup->Address;
    Frame.Function = AFunction ? DemangleName(AFunction) : std::string();
    Frame.File = BaseName(AFile);
    Frame.Line = ALine;
    Lookup->Frames->push_back(std::move(Frame));
    return 0;
  } catch (...) {
    return 1;
  }
}

void AddSymbolInfo(void* AData, std::uintptr_t, const char* ASymbol, std::uintptr_t AValue,
                   std::uintptr_t) {
  auto* Frame = static_cast<TStackFrame*>(AData);
  if (!ASymbol)
    return;
  try {
    Frame->Function = DemangleName(ASymbol);
    Frame->Offset = Frame->Address - AValue;
  } catch (...) {
    // The name from the debug information stays.
  }
}

void SymbolizeAddress(std::uintptr_t AAddress, std::vector<TStackFrame>& AFrames) {
  backtrace_state* State = SymbolState();
  TLookup Lookup{AAddress, &AFrames, AFrames.size()};
  // A return address points after the call; the call itself is one byte
  // earlier, and may be the last instruction of its function or line.
  if (State)
    backtrace_pcinfo(State, AAddress - 1, AddLineInfo, IgnoreError, &Lookup);
  if (AFrames.size() == Lookup.First) {
    AFrames.emplace_back();
    AFrames.back().Address = AAddress;
  }
  for (std::size_t I = Lookup.First; I + 1 < AFrames.size(); ++I)
    AFrames[I].Inlined = true;
  // The debug information names a function without its namespace and class
  // unless it has external linkage; the symbol table has the full name, and
  // where it is all there is, the symbol's start shows how far into it we were.
  TStackFrame& Outer = AFrames.back();
  if (State)
    backtrace_syminfo(State, AAddress - 1, AddSymbolInfo, IgnoreError, &Outer);
  for (std::size_t I = Lookup.First; I < AFrames.size(); ++I)
    AddLoaderInfo(AFrames[I]);
}

#else

// Without libbacktrace (builds with another compiler) the dynamic loader is
// all there is: module names always, function names where exported.
void SymbolizeAddress(std::uintptr_t AAddress, std::vector<TStackFrame>& AFrames) {
  TStackFrame Frame;
  Frame.Address = AAddress;
  AddLoaderInfo(Frame);
  AFrames.push_back(std::move(Frame));
}

#endif

} // namespace

std::vector<TStackFrame> SymbolizeStack(const TRawStack& AStack) {
  std::vector<TStackFrame> Frames;
  Frames.reserve(AStack.Count);
  for (int I = 0; I < AStack.Count; ++I)
    SymbolizeAddress(reinterpret_cast<std::uintptr_t>(AStack.Frames[I]), Frames);
  return Frames;
}

} // namespace tilvane::platform
