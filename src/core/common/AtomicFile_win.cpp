#include "core/common/AtomicFile.h"

#include "core/common/Paths.h"
#include "platform/AtomicReplace.h"
#include "platform/Platform.h"

#include <QDir>
#include <QFileInfo>

#include <string_view>
#include <system_error>

namespace tilvane {

// A plain rename, as QSaveFile does it, would drop the hidden attribute that
// the program's settings files carry: the platform layer replaces the file
// with ReplaceFileW, which keeps it.
bool ReplaceFileContents(const QString& AFileName, const QByteArray& AData, QString& AError,
                         TFileAccess /*AAccess*/) {
  // The replacement could lift a read-only attribute; the user set it to keep
  // the file as it is, so it is left alone, as on Linux.
  const QFileInfo Info(AFileName);
  if (Info.exists() && !Info.isWritable()) {
    AError = QString::fromStdString(std::make_error_code(std::errc::permission_denied).message());
    return false;
  }
  try {
    platform::WriteFileAtomically(
        ToPlatform(QDir::toNativeSeparators(AFileName)),
        std::string_view(AData.constData(), static_cast<std::size_t>(AData.size())));
    return true;
  } catch (const platform::PlatformError& E) {
    AError = QString::fromStdString(E.what());
    return false;
  }
}

} // namespace tilvane
