#include "core/update/FolderStateText.h"

#include <cmath>

namespace tilvane {

namespace {

QString SizeText(qint64 ABytes) {
  constexpr double KB = 1024.0;
  constexpr double MB = KB * 1024.0;
  constexpr double GB = MB * 1024.0;
  const auto Bytes = static_cast<double>(ABytes);
  // Whole numbers below a gigabyte: "512 MB" reads better than "512.3 MB",
  // and a tenth of a gigabyte is the step a player notices on a disk.
  if (Bytes >= GB)
    return QString::number(Bytes / GB, 'f', 1) + QLatin1String(" GB");
  if (Bytes >= MB)
    return QString::number(std::llround(Bytes / MB)) + QLatin1String(" MB");
  if (ABytes == 0)
    return QStringLiteral("0 KB");
  // A tiny archive is not "0 KB".
  return QString::number(std::max<long long>(1, std::llround(Bytes / KB))) + QLatin1String(" KB");
}

} // namespace

QString FolderContentsText(const TFolderContents& AContents) {
  if (AContents.Archives == 0)
    return QStringLiteral("No mods");
  const QString Count = AContents.Archives == 1
                            ? QStringLiteral("1 mod")
                            : QString::number(AContents.Archives) + QLatin1String(" mods");
  return Count + QLatin1String(", ") + SizeText(AContents.Bytes);
}

QString AgeText(const QDateTime& AWhen, const QDateTime& ANow) {
  // A clock set back shows "just now" rather than a negative age.
  const qint64 Minutes = std::max<qint64>(0, AWhen.secsTo(ANow) / 60);
  if (Minutes < 1)
    return QStringLiteral("just now");
  if (Minutes < 60)
    return QString::number(Minutes) + QLatin1String(" min ago");
  const qint64 Hours = Minutes / 60;
  if (Hours < 24)
    return QString::number(Hours) + QLatin1String(" h ago");
  const qint64 Days = Hours / 24;
  return Days == 1 ? QStringLiteral("1 day ago")
                   : QString::number(Days) + QLatin1String(" days ago");
}

QString SyncRecordText(const TSyncRecord& ARecord, const QDateTime& ANow) {
  using TKind = TSyncRecord::TKind;
  switch (ARecord.Kind) {
  case TKind::InLine:
    return QLatin1String("In line with the server, ") + AgeText(ARecord.When, ANow);
  case TKind::Pending: {
    QStringList Parts;
    if (ARecord.ToDownload > 0)
      Parts.append(QString::number(ARecord.ToDownload) + QLatin1String(" to download"));
    if (ARecord.ToRemove > 0)
      Parts.append(QString::number(ARecord.ToRemove) + QLatin1String(" to remove"));
    return Parts.join(QLatin1String(", "));
  }
  case TKind::NoAnswer:
    return QStringLiteral("Server did not answer");
  case TKind::Cancelled:
    return QLatin1String("Last sync cancelled, ") + AgeText(ARecord.When, ANow);
  case TKind::Failed:
    break;
  }
  return QLatin1String("Last sync failed, ") + AgeText(ARecord.When, ANow);
}

QString FolderStateText(const std::optional<TFolderContents>& AContents,
                        const std::optional<TSyncRecord>& ARecord, const QDateTime& ANow) {
  QStringList Parts;
  if (AContents)
    Parts.append(FolderContentsText(*AContents));
  if (ARecord)
    Parts.append(SyncRecordText(*ARecord, ANow));
  return Parts.join(QString::fromUtf8(" \u00b7 "));
}

} // namespace tilvane
