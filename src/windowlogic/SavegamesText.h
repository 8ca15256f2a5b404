#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace tilvane {

struct TSavegamesReport;

// One line of the savegames window and the lines below it.
struct TSavegameLine {
  QString Text;
  QStringList Details;
};

// The savegames window's lines: each save with its map, and below it the mods
// it needs that the folder lacks or holds in another version; the saves that
// could not be read, each with its reason.
QList<TSavegameLine> SavegameLines(const TSavegamesReport& AReport);

} // namespace tilvane
