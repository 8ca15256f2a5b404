#pragma once

#include <QDialog>
#include <QString>

#include <atomic>
#include <memory>
#include <thread>

class QLabel;
class QUrl;

namespace Ui {
class TfmAbout;
}

namespace tilvane {

class TdmMain;

// The about box: the program's version, the libraries it ships, and the page
// of the program's web site that thanks its supporters and beta testers.
//
// The web site is a build setting (TILVANE_WEBSITE_URL). A build without one
// links nowhere and fetches nothing: the box then shows plain names and a
// thank-you text of its own.
class TfmAbout : public QDialog {
  Q_OBJECT

public:
  // Uses the web site the program was built with.
  TfmAbout(QWidget* AOwner, TdmMain& ADataModule);
  // AWebSite: scheme and host of the program's web site, for example
  // "https://example.org"; empty for none.
  TfmAbout(QWidget* AOwner, TdmMain& ADataModule, const QString& AWebSite);
  ~TfmAbout() override;

  // The web site the program was built with; empty when it has none.
  static QString BuiltInWebSite();

Q_SIGNALS:
  // The browser shows what it will keep showing: the fetched page, or the
  // box's own text when there is no site or the page could not be fetched.
  void SupportersPageShown();

private:
  void FormCreate();
  void LinkLabel1LinkClick(const QString& ALink);
  void webEdgeAnchorClick(const QUrl& AURL);
  void ShowLink(QLabel* ALabel, const QString& AText, const QString& APath);
  void FetchSupportersPage();
  void ShowSupportersPage(const QString& AHtml);
  QString SupportersPageURL() const;

  std::unique_ptr<Ui::TfmAbout> FUi;
  TdmMain& FDataModule;
  QString FWebSite;
  // Set when the box goes away: the fetch then stops within a tenth of a
  // second instead of running into its time-out.
  std::atomic<bool> FClosing{false};
  std::thread FFetcher;
};

} // namespace tilvane
