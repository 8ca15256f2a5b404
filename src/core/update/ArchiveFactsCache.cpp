#include "core/update/ArchiveFactsCache.h"

#include "core/common/AppError.h"
#include "core/common/AtomicFile.h"
#include "core/update/ArchiveHash.h"
#include "core/update/ModFolderKey.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>

namespace tilvane {

namespace {

// The file's own marker and layout version: a file without them, or of
// another version, is not read at all.
const QLatin1String FormatName("tilvane-archive-facts");
constexpr int FormatVersion = 1;

const QLatin1String KeyFormat("format");
const QLatin1String KeyVersion("version");
const QLatin1String KeyFolder("folder");
const QLatin1String KeyArchives("archives");
const QLatin1String KeyChecksum("checksum");
const QLatin1String KeySize("size");
const QLatin1String KeyModified("modified");
const QLatin1String KeyHash("hash");
const QLatin1String KeyAuthor("author");
const QLatin1String KeyModVersion("modVersion");

// The stat of the file as it is now, not as the caller's QFileInfo may have
// cached it when the folder was listed.
QFileInfo Restat(const QFileInfo& AArchive) {
  QFileInfo Now(AArchive);
  Now.refresh();
  return Now;
}

qint64 ModifiedMsOf(const QFileInfo& AInfo) {
  return AInfo.lastModified().toMSecsSinceEpoch();
}

bool IsGameHash(const QString& AText) {
  if (AText.size() != 32)
    return false;
  for (const QChar C : AText)
    if (!((C >= u'0' && C <= u'9') || (C >= u'a' && C <= u'f')))
      return false;
  return true;
}

// A digest of the entries as written: a file damaged inside a value (a hash
// digit, a size) still parses as JSON, and must not pass for facts.
QString ChecksumOf(const QJsonObject& AArchives) {
  return QString::fromLatin1(
      QCryptographicHash::hash(QJsonDocument(AArchives).toJson(QJsonDocument::Compact),
                               QCryptographicHash::Sha1)
          .toHex());
}

} // namespace

TArchiveFactsCache::TArchiveFactsCache(const QString& ACacheFile) : FCacheFile(ACacheFile) {}

QString TArchiveFactsCache::CacheFileFor(const QString& ACacheFolder, const QString& AModFolder) {
  return QDir::cleanPath(ACacheFolder) + QLatin1Char('/') + ModFolderKey(AModFolder) +
         QLatin1String(".json");
}

void TArchiveFactsCache::Load() {
  FEntries.clear();
  FFolder.clear();
  QFile File(FCacheFile);
  if (!File.open(QIODevice::ReadOnly))
    return;
  // A cache of a few hundred archives is some tens of kilobytes; anything far
  // larger is not ours.
  if (File.size() > 64 * 1024 * 1024)
    return;
  QJsonParseError Error;
  const QJsonDocument Document = QJsonDocument::fromJson(File.readAll(), &Error);
  if (Error.error != QJsonParseError::NoError || !Document.isObject())
    return;
  const QJsonObject Root = Document.object();
  if (Root.value(KeyFormat).toString() != FormatName ||
      Root.value(KeyVersion).toInteger(-1) != FormatVersion)
    return;
  const QJsonValue Archives = Root.value(KeyArchives);
  const QJsonValue Folder = Root.value(KeyFolder);
  if (!Archives.isObject() || !Folder.isString() ||
      Root.value(KeyChecksum).toString() != ChecksumOf(Archives.toObject()))
    return;
  QHash<QString, TEntry> Entries;
  const QJsonObject Table = Archives.toObject();
  for (auto It = Table.begin(); It != Table.end(); ++It) {
    if (!It.value().isObject())
      return;
    const QJsonObject Item = It.value().toObject();
    TEntry Entry;
    Entry.Size = Item.value(KeySize).toInteger(-1);
    Entry.ModifiedMs = Item.value(KeyModified).toInteger(-1);
    Entry.Hash = Item.value(KeyHash).toString();
    const QJsonValue Author = Item.value(KeyAuthor);
    const QJsonValue Version = Item.value(KeyModVersion);
    Entry.HasInfo = Author.isString() && Version.isString();
    Entry.Info = {Author.toString(), Version.toString()};
    // Any field out of shape makes the whole file suspect.
    if (It.key().isEmpty() || Entry.Size < 0 || !Item.value(KeyModified).isDouble() ||
        (Item.contains(KeyHash) && !IsGameHash(Entry.Hash)) ||
        (Author.isUndefined() != Version.isUndefined()) ||
        (!Author.isUndefined() && !Entry.HasInfo))
      return;
    Entries.insert(It.key(), Entry);
  }
  FEntries = std::move(Entries);
  FFolder = Folder.toString();
}

void TArchiveFactsCache::Save() {
  QJsonObject Archives;
  for (auto It = FEntries.cbegin(); It != FEntries.cend(); ++It) {
    const TEntry& Entry = It.value();
    if (FFolder.isEmpty() || (Entry.Hash.isEmpty() && !Entry.HasInfo))
      continue;
    // Only what still describes a file on disk: a removed or replaced
    // archive's facts would only grow the file.
    const QFileInfo Archive(FFolder + QLatin1Char('/') + It.key());
    if (!Archive.isFile() || Archive.size() != Entry.Size ||
        ModifiedMsOf(Archive) != Entry.ModifiedMs)
      continue;
    QJsonObject Item;
    Item.insert(KeySize, Entry.Size);
    Item.insert(KeyModified, Entry.ModifiedMs);
    if (!Entry.Hash.isEmpty())
      Item.insert(KeyHash, Entry.Hash);
    if (Entry.HasInfo) {
      Item.insert(KeyAuthor, Entry.Info.Author);
      Item.insert(KeyModVersion, Entry.Info.Version);
    }
    Archives.insert(It.key(), Item);
  }
  QJsonObject Root;
  Root.insert(KeyFormat, FormatName);
  Root.insert(KeyVersion, FormatVersion);
  Root.insert(KeyFolder, FFolder);
  Root.insert(KeyArchives, Archives);
  Root.insert(KeyChecksum, ChecksumOf(Archives));

  const QString CacheFolder = QFileInfo(FCacheFile).absolutePath();
  if (!QDir().mkpath(CacheFolder))
    throw EAppError(QStringLiteral("Unable to create folder ") + CacheFolder);
  QString Error;
  if (!ReplaceFileContents(FCacheFile, QJsonDocument(Root).toJson(QJsonDocument::Compact), Error))
    throw EAppError(QStringLiteral("Unable to write ") + FCacheFile +
                    QStringLiteral("\r\nError: ") + Error);
}

QString TArchiveFactsCache::Hash(const QFileInfo& AArchive) {
  const QFileInfo Now = Restat(AArchive);
  if (const TEntry* Entry = Current(Now); Entry && !Entry->Hash.isEmpty())
    return Entry->Hash;
  // Kept under the stat taken before the read: a file that changes meanwhile
  // has another stat next time and is read again.
  const QString Result = ModArchiveHash(Now.absoluteFilePath());
  Fresh(Now).Hash = Result;
  return Result;
}

void TArchiveFactsCache::PutHash(const QFileInfo& AArchive, const QString& AHash) {
  // Only what reads back: a value of another shape would make the whole file
  // be thrown away on the next Load.
  const QString Hash = AHash.toLower();
  Fresh(Restat(AArchive)).Hash = IsGameHash(Hash) ? Hash : QString();
}

std::optional<TModInfo> TArchiveFactsCache::Info(const QFileInfo& AArchive) const {
  const TEntry* Entry = Current(Restat(AArchive));
  if (!Entry || !Entry->HasInfo)
    return std::nullopt;
  return Entry->Info;
}

void TArchiveFactsCache::PutInfo(const QFileInfo& AArchive, const TModInfo& AInfo) {
  TEntry& Entry = Fresh(Restat(AArchive));
  Entry.HasInfo = true;
  Entry.Info = AInfo;
}

void TArchiveFactsCache::Forget(const QString& AFileName) {
  FEntries.remove(AFileName);
}

bool TArchiveFactsCache::InFolder(const QFileInfo& AArchive) const {
  return FFolder.isEmpty() || AArchive.absolutePath() == FFolder;
}

TArchiveFactsCache::TEntry* TArchiveFactsCache::Current(const QFileInfo& AArchive) {
  return const_cast<TEntry*>(std::as_const(*this).Current(AArchive));
}

const TArchiveFactsCache::TEntry* TArchiveFactsCache::Current(const QFileInfo& AArchive) const {
  if (!AArchive.isFile() || !InFolder(AArchive))
    return nullptr;
  const auto It = FEntries.constFind(AArchive.fileName());
  if (It == FEntries.cend() || It->Size != AArchive.size() ||
      It->ModifiedMs != ModifiedMsOf(AArchive))
    return nullptr;
  return &*It;
}

TArchiveFactsCache::TEntry& TArchiveFactsCache::Fresh(const QFileInfo& AArchive) {
  // Facts of another folder (a cache file shared by mistake) are no facts
  // of this one.
  if (!InFolder(AArchive))
    FEntries.clear();
  FFolder = AArchive.absolutePath();
  if (TEntry* Entry = Current(AArchive))
    return *Entry;
  TEntry& Entry = FEntries[AArchive.fileName()];
  Entry = TEntry{};
  Entry.Size = AArchive.size();
  Entry.ModifiedMs = ModifiedMsOf(AArchive);
  return Entry;
}

} // namespace tilvane
