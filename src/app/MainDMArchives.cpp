#include "app/MainDM.h"

#include "common/Paths.h"
#include "platform/Platform.h"
#include "update/ModArchiveInspector.h"

namespace tilvane {

TModInfo TdmMain::GetModFileInfo(const QString& AFileName) {
  TModArchiveInspector Inspector(FromPlatform(FPlatform.TempFolder()), FPrompts);
  return Inspector.GetModFileInfo(AFileName);
}

} // namespace tilvane
