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
    : FServer(std::make_unique<httplib::Server>()),
      FFolder(QFile::encodeName(AFileFolder).toStdString()) {
  FServer->Get("/mods.html", [this](const httplib::Request&, httplib::Response& ARes) {
    std::lock_guard Lock(FMutex);
    ARes.set_content(FPage, "text/html; charset=utf-8");
  });
  FServer->Get(R"(/mods/(.+))", [this](const httplib::Request& AReq, httplib::Response& ARes) {
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
  FPort = FServer->bind_to_any_port("127.0.0.1");
  if (FPort <= 0)
    throw std::runtime_error("cannot bind a port on 127.0.0.1");
  FThread = std::thread([this] { FServer->listen_after_bind(); });
  while (!FServer->is_running())
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

TBenchFileServer::~TBenchFileServer() {
  FServer->stop();
  FThread.join();
}

QString TBenchFileServer::BaseURL() const {
  return QStringLiteral("http://127.0.0.1:%1/").arg(FPort);
}

void TBenchFileServer::SetPage(const QString& APage) {
  std::lock_guard Lock(FMutex);
  FPage = APage.toStdString();
}

} // namespace tilvane::bench
