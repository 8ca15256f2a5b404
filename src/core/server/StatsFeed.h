#pragma once

#include <QHash>
#include <QList>
#include <QString>

namespace tilvane {

// One mod as the dedicated server's stats feed lists it:
// <Mod name="FS22_X" author="…" version="1.0.0.0" hash="…">Title</Mod>.
struct TStatsFeedMod {
  QString Name; // the archive's file name without ".zip"
  QString Author;
  QString Version;
  QString Hash; // the game's archive hash, lowercase
  QString Title;
};

// The mods the server runs, from /feed/dedicated-server-stats.xml.
struct TStatsFeed {
  QList<TStatsFeedMod> Mods;
  // Hash by mod name folded to ASCII lower case.
  QHash<QString, QString> HashByName;

  const QString* HashOf(const QString& AModName) const;
};

// Reads a feed. Raises EAppError with a reason a player can read when the
// text is no stats feed (not XML, or its root is not <Server>). Entity and
// character references are decoded by the XML reader; a server that escaped
// an already escaped '&' (author="A&amp;#93;") is decoded once more, so the
// names read as the game shows them.
TStatsFeed ParseStatsFeed(const QByteArray& AXml);

} // namespace tilvane
