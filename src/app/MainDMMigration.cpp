// The one-time move from Orsenby, the FS22-only predecessor, to this program's
// layout: Orsenby's folder becomes the settings folder, its settings file is
// split into Tilvane.ini and FS22.ini, and mod folders in the old default
// places move into an FS22 subfolder.
#include "app/MainDM.h"

#include "common/AppError.h"
#include "common/AtomicFile.h"
#include "common/Paths.h"
#include "common/PromptService.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <system_error>

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

// Moves every subfolder of `base` into `base`/FS22.
void MoveSubfoldersIntoFS22(const QString& base) {
  const QStringList names = ListSubfolders(base);
  const QString fs22 = JoinPath(base, QStringLiteral("FS22"));
  CreateFolder(fs22);
  for (const QString& name : names)
    MoveFolder(JoinPath(base, name), JoinPath(fs22, name));
}

void RenameFile(const QString& source, const QString& target) {
  if (QFileInfo::exists(target))
    throw EAppError(
        QStringLiteral("Unable to rename %1 to %2: the file already exists").arg(source, target));
  std::error_code error;
  std::filesystem::rename(FsPath(source), FsPath(target), error);
  if (error)
    throw EAppError(
        QStringLiteral("Unable to rename %1 to %2: %3").arg(source, target, SystemReason(error)));
}

// Copies a file that must not exist at the target yet; the copy is written in
// one step, so a full disk leaves no half file behind.
void CopyNewFile(const QString& source, const QString& target) {
  if (QFileInfo::exists(target))
    throw EAppError(QStringLiteral("The file %1 already exists").arg(target));
  QFile in(source);
  if (!in.open(QIODevice::ReadOnly))
    throw EAppError(QStringLiteral("Unable to read %1: %2").arg(source, in.errorString()));
  const QByteArray bytes = in.readAll();
  if (in.error() != QFileDevice::NoError)
    throw EAppError(QStringLiteral("Unable to read %1: %2").arg(source, in.errorString()));
  QString reason;
  if (!ReplaceFileContents(target, bytes, reason, TFileAccess::OwnerOnly))
    throw EAppError(QStringLiteral("Unable to write to %1: %2").arg(target, reason));
}

int LastDelimiter(const QString& path) {
  // Windows takes both separators; elsewhere only '/' separates.
  return PathDelim() == QLatin1Char('/')
             ? path.lastIndexOf(QLatin1Char('/'))
             : std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
}

// The new place of a mod folder: below the FS22 folder when it lay directly
// in the old settings folder or in the custom base folder. Comparisons are
// exact, letter case included. Empty when the value stays as it is.
QString MigratedFolder(const QString& folder, const QString& oldDir, const QString& newFS22Dir,
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
    return JoinPath(newFS22Dir, name);
  if (!customBase.isEmpty() && parent == customBase)
    return JoinPath(JoinPath(parent, QStringLiteral("FS22")), name);
  return {};
}

} // namespace

void TdmMain::UpgradeToTilvane() {
  const QString documents = FromPlatform(FPlatform.DocumentsFolder());
  const QString oldDirPath =
      JoinPath(documents, NativeRelative(QStringLiteral("My Games\\Orsenby")));
  const QString newDirPath = GetIniFilePath();
  const QString newFS22DirPath = JoinPath(newDirPath, QStringLiteral("FS22"));
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

  MoveFolder(oldDirPath, newDirPath);
  MoveSubfoldersIntoFS22(newDirPath);
  RenameFile(oldIniFilePath, newIniFilePath);
  CopyNewFile(newIniFilePath, newFS22IniFilePath);

  // Both files stay out of the user's sight as the settings file was; a file
  // system without the attribute costs only looks.
  FPlatform.SetHidden(ToPlatform(newIniFilePath), true);
  FPlatform.SetHidden(ToPlatform(newFS22IniFilePath), true);

  TIniFile appIni(newIniFilePath, FPlatform);
  QString modFolderDir;
  appIni.Update([&](TIniDocument& ini) {
    modFolderDir = ini.ReadString(kCommon, QStringLiteral("ModManagerModFolders"), QString());
    if (modFolderDir == oldDirPath)
      ini.WriteString(kCommon, QStringLiteral("ModManagerModFolders"), newDirPath);
    ini.DeleteKey(kCommon, QStringLiteral("NumberOfModFolders"));
    ini.DeleteKey(kCommon, QStringLiteral("FS22Location"));
    for (int n = 1; n <= kMaxModFolderSections; ++n)
      ini.EraseSection(QStringLiteral("ModFolder%1").arg(n));
  });
  const QString customBase = modFolderDir == oldDirPath ? QString() : modFolderDir;
  if (!customBase.isEmpty())
    MoveSubfoldersIntoFS22(customBase);

  TIniFile fs22Ini(newFS22IniFilePath, FPlatform);
  fs22Ini.Update([&](TIniDocument& ini) {
    ini.WriteString(kCommon, QStringLiteral("FSProgramLocation"),
                    ini.ReadString(kCommon, QStringLiteral("FS22Location"), QString()));
    for (const char* key :
         {"FS22Location", "ModManagerModFolders", "Theme", "ShowDevelopmentTools"})
      ini.DeleteKey(kCommon, QString::fromLatin1(key));
    ini.EraseSection(QStringLiteral("Form"));
    for (int n = 1; n <= kMaxModFolderSections; ++n) {
      const QString section = QStringLiteral("ModFolder%1").arg(n);
      if (!ini.SectionExists(section))
        continue;
      const QString folder = ini.ReadString(section, QStringLiteral("Folder"), QString());
      if (folder.isEmpty())
        continue;
      const QString migrated = MigratedFolder(folder, oldDirPath, newFS22DirPath, customBase);
      if (!migrated.isEmpty())
        ini.WriteString(section, QStringLiteral("Folder"), migrated);
    }
  });
}

} // namespace tilvane
