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

const QString kCommon = QStringLiteral("Common");
constexpr int kMaxModFolderSections = 999;

// Through UTF-16 on every system: Windows would read a std::string in the
// ANSI code page and spoil a name such as C:\Users\Jérôme.
std::filesystem::path FsPath(const QString& path) {
  return std::filesystem::path(path.toStdU16String());
}

QString SystemReason(const std::error_code& error) {
  return QString::fromLocal8Bit(error.message());
}

// Moves a folder with everything in it. The target must not exist: a rename
// over an empty folder would otherwise go through silently.
void MoveFolder(const QString& source, const QString& target) {
  if (QFileInfo::exists(target))
    throw EAppError(QStringLiteral("The specified directory already exists"));
  std::error_code error;
  std::filesystem::rename(FsPath(source), FsPath(target), error);
  if (error)
    throw EAppError(
        QStringLiteral("Unable to move %1 to %2: %3").arg(source, target, SystemReason(error)));
}

void CreateFolder(const QString& path) {
  std::error_code error;
  std::filesystem::create_directories(FsPath(path), error);
  if (error)
    throw EAppError(
        QStringLiteral("Unable to create directory %1: %2").arg(path, SystemReason(error)));
}

// The subfolders directly inside `folder`, taken before anything is created
// there, so that a new FS22 folder is never moved into itself.
QStringList ListSubfolders(const QString& folder) {
  QStringList names;
  std::error_code error;
  for (std::filesystem::directory_iterator it(FsPath(folder), error), end; !error && it != end;
       it.increment(error)) {
    std::error_code typeError;
    // A link to a folder counts as the folder it points to, as it did for the
    // predecessor; moving the link moves only the link.
    if (!it->is_directory(typeError))
      continue;
    try {
      names.push_back(QString::fromStdU16String(it->path().filename().u16string()));
    } catch (const std::exception& nameError) {
      // A name that is no text in the system's encoding cannot be moved by
      // name either: say so before anything has moved.
      throw EAppError(QStringLiteral("Unable to list the folders in %1: %2")
                          .arg(folder, ExceptionText(nameError)));
    }
  }
  if (error)
    throw EAppError(
        QStringLiteral("Unable to list the folders in %1: %2").arg(folder, SystemReason(error)));
  return names;
}

struct TFolderMove {
  QString Source;
  QString Target;
};

// The moves that put the subfolders of a base folder into its FS22 folder,
// planned from `listed` (where the base folder is now) for `base` (where it
// is when they run). The FS22 folder itself stays where it is, and so does a
// folder whose name FS22 holds already: it keeps its place and its path.
std::vector<TFolderMove> PlanMovesIntoFS22(const QString& listed, const QString& base) {
  const QString listedFS22 = JoinPath(listed, QStringLiteral("FS22"));
  const QFileInfo fs22Info(listedFS22);
  if (fs22Info.exists() && !fs22Info.isDir())
    throw EAppError(
        QStringLiteral("Unable to create directory %1: a file has that name").arg(listedFS22));
  std::vector<TFolderMove> moves;
  const QString fs22 = JoinPath(base, QStringLiteral("FS22"));
  for (const QString& name : ListSubfolders(listed)) {
    if (name == QLatin1String("FS22") || QFileInfo::exists(JoinPath(listedFS22, name)))
      continue;
    moves.push_back({JoinPath(base, name), JoinPath(fs22, name)});
  }
  return moves;
}

void RunMovesIntoFS22(const QString& base, const std::vector<TFolderMove>& moves) {
  CreateFolder(JoinPath(base, QStringLiteral("FS22")));
  for (const TFolderMove& move : moves)
    MoveFolder(move.Source, move.Target);
}

QByteArray ReadWholeFile(const QString& path) {
  QFile in(path);
  if (!in.open(QIODevice::ReadOnly))
    throw EAppError(QStringLiteral("Unable to read %1: %2").arg(path, in.errorString()));
  const QByteArray bytes = in.readAll();
  if (in.error() != QFileDevice::NoError)
    throw EAppError(QStringLiteral("Unable to read %1: %2").arg(path, in.errorString()));
  return bytes;
}

