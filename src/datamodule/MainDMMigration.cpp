// The one-time move from Orsenby, the FS22-only predecessor, to this program's
// layout: Orsenby's folder becomes the settings folder, its settings file is
// split into Tilvane.ini and FS22.ini, and mod folders in the old default
// places move into an FS22 subfolder.
#include "datamodule/MainDM.h"

#include "core/common/AppError.h"
#include "core/common/AtomicFile.h"
#include "core/common/IniFile.h"
#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace tilvane {

namespace {

const QString Common = QStringLiteral("Common");
constexpr int MaxModFolderSections = 999;

// Through UTF-16 on every system: Windows would read a std::string in the
// ANSI code page and spoil a name such as C:\Users\Jérôme.
std::filesystem::path FsPath(const QString& APath) {
  return std::filesystem::path(APath.toStdU16String());
}

QString SystemReason(const std::error_code& AError) {
  return QString::fromLocal8Bit(AError.message());
}

// Moves a folder with everything in it. The target must not exist: a rename
// over an empty folder would otherwise go through silently.
void MoveFolder(const QString& ASource, const QString& ATarget) {
  if (QFileInfo::exists(ATarget))
    throw EAppError(QStringLiteral("The specified directory already exists"));
  std::error_code Error;
  std::filesystem::rename(FsPath(ASource), FsPath(ATarget), Error);
  if (Error)
    throw EAppError(
        QStringLiteral("Unable to move %1 to %2: %3").arg(ASource, ATarget, SystemReason(Error)));
}

void CreateFolder(const QString& APath) {
  std::error_code Error;
  std::filesystem::create_directories(FsPath(APath), Error);
  if (Error)
    throw EAppError(
        QStringLiteral("Unable to create directory %1: %2").arg(APath, SystemReason(Error)));
}

// The subfolders directly inside `folder`, taken before anything is created
// there, so that a new FS22 folder is never moved into itself.
QStringList ListSubfolders(const QString& AFolder) {
  QStringList Names;
  std::error_code Error;
  for (std::filesystem::directory_iterator It(FsPath(AFolder), Error), End; !Error && It != End;
       It.increment(Error)) {
    std::error_code TypeError;
    // A link to a folder counts as the folder it points to, as it did for the
    // predecessor; moving the link moves only the link.
    if (!It->is_directory(TypeError))
      continue;
    try {
      Names.push_back(QString::fromStdU16String(It->path().filename().u16string()));
    } catch (const std::exception& NameError) {
      // A name that is no text in the system's encoding cannot be moved by
      // name either: say so before anything has moved.
      throw EAppError(QStringLiteral("Unable to list the folders in %1: %2")
                          .arg(AFolder, ExceptionText(NameError)));
    }
  }
  if (Error)
    throw EAppError(
        QStringLiteral("Unable to list the folders in %1: %2").arg(AFolder, SystemReason(Error)));
  return Names;
}

struct TFolderMove {
  QString Source;
  QString Target;
};

// The moves that put the subfolders of a base folder into its FS22 folder,
// planned from `listed` (where the base folder is now) for `base` (where it
// is when they run). The FS22 folder itself stays where it is, and so does a
// folder whose name FS22 holds already: it keeps its place and its path.
std::vector<TFolderMove> PlanMovesIntoFS22(const QString& AListed, const QString& ABase) {
  const QString ListedFS22 = JoinPath(AListed, QStringLiteral("FS22"));
  const QFileInfo Fs22Info(ListedFS22);
  if (Fs22Info.exists() && !Fs22Info.isDir())
    throw EAppError(
        QStringLiteral("Unable to create directory %1: a file has that name").arg(ListedFS22));
  std::vector<TFolderMove> Moves;
  const QString Fs22 = JoinPath(ABase, QStringLiteral("FS22"));
  for (const QString& Name : ListSubfolders(AListed)) {
    if (Name == QLatin1String("FS22") || QFileInfo::exists(JoinPath(ListedFS22, Name)))
      continue;
    Moves.push_back({JoinPath(ABase, Name), JoinPath(Fs22, Name)});
  }
  return Moves;
}

void RunMovesIntoFS22(const QString& ABase, const std::vector<TFolderMove>& AMoves) {
  CreateFolder(JoinPath(ABase, QStringLiteral("FS22")));
  for (const TFolderMove& Move : AMoves)
    MoveFolder(Move.Source, Move.Target);
}

QByteArray ReadWholeFile(const QString& APath) {
  QFile In(APath);
  if (!In.open(QIODevice::ReadOnly))
    throw EAppError(QStringLiteral("Unable to read %1: %2").arg(APath, In.errorString()));
  const QByteArray Bytes = In.readAll();
  if (In.error() != QFileDevice::NoError)
    throw EAppError(QStringLiteral("Unable to read %1: %2").arg(APath, In.errorString()));
  return Bytes;
}

// In one step and for the owner only: the files hold the web passwords.
void WriteSettingsFile(const QString& APath, const TIniDocument& ADoc) {
  QString Reason;
  if (!ReplaceFileContents(APath, ADoc.ToBytes(), Reason, TFileAccess::OwnerOnly))
    throw EAppError(QStringLiteral("Unable to write to %1").arg(APath));
}

int LastDelimiter(const QString& APath) {
  // Windows takes both separators; elsewhere only '/' separates.
  return PathDelim() == QLatin1Char('/')
             ? APath.lastIndexOf(QLatin1Char('/'))
             : std::max(APath.lastIndexOf(QLatin1Char('/')), APath.lastIndexOf(QLatin1Char('\\')));
}

// Where a mod folder that lay directly in `base` is now: in its FS22 folder,
// unless it stayed because FS22 held its name already (or is the FS22 folder
// itself). A folder missing on disk counts as moved.
QString PlaceAfterMoves(const QString& ABase, const QString& AName) {
  const QString Stayed = JoinPath(ABase, AName);
  if (QFileInfo(Stayed).isDir())
    return Stayed;
  return JoinPath(JoinPath(ABase, QStringLiteral("FS22")), AName);
}

// The new value of a mod folder's path: where the folder is after the moves
// when it lay directly in the old settings folder or in the custom base
// folder. Comparisons are exact, letter case included. Empty when the value
// stays as it is.
QString MigratedFolder(const QString& AFolder, const QString& AOldDir, const QString& ANewDir,
                       const QString& ACustomBase) {
  const int NameAt = LastDelimiter(AFolder);
  const QString Name = AFolder.mid(NameAt + 1);
  if (Name.isEmpty())
    return {}; // a value ending in a separator names no folder to follow
  const QString Expanded = QDir::toNativeSeparators(
      QDir::cleanPath(QDir::current().absoluteFilePath(QDir::fromNativeSeparators(AFolder))));
  const int ParentEnd = LastDelimiter(Expanded);
  const QString Parent = ParentEnd <= 0 ? Expanded.left(ParentEnd + 1) : Expanded.left(ParentEnd);
  if (Parent == AOldDir)
    return PlaceAfterMoves(ANewDir, Name);
  if (!ACustomBase.isEmpty() && Parent == ACustomBase) {
    const QString Place = PlaceAfterMoves(Parent, Name);
    return Place == JoinPath(Parent, Name) ? QString() : Place;
  }
  return {};
}

TIniDocument AppSettingsOf(const QByteArray& AOldIni, const QString& AOldDir,
                           const QString& ANewDir) {
  TIniDocument Ini = TIniDocument::FromBytes(AOldIni);
  if (Ini.ReadString(Common, QStringLiteral("ModManagerModFolders"), QString()) == AOldDir)
    Ini.WriteString(Common, QStringLiteral("ModManagerModFolders"), ANewDir);
  Ini.DeleteKey(Common, QStringLiteral("NumberOfModFolders"));
  Ini.DeleteKey(Common, QStringLiteral("FS22Location"));
  for (int N = 1; N <= MaxModFolderSections; ++N)
    Ini.EraseSection(QStringLiteral("ModFolder%1").arg(N));
  return Ini;
}

// Read after the moves: each path names where its folder is now.
TIniDocument FS22SettingsOf(const QByteArray& AOldIni, const QString& AOldDir,
                            const QString& ANewDir, const QString& ACustomBase) {
  TIniDocument Ini = TIniDocument::FromBytes(AOldIni);
  Ini.WriteString(Common, QStringLiteral("FSProgramLocation"),
                  Ini.ReadString(Common, QStringLiteral("FS22Location"), QString()));
  for (const char* Key : {"FS22Location", "ModManagerModFolders", "Theme", "ShowDevelopmentTools"})
    Ini.DeleteKey(Common, QString::fromLatin1(Key));
  Ini.EraseSection(QStringLiteral("Form"));
  for (int N = 1; N <= MaxModFolderSections; ++N) {
    const QString Section = QStringLiteral("ModFolder%1").arg(N);
    if (!Ini.SectionExists(Section))
      continue;
    const QString Folder = Ini.ReadString(Section, QStringLiteral("Folder"), QString());
    if (Folder.isEmpty())
      continue;
    const QString Migrated = MigratedFolder(Folder, AOldDir, ANewDir, ACustomBase);
    if (!Migrated.isEmpty())
      Ini.WriteString(Section, QStringLiteral("Folder"), Migrated);
  }
  return Ini;
}

} // namespace

