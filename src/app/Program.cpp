#include "app/Program.h"

#include "app/Application.h"
#include "core/common/CommonUtilities.h"
#include "core/common/Paths.h"
#include "datamodule/MainDM.h"
#include "gui/common/AfterFirstPaint.h"
#include "gui/common/QtPromptService.h"
#include "gui/crash/CrashReporter.h"
#include "gui/main/MainFM.h"
#include "gui/main/ProgramDialogs.h"
#include "gui/pagediag/UnknownModPageViewer.h"
#include "platform/FatalSignals.h"
#include "platform/Platform.h"

#include <QIcon>

namespace tilvane {

int RunTilvane(int AArgc, char** AArgv, const std::function<void(TfmMain&)>& AOnCreated) {
  TApplication App(AArgc, AArgv);
  TApplication::setApplicationName(QStringLiteral("Tilvane"));
  TApplication::setApplicationDisplayName(QStringLiteral("Tilvane"));
  TApplication::setApplicationVersion(GetBuildInfoAsString());
  // The installed desktop entry's name: Wayland desktops find the program's
  // icon and name through it.
  TApplication::setDesktopFileName(QStringLiteral("org.tilvane.Tilvane"));

  std::unique_ptr<platform::IPlatform> Platform = platform::CreateSystemPlatform();
  TQtPromptService Prompts;
  // Every error that no handler dealt with ends in one report, and the
  // program goes on.
  TCrashReporter CrashReporter(Prompts);
  auto Report = [&CrashReporter](std::exception_ptr AError) { CrashReporter.Report(AError); };
  App.SetExceptionHandler(Report);
  // A fatal signal leaves its last words in the settings folder; the next
  // start offers them.
  const QString CrashReportPath =
      JoinPath(TdmMain::SettingsFolder(*Platform), QStringLiteral("crash-report.txt"));
  platform::InstallFatalSignalHandlers(ToPlatform(CrashReportPath));

  TUnknownModPageViewer PageViewer(Prompts);
  TProgramDialogs Dialogs;
  TfmMain fmMain(*Platform, Prompts, {&Dialogs, Report, {}, &PageViewer});
  Dialogs.SetDataModule(&fmMain.DataModule());
  // The check runs once the event loop starts, so the site is set in time.
  fmMain.DataModule().SetUpdateSite(QStringLiteral(TILVANE_UPDATE_SITE));
  if (AOnCreated)
    AOnCreated(fmMain);
  fmMain.show();
  // The program's icon (for its other windows) and the offer of the last
  // crash's report wait until the main window is on the screen.
  new TAfterFirstPaint(&fmMain, [&CrashReporter, CrashReportPath] {
    TApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/tilvane.svg")));
    CrashReporter.OfferPreviousCrashReport(CrashReportPath);
  });
  const int ExitCode = App.exec();
  platform::RemoveFatalSignalHandlers();
  return ExitCode;
}

} // namespace tilvane
