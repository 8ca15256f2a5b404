#pragma once

#include <QString>

namespace tilvane {

// What the update task reports while it runs. The task calls it on its worker
// thread; an implementation decides how the values reach the user.
class IUpdateProgress {
public:
  virtual ~IUpdateProgress() = default;

  // The task's start (ADownloadsBegin false) and the start of the downloads
  // (true): the clocks of the time-left estimate begin again.
  virtual void StartTimes(bool ADownloadsBegin) = 0;
  virtual void UpdateStatus(const QString& AStatusMsg) = 0;
  // Once per archive, before its download.
  virtual void UpdateDownloadStatus(int AOnFile, int ATotalFiles, double ADownloadedMB,
                                    double ATotalMB, const QString& AFileName,
                                    double AFileSizeMB) = 0;
  // Speed in bytes per second; -1 when there is none to show.
  virtual void UpdateFileStatus(int AFilePercent, double ASpeed) = 0;
  // The archives the server does not list, so far: those the desktop's trash
  // took, those deleted outright with the player's consent because the trash
  // could not take them, and those kept because the player said no.
  virtual void UpdateRemoved(int AMovedToTrash, int ADeleted, int AKept) = 0;
};

// Everything the update window shows of the task's progress.
struct TProgressView {
  QString Status = QStringLiteral("Downloading mods from server...");
  QString Files;
  QString SizeMB;
  QString FileName;
  QString FileSizeMB;
  QString Speed;
  int FilePercent = 0;
  int CompletePercent = 0;
  QString FinishTime;
  QString Removed; // empty until an archive was removed

  bool operator==(const TProgressView&) const = default;
};

} // namespace tilvane