// Every step can be taken again: a start that fails half-way leaves Orsenby's
// file in the new settings folder and no Tilvane.ini, and the next start goes
// on from there (the data module looks for exactly that). The old file is
// only read until both new files are written.
void TdmMain::UpgradeToTilvane() {
  const QString Documents = FromPlatform(FPlatform.DocumentsFolder());
  const QString OldDirPath =
      JoinPath(Documents, NativeRelative(QStringLiteral("My Games\\Orsenby")));
  const QString NewDirPath = GetIniFilePath();
  const QString OldIniInOldDir = JoinPath(OldDirPath, QStringLiteral("Orsenby.ini"));
  const QString OldIniFilePath = JoinPath(NewDirPath, QStringLiteral("Orsenby.ini"));
  const QString NewIniFilePath = JoinPath(NewDirPath, QStringLiteral("Tilvane.ini"));
  const QString NewFS22IniFilePath = JoinPath(NewDirPath, QStringLiteral("FS22.ini"));

  // The game keeps files open in the mod folders that are about to move.
  if (IsFSRunning(TFSVersion::fsv22)) {
    FPrompts.ShowMessage(QStringLiteral("Orsenby need to preform an upgrade. Please exit Farming "
                                        "Simulator 22 and restart Tilvane again."));
    std::fflush(nullptr);
    std::_Exit(0); // nothing has changed yet, and nothing is to be saved
  }

  const bool Resuming = !QFileInfo(OldIniInOldDir).isFile();
  const QByteArray OldIni = ReadWholeFile(Resuming ? OldIniFilePath : OldIniInOldDir);
  const QString ModFolderDir = TIniDocument::FromBytes(OldIni).ReadString(
      Common, QStringLiteral("ModManagerModFolders"), QString());
  const QString CustomBase = ModFolderDir == OldDirPath ? QString() : ModFolderDir;

  // Every listing is taken and every move planned before the first move: a
  // folder that cannot move into FS22 must not be found with half of the
  // others gone.
  if (!Resuming && QFileInfo::exists(NewDirPath))
    throw EAppError(QStringLiteral("The specified directory already exists"));
  // A file of that name that the old folder brings along is no leftover of
  // this migration, so it is not written over.
  const QString Fs22IniInOldDir = JoinPath(OldDirPath, QStringLiteral("FS22.ini"));
  if (!Resuming && QFileInfo::exists(Fs22IniInOldDir))
    throw EAppError(QStringLiteral("The file %1 already exists").arg(NewFS22IniFilePath));
  const std::vector<TFolderMove> Moves =
      PlanMovesIntoFS22(Resuming ? NewDirPath : OldDirPath, NewDirPath);
  const std::vector<TFolderMove> CustomMoves =
      CustomBase.isEmpty() ? std::vector<TFolderMove>() : PlanMovesIntoFS22(CustomBase, CustomBase);

  if (!Resuming)
    MoveFolder(OldDirPath, NewDirPath);
  RunMovesIntoFS22(NewDirPath, Moves);
  if (!CustomBase.isEmpty())
    RunMovesIntoFS22(CustomBase, CustomMoves);

  // The files stay out of the user's sight as the old one was; a file system
  // without the attribute costs only looks.
  WriteSettingsFile(NewFS22IniFilePath, FS22SettingsOf(OldIni, OldDirPath, NewDirPath, CustomBase));
  FPlatform.SetHidden(ToPlatform(NewFS22IniFilePath), true);
  // Last: once this file exists, the migration is over for good.
  WriteSettingsFile(NewIniFilePath, AppSettingsOf(OldIni, OldDirPath, NewDirPath));
  FPlatform.SetHidden(ToPlatform(NewIniFilePath), true);
  // Everything it held is in the two new files. One that stays behind is
  // never read again, so a failure to remove it is no failure of the move.
  QFile::remove(OldIniFilePath);
}

} // namespace tilvane
