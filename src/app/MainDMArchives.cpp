#include "app/MainDM.h"

#include "common/Paths.h"
#include "platform/Platform.h"
#include "update/ModArchiveReader.h"

namespace tilvane {

TModInfo TdmMain::GetModFileInfo(const QString& AFileName) {
  TModArchiveReader Reader(FromPlatform(FPlatform.TempFolder()), FPrompts);
  return Reader.GetModFileInfo(AFileName);
}

} // namespace tilvane
