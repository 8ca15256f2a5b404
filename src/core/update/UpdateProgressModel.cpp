#include "core/update/UpdateProgressModel.h"

#include <QElapsedTimer>

#include <cfenv>
#include <cmath>
#include <limits>

namespace tilvane {

namespace {

// Far enough in the past that the first throttled update always passes.
constexpr qint64 LongAgo = std::numeric_limits<qint64>::min() / 4;

QString CountText(qint64 ANumber, const char* AOne, const char* AMany) {
  if (ANumber == 1)
    return QLatin1String(AOne);
  return QString::number(ANumber) + QLatin1Char(' ') + QLatin1String(AMany);
}

} // namespace

// QLocale has no move constructor: the copy shares its data.
TUpdateProgressModel::TUpdateProgressModel(TSink ASink, TClock AClock, QLocale ALocale)
    : FSink(std::move(ASink)), FClock(std::move(AClock)), FLocale(ALocale),
      FLastCalcDownLoadTime(LongAgo), FLastCalcSpeed(LongAgo) {
  if (!FClock) {
    auto Timer = std::make_shared<QElapsedTimer>();
    Timer->start();
    FClock = [Timer] { return Timer->elapsed(); };
  }
  FShown = FView;
  FStartTime = FClock();
}

void TUpdateProgressModel::StartTimes(bool ADownloadsBegin) {
  FStartTime = FClock();
  if (ADownloadsBegin) {
    FLastCalcDownLoadTime = FStartTime;
    FLastCalcSpeed = FStartTime;
  }
}

void TUpdateProgressModel::UpdateStatus(const QString& AStatusMsg) {
  FView.Status = AStatusMsg;
  Publish();
}

void TUpdateProgressModel::UpdateDownloadStatus(int AOnFile, int ATotalFiles, double ADownloadedMB,
                                                double ATotalMB, const QString& AFileName,
                                                double AFileSizeMB) {
  int PercentComplete = 100;
  if (ATotalMB != 0)
    PercentComplete =
        static_cast<int>(std::clamp(std::trunc(ADownloadedMB / ATotalMB * 100), 0.0, 100.0));
  FView.Files = QString::number(AOnFile) + QLatin1String(" of ") + QString::number(ATotalFiles);
  FView.SizeMB =
      FormatMB(ADownloadedMB, FLocale) + QLatin1String(" of ") + FormatMB(ATotalMB, FLocale);
  FView.CompletePercent = PercentComplete;
  FView.FileName = AFileName;
  FView.FileSizeMB = FormatMB(AFileSizeMB, FLocale);
  FView.FilePercent = 0;
  UpdateDownloadTime();
  Publish();
}

void TUpdateProgressModel::UpdateFileStatus(int AFilePercent, double ASpeed) {
  const qint64 Now = FClock();
  if (Now - FLastCalcSpeed >= 500) {
    FLastCalcSpeed = Now;
    FView.FilePercent = AFilePercent;
    if (ASpeed != -1)
      FView.Speed = FormatSpeed(ASpeed, FLocale);
  }
  UpdateDownloadTime();
  Publish();
}

void TUpdateProgressModel::UpdateRemoved(int AMovedToTrash, int ADeleted, int AKept) {
  FView.Removed = FormatRemoved(AMovedToTrash, ADeleted, AKept);
  Publish();
}

void TUpdateProgressModel::UpdateDownloadTime() {
  const qint64 Now = FClock();
  if (Now - FStartTime < 1000 || FView.CompletePercent == 0) {
    FView.FinishTime = QStringLiteral("estimating time to finish...");
    return;
  }
  if (Now - FLastCalcDownLoadTime < 1000)
    return;
  FLastCalcDownLoadTime = Now;
  const double TotalTime = static_cast<double>(Now - FStartTime);
  const double P = FView.CompletePercent;
  FView.FinishTime = FormatTimeLeft((100 - P) / P * TotalTime);
}

void TUpdateProgressModel::Publish() {
  if (FView == FShown)
    return;
  FShown = FView;
  if (FSink)
    FSink(FShown);
}

QString TUpdateProgressModel::FormatMB(double AValue, const QLocale& ALocale) {
  return ALocale.toString(AValue, 'f', 2).trimmed();
}

QString TUpdateProgressModel::FormatSpeed(double ABytesPerSecond, const QLocale& ALocale) {
  static const struct {
    double Divisor;
    const char* Suffix;
  } Units[] = {{1073741824.0, " GB/s"}, {1048576.0, " MB/s"}, {1024.0, " KB/s"}};
  double Number = ABytesPerSecond;
  const char* Suffix = " B/s";
  for (const auto& Unit : Units) {
    if (ABytesPerSecond >= Unit.Divisor) {
      Number = ABytesPerSecond / Unit.Divisor;
      Suffix = Unit.Suffix;
      break;
    }
  }
  if (Suffix[1] != 'B') {
    const int OldMode = std::fegetround();
    std::fesetround(FE_TONEAREST); // halves to the even neighbour
    Number = std::nearbyint(Number);
    std::fesetround(OldMode);
  }
  return ALocale.toString(Number, 'f', 0).trimmed() + QLatin1String(Suffix);
}

QString TUpdateProgressModel::FormatRemoved(int AMovedToTrash, int ADeleted, int AKept) {
  QString Text;
  // The first count names what is counted, the others only their number.
  auto Add = [&Text](int ACount, const char* AWhat) {
    if (ACount <= 0)
      return;
    if (!Text.isEmpty())
      Text += QLatin1String(", ") + QString::number(ACount);
    else
      Text = CountText(ACount, "1 mod archive", "mod archives");
    Text += QLatin1String(AWhat);
  };
  Add(AMovedToTrash, " moved to the trash");
  Add(ADeleted, " deleted (the trash could not take them)");
  Add(AKept, " kept (the trash could not take them)");
  return Text;
}

QString TUpdateProgressModel::FormatTimeLeft(double AMilliseconds) {
  if (!(AMilliseconds >= 0) || !std::isfinite(AMilliseconds))
    return {};
  constexpr qint64 MsPerDay = 86400000;
  const qint64 Ms = static_cast<qint64>(AMilliseconds);
  const qint64 Days = Ms / MsPerDay;
  const qint64 Rest = (Ms % MsPerDay) / 1000;
  const qint64 Parts[] = {Rest / 3600, Rest % 3600 / 60, Rest % 60};
  static const char* const Names[][2] = {
      {"one hour", "hours"}, {"one minute", "minutes"}, {"one second", "seconds"}};
  QString Text;
  if (Days > 0)
    Text = CountText(Days, "one day", "days");
  for (int I = 0; I < 3; ++I) {
    if (Parts[I] <= 0)
      continue;
    if (!Text.isEmpty())
      Text += QLatin1Char(' ');
    Text += CountText(Parts[I], Names[I][0], Names[I][1]);
  }
  return Text;
}

} // namespace tilvane
