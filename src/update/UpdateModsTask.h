#pragma once

#include "common/HttpClient.h"
#include "modfolders/ModFolder.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>

namespace tilvane {

class IPromptService;
class IUpdateProgress;

// Brings one mod folder in line with the mod list of its dedicated server:
// fetches and parses the list, removes archives the server does not list (when
// the folder asks for it) and those whose author or version differ, and
// downloads what is missing. Widget-free; it runs on one worker thread and
// reports through IUpdateProgress and the prompt service it is given (both
// called on the worker: the caller makes them reach the user).
//
// A task never shows its own failure: it leaves the text in FinalMsg(), and
// FinishedUpdating() tells whether it went through all phases.
class TUpdateModsTask {
public:
  // Builds the URL that carries the web login (TdmMain::CreateServerURL).
  using TURLBuilder = std::function<QString(const QString& AServerURL, const QString& AWebUsername,
                                            const QString& AWebPassword)>;

  // The fixed waits, adjustable so that tests need not sit through them.
  struct TTimings {
    int RetryDelayMs = 250; // after a failed attempt
    int PausePollMs = 250;  // a paused transfer looks at its flags this often
  };

  // AModFolder is copied. ATempFolder receives the inspected descriptions.
  TUpdateModsTask(const TModFolder& AModFolder, TURLBuilder ACreateServerURL,
                  IUpdateProgress& AProgress, IPromptService& APrompts, const QString& ATempFolder);
  // Requests cancellation and waits for a started task to end.
  ~TUpdateModsTask();

  TUpdateModsTask(const TUpdateModsTask&) = delete;
  TUpdateModsTask& operator=(const TUpdateModsTask&) = delete;

  bool DeleteAllFilesFirst() const { return FDeleteAllFilesFirst; }
  void SetDeleteAllFilesFirst(bool AValue) { FDeleteAllFilesFirst = AValue; }
  void SetTimings(const TTimings& ATimings) { FTimings = ATimings; }
  // The one client for the page and every download; configure before Start.
  THttpClient& Client() { return FClient; }

  // Runs the task on the application's thread pool.
  void Start();
  // The task body on the calling thread. Errors it does not handle itself
  // propagate to the caller (Start keeps them, see Error()).
  void UpdateModsTask();

  // Safe from any thread. A paused or running transfer stops within one poll.
  void Cancel();
  bool IsCancelled() const { return FCancelled.load(); }
  void SetPaused(bool APaused);
  bool Paused() const { return FPaused.load(); }

  // After Start: true once the body has returned, normally or by an error.
  bool Ended() const { return FEnded.load(); }
  // Waits at most AMilliseconds for the end; true when ended.
  bool WaitFor(int AMilliseconds);
  // The error the body did not handle; null when none.
  std::exception_ptr Error() const { return FError; }

  // Read these after the task has ended.
  const QString& FinalMsg() const { return FFinalMsg; }
  bool FinishedUpdating() const { return FFinishedUpdating; }

private:
  void ReceiveDataEvent(qint64 AContentLength, qint64 AReadCount, bool& AAbort);
  // Sleeps AMilliseconds, or less when cancelled.
  void Wait(int AMilliseconds);
  QString LocalPath(const QString& AFileName);
  void DeleteAllArchives();

  TModFolder FModFolder;
  TURLBuilder FCreateServerURL;
  IUpdateProgress& FProgress;
  IPromptService& FPrompts;
  QString FTempFolder;
  TTimings FTimings;
  THttpClient FClient;

  bool FDeleteAllFilesFirst = false;
  QString FFinalMsg;
  bool FFinishedUpdating = false;
  qint64 FGlobalStart = 0;
  // The folder's file names, read once and again only after the task has
  // added or removed a file: rows whose names differ in letter case from the
  // disk would otherwise read the whole folder each, which grows with the
  // square of the folder's size.
  QStringList FFolderNames;
  bool FFolderNamesValid = false;

  std::atomic<bool> FCancelled{false};
  std::atomic<bool> FPaused{false};
  std::atomic<bool> FStarted{false};
  std::atomic<bool> FEnded{false};
  std::exception_ptr FError;
  std::mutex FMutex;
  std::condition_variable FWake;
};

} // namespace tilvane
