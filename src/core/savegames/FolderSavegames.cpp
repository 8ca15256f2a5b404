#include "core/savegames/FolderSavegames.h"

#include "core/server/ModListCheck.h"
#include "core/update/ArchiveFactsCache.h"
#include "core/update/ArchiveHash.h"
#include "core/update/FolderContents.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pugixml.hpp>

namespace tilvane {

namespace {

// The version in a folder mod's modDesc.xml; empty when it has none.
QString FolderModVersion(const QString& AFolder) {
  QFile File(QDir(AFolder).filePath(QStringLiteral("modDesc.xml")));
  if (!File.open(QIODevice::ReadOnly))
    return {};
  const QByteArray Bytes = File.read(16 * 1024 * 1024);
  pugi::xml_document Document;
  if (!Document.load_buffer(Bytes.constData(), static_cast<size_t>(Bytes.size())))
    return {};
  return QString::fromUtf8(Document.child("modDesc").child_value("version")).trimmed();
}

} // namespace

TFolderSavegames::TFolderSavegames(const QString& AModFolder, const QString& ACacheFile)
    : FModFolder(AModFolder), FFacts(std::make_unique<TArchiveFactsCache>(ACacheFile)) {}

TFolderSavegames::~TFolderSavegames() = default;

std::vector<TSavegameNeeds> TFolderSavegames::Match(const std::vector<TSavegame>& ASaves,
                                                    const std::atomic_bool* ACancelled) {
  ReadFolder();
  std::vector<TSavegameNeeds> Result;
  Result.reserve(ASaves.size());
  for (const TSavegame& Save : ASaves) {
    TSavegameNeeds Needs;
    Needs.FolderName = Save.FolderName;
    Needs.SavegameName = Save.SavegameName;
    Needs.MapTitle = Save.MapTitle;
    for (const TSavegameMod& Mod : Save.Mods) {
      if (ACancelled && ACancelled->load())
        break;
      if (IsGameContent(Mod.ModName))
        continue;
      switch (Judge(Mod)) {
      case TVerdict::Held:
        ++Needs.Held;
        break;
      case TVerdict::Missing:
        Needs.Missing.append(Mod);
        break;
      case TVerdict::OtherVersion:
        Needs.OtherVersion.append(Mod);
        break;
      }
    }
    Result.push_back(std::move(Needs));
  }
  SaveCache();
  return Result;
}

void TFolderSavegames::ReadFolder() {
  FArchives.clear();
  FFolderMods.clear();
  for (const QString& Path : ZipFilesIn(FModFolder))
    FArchives.insert(FoldedAscii(ModNameOfArchive(QFileInfo(Path).fileName())), Path);
  const QDir Folder(FModFolder);
  for (const QString& Name : Folder.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden))
    FFolderMods.insert(FoldedAscii(Name), Folder.filePath(Name));
  FFacts->Load();
}

TFolderSavegames::TVerdict TFolderSavegames::Judge(const TSavegameMod& AMod) {
  const QString Key = FoldedAscii(AMod.ModName);
  const auto Archive = FArchives.constFind(Key);
  if (Archive != FArchives.cend())
    return JudgeArchive(AMod, *Archive);
  const auto FolderMod = FFolderMods.constFind(Key);
  if (FolderMod != FFolderMods.cend())
    return JudgeFolderMod(AMod, *FolderMod);
  return TVerdict::Missing;
}

TFolderSavegames::TVerdict TFolderSavegames::JudgeArchive(const TSavegameMod& AMod,
                                                          const QString& APath) {
  const QFileInfo Info(APath);
  if (AMod.FileHash.isEmpty()) {
    // A save made with the mod as a folder: only the description's version
    // tells, and only when the sync has read it already; opening every
    // archive to learn it is not worth the wait.
    const std::optional<TModInfo> Facts = FFacts->Info(Info);
    if (Facts && !AMod.Version.isEmpty() && !SameTextAscii(Facts->Version, AMod.Version))
      return TVerdict::OtherVersion;
    return TVerdict::Held;
  }
  auto Known = FHashes.find(APath);
  if (Known == FHashes.end()) {
    QString Hash;
    try {
      Hash = FFacts->Hash(Info);
      FCacheChanged = true;
    } catch (const std::exception&) {
      // An archive that cannot be read serves no save.
      Hash = QStringLiteral("-");
    }
    Known = FHashes.insert(APath, Hash);
  }
  return *Known == AMod.FileHash ? TVerdict::Held : TVerdict::OtherVersion;
}

TFolderSavegames::TVerdict TFolderSavegames::JudgeFolderMod(const TSavegameMod& AMod,
                                                            const QString& APath) {
  // A folder has no hash of the game's: the versions decide.
  const QString Version = FolderModVersion(APath);
  if (!Version.isEmpty() && !AMod.Version.isEmpty() && !SameTextAscii(Version, AMod.Version))
    return TVerdict::OtherVersion;
  return TVerdict::Held;
}

void TFolderSavegames::SaveCache() {
  if (!FCacheChanged)
    return;
  try {
    FFacts->Save();
  } catch (const std::exception&) {
    // The cache only spares the next look some hashing.
  }
  FCacheChanged = false;
}

} // namespace tilvane
