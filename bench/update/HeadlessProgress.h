#pragma once

#include "core/update/UpdateProgressModel.h"

#include <QString>

#include <chrono>
#include <vector>

namespace tilvane::bench {

// The update window's progress model without the window: the task's calls go
// through the same texts and throttles, and every picture that would be
// handed to the user-interface thread is counted instead of shown. It also
// notes when each status line appeared, which times the task's phases.
class THeadlessProgress : public IUpdateProgress {
public:
  using TClock = std::chrono::steady_clock;

  struct TMark {
    QString Status;
    TClock::time_point At;
  };

  THeadlessProgress();

  void StartTimes(bool ADownloadsBegin) override;
  void UpdateStatus(const QString& StatusMsg) override;
  void UpdateDownloadStatus(int OnFile, int TotalFiles, double DownloadedMB, double TotalMB,
                            const QString& FileName, double FileSizeMB) override;
  void UpdateFileStatus(int FilePercent, double Speed) override;
  void UpdateRemoved(int AMovedToTrash, int ADeleted, int AKept) override;

  // Pictures the window would have been handed.
  int Views() const { return FViews; }
  // Archives the task started to download.
  int Downloads() const { return FDownloads; }
  // Calls of UpdateFileStatus (one per received block, the page's too).
  int FileStatusCalls() const { return FFileStatusCalls; }
  const TProgressView& LastView() const { return FModel.View(); }

  // Seconds from the first report of AStatus to the first later report of
  // another status, or to AEnd when none followed; -1 when never reported.
  double PhaseSeconds(const QString& AStatus, TClock::time_point AEnd) const;

private:
  TUpdateProgressModel FModel;
  std::vector<TMark> FMarks;
  int FViews = 0;
  int FDownloads = 0;
  int FFileStatusCalls = 0;
};

} // namespace tilvane::bench
