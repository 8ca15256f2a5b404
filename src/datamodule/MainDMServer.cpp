#include "datamodule/MainDM.h"

#include "core/common/AppError.h"
#include "core/common/PromptService.h"
#include "core/common/WaitService.h"
#include "core/http/HttpRoutines.h"
#include "core/server/ServerPageViewer.h"
#include "core/server/ServerURL.h"

namespace tilvane {

QString CheckingServerText() {
  return QStringLiteral("Checking the server\u2026");
}

QString FetchingModPageText() {
  return QStringLiteral("Fetching the server's mod page\u2026");
}

QString TdmMain::CreateServerURL(const QString& AServerURL, const QString& AWebUsername,
                                 const QString& AWebPassword) {
  return tilvane::CreateServerURL(AServerURL, AWebUsername, AWebPassword);
}

bool TdmMain::FetchModPage(const QString& AWhat, const QString& AURL, QString& APage,
                           bool* ACancelled) {
  const THttpGetLimits Limits = FNetworkLimits.Page;
  QString Page;
  try {
    // The window's thread goes on while the server takes its time: a server
    // that accepts and never answers must not freeze the window.
    const bool Done = FWait->RunWhileWaiting(AWhat, [&](const std::atomic_bool& ACancelled) {
      Page = HttpGet(AURL, THttpRedirects::SameOrigin, Limits, &ACancelled);
    });
    if (ACancelled)
      *ACancelled = !Done;
    if (!Done)
      return false;
  } catch (const EAppError& Error) {
    FPrompts.ShowMessage(UnableToRetrieveModListMessage(Error.Message()));
    return false;
  }
  APage = Page;
  return true;
}

bool TdmMain::ValidateServerURL(TFSVersion AFSVersion, const QString& AServerURL,
                                const QString& AWebUsername, const QString& AWebPassword) {
  QString Page;
  if (!FetchModPage(CheckingServerText(), CreateServerURL(AServerURL, AWebUsername, AWebPassword),
                    Page))
    return false;

  const TServerPageCheck Check = CheckServerPage(Page, AFSVersion);
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

QString TdmMain::GetModPageHTML(TFSVersion AFSVersion, const QString& AServerURL,
                                const QString& AWebUsername, const QString& AWebPassword,
                                bool* ACancelled) {
  Q_UNUSED(AFSVersion);
  QString Page;
  FetchModPage(FetchingModPageText(), CreateServerURL(AServerURL, AWebUsername, AWebPassword), Page,
               ACancelled);
  return Page;
}

} // namespace tilvane
