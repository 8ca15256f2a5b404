#include "datamodule/MainDM.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "core/common/WaitService.h"
#include "core/http/HttpRoutines.h"
#include "core/server/ServerPageViewer.h"
#include "core/server/ServerURL.h"
#include "core/update/UpdateModsTask.h"
#include "platform/Platform.h"

namespace tilvane {

QString CheckingServerText() {
  return QStringLiteral("Checking the server\u2026");
}

QString FetchingModPageText() {
  return QStringLiteral("Fetching the server's mod page\u2026");
}

std::unique_ptr<TUpdateModsTask> TdmMain::CreateUpdateModsTask(const TModFolder& AModFolder,
                                                               TFSVersion AFSVersion,
                                                               IUpdateProgress& AProgress,
                                                               IPromptService& APrompts) {
  auto Task =
      std::make_unique<TUpdateModsTask>(AModFolder, AFSVersion, &TdmMain::CreateServerURL,
                                        AProgress, APrompts, FromPlatform(FPlatform.TempFolder()));
  // The folder's lock and what is known of its archives belong to the
  // player, not to the shared temporary folder.
  Task->SetStateFolder(
      JoinPath(FromPlatform(FPlatform.LocalAppDataFolder()), QStringLiteral("Tilvane")));
  // The generation's other folders may hold the archives this one needs: a
  // hard link to theirs costs neither the download nor the space.
  QStringList Sharing;
  try {
    for (const std::unique_ptr<TModFolder>& Other : ReadModFolders(AFSVersion)) {
      if (Other && !Other->Folder.isEmpty() && Other->Folder != AModFolder.Folder)
        Sharing.append(Other->Folder);
    }
  } catch (const std::exception&) {
    // A list that cannot be read only means that everything is downloaded.
  }
  Task->SetSharingFolders(Sharing);
  // The saves are read on the task's thread, and only when the sync is about
  // to remove something.
  Task->SetSavegamesFolder(GetFSMyGamesFolder(AFSVersion));
  THttpClient& Client = Task->Client();
  Client.SetSecureProtocols(THttpSecureProtocol::Tls10 | THttpSecureProtocol::Tls11 |
                            THttpSecureProtocol::Tls12);
  Client.SetConnectionTimeout(300000);
  Client.SetResponseTimeout(300000);
  return Task;
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
