#include "gui/dialogs/ServerURLInstructionFM.h"

#include "ui_ServerURLInstructionFM.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>
#include <QShowEvent>
#include <QSvgRenderer>

namespace tilvane {

namespace {

// The picture drawn for the pixel density it is shown at, so that its text
// stays sharp on a high-DPI screen instead of being a stretched bitmap.
QPixmap DrawPicture(const QString& AResource, const QSize& ASize, qreal ADevicePixelRatio) {
  QImage Image(ASize * ADevicePixelRatio, QImage::Format_ARGB32_Premultiplied);
  Image.fill(Qt::transparent);
  QSvgRenderer Renderer(AResource);
  QPainter Painter(&Image);
  Renderer.render(&Painter);
  Painter.end();
  Image.setDevicePixelRatio(ADevicePixelRatio);
  return QPixmap::fromImage(Image);
}

} // namespace

TfmServerURLInstruction::TfmServerURLInstruction(QWidget* AOwner)
    : QDialog(AOwner), FUi(std::make_unique<Ui::TfmServerURLInstruction>()) {
  FUi->setupUi(this);
  connect(FUi->Button1, &QPushButton::clicked, this, &QDialog::accept);
}

TfmServerURLInstruction::~TfmServerURLInstruction() = default;

void TfmServerURLInstruction::showEvent(QShowEvent* AEvent) {
  // Only now is the screen, and so its pixel density, known.
  DrawPictures();
  QDialog::showEvent(AEvent);
}

void TfmServerURLInstruction::DrawPictures() {
  const qreal Ratio = devicePixelRatioF();
  const struct {
    QLabel* Image;
    const char* Resource;
  } Pictures[] = {{FUi->Image1, ":/pictures/server-url-step2.svg"},
                  {FUi->Image2, ":/pictures/server-url-step4.svg"},
                  {FUi->Image3, ":/pictures/server-url-step5.svg"}};
  for (const auto& Picture : Pictures)
    Picture.Image->setPixmap(
        DrawPicture(QLatin1String(Picture.Resource), Picture.Image->minimumSize(), Ratio));
}

} // namespace tilvane
