#include "gui/dialogs/AboutFM.h"

#include "core/common/CommonUtilities.h"
#include "core/http/HttpClient.h"
#include "datamodule/MainDM.h"
#include "platform/Platform.h"

#include "ui_AboutFM.h"

#include <QUrl>

#ifndef TILVANE_WEBSITE_URL
#define TILVANE_WEBSITE_URL ""
#endif

namespace tilvane {

namespace {

// The page is a courtesy, not the box's purpose: a site that is down must not
// keep the browser empty for a minute.
constexpr int ConnectionTimeout = 3000;
constexpr int ResponseTimeout = 5000;

// Shown when the build has no web site or its page could not be fetched.
QString LocalSupportersText() {
  return QStringLiteral("<h3>Supporters and beta testers</h3>"
                        "<p>Thank you to everyone who supports Tilvane and tests its new "
                        "versions.</p>");
}

} // namespace

TfmAbout::TfmAbout(QWidget* AOwner, TdmMain& ADataModule)
    : TfmAbout(AOwner, ADataModule, BuiltInWebSite()) {}

TfmAbout::TfmAbout(QWidget* AOwner, TdmMain& ADataModule, const QString& AWebSite)
    : QDialog(AOwner), FUi(std::make_unique<Ui::TfmAbout>()), FDataModule(ADataModule),
      FWebSite(AWebSite) {
  // Every path below starts with a slash: one at the end of the site would
  // make a double one.
  while (FWebSite.endsWith(u'/'))
    FWebSite.chop(1);
  FUi->setupUi(this);
  for (QLabel* Label : {FUi->LinkLabel3, FUi->LinkLabel1, FUi->LinkLabel2, FUi->LinkLabel4,
                        FUi->LinkLabel5, FUi->LinkLabel6, FUi->LinkLabel7})
    connect(Label, &QLabel::linkActivated, this, &TfmAbout::LinkLabel1LinkClick);
  connect(FUi->webEdge, &QTextBrowser::anchorClicked, this, &TfmAbout::webEdgeAnchorClick);
  connect(FUi->Button1, &QPushButton::clicked, this, &QDialog::accept);
  FormCreate();
}

TfmAbout::~TfmAbout() {
  FClosing = true;
  if (FFetcher.joinable())
    FFetcher.join();
}

QString TfmAbout::BuiltInWebSite() {
  return QString::fromUtf8(TILVANE_WEBSITE_URL);
}

void TfmAbout::FormCreate() {
  FUi->lblVersion->setText(GetBuildInfoAsString());
  ShowLink(FUi->LinkLabel3, FUi->LinkLabel3->text(), QStringLiteral("/Tilvane/"));
  ShowLink(FUi->LinkLabel1, FUi->LinkLabel1->text(), QStringLiteral("/Tilvane/Donate.html"));
  // A text browser keeps no cookies or cache, so unlike an embedded web
  // engine it needs no data folder of its own.
  if (FWebSite.isEmpty())
    ShowSupportersPage(LocalSupportersText());
  else
    FetchSupportersPage();
}

void TfmAbout::ShowLink(QLabel* ALabel, const QString& AText, const QString& APath) {
  if (FWebSite.isEmpty()) {
    ALabel->setTextFormat(Qt::PlainText);
    ALabel->setText(AText);
    return;
  }
  ALabel->setTextFormat(Qt::RichText);
  ALabel->setText(QStringLiteral("<a href=\"%1\">%2</a>")
                      .arg((FWebSite + APath).toHtmlEscaped(), AText.toHtmlEscaped()));
}

// Every link of the box opens in the user's own browser.
void TfmAbout::LinkLabel1LinkClick(const QString& ALink) {
  FDataModule.Platform().ShellOpen(ALink.toStdString());
}

// A link on the fetched page may be relative to it.
void TfmAbout::webEdgeAnchorClick(const QUrl& AURL) {
  LinkLabel1LinkClick(QUrl(SupportersPageURL()).resolved(AURL).toString());
}

QString TfmAbout::SupportersPageURL() const {
  if (FWebSite.isEmpty())
    return {};
  return FWebSite + QStringLiteral("/Tilvane/TilvaneFiles/SupportersAndBetaTesters.html");
}

// Fetched on a worker so that a slow site never freezes the box; the page
// comes back through the event loop, and not at all once the box is gone.
void TfmAbout::FetchSupportersPage() {
  FFetcher = std::thread([this, URL = SupportersPageURL()] {
    QString Html;
    try {
      THttpClient Client;
      Client.SetConnectionTimeout(ConnectionTimeout);
      Client.SetResponseTimeout(ResponseTimeout);
      Client.SetAbortCheck([this] { return FClosing.load(); });
      Html = Client.GetText(URL);
      // An error page of the site is no list of supporters.
      if (Client.StatusCode() != 200)
        Html.clear();
    } catch (...) {
      // Nothing may escape a worker, and the box reports no errors of its
      // own: the local text stands in.
      Html.clear();
    }
    if (Html.isEmpty())
      Html = LocalSupportersText();
    QMetaObject::invokeMethod(
        this, [this, Html] { ShowSupportersPage(Html); }, Qt::QueuedConnection);
  });
}

void TfmAbout::ShowSupportersPage(const QString& AHtml) {
  FUi->webEdge->setHtml(AHtml);
  Q_EMIT SupportersPageShown();
}

} // namespace tilvane
