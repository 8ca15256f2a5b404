#include "core/game/ProcessNameMatcher.h"

#include "core/common/Paths.h"

namespace tilvane {

namespace {
// A process snapshot reports at most this many characters of a file name.
constexpr qsizetype MaxProcessNameLength = 260;
} // namespace

TProcessNameMatcher::TProcessNameMatcher(const QString& ASExeName)
    : FLowerName(AsciiLower(ASExeName)) {}

QString TProcessNameMatcher::AsciiLower(const QString& AText) {
  QString Result = AText;
  for (QChar& C : Result) {
    if (C >= QLatin1Char('A') && C <= QLatin1Char('Z'))
      C = QChar(C.unicode() + ('a' - 'A'));
  }
  return Result;
}

bool TProcessNameMatcher::Matches(const QString& AProcessName) const {
  return AsciiLower(AProcessName.left(MaxProcessNameLength)).startsWith(FLowerName);
}

bool TProcessNameMatcher::AnyMatches(const std::vector<std::string>& AProcessNames) const {
  for (const std::string& Name : AProcessNames) {
    if (Matches(FromPlatform(Name)))
      return true;
  }
  return false;
}

} // namespace tilvane
