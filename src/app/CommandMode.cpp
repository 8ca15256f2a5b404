#include "app/CommandMode.h"

#include "app/Application.h"
#include "app/Program.h"
#include "core/cli/CommandLine.h"
#include "core/cli/ConsoleProgress.h"
#include "core/cli/ConsolePromptService.h"
#include "core/common/CommonUtilities.h"
#include "datamodule/MainDM.h"
#include "gui/common/QtPromptService.h"
#include "gui/update/LaunchSyncFM.h"
#include "platform/Platform.h"
#include "platform/ProcessLaunch.h"
#include "windowlogic/CommandLineLogic.h"

#include <QCoreApplication>

#include <cstdio>
#include <memory>

namespace tilvane {

namespace {

using TKind = TCommandLine::TKind;
using TTarget = TCommandLineLogic::TTarget;

void Print(std::FILE* AStream, const QString& ALine) {
  std::fputs((ALine + u'\n').toUtf8().constData(), AStream);
  std::fflush(AStream);
}

// One command with its services: where messages, questions and progress go.
class TCommandRun {
public:
  TCommandRun(const TCommandLine& ALine, bool AUseWindow)
      : FLine(ALine), FUseWindow(AUseWindow), FConsole(stderr, platform::StandardErrorIsTerminal()),
        FConsolePrompts(stderr, platform::StandardInputIsTerminal() && !AUseWindow
                                    ? TConsolePromptService::TLineReader(
                                          &TConsolePromptService::ReadStandardInput)
                                    : TConsolePromptService::TLineReader()),
        FPlatform(platform::CreateSystemPlatform()),
        FDataModule(*FPlatform, Prompts(),
                    [](std::exception_ptr AError) {
                      Print(stderr, TApplication::ExceptionMessage(AError));
                    }),
        FLogic(FDataModule) {}

  TCommandOutcome Run();

private:
  IPromptService& Prompts() {
    return FUseWindow ? static_cast<IPromptService&>(FWindowPrompts) : FConsolePrompts;
  }
  // ALine on standard error, and in a box when the player may not see it.
  TCommandOutcome Fail(const QString& ALine, int AExitCode) {
    Print(stderr, ALine);
    if (FUseWindow)
      FWindowPrompts.ShowMessage(ALine, TMessageKind::Error);
    return {AExitCode, {}};
  }
  // True when the folder is in line, or the player chose to start the game
  // all the same.
  bool SyncFolder(const TTarget& ATarget, bool ACanStartAnyway, int& AExitCode);
  TCommandOutcome Launch(const TTarget& ATarget);

