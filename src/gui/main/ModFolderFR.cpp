#include "gui/main/ModFolderFR.h"

#include "core/modfolders/ModFolder.h"
#include "datamodule/MainDM.h"
#include "gui/dialogs/DeleteModFolderFM.h"
#include "gui/dialogs/StartingFSFM.h"
#include "gui/savegames/SavegamesFM.h"
#include "gui/update/UpdatingModsFM.h"
#include "ui_ModFolderFR.h"
#include "windowlogic/MainDialogs.h"

#include <QEvent>
#include <QIcon>
#include <QMenu>
#include <QMouseEvent>

namespace tilvane {

namespace {

// The marks are drawn at the size the screen needs: sharp at any scale.
QPixmap Mark(const char* AName, const QWidget* AWidget) {
  return QIcon(QLatin1String(AName)).pixmap(QSize(16, 16), AWidget->devicePixelRatioF());
}

} // namespace

TfrModFolder::TfrModFolder(QWidget* AOwner, TFSVersion AFSVersion, TModFolder& AModFolder,
                           TdmMain& ADataModule, IMainDialogs& ADialogs, THooks AHooks)
    : QFrame(AOwner), FUi(std::make_unique<Ui::TfrModFolder>()), FDataModule(ADataModule),
      FDialogs(ADialogs), FHooks(std::move(AHooks)),
      FLogic(ADataModule, AFSVersion, AModFolder, *this) {
  FUi->setupUi(this);
  FUi->imgServer->setPixmap(Mark(":/pictures/server.svg", this));
  // Set here rather than by a style sheet: a style sheet per label would
  // double the cost of the redraw that rebuilds every button.
  QFont Small = FUi->lblFolderState->font();
  Small.setPixelSize(10);
  FUi->lblFolderState->setFont(Small);
  FUi->lblFolderState->setForegroundRole(QPalette::PlaceholderText);
  FUi->imgCurrent->installEventFilter(this);
  BuildMenu();
  connect(FUi->btnModFolder, &QPushButton::clicked, this, &TfrModFolder::btnModFolderClick);
  connect(
      FUi->btnModFolder, &QWidget::customContextMenuRequested, this,
      [this](const QPoint& APos) { FPmRightClick->popup(FUi->btnModFolder->mapToGlobal(APos)); });
  UpdateGUI();
}

TfrModFolder::~TfrModFolder() = default;

void TfrModFolder::BuildMenu() {
  FPmRightClick = new QMenu(this);
  FPmRightClick->setObjectName(QStringLiteral("pmRightClick"));
  const auto Separator = [this](const char* AName) {
    QAction* Action = FPmRightClick->addSeparator();
    Action->setObjectName(QLatin1String(AName));
  };
  FPmRightClick->addActions({FUi->mniUpdateMods, FUi->mniRedownloadMods, FUi->mniOpenServerModList,
                             FUi->mniOpenFileExplorer, FUi->mniSavegames,
                             FUi->mniMakeModFolderActive, FUi->mniDownloadmodpagehtml});
  Separator("mniSeperator1");
  FPmRightClick->addActions(
      {FUi->mniMoveFirst, FUi->mniMoveUp, FUi->mniMoveDown, FUi->mniMoveLast});
  Separator("mniSeperator2");
  FPmRightClick->addAction(FUi->mniDelete);
  Separator("mniSeperator3");
  FPmRightClick->addAction(FUi->mniExportModFolder);
  Separator("N1");
  FPmRightClick->addAction(FUi->mniEditModFolder);
  FUi->mniMakeModFolderActive->setIcon(QIcon(QStringLiteral(":/pictures/menu-make-active.svg")));
  connect(FPmRightClick, &QMenu::aboutToShow, this, &TfrModFolder::pmRightClickPopup);

  using TMove = TModFolderButtonLogic::TMove;
  const std::pair<QAction*, std::function<void()>> Handlers[] = {
      {FUi->mniUpdateMods, [this] { FLogic.UpdateMods(); }},
      {FUi->mniRedownloadMods, [this] { FLogic.RedownloadMods(); }},
      {FUi->mniOpenServerModList, [this] { FLogic.OpenServerModList(); }},
      {FUi->mniOpenFileExplorer, [this] { FLogic.OpenFolder(); }},
      {FUi->mniMakeModFolderActive, [this] { FLogic.MakeActive(); }},
      {FUi->mniDownloadmodpagehtml, [this] { FLogic.DownloadModPageHtml(); }},
      {FUi->mniMoveFirst, [this] { FLogic.Move(TMove::First); }},
      {FUi->mniMoveUp, [this] { FLogic.Move(TMove::Up); }},
      {FUi->mniMoveDown, [this] { FLogic.Move(TMove::Down); }},
      {FUi->mniMoveLast, [this] { FLogic.Move(TMove::Last); }},
      {FUi->mniDelete, [this] { FLogic.Delete(); }},
      {FUi->mniExportModFolder, [this] { FLogic.Export(); }},
      {FUi->mniSavegames, [this] { FLogic.ShowSavegames(); }},
      {FUi->mniEditModFolder, [this] { FLogic.Edit(); }},
  };
  for (const auto& [Action, Handler] : Handlers)
    connect(Action, &QAction::triggered, this,
            // An init-capture: clang before 16 cannot capture a structured binding.
            [this, Handler = Handler] { FDataModule.RunReported(Handler); });
}

void TfrModFolder::UpdateGUI() {
  FUi->btnModFolder->setText(FLogic.ModFolder().Name);
  FUi->imgCurrent->clear();
  if (FLogic.IsActive())
    FUi->imgCurrent->setPixmap(Mark(":/pictures/active.svg", this));
  FUi->pnlCurrent->setFrameShape(QFrame::NoFrame);
  FUi->imgServer->setVisible(FLogic.HasServer());
  if (FHooks.FolderState)
    ShowFolderState(FHooks.FolderState(FLogic.ModFolder()));
}

void TfrModFolder::ShowFolderState(const QString& AText) {
  FUi->lblFolderState->setText(AText);
  FUi->lblFolderState->setToolTip(AText);
  FUi->btnModFolder->setToolTip(AText);
}

void TfrModFolder::ShowHoverMark(bool AShow) {
  if (FLogic.IsActive())
    return;
  if (AShow)
    FUi->imgCurrent->setPixmap(Mark(":/pictures/make-active.svg", this));
  else
    FUi->imgCurrent->clear();
  FUi->pnlCurrent->setFrameShape(AShow ? QFrame::StyledPanel : QFrame::NoFrame);
}

bool TfrModFolder::eventFilter(QObject* AWatched, QEvent* AEvent) {
  if (AWatched == FUi->imgCurrent) {
    switch (AEvent->type()) {
    case QEvent::Enter:
      FDataModule.RunReported([this] { ShowHoverMark(true); });
      break;
    case QEvent::Leave:
      FDataModule.RunReported([this] { ShowHoverMark(false); });
      break;
    case QEvent::MouseButtonRelease:
      if (static_cast<QMouseEvent*>(AEvent)->button() == Qt::LeftButton)
        imgCurrentClick();
      break;
    default:
      break;
    }
  }
  return QFrame::eventFilter(AWatched, AEvent);
}

void TfrModFolder::btnModFolderClick() {
  FDataModule.RunReported([this] { FLogic.MainClick(); });
}

void TfrModFolder::imgCurrentClick() {
  FDataModule.RunReported([this] {
    if (!FLogic.IsActive())
      FLogic.MakeActive();
  });
}

void TfrModFolder::pmRightClickPopup() {
  FDataModule.RunReported([this] {
    const bool Shift = FHooks.ShiftHeld && FHooks.ShiftHeld();
    const TModFolderButtonLogic::TMenuState State = FLogic.MenuState(Shift);
    for (QAction* Action : {FUi->mniUpdateMods, FUi->mniRedownloadMods, FUi->mniOpenServerModList})
      Action->setEnabled(State.ServerActions);
    FUi->mniMakeModFolderActive->setEnabled(State.MakeActive);
    FUi->mniMoveFirst->setEnabled(State.MoveTowardsFirst);
    FUi->mniMoveUp->setEnabled(State.MoveTowardsFirst);
    FUi->mniMoveDown->setEnabled(State.MoveTowardsLast);
    FUi->mniMoveLast->setEnabled(State.MoveTowardsLast);
    FUi->mniDownloadmodpagehtml->setVisible(State.DebugPageVisible);
  });
}

bool TfrModFolder::RunUpdate(bool ADeleteAllFilesFirst) {
  TfmUpdatingMods Window(this, FLogic.ModFolder(), FLogic.FSVersion(), FDataModule);
  Window.SetDeleteAllFilesFirst(ADeleteAllFilesFirst);
  const bool Accepted = Window.exec() == QDialog::Accepted;
  // However the sync ended, it left its record and changed the archives.
  if (FHooks.FolderSynced)
    FHooks.FolderSynced(FLogic.ModFolder());
  return Accepted;
}

void TfrModFolder::ShowStartingNotice() {
  TfmStartingFS Notice(this, FLogic.FSVersion());
  Notice.exec();
}

bool TfrModFolder::ConfirmDelete(bool& ARemoveFolder) {
  TfmDeleteModFolder Dialog(this);
  Dialog.chkRemoveFolder()->setChecked(ARemoveFolder);
  const bool Yes = Dialog.exec() == QDialog::Accepted;
  ARemoveFolder = Dialog.chkRemoveFolder()->isChecked();
  return Yes;
}

bool TfrModFolder::EditModFolder(TModFolder& AModFolder) {
  return FDialogs.EditModFolder(this, FLogic.FSVersion(), AModFolder);
}

void TfrModFolder::ShowSavegames(const TSavegamesReport& AReport) {
  TfmSavegames Dialog(this, FLogic.ModFolder().Name, AReport);
  Dialog.exec();
}

void TfrModFolder::ExportModFolder(const TModFolder& AModFolder) {
  FDialogs.ExportModFolder(this, FLogic.FSVersion(), AModFolder);
}

void TfrModFolder::QueueRedraw() {
  if (FHooks.QueueRedraw)
    FHooks.QueueRedraw();
}

void TfrModFolder::Refresh() {
  UpdateGUI();
}

} // namespace tilvane
