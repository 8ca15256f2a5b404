#include "ModFileServer.h"

#include <QFile>

#include <httplib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>
#include <vector>

namespace tilvane::kit {

namespace {

using TClock = std::chrono::steady_clock;

// The block handed to the socket at a time: large enough that the server is
// never what limits a loopback transfer.
constexpr size_t BlockSize = 1024 * 1024;

// One open file of a response; closed when the response is done.
class TOpenFile {
public:
  TOpenFile(int AHandle, std::int64_t ARate)
      : FHandle(AHandle), FRate(ARate), FBuffer(BlockSize), FStart(TClock::now()) {}
  ~TOpenFile() { ::close(FHandle); }
  TOpenFile(const TOpenFile&) = delete;
  TOpenFile& operator=(const TOpenFile&) = delete;

  // The bytes from AOffset on, at most one block; -1 when nothing could be read.
  ssize_t Send(size_t AOffset, size_t ALength, httplib::DataSink& ASink,
               const std::atomic<bool>& AStopping) {
    // A limited rate sends a twentieth of a second's worth at a time, so that
    // progress moves smoothly.
    const size_t Block = FRate > 0
                             ? std::clamp<size_t>(static_cast<size_t>(FRate / 20), 4096, BlockSize)
                             : BlockSize;
    const size_t Wanted = std::min(ALength, Block);
    const ssize_t Read = ::pread(FHandle, FBuffer.data(), Wanted, static_cast<off_t>(AOffset));
    if (Read <= 0 || !ASink.write(FBuffer.data(), static_cast<size_t>(Read)))
      return -1;
    FSent += Read;
    if (FRate > 0)
      Throttle(AStopping);
    return Read;
  }

private:
  void Throttle(const std::atomic<bool>& AStopping) {
    const auto Due = FStart + std::chrono::microseconds(FSent * 1000000 / FRate);
    while (!AStopping && TClock::now() < Due)
      std::this_thread::sleep_for(
          std::min<TClock::duration>(Due - TClock::now(), std::chrono::milliseconds(50)));
  }

