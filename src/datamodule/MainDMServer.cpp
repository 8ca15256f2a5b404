#include "datamodule/MainDM.h"

#include "core/common/AppError.h"
#include "core/common/PromptService.h"
#include "core/http/HttpRoutines.h"
#include "core/server/ServerPageViewer.h"
#include "core/server/ServerURL.h"

#include <QCursor>
#include <QGuiApplication>

namespace tilvane {

namespace {

// The hourglass while the user-interface thread waits for a server; gone again
// on every way out, errors included.
class TBusyCursor {
public:
  TBusyCursor() : FActive(qGuiApp != nullptr) {
    if (FActive)
      QGuiApplication::setOverrideCursor(Qt::WaitCursor);
  }
  ~TBusyCursor() { Restore(); }
  TBusyCursor(const TBusyCursor&) = delete;
  TBusyCursor& operator=(const TBusyCursor&) = delete;

  void Restore() {
    if (FActive)
      QGuiApplication::restoreOverrideCursor();
    FActive = false;
  }

private:
  bool FActive;
};

} // namespace

QString TdmMain::CreateServerURL(const QString& AServerURL, const QString& AWebUsername,
                                 const QString& AWebPassword) {
  return tilvane::CreateServerURL(AServerURL, AWebUsername, AWebPassword);
}

bool TdmMain::ValidateServerURL(TFSVersion AFsVersion, const QString& AServerURL,
                                const QString& AWebUsername, const QString& AWebPassword) {
  QString Page;
  {
    TBusyCursor Busy;
    try {
      Page = HttpGet(CreateServerURL(AServerURL, AWebUsername, AWebPassword),
                     THttpRedirects::SameOrigin);
    } catch (const EAppError& Error) {
      Busy.Restore();
      FPrompts.ShowMessage(UnableToRetrieveModListMessage(Error.Message()));
      return false;
    }
  }

  const TServerPageCheck Check = CheckServerPage(Page, AFsVersion);
  switch (Check.Verdict) {
  case TServerPageVerdict::ModPage:
    return true;
  case TServerPageVerdict::UnknownPage:
    if (FServerPageViewer)
      FServerPageViewer->ShowUnknownModPage(Page, FSaveModPageFolder);
    else
      FPrompts.ShowMessage(UnknownModPageNotice());
    return false;
  default:
    FPrompts.ShowMessage(Check.Message);
    return false;
  }
}

QString TdmMain::GetModPageHTML(TFSVersion AFsVersion, const QString& AServerURL,
                                const QString& AWebUsername, const QString& AWebPassword) {
  Q_UNUSED(AFsVersion);
  TBusyCursor Busy;
  try {
    return HttpGet(CreateServerURL(AServerURL, AWebUsername, AWebPassword),
                   THttpRedirects::SameOrigin);
  } catch (const EAppError& Error) {
    Busy.Restore();
    FPrompts.ShowMessage(UnableToRetrieveModListMessage(Error.Message()));
    return {};
  }
}

} // namespace tilvane
