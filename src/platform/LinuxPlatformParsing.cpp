#include "platform/LinuxPlatformParsing.h"

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
  const std::string_view first = cmdline.substr(0, cmdline.find('\0'));
  const size_t slash = first.find_last_of("/\\");
  return std::string(slash == std::string_view::npos ? first : first.substr(slash + 1));
}

} // namespace tilvane::platform::linux_parsing
