#include "BenchFileServer.h"

#include <QFile>

#include <httplib.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <stdexcept>
#include <vector>

namespace tilvane::bench {

namespace {

// The block handed to the socket at a time: large enough that the server is
// never what limits a loopback transfer.
constexpr size_t BlockSize = 1024 * 1024;

// One open file of a response; closed when the response is done.
class TOpenFile {
public:
  explicit TOpenFile(int AHandle) : FHandle(AHandle), FBuffer(BlockSize) {}
  ~TOpenFile() { ::close(FHandle); }
  TOpenFile(const TOpenFile&) = delete;
  TOpenFile& operator=(const TOpenFile&) = delete;

  bool Send(size_t AOffset, size_t ALength, httplib::DataSink& ASink) {
    const size_t Wanted = std::min(ALength, BlockSize);
    const ssize_t Read = ::pread(FHandle, FBuffer.data(), Wanted, static_cast<off_t>(AOffset));
    if (Read <= 0)
      return false;
    return ASink.write(FBuffer.data(), static_cast<size_t>(Read));
  }

private:
  int FHandle;
  std::vector<char> FBuffer;
};

bool IsPlainName(const std::string& AName) {
  return !AName.empty() && AName != "." && AName != ".." &&
         AName.find_first_of("/\\") == std::string::npos;
}

} // namespace

TBenchFileServer::TBenchFileServer(const QString& AFileFolder)
    : FFolder(QFile::encodeName(AFileFolder).toStdString()) {
  httplib::Server& Server = FHttp.Server();
  Server.Get("/mods.html", [this](const httplib::Request&, httplib::Response& ARes) {
    std::lock_guard Lock(FMutex);
    ARes.set_content(FPage, "text/html; charset=utf-8");
  });
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
    auto File = std::make_shared<TOpenFile>(Handle);
    ARes.set_content_provider(static_cast<size_t>(Info.st_size), "application/zip",
                              [File](size_t AOffset, size_t ALength, httplib::DataSink& ASink) {
                                return File->Send(AOffset, ALength, ASink);
                              });
  });
  FHttp.Start();
}

TBenchFileServer::~TBenchFileServer() {
  FHttp.Stop();
}

QString TBenchFileServer::BaseURL() const {
  return QStringLiteral("http://127.0.0.1:%1/").arg(FHttp.Port());
}

void TBenchFileServer::SetPage(const QString& APage) {
  std::lock_guard Lock(FMutex);
  FPage = APage.toStdString();
}

} // namespace tilvane::bench
