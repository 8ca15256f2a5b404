#pragma once

#include <array>
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

// Call stacks for the crash report. Capturing is cheap and happens every time
// the program raises an error; turning addresses into names is slow and
// happens only when a report is built.
namespace tilvane::platform {

// Deep enough for a handler called from the event loop of a modal window
// inside the main window's loop; deeper frames are the loops themselves.
constexpr int MaxStackFrames = 48;

// Return addresses of one thread's stack, innermost first, with where and
// when they were taken.
struct TRawStack {
  std::array<void*, MaxStackFrames> Frames{};
  int Count = 0;
  std::int64_t ThreadId = 0;
  std::chrono::system_clock::time_point Time;
};

// The calling thread's stack, starting at the caller of the function that
// calls CaptureStack when ASkip is 1 (0 starts at that function itself). Takes
// a few microseconds: no names are looked up and nothing is allocated.
TRawStack CaptureStack(int ASkip = 0);

// The operating system's ID of the calling thread, as the system's tools show
// it (the task ID on Linux).
std::int64_t CurrentThreadId();
// The ID of the process's first thread, where the user interface runs.
std::int64_t MainThreadId();

// One line of a symbolised stack. A return address inside an inlined call
// gives several frames with the same address: the inlined function first.
struct TStackFrame {
  std::uintptr_t Address = 0;
  std::string Module;   // file name of the executable or library, no folder
  std::string Function; // demangled; empty when unknown
  std::string File;     // source file name, no folder; empty when unknown
  int Line = 0;
  // How far the address lies into Function where the symbol table knows its
  // start, else into the module; 0 when neither is known.
  std::uintptr_t Offset = 0;
  bool Inlined = false;
};

// Names, source files and lines of the addresses of AStack, from the debug
// information where the program has it and from the symbol tables elsewhere.
// The first call reads the executable's debug information and may take a
// good part of a second.
std::vector<TStackFrame> SymbolizeStack(const TRawStack& AStack);

// One frame as a line of the report, for example
// "[00005581c3a4b2f0] tilvane  tilvane::TdmMain::SaveIni() (MainDM.cpp:120)".
std::string FormatStackFrame(const TStackFrame& AFrame);

// The readable form of a compiler's mangled name (a symbol or a type name
// from typeid); the name itself when it cannot be demangled.
std::string DemangleName(const char* AMangledName);

// The type of the exception being handled, demangled ("std::bad_alloc",
// "int"), also for objects that are no std::exception; empty outside a catch
// block.
std::string CurrentExceptionTypeName();

} // namespace tilvane::platform
