#pragma once

#include <QString>

#include <stdexcept>
#include <string>

namespace tilvane {

// The one exception type of the program: a failure with the text the user
// is shown. Raised wherever an operation cannot go on; an error that escapes
// an event handler ends in the crash report and the program goes on.
class EAppError : public std::runtime_error {
public:
  explicit EAppError(const QString& message);

  QString Message() const { return FMessage; }
  // The call stack where the error was raised, as text; empty until the crash
  // report captures stacks.
  const std::string& StackTrace() const { return FStackTrace; }

private:
  QString FMessage;
  std::string FStackTrace;
};

} // namespace tilvane
