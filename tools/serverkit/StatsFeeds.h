#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

namespace tilvane::kit {

// One archive as a server's stats feed lists it.
struct TFeedMod {
  QString FileName; // the archive the server serves, "FS25_X.zip"
  QString Title;
  QString Author;
  QString Version;
};

// What the game writes into /feed/dedicated-server-stats.xml besides the mods.
struct TFeedServer {
  QString Game = QStringLiteral("Farming Simulator 25");
  QString Version = QStringLiteral("1.19.0.0");
  QString Name = QStringLiteral("Tilvane demo");
  QString MapName = QStringLiteral("Riverbend Springs");
};

// One <Mod> of a feed with the hash it is to carry.
struct TFeedEntry {
  TFeedMod Mod;
  QString Hash;
};

// The game's hash of an archive: the MD5 of its bytes followed by the mod
// name (AFileName without ".zip"), in lowercase hex. Read in blocks; empty
// when the file cannot be read.
QString GameArchiveHash(const QString& APath, const QString& AFileName);

// A feed in the shape the game writes it: <Server …> with <Mods>, one
// <Mod name author version hash>Title</Mod> per entry, in the given order.
QByteArray MakeStatsFeed(const TFeedServer& AServer, const std::vector<TFeedEntry>& AEntries);

} // namespace tilvane::kit
