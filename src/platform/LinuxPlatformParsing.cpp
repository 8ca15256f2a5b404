#include "platform/LinuxPlatformParsing.h"

#include <algorithm>

namespace tilvane::platform::linux_parsing {

namespace {
std::string_view TrimSpaces(std::string_view AS) {
  while (!AS.empty() && (AS.front() == ' ' || AS.front() == '\t'))
    AS.remove_prefix(1);
  while (!AS.empty() && (AS.back() == ' ' || AS.back() == '\t' || AS.back() == '\r'))
    AS.remove_suffix(1);
  return AS;
}

// A shell-style value: "..." with backslash escapes, or a bare word.
std::string Unquote(std::string_view AValue) {
  if (AValue.size() < 2 || AValue.front() != '"' || AValue.back() != '"')
    return std::string(AValue);
  AValue = AValue.substr(1, AValue.size() - 2);
  std::string Result;
  Result.reserve(AValue.size());
  for (size_t I = 0; I < AValue.size(); ++I) {
    if (AValue[I] == '\\' && I + 1 < AValue.size())
      ++I;
    Result += AValue[I];
  }
  return Result;
}

// Where the executable's name ends in a command line ("C:\Game.exe -x"): just
// after the first ".exe" (any letter case) that ends the text or is followed
// by a space or quotation mark. npos when there is none.
size_t EndOfExeName(std::string_view AS) {
  for (size_t At = 0; At + 4 <= AS.size(); ++At) {
    const std::string_view Ext = AS.substr(At, 4);
    const bool IsExe =
        Ext[0] == '.' && (Ext[1] | 0x20) == 'e' && (Ext[2] | 0x20) == 'x' && (Ext[3] | 0x20) == 'e';
    if (IsExe && (At + 4 == AS.size() || AS[At + 4] == ' ' || AS[At + 4] == '"'))
      return At + 4;
  }
  return std::string_view::npos;
}

// The value of a vdf line holding the quoted "path" key, with Steam's doubled
// backslashes made single; empty for any other line or an unclosed value.
std::string PathValueOfLine(std::string_view ALine) {
  constexpr std::string_view Token = "\"path\"";
  const size_t TokenAt = ALine.find(Token);
  if (TokenAt == std::string_view::npos)
    return {};
  const size_t Open = ALine.find('"', TokenAt + Token.size());
  if (Open == std::string_view::npos)
    return {};
  const size_t Close = ALine.find('"', Open + 1);
  if (Close == std::string_view::npos)
    return {};
  const std::string_view Value = ALine.substr(Open + 1, Close - Open - 1);
  std::string Result;
  for (size_t I = 0; I < Value.size(); ++I) {
    Result += Value[I];
    if (Value[I] == '\\' && I + 1 < Value.size() && Value[I + 1] == '\\')
      ++I;
  }
  return Result;
}
} // namespace

std::string UserDirFromConfig(std::string_view AConfigText, std::string_view AVariable,
                              const std::string& AHome) {
  std::string Found;
  while (!AConfigText.empty()) {
    const size_t End = AConfigText.find('\n');
    std::string_view Line = TrimSpaces(AConfigText.substr(0, End));
    AConfigText = End == std::string_view::npos ? std::string_view() : AConfigText.substr(End + 1);
    if (Line.empty() || Line.front() == '#')
      continue;
    const size_t Eq = Line.find('=');
    if (Eq == std::string_view::npos || TrimSpaces(Line.substr(0, Eq)) != AVariable)
      continue;
    std::string Value = Unquote(TrimSpaces(Line.substr(Eq + 1)));
    if (Value == "$HOME")
      Value = AHome;
    else if (Value.rfind("$HOME/", 0) == 0)
      Value = AHome + Value.substr(5);
    else if (Value.empty() || Value.front() != '/')
      continue; // only "$HOME/..." and absolute paths are valid
    while (Value.size() > 1 && Value.back() == '/')
      Value.pop_back();
    Found = Value; // like the shell that sources the file: the last line wins
  }
  return Found;
}

std::string ProcessNameFromCmdline(std::string_view ACmdline) {
  std::string_view First = ACmdline.substr(0, ACmdline.find('\0'));
  // Wine may hand a Windows program its whole command line as one argument;
  // the arguments after the ".exe" can hold backslashes of their own.
  if (const size_t Exe = EndOfExeName(First); Exe != std::string_view::npos)
    First = First.substr(0, Exe);
  const size_t Slash = First.find_last_of("/\\");
  return std::string(Slash == std::string_view::npos ? First : First.substr(Slash + 1));
}

std::vector<std::string> SteamLibraryPaths(std::string_view AVdfText) {
  std::vector<std::string> Paths;
  while (!AVdfText.empty()) {
    const size_t End = AVdfText.find('\n');
    const std::string_view Line = AVdfText.substr(0, End);
    AVdfText = End == std::string_view::npos ? std::string_view() : AVdfText.substr(End + 1);
    std::string Path = PathValueOfLine(Line);
    if (Path.size() >= 3 && Path[1] == ':' && Path[2] == '\\') {
      if (Path[0] != 'Z' && Path[0] != 'z')
        continue;
      Path = Path.substr(2);
      std::replace(Path.begin(), Path.end(), '\\', '/');
    }
    if (!Path.empty())
      Paths.push_back(std::move(Path));
  }
  return Paths;
}

} // namespace tilvane::platform::linux_parsing
