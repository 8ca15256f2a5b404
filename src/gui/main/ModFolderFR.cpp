#include "gui/main/ModFolderFR.h"

#include "core/modfolders/ModFolder.h"
#include "datamodule/MainDM.h"
#include "gui/dialogs/DeleteModFolderFM.h"
#include "gui/dialogs/StartingFSFM.h"
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
    : QFrame(AOwner), ui(std::make_unique<Ui::TfrModFolder>()), FDataModule(ADataModule),
      FDialogs(ADialogs), FHooks(std::move(AHooks)),
      FLogic(ADataModule, AFSVersion, AModFolder, *this) {
  ui->setupUi(this);
  ui->imgServer->setPixmap(Mark(":/pictures/server.svg", this));
  // Set here rather than by a style sheet: a style sheet per label would
  // double the cost of the redraw that rebuilds every button.
  QFont Small = ui->lblFolderState->font();
  Small.setPixelSize(10);
  ui->lblFolderState->setFont(Small);
  ui->lblFolderState->setForegroundRole(QPalette::PlaceholderText);
  ui->imgCurrent->installEventFilter(this);
  BuildMenu();
  connect(ui->btnModFolder, &QPushButton::clicked, this, &TfrModFolder::btnModFolderClick);
  connect(ui->btnModFolder, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& APos) { pmRightClick->popup(ui->btnModFolder->mapToGlobal(APos)); });
  UpdateGUI();
}

TfrModFolder::~TfrModFolder() = default;

void TfrModFolder::BuildMenu() {
  pmRightClick = new QMenu(this);
  pmRightClick->setObjectName(QStringLiteral("pmRightClick"));
  const auto Separator = [this](const char* AName) {
    QAction* Action = pmRightClick->addSeparator();
    Action->setObjectName(QLatin1String(AName));
  };
  pmRightClick->addActions({ui->mniUpdateMods, ui->mniRedownloadMods, ui->mniOpenServerModList,
                            ui->mniOpenFileExplorer, ui->mniMakeModFolderActive,
                            ui->mniDownloadmodpagehtml});
  Separator("mniSeperator1");
  pmRightClick->addActions({ui->mniMoveFirst, ui->mniMoveUp, ui->mniMoveDown, ui->mniMoveLast});
  Separator("mniSeperator2");
  pmRightClick->addAction(ui->mniDelete);
  Separator("mniSeperator3");
  pmRightClick->addAction(ui->mniExportModFolder);
  Separator("N1");
  pmRightClick->addAction(ui->mniEditModFolder);
  ui->mniMakeModFolderActive->setIcon(QIcon(QStringLiteral(":/pictures/menu-make-active.svg")));
  connect(pmRightClick, &QMenu::aboutToShow, this, &TfrModFolder::pmRightClickPopup);

  using TMove = TModFolderButtonLogic::TMove;
  const std::pair<QAction*, std::function<void()>> Handlers[] = {
      {ui->mniUpdateMods, [this] { FLogic.UpdateMods(); }},
      {ui->mniRedownloadMods, [this] { FLogic.RedownloadMods(); }},
      {ui->mniOpenServerModList, [this] { FLogic.OpenServerModList(); }},
      {ui->mniOpenFileExplorer, [this] { FLogic.OpenFolder(); }},
      {ui->mniMakeModFolderActive, [this] { FLogic.MakeActive(); }},
      {ui->mniDownloadmodpagehtml, [this] { FLogic.DownloadModPageHtml(); }},
      {ui->mniMoveFirst, [this] { FLogic.Move(TMove::First); }},
      {ui->mniMoveUp, [this] { FLogic.Move(TMove::Up); }},
      {ui->mniMoveDown, [this] { FLogic.Move(TMove::Down); }},
      {ui->mniMoveLast, [this] { FLogic.Move(TMove::Last); }},
      {ui->mniDelete, [this] { FLogic.Delete(); }},
      {ui->mniExportModFolder, [this] { FLogic.Export(); }},
      {ui->mniEditModFolder, [this] { FLogic.Edit(); }},
  };
  for (const auto& [Action, Handler] : Handlers)
    connect(Action, &QAction::triggered, this,
            // An init-capture: clang before 16 cannot capture a structured binding.
            [this, Handler = Handler] { FDataModule.RunReported(Handler); });
}

void TfrModFolder::UpdateGUI() {
  ui->btnModFolder->setText(FLogic.ModFolder().Name);
  ui->imgCurrent->clear();
  if (FLogic.IsActive())
    ui->imgCurrent->setPixmap(Mark(":/pictures/active.svg", this));
  ui->pnlCurrent->setFrameShape(QFrame::NoFrame);
  ui->imgServer->setVisible(FLogic.HasServer());
  if (FHooks.FolderState)
    ShowFolderState(FHooks.FolderState(FLogic.ModFolder()));
}

void TfrModFolder::ShowFolderState(const QString& AText) {
  ui->lblFolderState->setText(AText);
  ui->lblFolderState->setToolTip(AText);
  ui->btnModFolder->setToolTip(AText);
}

void TfrModFolder::ShowHoverMark(bool AShow) {
  if (FLogic.IsActive())
    return;
  if (AShow)
    ui->imgCurrent->setPixmap(Mark(":/pictures/make-active.svg", this));
  else
    ui->imgCurrent->clear();
  ui->pnlCurrent->setFrameShape(AShow ? QFrame::StyledPanel : QFrame::NoFrame);
}

bool TfrModFolder::eventFilter(QObject* AWatched, QEvent* AEvent) {
  if (AWatched == ui->imgCurrent) {
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
    for (QAction* Action : {ui->mniUpdateMods, ui->mniRedownloadMods, ui->mniOpenServerModList})
      Action->setEnabled(State.ServerActions);
    ui->mniMakeModFolderActive->setEnabled(State.MakeActive);
    ui->mniMoveFirst->setEnabled(State.MoveTowardsFirst);
    ui->mniMoveUp->setEnabled(State.MoveTowardsFirst);
    ui->mniMoveDown->setEnabled(State.MoveTowardsLast);
    ui->mniMoveLast->setEnabled(State.MoveTowardsLast);
    ui->mniDownloadmodpagehtml->setVisible(State.DebugPageVisible);
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
