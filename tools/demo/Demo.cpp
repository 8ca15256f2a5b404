// The whole program on a machine without the game or a dedicated server: a
// sandbox installation in a temporary folder, the demo server on 127.0.0.1,
// and Tilvane started against them with a mod folder that follows the
// server. Closing Tilvane stops the server and removes the sandbox.
#include "DemoFolders.h"
#include "DemoServer.h"
#include "SandboxInstallation.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSocketNotifier>
#include <QTemporaryDir>

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

using namespace tilvane;
using namespace tilvane::demo;

struct TArguments {
  QString Program = QStringLiteral(TILVANE_DEMO_PROGRAM);
  QString FakeGame = QStringLiteral(TILVANE_DEMO_FAKE_GAME);
  TDemoServer::TOptions Server;
  int GameSeconds = 60;
};

bool ReadArguments(const QStringList& AArguments, TArguments& AResult) {
  for (qsizetype i = 1; i + 1 < AArguments.size(); i += 2) {
    const QString& Name = AArguments[i];
    const QString& Value = AArguments[i + 1];
    if (Name == QStringLiteral("--program"))
      AResult.Program = Value;
    else if (Name == QStringLiteral("--large-mb"))
      AResult.Server.LargeBytes = Value.toLongLong() * 1024 * 1024;
    else if (Name == QStringLiteral("--rate-mb"))
      AResult.Server.Rate = Value.toLongLong() * 1024 * 1024;
    else if (Name == QStringLiteral("--game-seconds"))
      AResult.GameSeconds = Value.toInt();
    else
      return false;
  }
  return AArguments.size() % 2 == 1 && AResult.Server.LargeBytes >= 64 * 1024;
}

void Say(const QString& AText) {
  std::printf("%s\n", qUtf8Printable(AText));
  std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
  QCoreApplication App(argc, argv);
  TArguments Arguments;
  if (!ReadArguments(App.arguments(), Arguments)) {
    std::fprintf(stderr, "usage: tilvane_demo [--program <tilvane>] [--large-mb <n>] "
                         "[--rate-mb <n, 0 unlimited>] [--game-seconds <n>]\n");
    return 2;
  }
  QTemporaryDir Root(QDir::tempPath() + QStringLiteral("/tilvane-demo-XXXXXX"));
  if (!Root.isValid()) {
    std::fprintf(stderr, "cannot create the sandbox folder\n");
    return 1;
  }
  TSandboxInstallation Sandbox(Root.path());
  std::unique_ptr<TDemoServer> Server;
  try {
    Sandbox.Create({Arguments.FakeGame, Arguments.GameSeconds});
    Say(QStringLiteral("Generating the demo server's mod archives..."));
    Server =
        std::make_unique<TDemoServer>(Root.filePath(QStringLiteral("server")), Arguments.Server);
    Sandbox.Apply();
    WriteDemoFolders(Sandbox, *Server);
    Sandbox.WriteProgramLauncher(Arguments.Program);
    WriteDemoSavegame(Sandbox, *Server);
  } catch (const std::exception& AError) {
    std::fprintf(stderr, "The demo could not be set up: %s\n", AError.what());
    return 1;
  }
  Say(QStringLiteral("Sandbox: ") + Sandbox.Root());
  for (const TFSVersion FSVersion : TDemoServer::Games())
    Say(FSTabCaption(FSVersion) + QStringLiteral(" server: ") + Server->PublicPageURL(FSVersion) +
        QStringLiteral(" (admin: ") + Server->AdminPageURL(FSVersion) +
        QStringLiteral(", web login ") + TDemoServer::User + u'/' + TDemoServer::Password +
        QStringLiteral(", stats feed ") + Server->StatsFeedURL(FSVersion) + u')');
  const QString Launcher = Sandbox.ProgramLauncher();
  Say(QStringLiteral(
          "The command line, in another terminal, as Steam's launch option runs it:\n  ") +
      Launcher + QStringLiteral(" --list\n  ") + Launcher +
      QStringLiteral(" --sync 'Demo server FS22'\n  ") + Launcher +
      QStringLiteral(" --launch 'Demo server FS25' -- ") + Sandbox.GameCommand(TFSVersion::fsv25));
  Say(QStringLiteral("FS22 has a savegame: \"Savegames\u2026\" in the menu of \"Demo server FS22\" "
                     "shows what it needs of the folder."));
  Say(QStringLiteral(
      "Click \"Demo server FS25\" in Tilvane to sync its mods and start the "
      "stand-in game.\nPress Enter here to publish a change on the server (a new version "
      "of one mod, a fixed archive of another at the same version, a third removed or "
      "back).\nClose Tilvane to end the demo."));

  QProcess Program;
  Program.setProcessChannelMode(QProcess::ForwardedChannels);
  QObject::connect(&Program, &QProcess::finished, &App, [&App](int ACode) { App.exit(ACode); });
  QObject::connect(&Program, &QProcess::errorOccurred, &App, [&App, &Program](auto AError) {
    if (AError == QProcess::FailedToStart) {
      std::fprintf(stderr, "cannot start %s\n", qUtf8Printable(Program.program()));
      App.exit(1);
    }
  });
  Program.start(Arguments.Program, {});
  // Ctrl+C in the terminal reaches Tilvane too; this process stays to clean up
  // after it.
  std::signal(SIGINT, SIG_IGN);
  QSocketNotifier Input(STDIN_FILENO, QSocketNotifier::Read);
  QObject::connect(&Input, &QSocketNotifier::activated, &App, [&Server, &Input] {
    char Line[256];
    if (::read(STDIN_FILENO, Line, sizeof(Line)) <= 0) {
      Input.setEnabled(false); // no terminal: nobody can ask for changes
      return;
    }
    try {
      Say(QStringLiteral("Server changed: ") + Server->Change());
    } catch (const std::exception& AError) {
      std::fprintf(stderr, "The change failed: %s\n", AError.what());
    }
  });
  const int Code = App.exec();
  Sandbox.StopGames();
  Server.reset();
  Say(QStringLiteral("Demo over; the sandbox is removed."));
  return Code;
}
