#pragma once

#include <QString>
#include <QStringList>

namespace tilvane {

// The visual themes of the program, chosen by name. A coloured theme is a
// palette and a small style sheet over the Fusion style, set on the
// application so that every window, open or still to come, takes it at once.
// "Windows" is the plain look the platform gives the program.
class TThemes {
public:
  TThemes() = delete;

  // Every theme the program offers, sorted by name.
  static QStringList Names();
  // The theme of a program that was never given one: the plain look.
  static QString DefaultName();
  // The theme applied last; the plain look before any.
  static QString ActiveName();
  // Applies the named theme to the whole program. An unknown name (or no
  // name) changes nothing and gives false.
  static bool Apply(const QString& AName);
};

} // namespace tilvane
