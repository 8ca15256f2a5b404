#pragma once

#include "LocalHttpServer.h"
#include "StatsFeeds.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

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

  // The game's stats feed at /feed/dedicated-server-stats.xml: answered to a
  // request with ?code=ACode (another code or none gets 403, as the game's
  // server answers), listing AMods with the hash of the archive served under
  // each name at the time of the request, so a replaced archive's hash
  // follows.
  void SetStatsFeed(const QString& ACode, const TFeedServer& AServer, std::vector<TFeedMod> AMods);
  // The address of the feed with its code.
  QString StatsFeedURL() const;
  // The game rewrites the feed every minute, and while it does the feed can
  // come back without a mod.
  void SetStatsFeedEmpty(bool AEmpty);
  // The feed gives AFileName a hash that is not its archive's, as after a
  // fixed archive was uploaded and the game has not read it yet; empty: none.
  void SetStatsFeedWrongHash(const QString& AFileName);

  std::int64_t BytesSent() const { return FBytesSent.load(); }

private:
  // An archive is replaced by renaming a new file over it: another inode.
  struct THashed {
    std::uint64_t Inode = 0;
    std::int64_t Size = -1;
    std::int64_t ModifiedNs = 0;
    QString Hash;
    bool operator==(const THashed& AOther) const {
      return Inode == AOther.Inode && Size == AOther.Size && ModifiedNs == AOther.ModifiedNs;
    }
  };
  // The hash of the archive AFileName as it is now, read again only when the
  // file changed.
  QString HashOf(const QString& AFileName);
  void AnswerStatsFeed(const std::string& ACode, std::string& ABody, int& AStatus);

  struct TPage {
    std::string Text;
    std::string User;
    std::string Password;
    std::string LoginPage;
    bool NeedsLogin = false;
  };

  std::string FFolder;
  mutable std::mutex FMutex;
  std::map<std::string, TPage> FPages;
  std::map<std::string, std::function<QString()>> FActions;
  QString FFeedCode; // empty: no feed
  TFeedServer FFeedServer;
  std::vector<TFeedMod> FFeedMods;
  bool FFeedEmpty = false;
  QString FFeedWrongHash;
  std::mutex FHashMutex;
  std::map<QString, THashed> FHashes;
  std::atomic<std::int64_t> FRate{0};
  std::atomic<std::int64_t> FBytesSent{0};
  // Last, so that it stops before the state its handlers use goes away.
  LocalHttpServer FHttp;
};

} // namespace tilvane::kit
