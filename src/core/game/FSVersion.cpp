#include "core/game/FSVersion.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"

namespace tilvane {

QString FSVersionName(TFSVersion FSVersion) {
  switch (FSVersion) {
  case TFSVersion::fsv19:
    return QStringLiteral("fsv19");
  case TFSVersion::fsv22:
    return QStringLiteral("fsv22");
  case TFSVersion::fsv25:
    return QStringLiteral("fsv25");
  }
  // A value outside the enumeration (cast from a number) still gets a name.
  return QStringLiteral("fsv") + QString::number(static_cast<int>(FSVersion));
}

QString FSVersionToNumberStr(TFSVersion FSVersion) {
  return FSVersionName(FSVersion).mid(3);
}

void RaiseFSVersionException(TFSVersion FSVersion) {
  throw EAppError(QStringLiteral("Unknown FSVersion: ") + FSVersionName(FSVersion));
}

QString FSIniFileName(TFSVersion FSVersion) {
  return QStringLiteral("FS") + FSVersionToNumberStr(FSVersion) + QStringLiteral(".ini");
}

QString FSMyGamesRelative(TFSVersion FSVersion) {
  return NativeRelative(QStringLiteral("My Games\\FarmingSimulator20") +
                        FSVersionToNumberStr(FSVersion));
}

QString FSExeName(TFSVersion FSVersion) {
  return QStringLiteral("FarmingSimulator20") + FSVersionToNumberStr(FSVersion) +
         QStringLiteral(".exe");
}

QString FSSteamGameRelative(TFSVersion FSVersion) {
  return NativeRelative(QStringLiteral("steamapps\\common\\Farming Simulator ") +
                        FSVersionToNumberStr(FSVersion));
}

QString FSStandAloneGameRelative(TFSVersion FSVersion) {
  return QStringLiteral("Farming Simulator 20") + FSVersionToNumberStr(FSVersion);
}

QString FSProcessName(TFSVersion FSVersion) {
  return QStringLiteral("FarmingSimulator20") + FSVersionToNumberStr(FSVersion) +
         QStringLiteral("Game.exe");
}

QString FSTabCaption(TFSVersion FSVersion) {
  return QStringLiteral("FS") + FSVersionToNumberStr(FSVersion);
}

std::uint32_t FSSteamAppId(TFSVersion FSVersion) {
  switch (FSVersion) {
  case TFSVersion::fsv19:
    return 787860;
  case TFSVersion::fsv22:
    return 1248130;
  case TFSVersion::fsv25:
    return 2300320;
  }
  RaiseFSVersionException(FSVersion);
}

} // namespace tilvane
