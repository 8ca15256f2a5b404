#pragma once

#include "core/game/FSVersion.h"

#include <QString>
#include <QStringList>

namespace tilvane {

class TdmMain;

// The developer listing without its window: where the program looks for the
// mod folders and the games' files and what it finds there, one fact per
// line in two columns, for a player to copy into a report of a problem.
// Building it rewrites each game's existing settings file once, with the
// same in-game name, to find out whether the program may write it.
class TDeveloperInfo {
public:
  explicit TDeveloperInfo(TdmMain& ADataModule);

  // Writes the listing: the mod folders root, then FS22, then FS19 (FS25
  // has no block). An error outside the write test ends the listing; the
  // lines written so far stay in Lines().
  void Build();
  const QStringList& Lines() const { return FLines; }

  // The value column starts here (0-based): a name of up to 30 characters
  // and ": " are padded to this width.
  static constexpr int ValueColumn = 33;

private:
  void AddGame(TFSVersion AFSVersion);
  void AddWriteTest(const QString& AName, TFSVersion AFSVersion);
  void AddStr(const QString& AName, const QString& AValue);
  void AddBool(const QString& AName, bool AValue);
  void BlankLine();

  TdmMain& FDataModule;
  QStringList FLines;
};

// The whole listing; an error outside the write test propagates.
QStringList DeveloperInfoLines(TdmMain& ADataModule);

} // namespace tilvane
