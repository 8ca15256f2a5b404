#include "common/AppError.h"

namespace tilvane {

// The constructor's own frame is skipped: the stack starts in the function
// that raised the error.
EAppError::EAppError(const QString& message)
    : std::runtime_error(message.toStdString()), FMessage(message),
      FStack(platform::CaptureStack(1)) {}

std::string EAppError::StackTrace() const {
  std::string Text;
  for (const platform::TStackFrame& Frame : platform::SymbolizeStack(FStack))
    Text += platform::FormatStackFrame(Frame) + '\n';
  return Text;
}

} // namespace tilvane
