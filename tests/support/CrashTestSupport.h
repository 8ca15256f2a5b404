#pragma once

#include "core/common/AppError.h"

#include <QString>

#include <exception>

namespace tilvane::test {

// Raises the program's error from a frame of its own, which the report must
// name at the top of the error's stack.
__attribute__((noinline)) inline void RaiseDiskFullError() {
  throw EAppError(QStringLiteral("Unable to write to /home/player/Documents/Tilvane.ini"));
}

// The error ARaise raises, as the program's handler receives it.
template <typename TRaise> std::exception_ptr Caught(TRaise ARaise) {
  try {
    ARaise();
  } catch (...) {
    return std::current_exception();
  }
  return {};
}

// The four sentences above every error's message.
inline const char* const kShortTextIntro =
    "There was an error during the execution of this program.\r\n"
    "The application might become unstable and even useless.\r\n"
    "It's recommended that you save your work and close this application.\r\n"
    "\r\n";

} // namespace tilvane::test
