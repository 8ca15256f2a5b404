#include "core/cli/ConsoleProgress.h"

#include <QLocale>

namespace tilvane {

TConsoleProgress::TConsoleProgress(std::FILE* AStream, bool AIsTerminal)
    : FStream(AStream), FIsTerminal(AIsTerminal) {}

void TConsoleProgress::StartTimes(bool /*ADownloadsBegin*/) {}

void TConsoleProgress::UpdateStatus(const QString& AStatusMsg) {
  const std::lock_guard Lock(FMutex);
  if (AStatusMsg.isEmpty() || AStatusMsg == FLastStatus)
    return;
  FLastStatus = AStatusMsg;
  WriteLine(AStatusMsg);
}

void TConsoleProgress::UpdateDownloadStatus(int AOnFile, int ATotalFiles, double ADownloadedMB,
                                            double ATotalMB, const QString& AFileName,
                                            double AFileSizeMB) {
  const std::lock_guard Lock(FMutex);
  const QLocale C = QLocale::c();
  FLastPercent = -1;
  WriteLine(QStringLiteral("Downloading %1 of %2: %3 (%4 MB; %5 of %6 MB done)")
                .arg(AOnFile)
                .arg(ATotalFiles)
                .arg(AFileName, C.toString(AFileSizeMB, 'f', 1), C.toString(ADownloadedMB, 'f', 1),
                     C.toString(ATotalMB, 'f', 1)));
}

void TConsoleProgress::UpdateFileStatus(int AFilePercent, double ASpeed) {
  const std::lock_guard Lock(FMutex);
  if (!FIsTerminal || AFilePercent == FLastPercent)
    return;
  FLastPercent = AFilePercent;
  QString Text = QStringLiteral("  %1 %").arg(AFilePercent, 3);
  if (ASpeed >= 0)
    Text += QStringLiteral("  %1 MB/s").arg(QLocale::c().toString(ASpeed / 1048576.0, 'f', 1));
  // Rewritten in place: the carriage return and the erase to the line's end.
  std::fputs((QStringLiteral("\r") + Text + QStringLiteral("\x1b[K")).toUtf8().constData(),
             FStream);
  std::fflush(FStream);
  FLineOpen = true;
}

void TConsoleProgress::UpdateRemoved(int AMovedToTrash, int ADeleted, int AKept) {
  const std::lock_guard Lock(FMutex);
  WriteLine(QStringLiteral("Not on the server: %1 moved to the trash, %2 deleted, %3 kept.")
                .arg(AMovedToTrash)
                .arg(ADeleted)
                .arg(AKept));
}

void TConsoleProgress::Say(const QString& ALine) {
  const std::lock_guard Lock(FMutex);
  // The sync's last status is often its outcome too.
  if (ALine.isEmpty() || ALine == FLastStatus)
    return;
  WriteLine(ALine);
}

void TConsoleProgress::WriteLine(const QString& ALine) {
  if (FLineOpen)
    std::fputc('\n', FStream);
  FLineOpen = false;
  std::fputs((ALine + u'\n').toUtf8().constData(), FStream);
  std::fflush(FStream);
}

} // namespace tilvane
