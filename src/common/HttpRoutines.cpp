#include "common/HttpRoutines.h"

#include "common/AppError.h"
#include "common/HttpClient.h"
#include "common/PromptService.h"

#include <QFile>

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

QString HttpGet(const QString& AURL) {
  THttpClient Client;
  Client.SetConnectionTimeout(HttpGetConnectionTimeout);
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

bool HttpGetFile(const QString& AURL, const QString& AFileName, IPromptService& APrompts) {
  QFile File(AFileName);
  if (!File.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw EAppError(
        QStringLiteral("Cannot create file \"%1\". %2").arg(AFileName, File.errorString()));

  THttpClient Client;
  Client.SetConnectionTimeout(HttpGetFileConnectionTimeout);
  for (int Attempt = 1;; ++Attempt) {
    try {
      // Bytes of a failed attempt would otherwise sit in front of the next body.
      if (Attempt > 1 && !(File.seek(0) && File.resize(0)))
        throw EAppError(File.errorString());
      Client.GetToStream(AURL, File);
      File.close();
      return true;
    } catch (const EAppError& Error) {
      std::this_thread::sleep_for(RetryPause);
      if (Attempt >= Attempts) {
        File.close();
        APrompts.ShowMessage(QStringLiteral("Unable to download: ") + AURL +
                                 QStringLiteral("\r\nError: ") + Error.Message(),
                             TMessageKind::Error);
        return false;
      }
    }
  }
}

} // namespace tilvane
