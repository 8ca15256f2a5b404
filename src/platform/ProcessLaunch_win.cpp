#include "platform/ProcessLaunch.h"

#include "platform/WinStrings.h"

#include <io.h>
#include <process.h>
#include <stdio.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace tilvane::platform {

bool StandardErrorIsTerminal() {
  return _isatty(_fileno(stderr)) != 0;
}

bool StandardInputIsTerminal() {
  return _isatty(_fileno(stdin)) != 0;
}

std::string QuoteLaunchArgument(const std::string& AArgument) {
  if (!AArgument.empty() && AArgument.find_first_of(" \t\"") == std::string::npos)
    return AArgument;
  // The C runtime's rules: backslashes are literal unless they come before a
  // quote, where each one needs a partner.
  std::string Result = "\"";
  size_t Backslashes = 0;
  for (const char Char : AArgument) {
    if (Char == '\\') {
      ++Backslashes;
      continue;
    }
    if (Char == '"')
      Result.append(Backslashes * 2 + 1, '\\');
    else
      Result.append(Backslashes, '\\');
    Backslashes = 0;
    Result += Char;
  }
  Result.append(Backslashes * 2, '\\');
  Result += '"';
  return Result;
}

std::string ReplaceProcess(const std::vector<std::string>& ACommand) {
  if (ACommand.empty())
    return "no command was given";
  // _wspawnvp joins its arguments with spaces and no quoting of its own.
  std::vector<std::wstring> Wide;
  Wide.reserve(ACommand.size());
  for (const std::string& Argument : ACommand)
    Wide.push_back(win::Widen(QuoteLaunchArgument(Argument)));
  std::vector<const wchar_t*> Arguments;
  for (const std::wstring& Argument : Wide)
    Arguments.push_back(Argument.c_str());
  Arguments.push_back(nullptr);
  const intptr_t Code = _wspawnvp(_P_WAIT, win::Widen(ACommand[0]).c_str(), Arguments.data());
  if (Code == -1)
    return std::string(std::strerror(errno));
  std::fflush(nullptr);
  std::_Exit(static_cast<int>(Code));
}

} // namespace tilvane::platform
