#include "windowlogic/CommandLineLogic.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"
#include "core/modfolders/ServerFolderRule.h"
#include "core/update/UpdateModsTask.h"
#include "datamodule/MainDM.h"
#include "platform/ProcessLaunch.h"

#include <QDir>
#include <QFileInfo>

namespace tilvane {

namespace {

bool SamePath(const QString& AOne, const QString& AOther) {
  if (AOne.isEmpty() || AOther.isEmpty())
    return false;
  return QDir::cleanPath(QDir::fromNativeSeparators(AOne)) ==
         QDir::cleanPath(QDir::fromNativeSeparators(AOther));
}

// The first folder named ANameOrPath; the first whose folder it is, else.
std::optional<TModFolder> Match(const TModFolderList& AList, const QString& ANameOrPath) {
  for (const auto& Folder : AList) {
    if (Folder->Name == ANameOrPath)
      return *Folder;
  }
  for (const auto& Folder : AList) {
    if (SamePath(Folder->Folder, ANameOrPath))
      return *Folder;
  }
  return std::nullopt;
}

QString GenerationList(const QList<TFSVersion>& AGenerations) {
  QStringList Names;
  for (const TFSVersion FSVersion : AGenerations)
    Names << FSTabCaption(FSVersion);
  return Names.join(QStringLiteral(", "));
}

} // namespace

TCommandLineLogic::TCommandLineLogic(TdmMain& ADataModule) : FDataModule(ADataModule) {}

std::optional<TCommandLineLogic::TTarget> TCommandLineLogic::Find(const QString& ANameOrPath,
                                                                  std::optional<TFSVersion> AGame,
                                                                  const QString& ASteamAppId,
                                                                  QString& AError) {
  QList<TFSVersion> Generations(AllFSVersions.begin(), AllFSVersions.end());
  if (AGame) {
    Generations = {*AGame};
  } else if (!ASteamAppId.isEmpty()) {
    // Steam names the game it starts; another App ID (a launch option copied
    // to another game) leaves the choice to the name.
    for (const TFSVersion FSVersion : AllFSVersions) {
      if (ASteamAppId.trimmed() == QString::number(FSSteamAppId(FSVersion)))
        Generations = {FSVersion};
    }
  }
  std::optional<TTarget> Found;
  QList<TFSVersion> Matching;
  for (const TFSVersion FSVersion : Generations) {
    if (std::optional<TModFolder> Folder =
            Match(FDataModule.ReadModFolders(FSVersion), ANameOrPath)) {
      Matching << FSVersion;
      if (!Found)
        Found = TTarget{FSVersion, *Folder};
    }
  }
  if (Matching.size() > 1) {
    AError = QStringLiteral("\"%1\" is a mod folder of %2: add --game with one of them.")
                 .arg(ANameOrPath, GenerationList(Matching));
    return std::nullopt;
  }
  if (!Found)
    AError = QStringLiteral("No mod folder of %1 is named \"%2\".")
                 .arg(GenerationList(Generations), ANameOrPath);
  return Found;
}

QStringList TCommandLineLogic::ListLines(std::optional<TFSVersion> AGame) {
  QStringList Lines;
  for (const TFSVersion FSVersion : AllFSVersions) {
    if (AGame ? *AGame != FSVersion : !FDataModule.HasModFolderFile(FSVersion))
      continue;
    const QString Prefix = AGame ? QString() : FSTabCaption(FSVersion) + u' ';
    for (const auto& Folder : FDataModule.ReadModFolders(FSVersion)) {
      const bool Active = IsActive(TTarget{FSVersion, *Folder});
      Lines << Prefix + (Active ? QStringLiteral("* ") : QStringLiteral("  ")) + Folder->Name;
    }
  }
  return Lines;
}

bool TCommandLineLogic::IsActive(const TTarget& ATarget) {
  return FDataModule.GetFSModFolder(ATarget.FSVersion)
             .compare(ATarget.Folder.Folder, Qt::CaseInsensitive) == 0;
}

QString TCommandLineLogic::ActivationRefusal(const TTarget& ATarget) {
  if (FDataModule.IsFSRunning(ATarget.FSVersion))
    return QStringLiteral("Can not change active mod folder while Farming Simulator ") +
           FSVersionToNumberStr(ATarget.FSVersion) + QStringLiteral(" is running.");
  return FDataModule.FSModFolderRefusal(ATarget.FSVersion, ATarget.Folder.Folder);
}

QString TCommandLineLogic::LaunchRefusal(const TTarget& ATarget) {
  if (FollowsServerWithoutFolder(ATarget.Folder))
    return ServerWithoutFolderMessage();
  if (FDataModule.IsFSRunning(ATarget.FSVersion))
    return QStringLiteral("Can not start Farming Simulator ") +
           FSVersionToNumberStr(ATarget.FSVersion) + QStringLiteral(". It is already running.");
  if (QString Refusal = FDataModule.FSModFolderRefusal(ATarget.FSVersion, ATarget.Folder.Folder);
      !Refusal.isEmpty())
    return Refusal;
  return MakeFolder(ATarget.Folder);
}

QString TCommandLineLogic::SyncRefusal(const TTarget& ATarget) {
  if (FollowsServerWithoutFolder(ATarget.Folder))
    return ServerWithoutFolderMessage();
  if (FDataModule.IsFSRunning(ATarget.FSVersion) && IsActive(ATarget))
    return QStringLiteral("Can not update active mod folder while Farming Simulator ") +
           FSVersionToNumberStr(ATarget.FSVersion) + QStringLiteral(" is running.");
  return MakeFolder(ATarget.Folder);
}

QString TCommandLineLogic::MakeFolder(const TModFolder& AFolder) {
  // Empty: the game's own default folder, which the game makes.
  if (AFolder.Folder.isEmpty() || QFileInfo(AFolder.Folder).isDir() ||
      QDir().mkpath(AFolder.Folder))
    return {};
  return QStringLiteral("Cannot create the mod folder ") + AFolder.Folder + u'.';
}

void TCommandLineLogic::Activate(const TTarget& ATarget) {
  FDataModule.SetFSModFolder(ATarget.FSVersion, ATarget.Folder.Folder);
  FDataModule.SetFSJoinGame(ATarget.FSVersion, ATarget.Folder.GameNameFilter,
                            ATarget.Folder.GamePassword);
}

bool TCommandLineLogic::FollowsServer(const TTarget& ATarget) {
  return !ATarget.Folder.DedicatedServerURL.isEmpty();
}

TCommandLineLogic::TSyncOutcome TCommandLineLogic::Sync(const TTarget& ATarget,
                                                        IUpdateProgress& AProgress,
                                                        IPromptService& APrompts) {
  std::unique_ptr<TUpdateModsTask> Task =
      FDataModule.CreateUpdateModsTask(ATarget.Folder, ATarget.FSVersion, AProgress, APrompts);
  TSyncOutcome Outcome;
  try {
    Task->UpdateModsTask();
  } catch (const std::exception& AError) {
    Outcome.Message = QString::fromUtf8(AError.what());
    return Outcome;
  }
  Outcome.InLine = Task->FinishedUpdating();
  Outcome.Message = Outcome.InLine ? Task->LastStatus() : Task->FinalMsg();
  return Outcome;
}

QString SteamLaunchOption(const QString& AProgram, const QString& AName) {
  auto Quote = [](const QString& AText) {
    return QString::fromStdString(platform::QuoteLaunchArgument(AText.toStdString()));
  };
  return Quote(AProgram) + QStringLiteral(" --launch ") + Quote(AName) +
         QStringLiteral(" -- %command%");
}

} // namespace tilvane
