#pragma once

#include "LocalHttpServer.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>

namespace tilvane::kit {

// A dedicated server's web interface as far as the program sees it: mod list
// pages (public, or behind the web login), and /mods/<name> answered with the
// file of that name in a folder, streamed from disk in blocks (a gigabyte of
// archives never sits in memory). Files may be replaced while it runs.
class TModFileServer {
public:
  explicit TModFileServer(const QString& AFileFolder);
  ~TModFileServer();

  TModFileServer(const TModFileServer&) = delete;
  TModFileServer& operator=(const TModFileServer&) = delete;

  QString BaseURL() const; // "http://127.0.0.1:port/"
  QString PageURL() const { return BaseURL() + QStringLiteral("mods.html"); }
  QString FileURL(const QString& AFileName) const {
    return BaseURL() + QStringLiteral("mods/") + AFileName;
  }

  // The public page at /mods.html.
  void SetPage(const QString& APage) { SetPage(QStringLiteral("/mods.html"), APage); }
  // A page anybody may read, at APath ("/mods.html").
  void SetPage(const QString& APath, const QString& APage);
  // A page only the web login AUser with APassword reads; a request without
  // it, or with another, gets ALoginPage, as a real server answers.
  void SetLoginPage(const QString& APath, const QString& APage, const QString& AUser,
                    const QString& APassword, const QString& ALoginPage);
  // At most ABytesPerSecond for each download; 0: as fast as the socket goes.
  // On the loopback a download is over before anybody sees its progress.
  void SetRateLimit(std::int64_t ABytesPerSecond) { FRate = ABytesPerSecond; }
  // A POST to APath runs AAction on a server thread and answers its text.
  void SetAction(const QString& APath, std::function<QString()> AAction);

  std::int64_t BytesSent() const { return FBytesSent.load(); }

private:
  struct TPage {
    std::string Text;
    std::string User;
    std::string Password;
    std::string LoginPage;
    bool NeedsLogin = false;
  };

  std::string FFolder;
  std::mutex FMutex;
  std::map<std::string, TPage> FPages;
  std::map<std::string, std::function<QString()>> FActions;
  std::atomic<std::int64_t> FRate{0};
  std::atomic<std::int64_t> FBytesSent{0};
  // Last, so that it stops before the state its handlers use goes away.
  LocalHttpServer FHttp;
};

} // namespace tilvane::kit
