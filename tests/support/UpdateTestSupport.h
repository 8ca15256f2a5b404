#pragma once

#include "LocalHttpServer.h"
#include "ModArchives.h"
#include "ModPages.h"
#include "core/update/UpdateProgress.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace httplib {
class Server;
}

namespace tilvane::test {

// The tests name the shared server pieces as their own.
using kit::MakeAdminModPage;
using kit::MakeAdminModPage100;
using kit::MakeModArchive;
using kit::MakeModPage;
using kit::MakeZip;
using kit::ModDescXml;
using kit::TPageLayout;
using kit::TPageRow;

// A cpp-httplib server on 127.0.0.1 that serves a page at /mods.html and
// archives below /mods/.
class TTestServer {
public:
  TTestServer();
  ~TTestServer();

  QString BaseURL() const; // "http://127.0.0.1:port/"
  QString PageURL() const { return BaseURL() + QStringLiteral("mods.html"); }

  void SetPage(const QString& APage);
  // Served instead of the page to a request that carries the web login.
  void SetLoggedInPage(const QString& APage);
  void SetFile(const QString& AFileName, const QByteArray& AContent);
  // Status codes answered before the real file, one per request.
  void SetStatusSequence(const QString& AFileName, std::vector<int> AStatuses);
  // Sends files in small chunks, sleeping between them (for pause and cancel).
  void SetSlow(int AChunkBytes, int ASleepMs);
  // Delays the page answer.
  void SetPageDelay(int AMilliseconds);
  // Accepts the page request and never answers it (until the server stops).
  void SetPageSilent(bool ASilent);
  // Announces the whole file but closes the connection after ABytes of it.
  void SetBreakOff(const QString& AFileName, int ABytes);
  // Sends the file without a length (as an HTTP/1.0 server does) and ends it,
  // cleanly, after ABytes.
  void SetUnannouncedEnd(const QString& AFileName, int ABytes);
  // The Content-Type sent with a file; "application/zip" unless set.
  void SetContentType(const QString& AFileName, const std::string& AType);
  // The stats feed at /feed/dedicated-server-stats.xml: the answers of the
  // first requests one by one, then the last one for every request.
  void SetFeed(std::vector<QByteArray> AAnswers);

  int Requests(const std::string& APath) const;
  std::vector<std::string> AllRequests() const;
  std::int64_t BytesSent() const { return FBytesSent.load(); }

private:
  mutable std::mutex FMutex;
  std::string FPage;
  std::string FLoggedInPage;
  std::map<std::string, std::string> FFiles;
  std::map<std::string, std::vector<int>> FStatuses;
  std::vector<std::string> FRequests;
  int FChunk = 0;
  int FSleepMs = 0;
  int FPageDelayMs = 0;
  bool FPageSilent = false;
  std::map<std::string, int> FBreakOff;
  std::map<std::string, int> FUnannouncedEnd;
  std::map<std::string, std::string> FContentTypes;
  std::vector<std::string> FFeed;
  std::atomic<std::int64_t> FBytesSent{0};
  // Last, so that it stops before the state its handlers use goes away.
  kit::LocalHttpServer FHttp;
};

// Records what the task reports; safe to call from the worker.
class TRecordingProgress : public IUpdateProgress {
public:
  void StartTimes(bool) override {}
  void UpdateStatus(const QString& StatusMsg) override;
  void UpdateDownloadStatus(int OnFile, int TotalFiles, double DownloadedMB, double TotalMB,
                            const QString& FileName, double FileSizeMB) override;
  void UpdateFileStatus(int FilePercent, double Speed) override;
  void UpdateRemoved(int AMovedToTrash, int ADeleted, int AKept) override;

  QStringList Statuses() const;
  QStringList Downloads() const; // "OnFile/TotalFiles FileName"
  int FileStatusCalls() const;
  // "trash/deleted" of the last report; empty when none came.
  QString Removed() const;

private:
  mutable std::mutex FMutex;
  QStringList FStatuses;
  QStringList FDownloads;
  int FFileStatusCalls = 0;
  QString FRemoved;
};

// One mod of a stats feed.
struct TFeedMod {
  QString Name; // without ".zip"
  QString Author;
  QString Version;
  QString Hash;
};
// A stats feed in the dedicated server's shape.
QByteArray MakeStatsFeed(const std::vector<TFeedMod>& AMods);
// The game's hash of archive bytes, md5(bytes + mod name), worked out here
// with Qt's MD5 so that the fixtures do not depend on the code under test.
QString GameHashOf(const QByteArray& ABytes, const QString& AModName);

// The login query added the way the server client adds it, for tests that do
// not need the real one.
QString TestServerURL(const QString& AServerURL, const QString& AWebUsername,
                      const QString& AWebPassword);

} // namespace tilvane::test
