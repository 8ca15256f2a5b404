#pragma once

#include "core/update/UpdateProgress.h"

#include <QLocale>

#include <functional>

namespace tilvane {

// Turns the task's progress calls into the texts and bar positions of the
// update window, with the window's throttles: file bar and speed change at
// most every 500 ms, the time left at most once a second. Only a changed
// picture is handed to the sink, so a fast transfer is not slowed by a
// hand-over to the user-interface thread for every received block.
class TUpdateProgressModel : public IUpdateProgress {
public:
  // Milliseconds of a monotonic clock.
  using TClock = std::function<qint64()>;
  using TSink = std::function<void(const TProgressView&)>;

  // Without AClock a steady clock is used; numbers are formatted by ALocale.
  explicit TUpdateProgressModel(TSink ASink, TClock AClock = {}, QLocale ALocale = QLocale());

  void StartTimes(bool ADownloadsBegin) override;
  void UpdateStatus(const QString& AStatusMsg) override;
  void UpdateDownloadStatus(int AOnFile, int ATotalFiles, double ADownloadedMB, double ATotalMB,
                            const QString& AFileName, double AFileSizeMB) override;
  void UpdateFileStatus(int AFilePercent, double ASpeed) override;
  void UpdateRemoved(int AMovedToTrash, int ADeleted, int AKept) override;

  const TProgressView& View() const { return FView; }

  // Two decimals with the locale's separators, no padding ("1,234.50").
  static QString FormatMB(double AValue, const QLocale& ALocale);
  // "1,023 B/s", "2 KB/s", "1 MB/s" (halves round to the even neighbour).
  static QString FormatSpeed(double ABytesPerSecond, const QLocale& ALocale);
  // "one day one hour one minute one second", "2 days 5 minutes"; empty below
  // one second. Milliseconds are dropped.
  static QString FormatTimeLeft(double AMilliseconds);
  // "3 mod archives moved to the trash", "1 mod archive deleted (no trash on
  // its drive)", both joined by a comma; empty when nothing was removed.
  static QString FormatRemoved(int AMovedToTrash, int ADeleted, int AKept);

private:
  void UpdateDownloadTime();
  void Publish();

  TSink FSink;
  TClock FClock;
  QLocale FLocale;
  TProgressView FView;
  TProgressView FShown;
  qint64 FStartTime = 0;
  qint64 FLastCalcDownLoadTime;
  qint64 FLastCalcSpeed;
};

} // namespace tilvane
