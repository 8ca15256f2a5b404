#include "gui/pagediag/UnknownModPageViewer.h"

#include "gui/pagediag/UnknownModPageFM.h"

#include <QApplication>

namespace tilvane {

void TUnknownModPageViewer::ShowUnknownModPage(const QString& APage, const QString& ASaveFolder) {
  TfmUnknownModPage Form(FPrompts, QApplication::activeWindow());
  Form.ModPage = APage;
  Form.SaveFolder = ASaveFolder;
  Form.exec();
}

} // namespace tilvane