// In one step and for the owner only: the files hold the web passwords.
void WriteSettingsFile(const QString& path, const TIniDocument& doc) {
  QString reason;
  if (!ReplaceFileContents(path, doc.ToBytes(), reason, TFileAccess::OwnerOnly))
    throw EAppError(QStringLiteral("Unable to write to %1").arg(path));
}

int LastDelimiter(const QString& path) {
  // Windows takes both separators; elsewhere only '/' separates.
  return PathDelim() == QLatin1Char('/')
             ? path.lastIndexOf(QLatin1Char('/'))
             : std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

// Where a mod folder that lay directly in `base` is now: in its FS22 folder,
// unless it stayed because FS22 held its name already (or is the FS22 folder
// itself). A folder missing on disk counts as moved.
QString PlaceAfterMoves(const QString& base, const QString& name) {
  const QString stayed = JoinPath(base, name);
  if (QFileInfo(stayed).isDir())
    return stayed;
  return JoinPath(JoinPath(base, QStringLiteral("FS22")), name);
}

// The new value of a mod folder's path: where the folder is after the moves
// when it lay directly in the old settings folder or in the custom base
// folder. Comparisons are exact, letter case included. Empty when the value
// stays as it is.
QString MigratedFolder(const QString& folder, const QString& oldDir, const QString& newDir,
                       const QString& customBase) {
  const int nameAt = LastDelimiter(folder);
  const QString name = folder.mid(nameAt + 1);
  if (name.isEmpty())
    return {}; // a value ending in a separator names no folder to follow
  const QString expanded = QDir::toNativeSeparators(
      QDir::cleanPath(QDir::current().absoluteFilePath(QDir::fromNativeSeparators(folder))));
  const int parentEnd = LastDelimiter(expanded);
  const QString parent = parentEnd <= 0 ? expanded.left(parentEnd + 1) : expanded.left(parentEnd);
  if (parent == oldDir)
    return PlaceAfterMoves(newDir, name);
  if (!customBase.isEmpty() && parent == customBase) {
    const QString place = PlaceAfterMoves(parent, name);
    return place == JoinPath(parent, name) ? QString() : place;
  }
  return {};
}

TIniDocument AppSettingsOf(const QByteArray& oldIni, const QString& oldDir, const QString& newDir) {
  TIniDocument ini = TIniDocument::FromBytes(oldIni);
  if (ini.ReadString(kCommon, QStringLiteral("ModManagerModFolders"), QString()) == oldDir)
    ini.WriteString(kCommon, QStringLiteral("ModManagerModFolders"), newDir);
  ini.DeleteKey(kCommon, QStringLiteral("NumberOfModFolders"));
  ini.DeleteKey(kCommon, QStringLiteral("FS22Location"));
  for (int n = 1; n <= kMaxModFolderSections; ++n)
    ini.EraseSection(QStringLiteral("ModFolder%1").arg(n));
  return ini;
}

// Read after the moves: each path names where its folder is now.
TIniDocument FS22SettingsOf(const QByteArray& oldIni, const QString& oldDir, const QString& newDir,
                            const QString& customBase) {
  TIniDocument ini = TIniDocument::FromBytes(oldIni);
  ini.WriteString(kCommon, QStringLiteral("FSProgramLocation"),
                  ini.ReadString(kCommon, QStringLiteral("FS22Location"), QString()));
  for (const char* key : {"FS22Location", "ModManagerModFolders", "Theme", "ShowDevelopmentTools"})
    ini.DeleteKey(kCommon, QString::fromLatin1(key));
  ini.EraseSection(QStringLiteral("Form"));
  for (int n = 1; n <= kMaxModFolderSections; ++n) {
    const QString section = QStringLiteral("ModFolder%1").arg(n);
    if (!ini.SectionExists(section))
      continue;
    const QString folder = ini.ReadString(section, QStringLiteral("Folder"), QString());
    if (folder.isEmpty())
      continue;
    const QString migrated = MigratedFolder(folder, oldDir, newDir, customBase);
    if (!migrated.isEmpty())
      ini.WriteString(section, QStringLiteral("Folder"), migrated);
  }
  return ini;
}

} // namespace

