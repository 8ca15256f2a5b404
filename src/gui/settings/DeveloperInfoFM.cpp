#include "gui/settings/DeveloperInfoFM.h"

#include "datamodule/MainDM.h"
#include "ui_DeveloperInfoFM.h"
#include "windowlogic/DeveloperInfo.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QList>
#include <QScreen>

#include <exception>

namespace tilvane {

namespace {

// The two columns line up only in a font whose characters are all as wide.
// Courier New is what the listing was laid out with. Where it is missing,
// fontconfig may still answer the name with a substitute that is not of even
// width, so each candidate is taken only if the font it resolves to is; the
// system's fixed font and then any monospace family stand in.
QFont ListingFont() {
  auto Prepared = [](QFont AFont) {
    AFont.setStyleHint(QFont::TypeWriter);
    AFont.setFixedPitch(true);
    AFont.setPixelSize(12);
    return AFont;
  };
  const QString CourierNew = QStringLiteral("Courier New");
  QList<QFont> Candidates;
  if (QFontDatabase::hasFamily(CourierNew))
    Candidates.append(Prepared(QFont(CourierNew)));
  Candidates.append(Prepared(QFontDatabase::systemFont(QFontDatabase::FixedFont)));
  for (const QString& Family : QFontDatabase::families()) {
    if (QFontDatabase::isFixedPitch(Family))
      Candidates.append(Prepared(QFont(Family)));
  }
  for (const QFont& Candidate : Candidates) {
    if (QFontInfo(Candidate).fixedPitch())
      return Candidate;
  }
  return Candidates.front();
}

} // namespace

TfmDeveloperInfo::TfmDeveloperInfo(QWidget* AOwner, TdmMain& ADataModule)
    : QDialog(AOwner), FUi(std::make_unique<Ui::TfmDeveloperInfo>()), FDataModule(ADataModule) {
  FUi->setupUi(this);
  FUi->mmoInfo->setFont(ListingFont());
  FormCreate();
}

TfmDeveloperInfo::~TfmDeveloperInfo() = default;

void TfmDeveloperInfo::FormCreate() {
  TDeveloperInfo Info(FDataModule);
  std::exception_ptr Error;
  try {
    Info.Build();
  } catch (...) {
    Error = std::current_exception();
  }
  // As far as it got: the lines before a failure still help whoever reads
  // the report of the error.
  QString Text = Info.Lines().join(u'\n');
  // A reason from the system may end its lines in CR LF, of which the text
  // box would make two line breaks.
  Text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  FUi->mmoInfo->setPlainText(Text);
  if (Error)
    FDataModule.ReportError(Error);
}

void TfmDeveloperInfo::setVisible(bool AVisible) {
  if (AVisible && !FPlaced) {
    FPlaced = true;
    // On the screen, not on the main window: the listing is wider than it.
    const QScreen* Screen = parentWidget() ? parentWidget()->screen() : nullptr;
    if (!Screen)
      Screen = QGuiApplication::primaryScreen();
    if (Screen)
      move(Screen->availableGeometry().center() - rect().center());
  }
  QDialog::setVisible(AVisible);
}

} // namespace tilvane
