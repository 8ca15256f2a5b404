// The demo server on its own: both games' servers on 127.0.0.1 until Ctrl+C,
// for trying Tilvane against it by hand or pointing any client at it. Enter
// publishes a change; `curl -d '' <server>/change` does the same.
#include "DemoServer.h"

#include <QCoreApplication>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

using namespace tilvane;
using namespace tilvane::demo;

int GSignalPipe[2] = {-1, -1};

void OnSignal(int) {
  const char Byte = 1;
  [[maybe_unused]] const ssize_t Written = ::write(GSignalPipe[1], &Byte, 1);
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication App(argc, argv);
  TDemoServer::TOptions Options;
  const QStringList Arguments = App.arguments();
  for (qsizetype i = 1; i + 1 < Arguments.size(); i += 2) {
    if (Arguments[i] == QStringLiteral("--large-mb"))
      Options.LargeBytes = Arguments[i + 1].toLongLong() * 1024 * 1024;
    else if (Arguments[i] == QStringLiteral("--rate-mb"))
      Options.Rate = Arguments[i + 1].toLongLong() * 1024 * 1024;
  }
  if (Arguments.size() % 2 == 0 || Options.LargeBytes < 64 * 1024) {
    std::fprintf(stderr, "usage: tilvane_demo_server [--large-mb <n>] [--rate-mb <n, 0 "
                         "unlimited>]\n");
    return 2;
  }
  QTemporaryDir Folder(QDir::tempPath() + QStringLiteral("/tilvane-demo-server-XXXXXX"));
  if (!Folder.isValid() || ::pipe(GSignalPipe) != 0)
    return 1;
  std::unique_ptr<TDemoServer> Server;
  try {
    Server = std::make_unique<TDemoServer>(Folder.path(), Options);
  } catch (const std::exception& AError) {
    std::fprintf(stderr, "%s\n", AError.what());
    return 1;
  }
  for (const TFSVersion FSVersion : TDemoServer::Games())
    std::printf("%s %s %s\n", qUtf8Printable(FSTabCaption(FSVersion)),
                qUtf8Printable(Server->PublicPageURL(FSVersion)),
                qUtf8Printable(Server->AdminPageURL(FSVersion)));
  std::printf("web login: %s / %s\n", qUtf8Printable(TDemoServer::User),
              qUtf8Printable(TDemoServer::Password));
  std::fflush(stdout);
  // The archives go with the folder: a signal ends the loop instead of the
  // process.
  std::signal(SIGINT, OnSignal);
  std::signal(SIGTERM, OnSignal);
  QSocketNotifier Stop(GSignalPipe[0], QSocketNotifier::Read);
  QObject::connect(&Stop, &QSocketNotifier::activated, &App, [&App] { App.quit(); });
  QSocketNotifier Input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&Input, &QSocketNotifier::activated, &App, [&Server, &Input] {
    char Line[256];
    if (::read(STDIN_FILENO, Line, sizeof(Line)) <= 0) {
      Input.setEnabled(false);
      return;
    }
    try {
      std::printf("changed: %s\n", qUtf8Printable(Server->Change()));
    } catch (const std::exception& AError) {
      std::printf("the change failed: %s\n", AError.what());
    }
    std::fflush(stdout);
  });
  const int Code = App.exec();
  Server.reset();
  return Code;
}
