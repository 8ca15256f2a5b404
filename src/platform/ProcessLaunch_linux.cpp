#include "platform/ProcessLaunch.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace tilvane::platform {

bool StandardErrorIsTerminal() {
  return isatty(STDERR_FILENO) == 1;
}

bool StandardInputIsTerminal() {
  return isatty(STDIN_FILENO) == 1;
}

std::string QuoteLaunchArgument(const std::string& AArgument) {
  static constexpr const char* Plain = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                       "0123456789-_./=:,+@%";
  if (!AArgument.empty() && AArgument.find_first_not_of(Plain) == std::string::npos)
    return AArgument;
  // A single quote cannot appear inside single quotes: it ends them, comes
  // escaped, and they begin again.
  std::string Result = "'";
  for (const char Char : AArgument) {
    if (Char == '\'')
      Result += "'\\''";
    else
      Result += Char;
  }
  Result += '\'';
  return Result;
}

std::string ReplaceProcess(const std::vector<std::string>& ACommand) {
  if (ACommand.empty())
    return "no command was given";
  std::vector<char*> Arguments;
  Arguments.reserve(ACommand.size() + 1);
  for (const std::string& Argument : ACommand)
    Arguments.push_back(const_cast<char*>(Argument.c_str()));
  Arguments.push_back(nullptr);
  execvp(Arguments[0], Arguments.data());
  return std::string(std::strerror(errno));
}

} // namespace tilvane::platform
