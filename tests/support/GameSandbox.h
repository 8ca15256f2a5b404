#pragma once

#include "datamodule/MainDM.h"
#include "support/GameFolders.h"
#include "support/TestEnvironment.h"
#include "support/WidgetChild.h"

#include <QByteArray>
#include <QMap>
#include <QObject>
#include <QString>

#include <exception>
#include <stdexcept>
#include <string>
#include <vector>

namespace tilvane::test {

// A sandbox with the games installed as a test says: each game's executable
// and settings files where TGameFolders puts them, and the data module on the
// fake platform. Steam is absent, so the program finds no game by itself.
// Each game has a name and console of its own, so that a
// test sees which game a value came from:
//   FS19 "Batek", console on; FS22 "jono", off; FS25 "Farmer25", on.
class TGameSandbox {
public:
  // The executable, both settings files and the stored program location.
  void Install(TFSVersion AFSVersion);
  void RemoveExecutable(TFSVersion AFSVersion);
  // Makes the game one that runs under Proton, its files where they were:
  // the prefix (returned) has the drive links c: and z: (the root).
  QString RunUnderProton(TFSVersion AFSVersion);
  // The stored program location as the file holds it; "(none)" when unset.
  QString StoredLocation(TFSVersion AFSVersion);

  // Every file of the sandbox with its content: two snapshots compare equal
  // when nothing was written.
  QMap<QString, QByteArray> Files() const;

  TestEnvironment Env;
  TGameFolders Games{Env};
  std::vector<std::exception_ptr> Reported;
  TdmMain DataModule{Env.Platform(), Env.Prompts(),
                     [this](std::exception_ptr AError) { Reported.push_back(AError); }};
};

// The message of the one error reported, or a failure text.
QString ReportedMessage(const std::vector<std::exception_ptr>& AReported);

} // namespace tilvane::test
