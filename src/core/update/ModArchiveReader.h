#pragma once

#include "core/update/ModInfo.h"

#include <QByteArray>
#include <QString>

namespace tilvane {

class IPromptService;

// Reads the author and version from the modDesc.xml at the root of a mod
// archive. The entry goes through a fixed temporary file so that the two
// rewrites the game's own loader tolerates (blank lines before the
// declaration, declaration versions 1.2 to 1.9) can be applied before parsing.
// Not reentrant: every call uses the same temporary path.
class TModArchiveReader {
public:
  // A description larger than this is never extracted: a crafted archive must
  // not fill the disk. Such an archive reads as one whose entry did not extract.
  static constexpr qint64 MaxModDescSize = 16 * 1024 * 1024;

  // ATempFolder: the user's temporary folder. Messages go through APrompts.
  TModArchiveReader(const QString& ATempFolder, IPromptService& APrompts);

  // Raises EAppError when the archive cannot be opened, its directory is
  // damaged, it has no root modDesc.xml, or the entry cannot be read.
  TModInfo GetModFileInfo(const QString& AFileName);

  // The two rewrites applied to the extracted description before parsing.
  // AModified tells whether anything changed; unchanged input comes back as is.
  static QByteArray NormaliseDescription(const QByteArray& ABytes, bool& AModified);

  QString TempFileName() const { return FTempFileName; }

  // True when the file ends in a zip end-of-central-directory record. Raises
  // when the file cannot be opened.
  static bool IsValidZip(const QString& AFileName);

private:
  QString FTempFileName;
  IPromptService& FPrompts;
};

} // namespace tilvane
