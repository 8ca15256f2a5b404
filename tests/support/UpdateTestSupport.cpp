#include "support/UpdateTestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include "StatsFeeds.h"

#include <httplib.h>

#include <chrono>
#include <stdexcept>

namespace tilvane::test {

// ---- server ---------------------------------------------------------------

TTestServer::TTestServer() {
  httplib::Server& Server = FHttp.Server();
  Server.Get("/mods.html", [this](const httplib::Request& Req, httplib::Response& Res) {
    int Delay;
    {
      std::lock_guard Lock(FMutex);
      FRequests.push_back(Req.target);
      Delay = FPageDelayMs;
    }
    if (Delay > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(Delay));
    while (!FHttp.Stopping) {
      {
        std::lock_guard Lock(FMutex);
        if (!FPageSilent)
          break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::lock_guard Lock(FMutex);
    const bool LoggedIn = Req.get_param_value("login") == "true" && !FLoggedInPage.empty();
    Res.set_content(LoggedIn ? FLoggedInPage : FPage, "text/html; charset=utf-8");
  });
  Server.Get("/feed/dedicated-server-stats.xml",
             [this](const httplib::Request& Req, httplib::Response& Res) {
               std::lock_guard Lock(FMutex);
               FRequests.push_back(Req.target);
               if (FFeed.empty()) {
                 Res.status = 404;
                 return;
               }
               Res.set_content(FFeed.front(), "text/xml");
               if (FFeed.size() > 1)
                 FFeed.erase(FFeed.begin());
             });
  Server.Get(R"(/mods/(.+))", [this](const httplib::Request& Req, httplib::Response& Res) {
    std::string Name = httplib::detail::decode_url(Req.matches[1].str(), false);
    std::string Body;
    std::string Type = "application/zip";
    int Chunk = 0, Sleep = 0, BreakOff = -1, UnannouncedEnd = -1;
    {
      std::lock_guard Lock(FMutex);
      FRequests.push_back(Req.target);
      auto& Statuses = FStatuses[Name];
      if (!Statuses.empty()) {
        Res.status = Statuses.front();
        Statuses.erase(Statuses.begin());
        Res.set_content("error page", "text/plain");
        return;
      }
      auto It = FFiles.find(Name);
      if (It == FFiles.end()) {
        Res.status = 404;
        Res.set_content("not found", "text/plain");
        return;
      }
      Body = It->second;
      Chunk = FChunk;
      Sleep = FSleepMs;
      if (auto Break = FBreakOff.find(Name); Break != FBreakOff.end())
        BreakOff = Break->second;
      if (auto End = FUnannouncedEnd.find(Name); End != FUnannouncedEnd.end())
        UnannouncedEnd = End->second;
      if (auto Set = FContentTypes.find(Name); Set != FContentTypes.end())
        Type = Set->second;
    }
    if (UnannouncedEnd >= 0) {
      // No length: the end of the connection is the end of the body.
      auto Shared = std::make_shared<std::string>(Body.substr(0, UnannouncedEnd));
      Res.set_content_provider(Type.c_str(), [Shared](size_t Offset, httplib::DataSink& Sink) {
        if (Offset < Shared->size())
          Sink.write(Shared->data() + Offset, Shared->size() - Offset);
        else
          Sink.done();
        return true;
      });
      return;
    }
    if (BreakOff >= 0) {
      auto Shared = std::make_shared<std::string>(std::move(Body));
      Res.set_content_provider(
          Shared->size(), "application/zip",
          [Shared, BreakOff](size_t Offset, size_t, httplib::DataSink& Sink) {
            if (Offset >= static_cast<size_t>(BreakOff))
              return false; // drops the connection short of the announced length
            return Sink.write(Shared->data() + Offset, static_cast<size_t>(BreakOff) - Offset);
          });
      return;
    }
    if (Chunk <= 0) {
      FBytesSent += static_cast<std::int64_t>(Body.size());
      Res.set_content(Body, Type.c_str());
      return;
    }
    auto Shared = std::make_shared<std::string>(std::move(Body));
    Res.set_content_provider(
        Shared->size(), "application/zip",
        [this, Shared, Chunk, Sleep](size_t Offset, size_t Length, httplib::DataSink& Sink) {
          const size_t N = std::min(Length, static_cast<size_t>(Chunk));
          std::this_thread::sleep_for(std::chrono::milliseconds(Sleep));
          if (!Sink.write(Shared->data() + Offset, N))
            return false;
          FBytesSent += static_cast<std::int64_t>(N);
          return true;
        });
  });
  FHttp.Start();
}

TTestServer::~TTestServer() {
  FHttp.Stop();
}

QString TTestServer::BaseURL() const {
  return QStringLiteral("http://127.0.0.1:%1/").arg(FHttp.Port());
}

void TTestServer::SetPage(const QString& APage) {
  std::lock_guard Lock(FMutex);
  FPage = APage.toStdString();
}

void TTestServer::SetLoggedInPage(const QString& APage) {
  std::lock_guard Lock(FMutex);
  FLoggedInPage = APage.toStdString();
}

void TTestServer::SetFile(const QString& AFileName, const QByteArray& AContent) {
  std::lock_guard Lock(FMutex);
  FFiles[AFileName.toStdString()] = AContent.toStdString();
}

void TTestServer::SetStatusSequence(const QString& AFileName, std::vector<int> AStatuses) {
  std::lock_guard Lock(FMutex);
  FStatuses[AFileName.toStdString()] = std::move(AStatuses);
}

void TTestServer::SetSlow(int AChunkBytes, int ASleepMs) {
  std::lock_guard Lock(FMutex);
  FChunk = AChunkBytes;
  FSleepMs = ASleepMs;
}

void TTestServer::SetPageDelay(int AMilliseconds) {
  std::lock_guard Lock(FMutex);
  FPageDelayMs = AMilliseconds;
}

void TTestServer::SetPageSilent(bool ASilent) {
  std::lock_guard Lock(FMutex);
  FPageSilent = ASilent;
}

void TTestServer::SetBreakOff(const QString& AFileName, int ABytes) {
  std::lock_guard Lock(FMutex);
  FBreakOff[AFileName.toStdString()] = ABytes;
}

void TTestServer::SetUnannouncedEnd(const QString& AFileName, int ABytes) {
  std::lock_guard Lock(FMutex);
  FUnannouncedEnd[AFileName.toStdString()] = ABytes;
}

void TTestServer::SetContentType(const QString& AFileName, const std::string& AType) {
  std::lock_guard Lock(FMutex);
  FContentTypes[AFileName.toStdString()] = AType;
}

void TTestServer::SetFeed(std::vector<QByteArray> AAnswers) {
  std::lock_guard Lock(FMutex);
  FFeed.clear();
  for (const QByteArray& Answer : AAnswers)
    FFeed.push_back(Answer.toStdString());
}

int TTestServer::Requests(const std::string& APath) const {
  std::lock_guard Lock(FMutex);
  int Count = 0;
  for (const auto& R : FRequests)
    Count += R.rfind(APath, 0) == 0 ? 1 : 0;
  return Count;
}

std::vector<std::string> TTestServer::AllRequests() const {
  std::lock_guard Lock(FMutex);
  return FRequests;
}

// ---- stats feed -----------------------------------------------------------

QByteArray MakeStatsFeed(const std::vector<TFeedMod>& AMods) {
  std::vector<kit::TFeedEntry> Entries;
  for (const TFeedMod& Mod : AMods)
    Entries.push_back(
        {{Mod.Name + QStringLiteral(".zip"), Mod.Name, Mod.Author, Mod.Version}, Mod.Hash});
  kit::TFeedServer Server;
  Server.Game = QStringLiteral("Farming Simulator 22");
  Server.Version = QStringLiteral("1.14.0.0");
  return kit::MakeStatsFeed(Server, Entries);
}

QString GameHashOf(const QByteArray& ABytes, const QString& AModName) {
  QCryptographicHash Md5(QCryptographicHash::Md5);
  Md5.addData(ABytes);
  Md5.addData(AModName.toLatin1());
  return QString::fromLatin1(Md5.result().toHex());
}

// ---- progress -------------------------------------------------------------

void TRecordingProgress::UpdateStatus(const QString& StatusMsg) {
  std::lock_guard Lock(FMutex);
  FStatuses.append(StatusMsg);
}

void TRecordingProgress::UpdateDownloadStatus(int OnFile, int TotalFiles, double, double,
                                              const QString& FileName, double) {
  std::lock_guard Lock(FMutex);
  FDownloads.append(QStringLiteral("%1/%2 %3").arg(OnFile).arg(TotalFiles).arg(FileName));
}

void TRecordingProgress::UpdateFileStatus(int, double) {
  std::lock_guard Lock(FMutex);
  ++FFileStatusCalls;
}

void TRecordingProgress::UpdateRemoved(int AMovedToTrash, int ADeleted, int AKept) {
  std::lock_guard Lock(FMutex);
  FRemoved = QStringLiteral("%1/%2").arg(AMovedToTrash).arg(ADeleted);
  if (AKept > 0)
    FRemoved += QStringLiteral("/%1 kept").arg(AKept);
}

QString TRecordingProgress::Removed() const {
  std::lock_guard Lock(FMutex);
  return FRemoved;
}

QStringList TRecordingProgress::Statuses() const {
  std::lock_guard Lock(FMutex);
  return FStatuses;
}

QStringList TRecordingProgress::Downloads() const {
  std::lock_guard Lock(FMutex);
  return FDownloads;
}

int TRecordingProgress::FileStatusCalls() const {
  std::lock_guard Lock(FMutex);
  return FFileStatusCalls;
}

QString TestServerURL(const QString& AServerURL, const QString& AWebUsername,
                      const QString& AWebPassword) {
  if (AWebUsername.isEmpty() && AWebPassword.isEmpty())
    return AServerURL;
  return AServerURL + (AServerURL.contains(u'?') ? QLatin1Char('&') : QLatin1Char('?')) +
         QStringLiteral("login=true&username=") + AWebUsername + QStringLiteral("&password=") +
         AWebPassword;
}

} // namespace tilvane::test
