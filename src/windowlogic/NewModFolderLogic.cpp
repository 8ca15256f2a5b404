#include "windowlogic/NewModFolderLogic.h"

#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "core/modfolders/ModFolder.h"
#include "core/modfolders/ServerFolderRule.h"
#include "datamodule/MainDM.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

namespace tilvane {

namespace {

// Numbered variants tried after the plain name; beyond them the player has
// to choose a directory himself.
constexpr int MaxSuggestionNumber = 999;

// Characters Windows refuses in a file name. The game opens its mods folder
// by Windows' rules, under Proton on Linux as well.
bool IsForbiddenInFileName(QChar AChar) {
  return AChar.unicode() < 32 || QStringView(u"\"*/:<>?\\|").contains(AChar);
}

} // namespace

TNewModFolderLogic::TNewModFolderLogic(TdmMain& ADataModule, TFSVersion AFSVersion)
    : FDataModule(ADataModule), FFSVersion(AFSVersion) {}

QString TNewModFolderLogic::CreateCaption(TFSVersion AFSVersion) {
  return QStringLiteral("New FS") + FSVersionToNumberStr(AFSVersion) +
         QStringLiteral(" Mod Folder");
}

QString TNewModFolderLogic::EditModeCaption(bool AEditMode) {
  return AEditMode ? QStringLiteral("Edit Mod Folder") : QStringLiteral("New Mod Folder");
}

void TNewModFolderLogic::SetEditMode(bool AValue) {
  FEditMode = AValue;
  FGenerateSuggestedDir = !AValue;
}

QString TNewModFolderLogic::FolderNameFor(const QString& AName) {
  if (AName.isEmpty())
    return QStringLiteral("Mod Folder");
  QString Result = AName;
  for (QChar& Char : Result) {
    if (IsForbiddenInFileName(Char))
      Char = QLatin1Char('_');
  }
  return Result;
}

std::optional<QString> TNewModFolderLogic::SuggestedDir(const QString& AName) const {
  if (!FGenerateSuggestedDir)
    return std::nullopt;
  const QString Base =
      JoinPath(FDataModule.GetModManagerModFolders(), QStringLiteral("FS") + NumberStr());
  const QString Name = FolderNameFor(AName);
  const QString Plain = JoinPath(Base, Name);
  if (!QFileInfo(Plain).isDir())
    return Plain;
  for (int Number = 1; Number <= MaxSuggestionNumber; ++Number) {
    const QString Numbered = JoinPath(Base, Name + QLatin1Char(' ') + QString::number(Number));
    if (!QFileInfo(Numbered).isDir())
      return Numbered;
  }
  return std::nullopt;
}

bool TNewModFolderLogic::IsReservedDirectory(const QString& APath, const QString& ADocumentsFolder,
                                             const QString& AHomeFolder) {
  // A drive root as Windows writes it ("C:\"). Qt's dialogs give "C:/" on
  // Windows, so the path is looked at in the system's separators; on Linux
  // "C:/" is a folder name like any other.
  if (QDir::toNativeSeparators(APath).mid(1) == QLatin1String(":\\"))
    return true;
  // Spelt any way that names the same folder: "/home/jo/" is "/home/jo".
  const QString Path = QDir::cleanPath(APath);
  if (Path == QLatin1String("/"))
    return true;
  if (!ADocumentsFolder.isEmpty() &&
      Path.compare(QDir::cleanPath(ADocumentsFolder), Qt::CaseInsensitive) == 0)
    return true;
  return !AHomeFolder.isEmpty() && Path == QDir::cleanPath(AHomeFolder);
}

bool TNewModFolderLogic::IsReservedDirectory(const QString& APath) const {
#ifdef Q_OS_WIN
  // Windows keeps the user's files in the folders below his profile, never in
  // the profile folder itself, so only the documents folder is guarded there.
  const QString Home;
#else
  const QString Home = QDir::homePath();
#endif
  return IsReservedDirectory(APath, FromPlatform(FDataModule.Platform().DocumentsFolder()), Home);
}

void TNewModFolderLogic::ShowReservedMessage() {
  FDataModule.Prompts().ShowMessage(
      QStringLiteral("Can not select a reserved directory for a mod folder."));
}

std::optional<QString> TNewModFolderLogic::PickModFolder() {
  const QString Folder = FDataModule.Prompts().PickFolder(
      QStringLiteral("Select Mod Folder directory"), FDataModule.GetModManagerModFolders());
  if (Folder.isEmpty())
    return std::nullopt;
  if (IsReservedDirectory(Folder)) {
    ShowReservedMessage();
    return std::nullopt;
  }
  StopSuggestions();
  return Folder;
}

TNewModFolderLogic::TOkVerdict TNewModFolderLogic::Ok(const TModFolder& AValues) {
  if (AValues.Name.isEmpty()) {
    FDataModule.Prompts().ShowMessage(QStringLiteral("Name can not be blank."));
    return TOkVerdict::FocusName;
  }
  // Before the server is asked: its answer would not make the button usable.
  if (FollowsServerWithoutFolder(AValues)) {
    FDataModule.Prompts().ShowMessage(ServerWithoutFolderMessage());
    return TOkVerdict::Stay;
  }
  // Checked on every OK, even when only the name changed: the server may
  // have moved since the folder was made. The user has been told why.
  const bool HasServer = !AValues.DedicatedServerURL.isEmpty();
  if (HasServer && !FDataModule.ValidateServerURL(FFSVersion, AValues.DedicatedServerURL,
                                                  AValues.WebUsername, AValues.WebPassword))
    return TOkVerdict::FocusServerURL;
  // Only its form: the feed is rewritten by the game every minute and may be
  // out of reach now; the sync tells when it cannot read it.
  if (!IsStatsFeedURL(AValues.StatsFeedURL)) {
    FDataModule.Prompts().ShowMessage(
        QStringLiteral("The stats feed URL must be the address of the server's "
                       "dedicated-server-stats.xml, with its code."));
    return TOkVerdict::FocusStatsFeedURL;
  }
  // No directory: the game's own mods folder.
  const QString& Folder = AValues.Folder;
  if (Folder.isEmpty())
    return TOkVerdict::Accept;
  // Refused before anything is created: on Linux a drive root is only a
  // name, which the steps below would create in the working folder.
  if (IsReservedDirectory(Folder)) {
    ShowReservedMessage();
    return TOkVerdict::Stay;
  }
  // A new folder for a server will be filled by the first sync: nothing to
  // ask. A failure here leads to the question below.
  if (!FEditMode && HasServer)
    QDir().mkpath(Folder);
  if (QFileInfo(Folder).isDir())
    return TOkVerdict::Accept;
  if (!FDataModule.Prompts().AskYesNo(
          QStringLiteral("Mod folder ") + Folder +
          QStringLiteral(" does not exists.  Do you want to create it?")))
    return TOkVerdict::Stay;
  // A folder that cannot be created shows up when the game or a sync uses it.
  QDir().mkpath(Folder);
  return TOkVerdict::Accept;
}

bool TNewModFolderLogic::IsStatsFeedURL(const QString& AURL) {
  if (AURL.isEmpty())
    return true;
  const QUrl URL(AURL, QUrl::StrictMode);
  const QString Scheme = URL.scheme().toLower();
  // The mod page's address is the usual mistake: it sits on the same server.
  return URL.isValid() && (Scheme == QLatin1String("http") || Scheme == QLatin1String("https")) &&
         !URL.host().isEmpty() && URL.path().endsWith(QLatin1String("dedicated-server-stats.xml"));
}

TNewModFolderLogic::TGameSettings TNewModFolderLogic::GameSettings() {
  TGameSettings Settings;
  Settings.ModFolder = FDataModule.GetFSModFolder(FFSVersion);
  FDataModule.GetFSJoinGame(FFSVersion, Settings.GameNameFilter, Settings.GamePassword);
  return Settings;
}

std::optional<TModFolderButtonFile::TButton> TNewModFolderLogic::ImportButtonFile() {
  TFileDialogOptions Options;
  Options.FileTypes = {TModFolderButtonFile::FileType()};
  const QString FileName = FDataModule.Prompts().OpenFile(Options);
  if (FileName.isEmpty())
    return std::nullopt;
  TModFolderButtonFile::TButton Button =
      TModFolderButtonFile(FDataModule.Platform()).Import(FileName);
  // Each generation has its own servers and mods: a button of another one
  // would point the game at a server it cannot join.
  if (Button.FSVersion != NumberStr()) {
    FDataModule.Prompts().ShowMessage(
        QStringLiteral("Unable to import this Mod Folder Button file for FS") + Button.FSVersion +
            QStringLiteral(".\r\nExpecting the Mod Folder Button file to be for FS") + NumberStr() +
            QStringLiteral("."),
        TMessageKind::Warning);
    return std::nullopt;
  }
  return Button;
}

} // namespace tilvane
