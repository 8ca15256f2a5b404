#pragma once

#include <QString>

namespace tilvane {

// Shows the user a fetched server page that the program could not read. The
// data module reaches the page diagnostics window only through this, so that
// its logic builds and runs without widgets; tests record the calls.
class IServerPageViewer {
public:
  virtual ~IServerPageViewer() = default;

  // A page that is neither the server's login page nor its mod list page:
  // shown modally with the offer to view and save its text (ASaveFolder is
  // where the save dialog starts; empty for its default). Returns when the
  // user has closed it.
  virtual void ShowUnknownModPage(const QString& APage, const QString& ASaveFolder) = 0;
};

} // namespace tilvane
