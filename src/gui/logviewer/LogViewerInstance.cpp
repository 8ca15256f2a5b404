#include "gui/logviewer/LogViewerInstance.h"

#include "gui/logviewer/LogViewerFM.h"

#include <QPointer>

namespace tilvane {

namespace {
QPointer<TfmLogViewer>& fmLogViewer() {
  static QPointer<TfmLogViewer> Viewer;
  return Viewer;
}
} // namespace

TfmLogViewer* LogViewerInstance() {
  return fmLogViewer().data();
}

TfmLogViewer* ShowLogViewer(TdmMain& ADataModule, TFSVersion AFSVersion, QWidget* AMainWindow) {
  if (!fmLogViewer()) {
    fmLogViewer() = new TfmLogViewer(ADataModule, AFSVersion, AMainWindow);
    fmLogViewer()->show();
  }
  return fmLogViewer().data();
}

} // namespace tilvane
