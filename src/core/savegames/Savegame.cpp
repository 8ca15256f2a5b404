#include "core/savegames/Savegame.h"

namespace tilvane {

QString TSavegame::MapModName() const {
  const qsizetype Dot = MapId.indexOf(QLatin1Char('.'));
  return Dot < 0 ? QString() : MapId.left(Dot);
}

bool IsGameContent(const QString& AModName) {
  return AModName.startsWith(QLatin1String("pdlc_"), Qt::CaseInsensitive);
}

} // namespace tilvane
