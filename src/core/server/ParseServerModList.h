#pragma once

#include "core/server/ServerVersionMarkers.h"

#include <QChar>
#include <QList>
#include <QString>
#include <QStringView>

namespace tilvane {

class IPromptService;

// One mod row of a dedicated server's mod page. Name, Version and Author are
// decoded from the page's HTML (PageText); the other texts are as the page
// writes them. Nothing is trimmed.
struct TServerMod {
  QString Name;
  QString Version;
  QString Author;
  QString FileName;
  QString DownloadURL; // the href as written, relative to the server's root
  // Size in megabytes as a fixed-point count of ten-thousandths (12.5 MB is
  // 125000); 0 when the size text is missing or no number.
  qint64 SizeMB = 0;
  QString NumOfIssues;
  QString ModHub; // always empty on pages without a ModHub column
  QString Active;

  double SizeMBAsDouble() const { return static_cast<double>(SizeMB) / 10000.0; }
};

using TArrayOfServerMods = QList<TServerMod>;

struct TParseServerModPageResult {
  // True when a version marker was found and its grammar applied, even when
  // the grammar found no row.
  bool Successful = false;
  // The layout the version marker named; meaningful when Successful.
  TServerPageLayout Layout = TServerPageLayout::Table;
  TArrayOfServerMods Mods; // page order
};

// The decimal separator of the user's regional settings.
QChar SystemDecimalSeparator();

// Parses a mod page by the grammar its version marker names. When the page has
// no marker, Successful is false and "Unable to detect the Farming Simulator
// dedicated server version." is shown through APrompts (a plain box). A worker
// thread passes a prompt service that hands the message to the user-interface
// thread and waits until it is closed. Never raises; any text is safe.
TParseServerModPageResult ParseServerModPage(QStringView APage, IPromptService& APrompts,
                                             QChar ADecimalSeparator = SystemDecimalSeparator());
// The same without any message: for callers that report the failure themselves
// (ServerVersionNotDetectedMessage() in ServerVersionMarkers.h has the text).
TParseServerModPageResult TryParseServerModPage(QStringView APage,
                                                QChar ADecimalSeparator = SystemDecimalSeparator());

// The three grammars, for pages whose version is already known. Pure functions.
TArrayOfServerMods Parse8N9ServerModPage(QStringView APage,
                                         QChar ADecimalSeparator = SystemDecimalSeparator());
TArrayOfServerMods Parse91ServerModPage(QStringView APage,
                                        QChar ADecimalSeparator = SystemDecimalSeparator());
TArrayOfServerMods Parse92ServerModPage(QStringView APage,
                                        QChar ADecimalSeparator = SystemDecimalSeparator());
TArrayOfServerMods Parse100ServerModPage(QStringView APage,
                                         QChar ADecimalSeparator = SystemDecimalSeparator());

// The cell readers the grammars share.
namespace servermodpage {
// The text outside tags; a '>' outside a tag stays.
QString ParseTextLine(QStringView AText);
// The value of the first title="...", ended by the first '"' directly
// followed by '>'; empty when either is missing.
QString ParseTitleLine(QStringView AText);
// The value of the first href="...", ended by the next '"'; empty when either
// is missing.
QString ParseDownloadURL(QStringView AText);
// A name, version or author as the page writes it, read back into the text
// of the mod's modDesc.xml: the page is HTML ("A &amp; B" is "A & B"), and
// the game passes a numeric reference of modDesc.xml through as written, so
// the page can carry "&amp;#93;" for a "]" the archive's XML reader sees.
QString PageText(const QString& ARaw);
// AMod with its name, version and author read by PageText; every reader of
// rows calls it once, when the row is complete.
TServerMod DecodedTexts(TServerMod AMod);
// " MB" removed, then a number with ADecimalSeparator (no thousands
// separator), rounded to ten-thousandths; 0 when empty or not a number.
qint64 ParseSizeMB(QStringView AText, QChar ADecimalSeparator);
} // namespace servermodpage

} // namespace tilvane
