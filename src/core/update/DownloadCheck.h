#pragma once

#include "core/update/ModInfo.h"

#include <QString>

#include <memory>

namespace tilvane {

class TModArchiveReader;
struct TServerMod;

// Decides whether a finished download may take the place of a mod archive:
// it must be a readable zip whose modDesc.xml names the author and version
// that the server lists for it. A web page (a login or error page sent with
// status 200) and a body cut off without a length both fail here, before
// they can replace anything. Shows nothing: the reason is the result.
class TDownloadCheck {
public:
  // The description is extracted below ATempFolder, a folder of the task's own.
  explicit TDownloadCheck(const QString& ATempFolder);
  ~TDownloadCheck();
  TDownloadCheck(const TDownloadCheck&) = delete;
  TDownloadCheck& operator=(const TDownloadCheck&) = delete;

  // Why the download in APartial must not become AMod's archive, beginning
  // with the archive's name; empty when it may. AContentType is the
  // response's. AInfo gets the description's author and version.
  QString Rejection(const QString& APartial, const QString& AContentType, const TServerMod& AMod,
                    TModInfo& AInfo);

  static QString WebPageText(const QString& AFileName);

private:
  class TSilentPrompts;
  std::unique_ptr<TSilentPrompts> FPrompts;
  std::unique_ptr<TModArchiveReader> FReader;
};

} // namespace tilvane
