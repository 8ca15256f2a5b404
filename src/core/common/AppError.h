#pragma once

#include "platform/StackTrace.h"

#include <QString>

#include <exception>
#include <stdexcept>
#include <string>

namespace tilvane {

// The one exception type of the program: a failure with the text the user
// is shown. Raised wherever an operation cannot go on; an error that escapes
// an event handler ends in the crash report and the program goes on.
//
// Each error remembers the call stack where it was raised, as bare return
// addresses: errors are raised in normal operation too (a download that is
// tried again), so raising stays cheap, and names are looked up only when a
// report asks for them.
class EAppError : public std::runtime_error {
public:
  explicit EAppError(const QString& AMessage);

  QString Message() const { return FMessage; }
  // The same stack as addresses, with the raising thread and the time.
  const platform::TRawStack& RaisedStack() const { return FStack; }

private:
  QString FMessage;
  platform::TRawStack FStack;
};

// The text of any exception for the user. The program's own errors and the
// platform layer's carry UTF-8; the system's (std::system_error on Windows)
// may come in the local code page, so text that is no valid UTF-8 is read as
// such.
QString ExceptionText(const std::exception& AError);
// The same for whatever was thrown; "Unknown error" for what is no exception.
QString ExceptionMessage(std::exception_ptr AError);

} // namespace tilvane
