#pragma once

#include "core/update/UpdateProgress.h"

#include <QString>

#include <cstdio>
#include <mutex>

namespace tilvane {

// The update task's progress as lines on a terminal (standard error): each
// new status once, each archive as its download begins, and on a terminal
// the archive's percentage and speed rewritten in place. Without a terminal
// the percentages are left out, so that a log holds one line per event.
class TConsoleProgress : public IUpdateProgress {
public:
  TConsoleProgress(std::FILE* AStream, bool AIsTerminal);

  void StartTimes(bool ADownloadsBegin) override;
  void UpdateStatus(const QString& AStatusMsg) override;
  void UpdateDownloadStatus(int AOnFile, int ATotalFiles, double ADownloadedMB, double ATotalMB,
                            const QString& AFileName, double AFileSizeMB) override;
  void UpdateFileStatus(int AFilePercent, double ASpeed) override;
  void UpdateRemoved(int AMovedToTrash, int ADeleted, int AKept) override;

  // A line of the program's own, after any line rewritten in place; not
  // when it repeats the last status.
  void Say(const QString& ALine);

private:
  void WriteLine(const QString& ALine);

  std::FILE* FStream;
  bool FIsTerminal;
  std::mutex FMutex;
  QString FLastStatus;
  int FLastPercent = -1;
  bool FLineOpen = false; // a percentage waits to be rewritten
};

} // namespace tilvane
