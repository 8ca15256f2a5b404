#include "core/game/FSVersion.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"

namespace tilvane {

QString FSVersionName(TFSVersion AFSVersion) {
  switch (AFSVersion) {
  case TFSVersion::fsv19:
    return QStringLiteral("fsv19");
  case TFSVersion::fsv22:
    return QStringLiteral("fsv22");
  case TFSVersion::fsv25:
    return QStringLiteral("fsv25");
  }
  // A value outside the enumeration (cast from a number) still gets a name.
  return QStringLiteral("fsv") + QString::number(static_cast<int>(AFSVersion));
}

QString FSVersionToNumberStr(TFSVersion AFSVersion) {
  return FSVersionName(AFSVersion).mid(3);
}

void RaiseFSVersionException(TFSVersion AFSVersion) {
  throw EAppError(QStringLiteral("Unknown FSVersion: ") + FSVersionName(AFSVersion));
}

QString FSIniFileName(TFSVersion AFSVersion) {
  return QStringLiteral("FS") + FSVersionToNumberStr(AFSVersion) + QStringLiteral(".ini");
}

QString FSMyGamesRelative(TFSVersion AFSVersion) {
  return NativeRelative(QStringLiteral("My Games\\FarmingSimulator20") +
                        FSVersionToNumberStr(AFSVersion));
}

QString FSExeName(TFSVersion AFSVersion) {
  return QStringLiteral("FarmingSimulator20") + FSVersionToNumberStr(AFSVersion) +
         QStringLiteral(".exe");
}

QString FSSteamGameRelative(TFSVersion AFSVersion) {
  return NativeRelative(QStringLiteral("steamapps\\common\\Farming Simulator ") +
                        FSVersionToNumberStr(AFSVersion));
}

QString FSStandAloneGameRelative(TFSVersion AFSVersion) {
  return QStringLiteral("Farming Simulator 20") + FSVersionToNumberStr(AFSVersion);
}

QString FSProcessName(TFSVersion AFSVersion) {
  return QStringLiteral("FarmingSimulator20") + FSVersionToNumberStr(AFSVersion) +
         QStringLiteral("Game.exe");
}

QString FSTabCaption(TFSVersion AFSVersion) {
  return QStringLiteral("FS") + FSVersionToNumberStr(AFSVersion);
}

std::uint32_t FSSteamAppId(TFSVersion AFSVersion) {
  switch (AFSVersion) {
  case TFSVersion::fsv19:
    return 787860;
  case TFSVersion::fsv22:
    return 1248130;
  case TFSVersion::fsv25:
    return 2300320;
  }
  RaiseFSVersionException(AFSVersion);
}

} // namespace tilvane
