#include "core/http/HttpRoutines.h"

#include "core/common/AppError.h"
#include "core/common/PromptService.h"
#include "core/http/HttpClient.h"

#include <QSaveFile>

#include <chrono>
#include <thread>

namespace tilvane {

namespace {

constexpr int Attempts = 3;
constexpr auto RetryPause = std::chrono::milliseconds(250);
// Long enough for a server across the internet; a few milliseconds would fail
// for anything but the local machine.
constexpr int HttpGetFileConnectionTimeout = 10000;

} // namespace

namespace {

bool IsCancelled(const std::atomic_bool* ACancelled) {
  return ACancelled && ACancelled->load();
}

// The pause between two attempts, cut short by a cancel. True when cancelled.
bool PauseBeforeRetry(const std::atomic_bool* ACancelled) {
  const auto End = std::chrono::steady_clock::now() + RetryPause;
  while (std::chrono::steady_clock::now() < End) {
    if (IsCancelled(ACancelled))
      return true;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return IsCancelled(ACancelled);
}

void WatchCancel(THttpClient& AClient, const std::atomic_bool* ACancelled) {
  if (ACancelled)
    AClient.SetAbortCheck([ACancelled] { return ACancelled->load(); });
}

} // namespace

QString HttpGet(const QString& AURL, THttpRedirects ARedirects, const THttpGetLimits& ALimits,
                const std::atomic_bool* ACancelled) {
  THttpClient Client;
  Client.SetConnectionTimeout(ALimits.ConnectionTimeout);
  Client.SetTotalTimeout(ALimits.TotalTimeout);
  Client.SetMaxBodySize(ALimits.MaxBodySize);
  Client.SetRedirects(ARedirects);
  WatchCancel(Client, ACancelled);
  for (int Attempt = 1;; ++Attempt) {
    try {
      QString Page = Client.GetText(AURL);
      // What arrived before the cancel is no page.
      return IsCancelled(ACancelled) ? QString() : Page;
    } catch (const EAppError&) {
      if (Client.LimitReached())
        throw;
      if (PauseBeforeRetry(ACancelled))
        return {};
      if (Attempt >= Attempts)
        throw;
    }
  }
}

namespace {

// One attempt: the body goes to a temporary file beside AFileName, which
// replaces AFileName only once the whole body of a 200 answer is on disk. An
// error page or a cut transfer never takes the place of the file.
void DownloadOnce(THttpClient& AClient, const QString& AURL, const QString& AFileName, bool& AFinal,
                  const std::atomic_bool* ACancelled) {
  // Only a transport failure is worth another attempt.
  AFinal = true;
  QSaveFile File(AFileName);
  // Unbuffered: commit() does not report a failed flush of its own buffer,
  // so every byte goes to the file through a write the client checks.
  if (!File.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
    throw EAppError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(AFileName, File.errorString()));
  AFinal = false;
  AClient.GetToStream(AURL, File);
  AFinal = true;
  // A cancel returns normally with part of the body: it never becomes the file.
  if (IsCancelled(ACancelled)) {
    File.cancelWriting();
    return;
  }
  const int Status = AClient.StatusCode();
  if (Status != 200) {
    const QString Text = AClient.StatusText();
    throw EAppError(QStringLiteral("The server answered with status %1%2")
                        .arg(Status)
                        .arg(Text.isEmpty() ? QString() : QStringLiteral(" ") + Text));
  }
  if (!File.commit())
    throw EAppError(QStringLiteral("Unable to write to %1: %2").arg(AFileName, File.errorString()));
}

} // namespace

bool DownloadHttpFile(const QString& AURL, const QString& AFileName,
                      const std::atomic_bool* ACancelled) {
  THttpClient Client;
  Client.SetConnectionTimeout(HttpGetFileConnectionTimeout);
  WatchCancel(Client, ACancelled);
  for (int Attempt = 1;; ++Attempt) {
    bool Final = false;
    try {
      DownloadOnce(Client, AURL, AFileName, Final, ACancelled);
      return !IsCancelled(ACancelled);
    } catch (const EAppError&) {
      if (Attempt >= Attempts || Final)
        throw;
      if (PauseBeforeRetry(ACancelled))
        return false;
    }
  }
}

bool HttpGetFile(const QString& AURL, const QString& AFileName, IPromptService& APrompts) {
  try {
    return DownloadHttpFile(AURL, AFileName);
  } catch (const EAppError& Error) {
    APrompts.ShowMessage(QStringLiteral("Unable to download: ") + AURL +
                             QStringLiteral("\r\nError: ") + Error.Message(),
                         TMessageKind::Error);
    return false;
  }
}

} // namespace tilvane
