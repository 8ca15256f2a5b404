#pragma once

#include "core/update/UpdateProgress.h"

namespace tilvane {

// Shows a sync's figures in a window built from the update window's labels
// and bars (the update window and the small window of a launch share their
// names).
template <typename TUi> void ShowProgressView(TUi& AUi, const TProgressView& AView) {
  AUi.lblStatus1->setText(AView.Status);
  AUi.lblFiles->setText(AView.Files);
  AUi.lblSizeMB->setText(AView.SizeMB);
  AUi.lblFileName->setText(AView.FileName);
  AUi.lblFileSizeMB->setText(AView.FileSizeMB);
  AUi.lblSpeed->setText(AView.Speed);
  AUi.pbFilePercent->setValue(AView.FilePercent);
  AUi.pbCompletePercent->setValue(AView.CompletePercent);
  AUi.lblFinishTime->setText(AView.FinishTime);
  AUi.lblRemoved->setText(AView.Removed);
}

} // namespace tilvane