  const TCommandLine& FLine;
  bool FUseWindow;
  TConsoleProgress FConsole;
  TConsolePromptService FConsolePrompts;
  TQtPromptService FWindowPrompts;
  std::unique_ptr<platform::IPlatform> FPlatform;
  TdmMain FDataModule;
  TCommandLineLogic FLogic;
};

TCommandOutcome TCommandRun::Run() {
  if (FLine.Kind == TKind::List) {
    for (const QString& Line : FLogic.ListLines(FLine.Game))
      Print(stdout, Line);
    return {};
  }
  QString Error;
  const std::optional<TTarget> Target =
      FLogic.Find(FLine.Name, FLine.Game, qEnvironmentVariable("SteamAppId"), Error);
  if (!Target)
    return Fail(Error, 2);
  const QString Caption = FSTabCaption(Target->FSVersion);

  if (FLine.Kind == TKind::Activate) {
    if (const QString Refusal = FLogic.ActivationRefusal(*Target); !Refusal.isEmpty())
      return Fail(Refusal, 1);
    FLogic.Activate(*Target);
    Print(stdout, QStringLiteral("%1 now uses \"%2\".").arg(Caption, Target->Folder.Name));
    return {};
  }
  if (FLine.Kind == TKind::Sync) {
    if (!TCommandLineLogic::FollowsServer(*Target)) {
      Print(stderr,
            QStringLiteral("\"%1\" follows no server: nothing to sync.").arg(Target->Folder.Name));
      return {};
    }
    if (const QString Refusal = FLogic.SyncRefusal(*Target); !Refusal.isEmpty())
      return Fail(Refusal, 1);
    int ExitCode = 0;
    SyncFolder(*Target, false, ExitCode);
    return {ExitCode, {}};
  }
  return Launch(*Target);
}

bool TCommandRun::SyncFolder(const TTarget& ATarget, bool ACanStartAnyway, int& AExitCode) {
  if (!FUseWindow) {
    const TCommandLineLogic::TSyncOutcome Outcome = FLogic.Sync(ATarget, FConsole, FConsolePrompts);
    FConsole.Say(Outcome.Message);
    AExitCode = Outcome.InLine ? 0 : 1;
    return Outcome.InLine;
  }
  TfmLaunchSync Window(FDataModule, ATarget.Folder, ATarget.FSVersion, ACanStartAnyway);
  Window.exec();
  using TResult = TfmLaunchSync::TResult;
  const TResult Result = Window.Result();
  AExitCode = Result == TResult::InLine ? 0 : 1;
  if (!Window.FailureText().isEmpty())
    Print(stderr, Window.FailureText());
  else if (Result == TResult::Cancelled)
    Print(stderr, QStringLiteral("The sync was cancelled."));
  return Result == TResult::InLine || Result == TResult::StartAnyway;
}

TCommandOutcome TCommandRun::Launch(const TTarget& ATarget) {
  if (const QString Refusal = FLogic.LaunchRefusal(ATarget); !Refusal.isEmpty())
    return Fail(Refusal, 1);
  if (TCommandLineLogic::FollowsServer(ATarget)) {
    int ExitCode = 0;
    // Only a folder in line with its server goes into the game, unless the
    // player says otherwise: the game's settings keep their folder until then.
    if (!SyncFolder(ATarget, true, ExitCode))
      return {ExitCode, {}};
  }
  FLogic.Activate(ATarget);
  TCommandOutcome Outcome;
  for (const QString& Argument : FLine.Command)
    Outcome.Command.push_back(Argument.toStdString());
  return Outcome;
}

} // namespace

TCommandOutcome RunCommand(const TCommandLine& ALine, int& AArgc, char** AArgv) {
  const bool UseWindow = (ALine.Kind == TKind::Sync || ALine.Kind == TKind::Launch) &&
                         !ALine.NoWindow && !platform::StandardErrorIsTerminal();
  std::unique_ptr<QCoreApplication> App;
  if (UseWindow)
    App = std::make_unique<TApplication>(AArgc, AArgv);
  else
    App = std::make_unique<QCoreApplication>(AArgc, AArgv);
  QCoreApplication::setApplicationName(QStringLiteral("Tilvane"));
  QCoreApplication::setApplicationVersion(GetBuildInfoAsString());
  try {
    TCommandRun Run(ALine, UseWindow);
    return Run.Run();
  } catch (const std::exception& AError) {
    Print(stderr, QString::fromUtf8(AError.what()));
    return {1, {}};
  }
}

int RunProgram(int AArgc, char** AArgv) {
  QStringList Arguments;
  bool NamesOption = false;
  for (int I = 0; I < AArgc; ++I) {
    const QString Argument = QString::fromLocal8Bit(AArgv[I]);
    Arguments << Argument;
    // Qt's own options (-platform, -style) keep reaching Qt when the line
    // has none of this program's.
    if (I > 0 && (Argument.startsWith(QLatin1String("--")) || Argument == QLatin1String("-h") ||
                  Argument == QLatin1String("-v") || Argument == QLatin1String("-?")))
      NamesOption = true;
  }
  if (!NamesOption)
    return RunTilvane(AArgc, AArgv);

  QCoreApplication::setApplicationName(QStringLiteral("Tilvane"));
  QCoreApplication::setApplicationVersion(GetBuildInfoAsString());
  const TCommandLineReading Reading = ReadCommandLine(Arguments);
  if (!Reading.Output.isEmpty()) {
    std::fputs(Reading.Output.toUtf8().constData(), stdout);
    return 0;
  }
  if (!Reading.Error.isEmpty()) {
    Print(stderr, Reading.Error);
    return 2;
  }
  if (Reading.Line->Kind == TKind::Window)
    return RunTilvane(AArgc, AArgv);

  const TCommandOutcome Outcome = RunCommand(*Reading.Line, AArgc, AArgv);
  if (Outcome.Command.empty())
    return Outcome.ExitCode;
  // Whatever this process wrote must be out before another program takes it.
  std::fflush(nullptr);
  const std::string Why = platform::ReplaceProcess(Outcome.Command);
  Print(stderr,
        QStringLiteral("Cannot start %1: %2")
            .arg(QString::fromStdString(Outcome.Command.front()), QString::fromStdString(Why)));
  return 1;
}

} // namespace tilvane
