#pragma once

#include "core/game/FSVersion.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace tilvane {

// A query value as the server's web login expects it: letters, digits and
// ! $ ' ( ) * - . @ _ as they are, space as '+', everything else as %XX of its
// UTF-8 bytes (uppercase hexadecimal).
QString EncodeServerQueryValue(const QString& AValue);

// AServerURL with the web login in its query string; unchanged when user name
// and password are both empty. Pure; any thread.
QString CreateServerURL(const QString& AServerURL, const QString& AWebUsername,
                        const QString& AWebPassword);

// What a fetched server page turned out to be, in the order the checks run.
enum class TServerPageVerdict {
  ModPage,         // the mod list page of a server of the expected generation
  LoginPage,       // the web login page: the login was wrong or missing
  UnknownPage,     // neither login nor mod list page
  NoVersion,       // a mod list page without a version marker
  WrongGeneration, // a server of another generation
  LoginPending,    // the page still asks for a login somewhere
};

struct TServerPageCheck {
  TServerPageVerdict Verdict = TServerPageVerdict::UnknownPage;
  std::optional<TFSVersion> DetectedFSVersion; // when a marker was found
  // What the user is told; empty for ModPage and UnknownPage (that one gets
  // its own window).
  QString Message;
};

// Judges a page fetched from a server URL that should serve generation
// AExpected. Pure.
TServerPageCheck CheckServerPage(QStringView APage, TFSVersion AExpected);

// "Unable to retrieve mod list from server." + CR LF + "Error: " + AError.
QString UnableToRetrieveModListMessage(const QString& AError);

// What the window for an UnknownPage verdict tells the user.
QString UnknownModPageNotice();

} // namespace tilvane
