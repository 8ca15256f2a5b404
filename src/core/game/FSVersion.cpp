#include "core/game/FSVersion.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"

namespace tilvane {

QString FSVersionName(TFSVersion AFsVersion) {
  switch (AFsVersion) {
  case TFSVersion::fsv19:
    return QStringLiteral("fsv19");
  case TFSVersion::fsv22:
    return QStringLiteral("fsv22");
  case TFSVersion::fsv25:
    return QStringLiteral("fsv25");
  }
  // A value outside the enumeration (cast from a number) still gets a name.
  return QStringLiteral("fsv") + QString::number(static_cast<int>(AFsVersion));
}

QString FSVersionToNumberStr(TFSVersion AFsVersion) {
  return FSVersionName(AFsVersion).mid(3);
}

void RaiseFSVersionException(TFSVersion AFsVersion) {
  throw EAppError(QStringLiteral("Unknown FSVersion: ") + FSVersionName(AFsVersion));
}

QString FSIniFileName(TFSVersion AFsVersion) {
  return QStringLiteral("FS") + FSVersionToNumberStr(AFsVersion) + QStringLiteral(".ini");
}

QString FSMyGamesRelative(TFSVersion AFsVersion) {
  return NativeRelative(QStringLiteral("My Games\\FarmingSimulator20") +
                        FSVersionToNumberStr(AFsVersion));
}

QString FSExeName(TFSVersion AFsVersion) {
  return QStringLiteral("FarmingSimulator20") + FSVersionToNumberStr(AFsVersion) +
         QStringLiteral(".exe");
}

QString FSSteamGameRelative(TFSVersion AFsVersion) {
  return NativeRelative(QStringLiteral("steamapps\\common\\Farming Simulator ") +
                        FSVersionToNumberStr(AFsVersion));
}

QString FSStandAloneGameRelative(TFSVersion AFsVersion) {
  return QStringLiteral("Farming Simulator 20") + FSVersionToNumberStr(AFsVersion);
}

QString FSProcessName(TFSVersion AFsVersion) {
  return QStringLiteral("FarmingSimulator20") + FSVersionToNumberStr(AFsVersion) +
         QStringLiteral("Game.exe");
}

QString FSTabCaption(TFSVersion AFsVersion) {
  return QStringLiteral("FS") + FSVersionToNumberStr(AFsVersion);
}

std::uint32_t FSSteamAppId(TFSVersion AFsVersion) {
  switch (AFsVersion) {
  case TFSVersion::fsv19:
    return 787860;
  case TFSVersion::fsv22:
    return 1248130;
  case TFSVersion::fsv25:
    return 2300320;
  }
  RaiseFSVersionException(AFsVersion);
}

} // namespace tilvane
