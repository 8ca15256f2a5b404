#pragma once

#include "core/game/FSVersion.h"
#include "core/modfolders/ModFolder.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace tilvane {

class IPromptService;
class IUpdateProgress;
class TdmMain;

// What the program's commands do with the player's mod folders, without a
// window: which folder a name means, the list, making a folder the game's,
// and the sync on the calling thread. The program's entry point reads the
// command line and chooses where progress and questions go.
class TCommandLineLogic {
public:
  explicit TCommandLineLogic(TdmMain& ADataModule);

  // A mod folder and its generation.
  struct TTarget {
    TFSVersion FSVersion = TFSVersion::fsv22;
    TModFolder Folder;
  };
  // The folder ANameOrPath names: a button's name, or failing that its
  // folder. The generation is AGame when given; else the one ASteamAppId
  // (Steam's SteamAppId for the game it starts) belongs to; else the one
  // generation that has such a folder. None, with the reason in AError, when
  // no folder or more than one generation's matches.
  std::optional<TTarget> Find(const QString& ANameOrPath, std::optional<TFSVersion> AGame,
                              const QString& ASteamAppId, QString& AError);

  // The folders of AGame, or of every generation that has a list (each line
  // then begins with its generation): "* " marks the game's active folder.
  QStringList ListLines(std::optional<TFSVersion> AGame);

  // Why ATarget cannot become the game's folder now (the game runs, or it
  // cannot see the folder); empty when it can.
  QString ActivationRefusal(const TTarget& ATarget);
  // Why the game cannot be started with ATarget: a refusal as above, the
  // game already running, or a server folder without a folder. Empty when
  // it can; a missing folder is created.
  QString LaunchRefusal(const TTarget& ATarget);
  // Why ATarget cannot be synced now; empty when it can. A missing folder is
  // created.
  QString SyncRefusal(const TTarget& ATarget);
  // Makes ATarget the game's folder with its join filter and password, as
  // the button's "Make active" does.
  void Activate(const TTarget& ATarget);

  // Whether the folder follows a server, so that a launch syncs it first.
  static bool FollowsServer(const TTarget& ATarget);

  // How a sync on the calling thread ended.
  struct TSyncOutcome {
    bool InLine = false;
    QString Message; // why not; or, in line, how the folder was judged
  };
  // The sync of ATarget, progress to AProgress and questions to APrompts,
  // on the calling thread.
  TSyncOutcome Sync(const TTarget& ATarget, IUpdateProgress& AProgress, IPromptService& APrompts);

private:
  bool IsActive(const TTarget& ATarget);
  // Creates a missing folder; the reason when it cannot.
  static QString MakeFolder(const TModFolder& AFolder);

  TdmMain& FDataModule;
};

// The text to paste into Steam's launch options of the game for AName:
// AProgram --launch AName -- %command%, each part quoted as the system's
// Steam needs it.
QString SteamLaunchOption(const QString& AProgram, const QString& AName);

} // namespace tilvane
