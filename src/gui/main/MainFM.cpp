#include "gui/main/MainFM.h"

#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "core/common/WorkerJob.h"
#include "core/update/FolderStateModel.h"
#include "gui/common/AfterFirstPaint.h"
#include "gui/common/Themes.h"
#include "gui/common/WindowUpdate.h"
#include "gui/dialogs/AboutFM.h"
#include "gui/logviewer/LogViewerInstance.h"
#include "gui/main/ModFolderFR.h"
#include "platform/Platform.h"
#include "ui_MainFM.h"
#include "windowlogic/MainDialogs.h"

#include <QDir>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QTimer>
#include <QWindow>

namespace tilvane {

namespace {

bool KeyboardShiftHeld() {
  return QGuiApplication::queryKeyboardModifiers().testFlag(Qt::ShiftModifier);
}

QTimer* OneShot(QObject* AOwner, const char* AName) {
  auto* Timer = new QTimer(AOwner);
  Timer->setObjectName(QLatin1String(AName));
  Timer->setSingleShot(true);
  Timer->setInterval(1);
  return Timer;
}

// Design pixels of the parts the window's height is made of.
constexpr int FrameDesignHeight = 54; // the button and the folder's line under it
constexpr int HeaderDesignHeight = 40;
constexpr int DesignWidth = 481;

} // namespace

TfmMain::TfmMain(platform::IPlatform& APlatform, IPromptService& APrompts, TOptions AOptions)
    : QWidget(nullptr, Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint),
      FOptions(std::move(AOptions)) {
  // The data module first: everything below reads the settings through it.
  FDataModule = std::make_unique<TdmMain>(APlatform, APrompts, FOptions.Reporter);
  FDataModule->SetWaitService(&FWaitService);
  if (FOptions.ServerPageViewer)
    FDataModule->SetServerPageViewer(FOptions.ServerPageViewer);
  if (!FOptions.ShiftHeld)
    FOptions.ShiftHeld = &KeyboardShiftHeld;
  FLogic = std::make_unique<TMainWindowLogic>(*FDataModule);
  TFolderStateModel::TSetup States;
  States.StateFolder =
      JoinPath(FromPlatform(APlatform.LocalAppDataFolder()), QStringLiteral("Tilvane"));
  States.TempFolder = FromPlatform(APlatform.TempFolder());
  States.CreateServerURL = &TdmMain::CreateServerURL;
  States.GameRunning = [this](TFSVersion AFSVersion) {
    return FDataModule->IsFSRunning(AFSVersion);
  };
  FFolderStates = std::make_unique<TFolderStateModel>(States);
  connect(FFolderStates.get(), &TFolderStateModel::Changed, this, [this](const QString& AFolder) {
    FDataModule->RunReported([this, AFolder] { FolderStateChanged(AFolder); });
  });
  // Every button asks whether its folder is the game's, and a hover asks
  // again: each redraw looks up the game once (under Proton, over every
  // Steam library) and the buttons share the answer.
  FDataModule->KeepGameLookups(true);

  FUi = std::make_unique<Ui::TfmMain>();
  FUi->setupUi(this);
  setObjectName(QStringLiteral("fmMain"));
  setAutoFillBackground(true);
  setFixedWidth(DesignWidth);
  BuildToolsMenu();
  tmrAfterShow = OneShot(this, "tmrAfterShow");
  tmrUpdateGUI = OneShot(this, "tmrUpdateGUI");
  // Once per start, as soon as the window takes events.
  tmrCheckForUpdates = OneShot(this, "tmrCheckForUpdates");
  ConnectHandlers();

  FUpdatingTabs = false;
  RestorePosition();
  FFrameNumber = 0;
  UpdateTabs(true);
  UpdateGUI(false);
  const QString Theme = FDataModule->GetTheme();
  if (!Theme.isEmpty())
    TThemes::Apply(Theme);
  MoveOntoScreen();
  // Nothing of this shows in the first frame: the icon's picture is drawn
  // at every size the desktop asks for, and the update check starts a
  // thread and the network library. The window appears first.
  new TAfterFirstPaint(this, [this] {
    setWindowIcon(QIcon(QStringLiteral(":/pictures/tilvane.svg")));
    FPainted = true;
    if (isVisible())
      FDataModule->RunReported([this] { SurveyFolders(); });
    tmrAfterShow->start();
    tmrCheckForUpdates->start();
  });
}

TfmMain::~TfmMain() {
  // The check reads the data module: it ends first (within a tenth of a
  // second: it is cancelled).
  FUpdateCheck.reset();
  // The checks under way are cancelled; their answers have no button left.
  FFolderStates.reset();
  FDataModule->SetWaitService(nullptr);
  try {
    FDataModule->SetFormPos(TMainWindowLogic::ClassName(), pos());
  } catch (...) {
    FDataModule->ReportError(std::current_exception());
  }
  // The frames refer to the data module's folders: they go first.
  for (TfrModFolder* Frame : Frames())
    delete Frame;
}

void TfmMain::showEvent(QShowEvent* AEvent) {
  QWidget::showEvent(AEvent);
  // The first survey waits for the first paint (it reads every folder and
  // asks the servers); a window shown again surveys at once.
  if (FPainted)
    FDataModule->RunReported([this] { SurveyFolders(); });
  if (FWatchingScreen || !windowHandle())
    return;
  // Another monitor or another scale: the buttons are sized anew.
  FWatchingScreen = true;
  const auto WatchDpi = [this](QScreen* AScreen) {
    if (AScreen)
      connect(AScreen, &QScreen::logicalDotsPerInchChanged, this, &TfmMain::QueueUpdateGUI,
              Qt::UniqueConnection);
  };
  WatchDpi(windowHandle()->screen());
  connect(windowHandle(), &QWindow::screenChanged, this, [this, WatchDpi](QScreen* AScreen) {
    WatchDpi(AScreen);
    QueueUpdateGUI();
  });
}

void TfmMain::BuildToolsMenu() {
  popTools = new QMenu(this);
  popTools->setObjectName(QStringLiteral("popTools"));
  popTools->addAction(FUi->mniLogViewer);
  N1 = popTools->addSeparator();
  N1->setObjectName(QStringLiteral("N1"));
  popTools->addActions({FUi->mniDeleteShaderCache, FUi->mniDeleteLogFile});
  N2 = popTools->addSeparator();
  N2->setObjectName(QStringLiteral("N2"));
  popTools->addAction(FUi->mniDeveloperInfo);
}

void TfmMain::ConnectHandlers() {
  const auto On = [this](auto* ASender, auto ASignal, void (TfmMain::*AHandler)()) {
    connect(ASender, ASignal, this, [this, AHandler] {
      FDataModule->RunReported([this, AHandler] { (this->*AHandler)(); });
    });
  };
  On(FUi->tabFS, &QTabBar::currentChanged, &TfmMain::tabFSChange);
  On(FUi->btnAddModFolder, &QToolButton::clicked, &TfmMain::btnAddModFolderClick);
  On(FUi->btnSettings, &QToolButton::clicked, &TfmMain::btnSettingsClick);
  On(FUi->btnAbout, &QToolButton::clicked, &TfmMain::btnAboutClick);
  On(FUi->btnTools, &QToolButton::clicked, &TfmMain::btnToolsClick);
  On(popTools, &QMenu::aboutToShow, &TfmMain::popToolsPopup);
  On(FUi->mniLogViewer, &QAction::triggered, &TfmMain::mniLogViewerClick);
  On(FUi->mniDeleteShaderCache, &QAction::triggered, &TfmMain::mniDeleteShaderCacheClick);
  On(FUi->mniDeleteLogFile, &QAction::triggered, &TfmMain::mniDeleteLogFileClick);
  On(FUi->mniDeveloperInfo, &QAction::triggered, &TfmMain::mniDeveloperInfoClick);
  On(tmrAfterShow, &QTimer::timeout, &TfmMain::tmrAfterShowTimer);
  On(tmrUpdateGUI, &QTimer::timeout, &TfmMain::tmrUpdateGUITimer);
  On(tmrCheckForUpdates, &QTimer::timeout, &TfmMain::tmrCheckForUpdatesTimer);
}

void TfmMain::RestorePosition() {
  const QPoint Stored = FDataModule->GetFormPos(TMainWindowLogic::ClassName());
  if (Stored.x() != TdmMain::NotSaved) {
    move(Stored);
    return;
  }
  if (const QScreen* Screen = QGuiApplication::primaryScreen())
    move(Screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
}

void TfmMain::MoveOntoScreen() {
  const QScreen* Screen = QGuiApplication::screenAt(frameGeometry().center());
  if (!Screen)
    Screen = QGuiApplication::primaryScreen();
  if (!Screen)
    return;
  const QRect Area = Screen->availableGeometry();
  QRect Frame = frameGeometry();
  Frame.moveLeft(std::clamp(Frame.left(), Area.left(),
                            std::max(Area.left(), Area.right() - Frame.width() + 1)));
  Frame.moveTop(std::clamp(Frame.top(), Area.top(),
                           std::max(Area.top(), Area.bottom() - Frame.height() + 1)));
  move(Frame.topLeft());
}

TFSVersion TfmMain::GetFSVersionTab() const {
  const int Index = FUi->tabFS->currentIndex();
  return TMainWindowLogic::FSVersionOfTab(FUi->tabFS->tabText(Index), Index >= 0);
}

void TfmMain::UpdateTabs(bool ASetActiveTab) {
  FUpdatingTabs = true;
  struct TReset {
    bool& Flag;
    ~TReset() { Flag = false; }
  } Reset{FUpdatingTabs};
  FDataModule->ForgetGameLookups();
  while (FUi->tabFS->count() > 0)
    FUi->tabFS->removeTab(FUi->tabFS->count() - 1);
  const TMainWindowLogic::TTabs Tabs = FLogic->Tabs(ASetActiveTab);
  for (const QString& Caption : Tabs.Captions)
    FUi->tabFS->addTab(Caption);
  FUi->tabFS->setCurrentIndex(Tabs.Selected);
}

std::vector<TfrModFolder*> TfmMain::Frames() const {
  std::vector<TfrModFolder*> Result;
  for (int I = 0; I < FUi->layButtons->count(); ++I) {
    if (auto* Frame = qobject_cast<TfrModFolder*>(FUi->layButtons->itemAt(I)->widget()))
      Result.push_back(Frame);
  }
  return Result;
}

void TfmMain::UpdateGUI(bool AFreezeWindowUpdates) {
  std::optional<TWindowUpdateGuard> Freeze;
  if (AFreezeWindowUpdates)
    Freeze.emplace(this);
  FDataModule->ForgetGameLookups();
  const std::vector<TfrModFolder*> Old = Frames();
  for (auto It = Old.rbegin(); It != Old.rend(); ++It)
    delete *It;
  DrawGUI();
}

void TfmMain::DrawGUI() {
  setMinimumHeight(0);
  setMaximumHeight(QWIDGETSIZE_MAX);
  const int NonClient = frameGeometry().height() - geometry().height();
  const double Dpi = logicalDpiY();
  const int FrameHeight = static_cast<int>(FrameDesignHeight * Dpi / 96.0);
  // Clearing the layout's stretch before and adding it after keeps the
  // buttons at the top.
  while (QLayoutItem* Item = FUi->layButtons->takeAt(0))
    delete Item;
  int Folders = 0;
  if (FUi->tabFS->currentIndex() >= 0) {
    const TFSVersion FSVersion = GetFSVersionTab();
    FDataModule->LoadModFolders(FSVersion);
    for (const std::unique_ptr<TModFolder>& ModFolder : FDataModule->ModFolderList()) {
      ++FFrameNumber;
      auto* Frame = new TfrModFolder(
          FUi->boxButtonsContent, FSVersion, *ModFolder, *FDataModule, *FOptions.Dialogs,
          {[this] { QueueUpdateGUI(); }, FOptions.ShiftHeld,
           [this](const TModFolder& AFolder) { return FolderStateText(AFolder); },
           [this](const TModFolder& AFolder) { FFolderStates->Reread(AFolder.Folder); }});
      Frame->setObjectName(QStringLiteral("frModFolder") + QString::number(FFrameNumber));
      Frame->setFixedHeight(FrameHeight);
      FUi->layButtons->addWidget(Frame);
      ++Folders;
    }
  }
  FUi->layButtons->addStretch(1);

  FUi->boxButtons->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  TMainWindowLogic::THeight Height;
  Height.Folders = Folders;
  Height.FrameHeight = FrameDesignHeight;
  Height.HeaderHeight = HeaderDesignHeight;
  Height.TabHeight = FUi->tabFS->height();
  Height.Dpi = Dpi;
  Height.NonClientHeight = NonClient;
  if (const QScreen* Screen = screen())
    Height.WorkAreaHeight = Screen->availableGeometry().height();
  setFixedHeight(TMainWindowLogic::WindowHeight(Height) - NonClient);
  // Needed only when the work area cut the height.
  FUi->boxButtons->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
}

void TfmMain::QueueUpdateGUI() {
  tmrUpdateGUI->start();
}

void TfmMain::tmrUpdateGUITimer() {
  tmrUpdateGUI->stop();
  UpdateGUI(true);
}

void TfmMain::tabFSChange() {
  if (FUpdatingTabs)
    return;
  UpdateGUI(true);
  SurveyFolders();
  const int Index = FUi->tabFS->currentIndex();
  FLogic->RememberTab(Index >= 0 ? FUi->tabFS->tabText(Index) : QString());
}

void TfmMain::SurveyFolders() {
  if (FUi->tabFS->currentIndex() < 0)
    return;
  QList<TModFolder> Folders;
  for (const std::unique_ptr<TModFolder>& ModFolder : FDataModule->ModFolderList())
    Folders.append(*ModFolder);
  FFolderStates->Survey(Folders, GetFSVersionTab());
}

void TfmMain::FolderStateChanged(const QString& AModFolder) {
  // Only the line changes: the buttons are not rebuilt for it.
  const QString Folder = QDir::cleanPath(AModFolder);
  for (TfrModFolder* Frame : Frames())
    if (QDir::cleanPath(Frame->Logic().ModFolder().Folder) == Folder)
      Frame->ShowFolderState(FFolderStates->Text(AModFolder));
}

QString TfmMain::FolderStateText(const TModFolder& AModFolder) const {
  return FFolderStates ? FFolderStates->Text(AModFolder.Folder) : QString();
}

void TfmMain::btnAddModFolderClick() {
  if (FUi->tabFS->count() == 0) {
    FDataModule->Prompts().ShowMessage(TMainWindowLogic::AddModFolderWithoutGameMessage());
    btnSettingsClick();
    return;
  }
  const TFSVersion FSVersion = GetFSVersionTab();
  const std::optional<TModFolder> ModFolder = FOptions.Dialogs->NewModFolder(this, FSVersion);
  if (!ModFolder)
    return;
  FDataModule->ModFolderList().push_back(std::make_unique<TModFolder>(*ModFolder));
  FDataModule->SaveModFolders(FSVersion);
  UpdateGUI(true);
  SurveyFolders();
}

void TfmMain::btnSettingsClick() {
  // The dialog shows where the games are now, not at the last redraw.
  FDataModule->ForgetGameLookups();
  if (!FOptions.Dialogs->ShowSettings(this))
    return;
  UpdateTabs(false);
  UpdateGUI(true);
}

void TfmMain::btnAboutClick() {
  TfmAbout About(this, *FDataModule);
  About.exec();
}

void TfmMain::btnToolsClick() {
  popTools->popup(FUi->btnTools->mapToGlobal(FUi->btnTools->rect().bottomLeft()));
}

void TfmMain::popToolsPopup() {
  const bool Shift = FOptions.ShiftHeld();
  N2->setVisible(Shift);
  FUi->mniDeveloperInfo->setVisible(Shift);
}

void TfmMain::mniLogViewerClick() {
  ShowLogViewer(*FDataModule, GetFSVersionTab(), this);
}

void TfmMain::mniDeleteShaderCacheClick() {
  FLogic->DeleteShaderCache(GetFSVersionTab());
}

void TfmMain::mniDeleteLogFileClick() {
  FLogic->DeleteLogFile(GetFSVersionTab());
}

void TfmMain::mniDeveloperInfoClick() {
  FOptions.Dialogs->ShowDeveloperInfo(this);
}

void TfmMain::tmrAfterShowTimer() {
  tmrAfterShow->stop();
  if (FUi->tabFS->count() > 0)
    return;
  FDataModule->Prompts().ShowMessage(TMainWindowLogic::NoGameDetectedMessage());
  btnSettingsClick();
}

void TfmMain::tmrCheckForUpdatesTimer() {
  tmrCheckForUpdates->stop();
  if (FUpdateCheck)
    return;
  // The site may take its time: the window takes events meanwhile, and the
  // question comes when the answer does.
  auto Available = std::make_shared<bool>(false);
  FUpdateCheck = std::make_unique<TWorkerJob>(
      [this, Available](const std::atomic_bool& ACancelled) {
        QString LatestVersion;
        *Available = FDataModule->IsUpdateAvailable(LatestVersion, &ACancelled);
      },
      [this, Available] {
        FDataModule->RunReported([this, Available] {
          FUpdateCheck->RethrowError();
          UpdateCheckAnswered(*Available);
        });
      });
}

void TfmMain::UpdateCheckAnswered(bool AAvailable) {
  if (!AAvailable)
    return;
  if (!FDataModule->Prompts().AskYesNo(
          QStringLiteral("An update is available. Do you want to download and install it?")))
    return;
  // The installer replaces the program's files: it needs the program gone.
  if (FDataModule->DownloadAndStartInstaller())
    close();
}

} // namespace tilvane
