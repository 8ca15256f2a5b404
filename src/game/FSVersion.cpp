#include "game/FSVersion.h"

#include "common/AppError.h"

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

QString FSVersionToNumberStr(TFSVersion FSVersion) { return FSVersionName(FSVersion).mid(3); }

void RaiseFSVersionException(TFSVersion FSVersion) {
  throw EAppError(QStringLiteral("Unknown FSVersion: ") + FSVersionName(FSVersion));
}

} // namespace tilvane