// Every step can be taken again: a start that fails half-way leaves Orsenby's
// file in the new settings folder and no Tilvane.ini, and the next start goes
// on from there (the data module looks for exactly that). The old file is
// only read until both new files are written.
void TdmMain::UpgradeToTilvane() {
  const QString documents = FromPlatform(FPlatform.DocumentsFolder());
  const QString oldDirPath =
      JoinPath(documents, NativeRelative(QStringLiteral("My Games\\Orsenby")));
  const QString newDirPath = GetIniFilePath();
  const QString oldIniInOldDir = JoinPath(oldDirPath, QStringLiteral("Orsenby.ini"));
  const QString oldIniFilePath = JoinPath(newDirPath, QStringLiteral("Orsenby.ini"));
  const QString newIniFilePath = JoinPath(newDirPath, QStringLiteral("Tilvane.ini"));
  const QString newFS22IniFilePath = JoinPath(newDirPath, QStringLiteral("FS22.ini"));

  // The game keeps files open in the mod folders that are about to move.
  if (IsFSRunning(TFSVersion::fsv22)) {
    FPrompts.ShowMessage(QStringLiteral("Orsenby need to preform an upgrade. Please exit Farming "
                                        "Simulator 22 and restart Tilvane again."));
    std::fflush(nullptr);
    std::_Exit(0); // nothing has changed yet, and nothing is to be saved
  }

  const bool resuming = !QFileInfo(oldIniInOldDir).isFile();
  const QByteArray oldIni = ReadWholeFile(resuming ? oldIniFilePath : oldIniInOldDir);
  const QString modFolderDir = TIniDocument::FromBytes(oldIni).ReadString(
      kCommon, QStringLiteral("ModManagerModFolders"), QString());
  const QString customBase = modFolderDir == oldDirPath ? QString() : modFolderDir;

  // Every listing is taken and every move planned before the first move: a
  // folder that cannot move into FS22 must not be found with half of the
  // others gone.
  if (!resuming && QFileInfo::exists(newDirPath))
    throw EAppError(QStringLiteral("The specified directory already exists"));
  // A file of that name that the old folder brings along is no leftover of
  // this migration, so it is not written over.
  const QString fs22IniInOldDir = JoinPath(oldDirPath, QStringLiteral("FS22.ini"));
  if (!resuming && QFileInfo::exists(fs22IniInOldDir))
    throw EAppError(QStringLiteral("The file %1 already exists").arg(newFS22IniFilePath));
  const std::vector<TFolderMove> moves =
      PlanMovesIntoFS22(resuming ? newDirPath : oldDirPath, newDirPath);
  const std::vector<TFolderMove> customMoves =
      customBase.isEmpty() ? std::vector<TFolderMove>() : PlanMovesIntoFS22(customBase, customBase);

  if (!resuming)
    MoveFolder(oldDirPath, newDirPath);
  RunMovesIntoFS22(newDirPath, moves);
  if (!customBase.isEmpty())
    RunMovesIntoFS22(customBase, customMoves);

  // The files stay out of the user's sight as the old one was; a file system
  // without the attribute costs only looks.
  WriteSettingsFile(newFS22IniFilePath, FS22SettingsOf(oldIni, oldDirPath, newDirPath, customBase));
  FPlatform.SetHidden(ToPlatform(newFS22IniFilePath), true);
  // Last: once this file exists, the migration is over for good.
  WriteSettingsFile(newIniFilePath, AppSettingsOf(oldIni, oldDirPath, newDirPath));
  FPlatform.SetHidden(ToPlatform(newIniFilePath), true);
  // Everything it held is in the two new files. One that stays behind is
  // never read again, so a failure to remove it is no failure of the move.
  QFile::remove(oldIniFilePath);
}

} // namespace tilvane