  int FHandle;
  std::int64_t FRate;
  std::vector<char> FBuffer;
  TClock::time_point FStart;
  std::int64_t FSent = 0;
};

bool IsPlainName(const std::string& AName) {
  return !AName.empty() && AName != "." && AName != ".." &&
         AName.find_first_of("/\\") == std::string::npos;
}

} // namespace

TModFileServer::TModFileServer(const QString& AFileFolder)
    : FFolder(QFile::encodeName(AFileFolder).toStdString()) {
  httplib::Server& Server = FHttp.Server();
  // A player who pauses a download leaves the server waiting to write; a
  // real server waits for minutes, not the library's five seconds.
  Server.set_write_timeout(600, 0);
  Server.Get(R"(/mods/(.+))", [this](const httplib::Request& AReq, httplib::Response& ARes) {
    const std::string Name = httplib::detail::decode_url(AReq.matches[1].str(), false);
    const int Handle = IsPlainName(Name) ? ::open((FFolder + '/' + Name).c_str(), O_RDONLY) : -1;
    struct stat Info {};
    if (Handle < 0 || ::fstat(Handle, &Info) != 0) {
      if (Handle >= 0)
        ::close(Handle);
      ARes.status = 404;
      ARes.set_content("not found", "text/plain");
      return;
    }
    auto File = std::make_shared<TOpenFile>(Handle, FRate.load());
    ARes.set_content_provider(
        static_cast<size_t>(Info.st_size), "application/zip",
        [this, File](size_t AOffset, size_t ALength, httplib::DataSink& ASink) {
          const ssize_t Sent = File->Send(AOffset, ALength, ASink, FHttp.Stopping);
          if (Sent > 0)
            FBytesSent += Sent;
          return Sent > 0;
        });
  });
  Server.Get("/feed/dedicated-server-stats.xml",
             [this](const httplib::Request& AReq, httplib::Response& ARes) {
               std::string Body;
               int Status = 200;
               AnswerStatsFeed(AReq.get_param_value("code"), Body, Status);
               ARes.status = Status;
               ARes.set_content(Body, Status == 200 ? "text/xml; charset=utf-8" : "text/plain");
             });
  Server.Get(R"(/.*)", [this](const httplib::Request& AReq, httplib::Response& ARes) {
    std::lock_guard Lock(FMutex);
    const auto It = FPages.find(AReq.path);
    if (It == FPages.end()) {
      ARes.status = 404;
      ARes.set_content("not found", "text/plain");
      return;
    }
    const TPage& Page = It->second;
    const bool LoggedIn = AReq.get_param_value("login") == "true" &&
                          AReq.get_param_value("username") == Page.User &&
                          AReq.get_param_value("password") == Page.Password;
    ARes.set_content(!Page.NeedsLogin || LoggedIn ? Page.Text : Page.LoginPage,
                     "text/html; charset=utf-8");
  });
  Server.Post(R"(/.*)", [this](const httplib::Request& AReq, httplib::Response& ARes) {
    std::function<QString()> Action;
    {
      std::lock_guard Lock(FMutex);
      const auto It = FActions.find(AReq.path);
      if (It != FActions.end())
        Action = It->second;
    }
    if (!Action) {
      ARes.status = 404;
      ARes.set_content("not found", "text/plain");
      return;
    }
    // An exception must not end the server thread; the caller reads why.
    try {
      ARes.set_content(Action().toStdString() + '\n', "text/plain; charset=utf-8");
    } catch (const std::exception& AError) {
      ARes.status = 500;
      ARes.set_content(std::string(AError.what()) + '\n', "text/plain; charset=utf-8");
    }
  });
  FHttp.Start();
}

TModFileServer::~TModFileServer() {
  FHttp.Stop();
}

QString TModFileServer::BaseURL() const {
  return QStringLiteral("http://127.0.0.1:%1/").arg(FHttp.Port());
}

void TModFileServer::SetPage(const QString& APath, const QString& APage) {
  std::lock_guard Lock(FMutex);
  FPages[APath.toStdString()] = TPage{APage.toStdString(), {}, {}, {}, false};
}

void TModFileServer::SetLoginPage(const QString& APath, const QString& APage, const QString& AUser,
                                  const QString& APassword, const QString& ALoginPage) {
  std::lock_guard Lock(FMutex);
  FPages[APath.toStdString()] = TPage{APage.toStdString(), AUser.toStdString(),
                                      APassword.toStdString(), ALoginPage.toStdString(), true};
}

void TModFileServer::SetAction(const QString& APath, std::function<QString()> AAction) {
  std::lock_guard Lock(FMutex);
  FActions[APath.toStdString()] = std::move(AAction);
}

void TModFileServer::SetStatsFeed(const QString& ACode, const TFeedServer& AServer,
                                  std::vector<TFeedMod> AMods) {
  std::lock_guard Lock(FMutex);
  FFeedCode = ACode;
  FFeedServer = AServer;
  FFeedMods = std::move(AMods);
}

QString TModFileServer::StatsFeedURL() const {
  std::lock_guard Lock(FMutex);
  return BaseURL() + QStringLiteral("feed/dedicated-server-stats.xml?code=") + FFeedCode;
}

void TModFileServer::SetStatsFeedEmpty(bool AEmpty) {
  std::lock_guard Lock(FMutex);
  FFeedEmpty = AEmpty;
}

void TModFileServer::SetStatsFeedWrongHash(const QString& AFileName) {
  std::lock_guard Lock(FMutex);
  FFeedWrongHash = AFileName;
}

QString TModFileServer::HashOf(const QString& AFileName) {
  const std::string Path = FFolder + '/' + QFile::encodeName(AFileName).toStdString();
  struct stat Info {};
  if (::stat(Path.c_str(), &Info) != 0)
    return {};
  THashed Now{static_cast<std::uint64_t>(Info.st_ino),
              static_cast<std::int64_t>(Info.st_size),
              static_cast<std::int64_t>(Info.st_mtim.tv_sec) * 1000000000 + Info.st_mtim.tv_nsec,
              {}};
  {
    std::lock_guard Lock(FHashMutex);
    const auto It = FHashes.find(AFileName);
    if (It != FHashes.end() && It->second == Now)
      return It->second.Hash;
  }
  // Outside the lock: the demo's map takes a while, and other requests go on.
  Now.Hash = GameArchiveHash(QFile::decodeName(QByteArray::fromStdString(Path)), AFileName);
  std::lock_guard Lock(FHashMutex);
  FHashes[AFileName] = Now;
  return Now.Hash;
}

void TModFileServer::AnswerStatsFeed(const std::string& ACode, std::string& ABody, int& AStatus) {
  QString Code;
  TFeedServer Server;
  std::vector<TFeedMod> Mods;
  QString WrongHash;
  {
    std::lock_guard Lock(FMutex);
    Code = FFeedCode;
    Server = FFeedServer;
    if (!FFeedEmpty)
      Mods = FFeedMods;
    WrongHash = FFeedWrongHash;
  }
  if (Code.isEmpty()) {
    AStatus = 404;
    ABody = "not found";
    return;
  }
  if (QString::fromStdString(ACode) != Code) {
    AStatus = 403;
    ABody = "forbidden";
    return;
  }
  std::vector<TFeedEntry> Entries;
  for (const TFeedMod& Mod : Mods) {
    QString Hash = HashOf(Mod.FileName);
    // Another hash of the same form: one digit off.
    if (Mod.FileName == WrongHash && !Hash.isEmpty())
      Hash[0] = Hash[0] == u'0' ? u'1' : u'0';
    Entries.push_back({Mod, Hash});
  }
  ABody = MakeStatsFeed(Server, Entries).toStdString();
}

} // namespace tilvane::kit
