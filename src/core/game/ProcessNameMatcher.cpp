#include "core/game/ProcessNameMatcher.h"

#include "core/common/Paths.h"

namespace tilvane {

namespace {
// A process snapshot reports at most this many characters of a file name.
constexpr qsizetype MaxProcessNameLength = 260;
} // namespace

TProcessNameMatcher::TProcessNameMatcher(const QString& sExeName)
    : FLowerName(AsciiLower(sExeName)) {}

QString TProcessNameMatcher::AsciiLower(const QString& AText) {
  QString result = AText;
  for (QChar& c : result) {
    if (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
      c = QChar(c.unicode() + ('a' - 'A'));
  }
  return result;
}

bool TProcessNameMatcher::Matches(const QString& AProcessName) const {
  return AsciiLower(AProcessName.left(MaxProcessNameLength)).startsWith(FLowerName);
}

bool TProcessNameMatcher::AnyMatches(const std::vector<std::string>& AProcessNames) const {
  for (const std::string& name : AProcessNames) {
    if (Matches(FromPlatform(name)))
      return true;
  }
  return false;
}

} // namespace tilvane
