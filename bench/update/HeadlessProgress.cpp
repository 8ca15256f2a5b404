#include "HeadlessProgress.h"

namespace tilvane::bench {

THeadlessProgress::THeadlessProgress() : FModel([this](const TProgressView&) { ++FViews; }) {}

void THeadlessProgress::StartTimes(bool ADownloadsBegin) {
  FModel.StartTimes(ADownloadsBegin);
}

void THeadlessProgress::UpdateStatus(const QString& StatusMsg) {
  if (FMarks.empty() || FMarks.back().Status != StatusMsg)
    FMarks.push_back({StatusMsg, TClock::now()});
  FModel.UpdateStatus(StatusMsg);
}

void THeadlessProgress::UpdateDownloadStatus(int OnFile, int TotalFiles, double DownloadedMB,
                                             double TotalMB, const QString& FileName,
                                             double FileSizeMB) {
  ++FDownloads;
  FModel.UpdateDownloadStatus(OnFile, TotalFiles, DownloadedMB, TotalMB, FileName, FileSizeMB);
}

void THeadlessProgress::UpdateFileStatus(int FilePercent, double Speed) {
  ++FFileStatusCalls;
  FModel.UpdateFileStatus(FilePercent, Speed);
}

void THeadlessProgress::UpdateRemoved(int AMovedToTrash, int ADeleted, int AKept) {
  FModel.UpdateRemoved(AMovedToTrash, ADeleted, AKept);
}

double THeadlessProgress::PhaseSeconds(const QString& AStatus, TClock::time_point AEnd) const {
  for (size_t i = 0; i < FMarks.size(); ++i) {
    if (FMarks[i].Status != AStatus)
      continue;
    const TClock::time_point End = i + 1 < FMarks.size() ? FMarks[i + 1].At : AEnd;
    return std::chrono::duration<double>(End - FMarks[i].At).count();
  }
  return -1;
}

} // namespace tilvane::bench
