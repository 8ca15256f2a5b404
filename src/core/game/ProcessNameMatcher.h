#pragma once

#include <QString>

#include <string>
#include <vector>

namespace tilvane {

// Tells whether a process list holds a given executable. A process counts when
// its file name begins with the wanted name, both compared with only the
// letters A to Z folded to lower case (the platform's own case mapping would
// fold other letters depending on the locale).
class TProcessNameMatcher {
public:
  explicit TProcessNameMatcher(const QString& ASExeName);

  bool Matches(const QString& AProcessName) const;
  // Process names as the platform reports them (UTF-8 file names).
  bool AnyMatches(const std::vector<std::string>& AProcessNames) const;

  static QString AsciiLower(const QString& AText);

private:
  QString FLowerName;
};

} // namespace tilvane
