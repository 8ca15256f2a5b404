#include "app/Program.h"

#include "app/TilvaneApplication.h"
#include "common/CommonUtilities.h"
#include "common/QtPromptService.h"
#include "platform/Platform.h"
#include "ui/MainFM.h"
#include "ui/ProgramDialogs.h"
#include "update/UnknownModPageViewer.h"

#include <QIcon>

namespace tilvane {

int RunTilvane(int argc, char** argv, const std::function<void(TfmMain&)>& AOnCreated) {
  TApplication App(argc, argv);
  TApplication::setApplicationName(QStringLiteral("Tilvane"));
  TApplication::setApplicationDisplayName(QStringLiteral("Tilvane"));
  TApplication::setApplicationVersion(GetBuildInfoAsString());
  TApplication::setWindowIcon(QIcon(QStringLiteral(":/pictures/tilvane.svg")));

  std::unique_ptr<platform::IPlatform> Platform = platform::CreateSystemPlatform();
  QtPromptService Prompts;
  // Until the crash report exists, an escaped error is shown as an error box.
  auto Report = [&Prompts](std::exception_ptr AError) {
    Prompts.ShowMessage(TApplication::ExceptionMessage(AError), TMessageKind::Error);
  };
  App.SetExceptionHandler(Report);

  TUnknownModPageViewer PageViewer(Prompts);
  TProgramDialogs Dialogs;
  TfmMain fmMain(*Platform, Prompts, {&Dialogs, Report, {}, &PageViewer});
  Dialogs.SetDataModule(&fmMain.DataModule());
  // The check runs once the event loop starts, so the site is set in time.
  fmMain.DataModule().SetUpdateSite(QStringLiteral(TILVANE_UPDATE_SITE));
  if (AOnCreated)
    AOnCreated(fmMain);
  fmMain.show();
  return App.exec();
}

} // namespace tilvane
