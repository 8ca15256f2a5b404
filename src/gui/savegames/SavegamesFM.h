#pragma once

#include <QDialog>

#include <memory>

namespace Ui {
class TfmSavegames;
}

namespace tilvane {

struct TSavegamesReport;

// The saves of a generation, each with its map, and under each the mods it
// needs that the mod folder lacks or holds in another version.
class TfmSavegames : public QDialog {
  Q_OBJECT

public:
  // AFolderName: the mod folder's button caption, for the window's heading.
  TfmSavegames(QWidget* AOwner, const QString& AFolderName, const TSavegamesReport& AReport);
  ~TfmSavegames() override;

private:
  std::unique_ptr<Ui::TfmSavegames> FUi;
};

} // namespace tilvane
