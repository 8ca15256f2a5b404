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
constexpr int HttpGetConnectionTimeout = 500;
// Long enough for a server across the internet; a few milliseconds would fail
// for anything but the local machine.
constexpr int HttpGetFileConnectionTimeout = 10000;

} // namespace

QString HttpGet(const QString& AURL, THttpRedirects ARedirects) {
  THttpClient Client;
  Client.SetConnectionTimeout(HttpGetConnectionTimeout);
  Client.SetRedirects(ARedirects);
  for (int Attempt = 1;; ++Attempt) {
    try {
      return Client.GetText(AURL);
    } catch (const EAppError&) {
      std::this_thread::sleep_for(RetryPause);
      if (Attempt >= Attempts)
        throw;
    }
  }
}

namespace {

// One attempt: the body goes to a temporary file beside AFileName, which
// replaces AFileName only once the whole body of a 200 answer is on disk. An
// error page or a cut transfer never takes the place of the file.
void DownloadOnce(THttpClient& AClient, const QString& AURL, const QString& AFileName,
                  bool& AFinal) {
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

bool HttpGetFile(const QString& AURL, const QString& AFileName, IPromptService& APrompts) {
  THttpClient Client;
  Client.SetConnectionTimeout(HttpGetFileConnectionTimeout);
  for (int Attempt = 1;; ++Attempt) {
    bool Final = false;
    try {
      DownloadOnce(Client, AURL, AFileName, Final);
      return true;
    } catch (const EAppError& Error) {
      if (Attempt >= Attempts || Final) {
        APrompts.ShowMessage(QStringLiteral("Unable to download: ") + AURL +
                                 QStringLiteral("\r\nError: ") + Error.Message(),
                             TMessageKind::Error);
        return false;
      }
      std::this_thread::sleep_for(RetryPause);
    }
  }
}

} // namespace tilvane
