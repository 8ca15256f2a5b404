#include "core/update/SyncRecord.h"

#include "core/common/AppError.h"
#include "core/common/AtomicFile.h"
#include "core/update/ModFolderKey.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <array>
#include <utility>

namespace tilvane {

namespace {

const QLatin1String FormatName("tilvane-sync-record");
constexpr int FormatVersion = 1;

const QLatin1String KeyFormat("format");
const QLatin1String KeyVersion("version");
const QLatin1String KeyResult("result");
const QLatin1String KeyToDownload("toDownload");
const QLatin1String KeyToRemove("toRemove");
const QLatin1String KeyWhen("when");

using TKind = TSyncRecord::TKind;

// Words rather than numbers in the file: a reordered enumeration must not
// turn an old "failed" into "in line".
const std::array<std::pair<TKind, QLatin1String>, 5> KindNames{{
    {TKind::InLine, QLatin1String("inLine")},
    {TKind::Pending, QLatin1String("pending")},
    {TKind::NoAnswer, QLatin1String("noAnswer")},
    {TKind::Failed, QLatin1String("failed")},
    {TKind::Cancelled, QLatin1String("cancelled")},
}};

QLatin1String NameOf(TKind AKind) {
  for (const auto& [Kind, Name] : KindNames)
    if (Kind == AKind)
      return Name;
  return QLatin1String("failed");
}

std::optional<TKind> KindNamed(const QString& AName) {
  for (const auto& [Kind, Name] : KindNames)
    if (AName == Name)
      return Kind;
  return std::nullopt;
}

} // namespace

QString TSyncRecord::FileFor(const QString& AStateFolder, const QString& AModFolder) {
  return QDir::cleanPath(AStateFolder) + QLatin1String("/ModFolders/") + ModFolderKey(AModFolder) +
         QLatin1String(".sync.json");
}

std::optional<TSyncRecord> TSyncRecord::Load(const QString& AStateFolder,
                                             const QString& AModFolder) {
  QFile File(FileFor(AStateFolder, AModFolder));
  // A record is a few dozen bytes; anything large is not ours.
  if (!File.open(QIODevice::ReadOnly) || File.size() > 64 * 1024)
    return std::nullopt;
  QJsonParseError Error;
  const QJsonDocument Document = QJsonDocument::fromJson(File.readAll(), &Error);
  if (Error.error != QJsonParseError::NoError || !Document.isObject())
    return std::nullopt;
  const QJsonObject Root = Document.object();
  if (Root.value(KeyFormat).toString() != FormatName ||
      Root.value(KeyVersion).toInteger(-1) != FormatVersion)
    return std::nullopt;
  const std::optional<TKind> Kind = KindNamed(Root.value(KeyResult).toString());
  TSyncRecord Result;
  Result.ToDownload = static_cast<int>(Root.value(KeyToDownload).toInteger(-1));
  Result.ToRemove = static_cast<int>(Root.value(KeyToRemove).toInteger(-1));
  Result.When = QDateTime::fromString(Root.value(KeyWhen).toString(), Qt::ISODateWithMs);
  if (!Kind || Result.ToDownload < 0 || Result.ToRemove < 0 || !Result.When.isValid())
    return std::nullopt;
  Result.Kind = *Kind;
  Result.When = Result.When.toUTC();
  return Result;
}

void TSyncRecord::Save(const QString& AStateFolder, const QString& AModFolder,
                       const TSyncRecord& ARecord) {
  const QString FileName = FileFor(AStateFolder, AModFolder);
  if (!QDir().mkpath(QFileInfo(FileName).path()))
    throw EAppError(QLatin1String("Unable to create folder ") + QFileInfo(FileName).path());
  QJsonObject Root;
  Root.insert(KeyFormat, FormatName);
  Root.insert(KeyVersion, FormatVersion);
  Root.insert(KeyResult, NameOf(ARecord.Kind));
  Root.insert(KeyToDownload, ARecord.ToDownload);
  Root.insert(KeyToRemove, ARecord.ToRemove);
  Root.insert(KeyWhen, ARecord.When.toUTC().toString(Qt::ISODateWithMs));
  QString Reason;
  if (!ReplaceFileContents(FileName, QJsonDocument(Root).toJson(QJsonDocument::Indented), Reason))
    throw EAppError(QLatin1String("Unable to write ") + FileName + QLatin1String("\r\nError: ") +
                    Reason);
}

} // namespace tilvane
