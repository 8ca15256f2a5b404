#pragma once

#include "server/LocalHttpServer.h"

#include <QByteArray>
#include <QString>

#include <memory>
#include <mutex>
#include <string>
#include <thread>

namespace tilvane::bench {

// A cpp-httplib server on 127.0.0.1 that answers /mods.html with a set page
// and /mods/<name> with the file of that name in a folder, streamed from disk
// in blocks (a gigabyte of archives never sits in memory).
class TBenchFileServer {
public:
  explicit TBenchFileServer(const QString& AFileFolder);
  ~TBenchFileServer();

  TBenchFileServer(const TBenchFileServer&) = delete;
  TBenchFileServer& operator=(const TBenchFileServer&) = delete;

  QString BaseURL() const; // "http://127.0.0.1:port/"
  QString PageURL() const { return BaseURL() + QStringLiteral("mods.html"); }
  QString FileURL(const QString& AFileName) const {
    return BaseURL() + QStringLiteral("mods/") + AFileName;
  }

  void SetPage(const QString& APage);

private:
  std::string FFolder;
  std::mutex FMutex;
  std::string FPage;
  // Last, so that it stops before the state its handlers use goes away.
  tilvane::test::LocalHttpServer FHttp;
};

} // namespace tilvane::bench
