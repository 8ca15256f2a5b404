#include "platform/LinuxPlatformParsing.h"

#include <algorithm>

namespace tilvane::platform::linux_parsing {

namespace {
std::string_view TrimSpaces(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
    s.remove_suffix(1);
  return s;
}

// A shell-style value: "..." with backslash escapes, or a bare word.
std::string Unquote(std::string_view value) {
  if (value.size() < 2 || value.front() != '"' || value.back() != '"')
    return std::string(value);
  value = value.substr(1, value.size() - 2);
  std::string result;
  result.reserve(value.size());
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size())
      ++i;
    result += value[i];
  }
  return result;
}

// Where the executable's name ends in a command line ("C:\Game.exe -x"): just
// after the first ".exe" (any letter case) that ends the text or is followed
// by a space or quotation mark. npos when there is none.
size_t EndOfExeName(std::string_view s) {
  for (size_t at = 0; at + 4 <= s.size(); ++at) {
    const std::string_view ext = s.substr(at, 4);
    const bool isExe =
        ext[0] == '.' && (ext[1] | 0x20) == 'e' && (ext[2] | 0x20) == 'x' && (ext[3] | 0x20) == 'e';
    if (isExe && (at + 4 == s.size() || s[at + 4] == ' ' || s[at + 4] == '"'))
      return at + 4;
  }
  return std::string_view::npos;
}

// The value of a vdf line holding the quoted "path" key, with Steam's doubled
// backslashes made single; empty for any other line or an unclosed value.
std::string PathValueOfLine(std::string_view line) {
  constexpr std::string_view token = "\"path\"";
  const size_t tokenAt = line.find(token);
  if (tokenAt == std::string_view::npos)
    return {};
  const size_t open = line.find('"', tokenAt + token.size());
  if (open == std::string_view::npos)
    return {};
  const size_t close = line.find('"', open + 1);
  if (close == std::string_view::npos)
    return {};
  const std::string_view value = line.substr(open + 1, close - open - 1);
  std::string result;
  for (size_t i = 0; i < value.size(); ++i) {
    result += value[i];
    if (value[i] == '\\' && i + 1 < value.size() && value[i + 1] == '\\')
      ++i;
  }
  return result;
}
} // namespace

std::string UserDirFromConfig(std::string_view configText, std::string_view variable,
                              const std::string& home) {
  std::string found;
  while (!configText.empty()) {
    const size_t end = configText.find('\n');
    std::string_view line = TrimSpaces(configText.substr(0, end));
    configText = end == std::string_view::npos ? std::string_view() : configText.substr(end + 1);
    if (line.empty() || line.front() == '#')
      continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos || TrimSpaces(line.substr(0, eq)) != variable)
      continue;
    std::string value = Unquote(TrimSpaces(line.substr(eq + 1)));
    if (value == "$HOME")
      value = home;
    else if (value.rfind("$HOME/", 0) == 0)
      value = home + value.substr(5);
    else if (value.empty() || value.front() != '/')
      continue; // only "$HOME/..." and absolute paths are valid
    while (value.size() > 1 && value.back() == '/')
      value.pop_back();
    found = value; // like the shell that sources the file: the last line wins
  }
  return found;
}

std::string ProcessNameFromCmdline(std::string_view cmdline) {
  std::string_view first = cmdline.substr(0, cmdline.find('\0'));
  // Wine may hand a Windows program its whole command line as one argument;
  // the arguments after the ".exe" can hold backslashes of their own.
  if (const size_t exe = EndOfExeName(first); exe != std::string_view::npos)
    first = first.substr(0, exe);
  const size_t slash = first.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? first : first.substr(slash + 1));
}

std::vector<std::string> SteamLibraryPaths(std::string_view vdfText) {
  std::vector<std::string> paths;
  while (!vdfText.empty()) {
    const size_t end = vdfText.find('\n');
    const std::string_view line = vdfText.substr(0, end);
    vdfText = end == std::string_view::npos ? std::string_view() : vdfText.substr(end + 1);
    std::string path = PathValueOfLine(line);
    if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
      if (path[0] != 'Z' && path[0] != 'z')
        continue;
      path = path.substr(2);
      std::replace(path.begin(), path.end(), '\\', '/');
    }
    if (!path.empty())
      paths.push_back(std::move(path));
  }
  return paths;
}

} // namespace tilvane::platform::linux_parsing
