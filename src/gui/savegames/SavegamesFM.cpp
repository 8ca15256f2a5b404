#include "gui/savegames/SavegamesFM.h"

#include "core/savegames/SavegamesReport.h"
#include "windowlogic/SavegamesText.h"

#include "ui_SavegamesFM.h"

namespace tilvane {

TfmSavegames::TfmSavegames(QWidget* AOwner, const QString& AFolderName,
                           const TSavegamesReport& AReport)
    : QDialog(AOwner), FUi(std::make_unique<Ui::TfmSavegames>()) {
  FUi->setupUi(this);
  FUi->lblFolder->setText(QStringLiteral("What the savegames need of the mod folder ") +
                          AFolderName + u'.');
  for (const TSavegameLine& Line : SavegameLines(AReport)) {
    auto* Item = new QTreeWidgetItem(FUi->tvSavegames, QStringList{Line.Text});
    for (const QString& Detail : Line.Details)
      new QTreeWidgetItem(Item, QStringList{Detail});
  }
  FUi->tvSavegames->expandAll();
  connect(FUi->btnClose, &QPushButton::clicked, this, &QDialog::accept);
}

TfmSavegames::~TfmSavegames() = default;

} // namespace tilvane
