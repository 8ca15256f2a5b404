#include "LocalHttpServer.h"
#include "datamodule/MainDM.h"
#include "gui/dialogs/AboutFM.h"
#include "gui/dialogs/DeleteModFolderFM.h"
#include "gui/dialogs/ServerURLInstructionFM.h"
#include "gui/dialogs/StartingFSFM.h"
#include "support/FailingPorts.h"
#include "support/TestEnvironment.h"
#include "support/WidgetChild.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QSvgRenderer>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>

namespace tilvane::test {
namespace {

// Shown and active, so that keys go where the user's keys would go.
void ShowActive(QWidget& AWindow) {
  AWindow.show();
  AWindow.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&AWindow));
}

// Clicks a link label in the middle of its text.
void ClickLink(QLabel& ALabel) {
  QTest::mouseClick(&ALabel, Qt::LeftButton, {}, ALabel.rect().center());
}

constexpr const char* kSupportersPath = "/Tilvane/TilvaneFiles/SupportersAndBetaTesters.html";
const QString kLocalThanks =
    QStringLiteral("Thank you to everyone who supports Tilvane and tests its new versions.");

// A stand-in for the program's web site on 127.0.0.1: serves the supporters
// page and records every path asked for. A record made by the handler is
// there before the answer leaves, so a test that has its answer sees it.
class TestWebSite {
public:
  TestWebSite(int AStatus, std::string ABody) : FStatus(AStatus), FBody(std::move(ABody)) {
    FServer.Server().Get(".*",
                         [this](const httplib::Request& ARequest, httplib::Response& AResponse) {
                           {
                             std::lock_guard Guard(FLock);
                             FPaths.push_back(ARequest.path);
                           }
                           if (ARequest.path != kSupportersPath) {
                             AResponse.status = 404;
                             return;
                           }
                           AResponse.status = FStatus;
                           AResponse.set_content(FBody, "text/html; charset=utf-8");
                         });
    FServer.Start();
  }
  int Port() const { return FServer.Port(); }
  QString Url(const char* APath) const { return FServer.Url(APath); }
  std::vector<std::string> Paths() {
    std::lock_guard Guard(FLock);
    return FPaths;
  }

private:
  const int FStatus;
  const std::string FBody;
  std::mutex FLock;
  std::vector<std::string> FPaths;
  kit::LocalHttpServer FServer; // last, so that it stops before the rest goes
};

class SmallDialogsTest : public ::testing::Test {
protected:
  TestEnvironment Env;
  TdmMain DataModule{Env.Platform(), Env.Prompts()};
};

// ---- All four ----------------------------------------------------------

TEST_F(SmallDialogsTest, EachDialogIsFixedInSizeAndCentredOnItsOwner) {
  const struct {
    const char* Name;
    QSize Size;
    // Its one-line check box caption may need more room than the design
    // size leaves with this platform's font.
    bool MayGrow;
    std::function<std::unique_ptr<QDialog>(QWidget*)> Create;
  } Cases[] = {
      {"fmDeleteModFolder",
       {416, 90},
       true,
       [](QWidget* AOwner) { return std::make_unique<TfmDeleteModFolder>(AOwner); }},
      {"fmStartingFS",
       {500, 114},
       false,
       [](QWidget* AOwner) { return std::make_unique<TfmStartingFS>(AOwner, TFSVersion::fsv25); }},
      {"fmAbout",
       {528, 715},
       false,
       [this](QWidget* AOwner) {
         return std::make_unique<TfmAbout>(AOwner, DataModule, QString());
       }},
      {"fmServerURLInstruction",
       {809, 615},
       false,
       [](QWidget* AOwner) { return std::make_unique<TfmServerURLInstruction>(AOwner); }},
  };
  QWidget Owner;
  Owner.setGeometry(60, 40, 680, 520);
  Owner.show();
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    auto Dialog = Case.Create(&Owner);
    EXPECT_EQ(Dialog->objectName(), QLatin1String(Case.Name));
    Dialog->show();
    const QSize Size = Dialog->size();
    EXPECT_EQ(Dialog->minimumSize(), Size);
    EXPECT_EQ(Dialog->maximumSize(), Size);
    if (Case.MayGrow) {
      EXPECT_GE(Size.width(), Case.Size.width());
      EXPECT_GE(Size.height(), Case.Size.height());
    } else {
      EXPECT_EQ(Size, Case.Size);
    }
    // The test screen is small: a dialog that cannot be centred there without
    // leaving it is kept on it instead, as on any screen.
    const QRect Centred(Owner.geometry().center() - QPoint(Size.width() / 2, Size.height() / 2),
                        Size);
    if (Owner.screen()->availableGeometry().contains(Centred)) {
      const QPoint Offset = Dialog->geometry().center() - Centred.center();
      EXPECT_LE(Offset.manhattanLength(), 2) << Offset.x() << "," << Offset.y();
    }
    Dialog->close();
  }
}

// ---- Delete confirmation -----------------------------------------------

TEST_F(SmallDialogsTest, DeleteDialogTexts) {
  TfmDeleteModFolder Dialog(nullptr);
  EXPECT_EQ(Dialog.windowTitle(), QStringLiteral("Delete Mod Folder"));
  EXPECT_EQ(Child<QLabel>(Dialog, "Label1").text(),
            QStringLiteral("Are you sure you want to delete this mod folder?"));
  EXPECT_EQ(Dialog.chkRemoveFolder(), &Child<QCheckBox>(Dialog, "chkRemoveFolder"));
  EXPECT_EQ(Child<QPushButton>(Dialog, "btnYes").text(), QStringLiteral("&Yes"));
  EXPECT_EQ(Child<QPushButton>(Dialog, "btnNo").text(), QStringLiteral("&No"));
  EXPECT_TRUE(Child<QPushButton>(Dialog, "btnNo").isDefault());
}

TEST_F(SmallDialogsTest, DeleteDialogCaptionFollowsTheBoxOnlyWhenShown) {
  const struct {
    bool Ticked;
    const char* Caption;
  } Cases[] = {
      {true, "Remove folder and mods (uncheck if you want to manage this yourself)"},
      {false, "Remove folder and mods"},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Caption);
    TfmDeleteModFolder Dialog(nullptr);
    Dialog.chkRemoveFolder()->setChecked(Case.Ticked);
    ShowActive(Dialog);
    EXPECT_EQ(Dialog.chkRemoveFolder()->text(), QLatin1String(Case.Caption));
    EXPECT_GE(Dialog.chkRemoveFolder()->width(), Dialog.chkRemoveFolder()->sizeHint().width());
    // On the box itself: a short caption leaves the middle of the row empty.
    QTest::mouseClick(Dialog.chkRemoveFolder(), Qt::LeftButton, {},
                      QPoint(6, Dialog.chkRemoveFolder()->height() / 2));
    EXPECT_EQ(Dialog.chkRemoveFolder()->isChecked(), !Case.Ticked);
    EXPECT_EQ(Dialog.chkRemoveFolder()->text(), QLatin1String(Case.Caption));
  }
}

TEST_F(SmallDialogsTest, DeleteDialogAnswers) {
  const auto Key = [](Qt::Key AKey, Qt::KeyboardModifiers AModifiers = {}) {
    return [=](TfmDeleteModFolder&) {
      QTest::keyClick(QApplication::focusWidget(), AKey, AModifiers);
    };
  };
  const auto FocusThenKey = [](const char* AName, Qt::Key AKey) {
    return [=](TfmDeleteModFolder& ADialog) {
      Child<QWidget>(ADialog, AName).setFocus();
      QTest::keyClick(QApplication::focusWidget(), AKey);
    };
  };
  const auto Click = [](const char* AName) {
    return [=](TfmDeleteModFolder& ADialog) {
      QTest::mouseClick(&Child<QPushButton>(ADialog, AName), Qt::LeftButton);
    };
  };
  const struct {
    const char* What;
    std::function<void(TfmDeleteModFolder&)> Act;
    int Result;
  } Cases[] = {
      {"click Yes", Click("btnYes"), QDialog::Accepted},
      {"click No", Click("btnNo"), QDialog::Rejected},
      {"Alt+Y", Key(Qt::Key_Y, Qt::AltModifier), QDialog::Accepted},
      {"Alt+N", Key(Qt::Key_N, Qt::AltModifier), QDialog::Rejected},
      {"Return", Key(Qt::Key_Return), QDialog::Rejected},
      {"keypad Enter", Key(Qt::Key_Enter), QDialog::Rejected},
      {"Escape", Key(Qt::Key_Escape), QDialog::Rejected},
      {"Return on the check box", FocusThenKey("chkRemoveFolder", Qt::Key_Return),
       QDialog::Rejected},
      {"Escape on Yes", FocusThenKey("btnYes", Qt::Key_Escape), QDialog::Rejected},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.What);
    TfmDeleteModFolder Dialog(nullptr);
    QSignalSpy Finished(&Dialog, &QDialog::finished);
    ShowActive(Dialog);
    EXPECT_EQ(QApplication::focusWidget(), &Child<QPushButton>(Dialog, "btnNo"));
    Case.Act(Dialog);
    // A mnemonic presses its button visibly first, and clicks a moment later.
    if (Finished.isEmpty())
      Finished.wait(5000);
    ASSERT_EQ(Finished.count(), 1);
    EXPECT_EQ(Finished.at(0).at(0).toInt(), Case.Result);
    EXPECT_FALSE(Dialog.isVisible());
  }
}

// ---- Starting notice ---------------------------------------------------

TEST_F(SmallDialogsTest, StartingNoticeNamesTheGame) {
  const struct {
    TFSVersion FSVersion;
    const char* Caption;
    const char* Text;
  } Cases[] = {
      {TFSVersion::fsv19, "Starting Farming Simulator 19",
       "Please wait while Farming Simulator 19 is started for you..."},
      {TFSVersion::fsv22, "Starting Farming Simulator 22",
       "Please wait while Farming Simulator 22 is started for you..."},
      {TFSVersion::fsv25, "Starting Farming Simulator 25",
       "Please wait while Farming Simulator 25 is started for you..."},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Caption);
    TfmStartingFS Notice(nullptr, Case.FSVersion);
    EXPECT_EQ(Notice.windowTitle(), QLatin1String(Case.Caption));
    EXPECT_EQ(Child<QLabel>(Notice, "Label1").text(), QLatin1String(Case.Text));
  }
}

TEST_F(SmallDialogsTest, StartingNoticeClosesWithOkWhenItsFiveSecondsAreUp) {
  TfmStartingFS Notice(nullptr, TFSVersion::fsv22);
  QTimer& Timer = Child<QTimer>(Notice, "tmrClose");
  EXPECT_EQ(Timer.interval(), 5000);
  EXPECT_TRUE(Timer.isActive()); // from creation, before any show
  // The timer's time-out, at once rather than after five seconds.
  bool Fired = false;
  QTimer::singleShot(0, &Notice, [&] { Fired = QMetaObject::invokeMethod(&Timer, "timeout"); });
  EXPECT_EQ(Notice.exec(), QDialog::Accepted);
  EXPECT_TRUE(Fired);
}

// ---- Server URL instructions -------------------------------------------

TEST_F(SmallDialogsTest, ServerURLInstructionsTextsAndPictures) {
  TfmServerURLInstruction Window(nullptr);
  EXPECT_EQ(Window.windowTitle(), QStringLiteral("Server URL Instructions"));
  const struct {
    const char* Name;
    const char* Text;
  } Labels[] = {
      {"Label5", "How to get the Server URL (If you do not have access to the server the forward "
                 "these instructions to the person who administer the server)."},
      {"Label6", "1. Open browser to Farming Simulator dedicated server. It should open to the "
                 "HOME page, if not click on HOME."},
      {"Label7", "2. Click Settings and wait for browser to update."},
      {"Label8", "3. Scroll down until you get to \"Public Mod Download\" section"},
      {"Label9", "4. If green button says Activate (like below), then click it and scroll back "
                 "down to the \"Public Mod Download\" section."},
      {"Label10", "5. At this point it should look simular to below. The green text is your "
                  "Server URL."},
  };
  for (const auto& Label : Labels)
    EXPECT_EQ(Child<QLabel>(Window, Label.Name).text(), QLatin1String(Label.Text)) << Label.Name;
  EXPECT_TRUE(Child<QLabel>(Window, "Label5").font().bold());
  EXPECT_EQ(Child<QPushButton>(Window, "Button1").text(), QStringLiteral("OK"));
  EXPECT_TRUE(Child<QPushButton>(Window, "Button1").isDefault());

  const struct {
    const char* Name;
    QSize Size;
  } Images[] = {{"Image1", {776, 139}}, {"Image2", {782, 132}}, {"Image3", {782, 135}}};
  QSignalSpy Finished(&Window, &QDialog::finished);
  ShowActive(Window);
  for (const auto& Image : Images) {
    const QPixmap Picture = Child<QLabel>(Window, Image.Name).pixmap();
    EXPECT_FALSE(Picture.isNull()) << Image.Name;
    EXPECT_EQ(Picture.deviceIndependentSize().toSize(), Image.Size) << Image.Name;
    // Each picture is a web page's dark band, opaque from edge to edge.
    EXPECT_EQ(Picture.toImage().pixelColor(2, 2).alpha(), 255) << Image.Name;
  }
  QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  ASSERT_EQ(Finished.count(), 1);
  EXPECT_EQ(Finished.at(0).at(0).toInt(), QDialog::Accepted);
}

// ---- About box ---------------------------------------------------------

TEST_F(SmallDialogsTest, AboutBoxWithoutWebSiteLinksNowhereAndFetchesNothing) {
  TestWebSite Site(200, "<p>Supporters</p>");
  TfmAbout About(nullptr, DataModule, QString());
  EXPECT_EQ(About.windowTitle(), QStringLiteral("About Tilvane"));
  EXPECT_EQ(Child<QLabel>(About, "lblVersion").text(),
            QStringLiteral(TILVANE_TEST_PROJECT_VERSION));
  EXPECT_EQ(Child<QLabel>(About, "Label2").text(),
            QString::fromUtf8("Copyright \u00a9 2026 The Tilvane developers"));
  EXPECT_EQ(Child<QLabel>(About, "Label4").text(),
            QStringLiteral("Farming Simulator is a trademark of Giants Software GmbH"));
  EXPECT_EQ(Child<QGroupBox>(About, "GroupBox1").title(),
            QStringLiteral("Open source software used"));
  EXPECT_EQ(Child<QTextBrowser>(About, "webEdge").size(), QSize(481, 457));
  EXPECT_EQ(Child<QPushButton>(About, "Button1").text(), QStringLiteral("Ok"));
  EXPECT_TRUE(Child<QPushButton>(About, "Button1").isDefault());

  const struct {
    const char* Name;
    const char* Text;
  } PlainLabels[] = {
      {"LinkLabel3", "Tilvane"},
      {"LinkLabel1", "If Tilvane is useful to you, you can leave the author a tip"},
  };
  for (const auto& Label : PlainLabels) {
    EXPECT_EQ(Child<QLabel>(About, Label.Name).textFormat(), Qt::PlainText) << Label.Name;
    EXPECT_EQ(Child<QLabel>(About, Label.Name).text(), QLatin1String(Label.Text)) << Label.Name;
  }
  EXPECT_TRUE(Child<QTextBrowser>(About, "webEdge").toPlainText().contains(kLocalThanks));
  QTest::qWait(300);
  EXPECT_TRUE(Site.Paths().empty());
}

TEST_F(SmallDialogsTest, AboutBoxShowsTheSupportersPageOfTheWebSite) {
  const struct {
    int Status;
    const char* Body;
    QString Shown;
  } Cases[] = {
      {200, "<html><body><h1>Supporters</h1><p>Alice Example, Bob Sample</p></body></html>",
       QStringLiteral("Alice Example, Bob Sample")},
      {404, "<html><body><p>Not here</p></body></html>", kLocalThanks},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Status);
    TestWebSite Site(Case.Status, Case.Body);
    // With the slash a site address is often written with.
    TfmAbout About(nullptr, DataModule, Site.Url("/"));
    QSignalSpy Shown(&About, &TfmAbout::SupportersPageShown);
    ASSERT_TRUE(Shown.wait(20000));
    EXPECT_TRUE(Child<QTextBrowser>(About, "webEdge").toPlainText().contains(Case.Shown));
    EXPECT_EQ(Site.Paths(), std::vector<std::string>{kSupportersPath});
    EXPECT_TRUE(Env.Prompts().History().empty());
  }
}

TEST_F(SmallDialogsTest, AboutBoxShowsItsOwnTextWhenTheWebSiteIsUnreachable) {
  ClosedPort Closed;
  TfmAbout About(nullptr, DataModule, QStringLiteral("http://127.0.0.1:%1").arg(Closed.Port()));
  QSignalSpy Shown(&About, &TfmAbout::SupportersPageShown);
  ASSERT_TRUE(Shown.wait(20000));
  EXPECT_TRUE(Child<QTextBrowser>(About, "webEdge").toPlainText().contains(kLocalThanks));
  EXPECT_TRUE(Env.Prompts().History().empty());
}

TEST_F(SmallDialogsTest, AboutBoxLinksOpenInTheUsersBrowser) {
  TestWebSite Site(200, "<p><a href=\"Thanks.html\">More thanks</a></p>");
  const int Port = Site.Port();
  TfmAbout About(nullptr, DataModule, QStringLiteral("http://127.0.0.1:%1").arg(Port));
  QSignalSpy Shown(&About, &TfmAbout::SupportersPageShown);
  ASSERT_TRUE(Shown.wait(20000));
  ShowActive(About);

  const struct {
    const char* Name;
    QString URL;
  } Links[] = {
      {"LinkLabel3", QStringLiteral("http://127.0.0.1:%1/Tilvane/").arg(Port)},
      {"LinkLabel1", QStringLiteral("http://127.0.0.1:%1/Tilvane/Donate.html").arg(Port)},
      {"LinkLabel2", QStringLiteral("https://www.qt.io")},
      {"LinkLabel4", QStringLiteral("https://curl.se/libcurl/")},
      {"LinkLabel5", QStringLiteral("https://pugixml.org")},
      {"LinkLabel6", QStringLiteral("https://libzip.org")},
      {"LinkLabel7", QStringLiteral("https://zlib.net")},
  };
  const auto& Opened = Env.Platform().OpenedTargets();
  for (const auto& Link : Links) {
    SCOPED_TRACE(Link.Name);
    const std::size_t Before = Opened.size();
    ClickLink(Child<QLabel>(About, Link.Name));
    ASSERT_EQ(Opened.size(), Before + 1);
    EXPECT_EQ(QString::fromStdString(Opened.back()), Link.URL);
  }
  const char* const Libraries[][2] = {{"LinkLabel2", "Qt"},
                                      {"LinkLabel4", "libcurl"},
                                      {"LinkLabel5", "pugixml"},
                                      {"LinkLabel6", "libzip"},
                                      {"LinkLabel7", "zlib"}};
  for (const auto& Library : Libraries)
    EXPECT_TRUE(Child<QLabel>(About, Library[0]).text().contains(QLatin1String(Library[1])))
        << Library[0];

  // A link on the fetched page is relative to the page.
  Q_EMIT Child<QTextBrowser>(About, "webEdge").anchorClicked(QUrl(QStringLiteral("Thanks.html")));
  EXPECT_EQ(QString::fromStdString(Opened.back()),
            QStringLiteral("http://127.0.0.1:%1/Tilvane/TilvaneFiles/Thanks.html").arg(Port));
}

// ---- Pictures ----------------------------------------------------------

TEST(ProgramPictures, EachIsAValidDrawingThatRendersAtEverySize) {
  const struct {
    const char* Name;
    QSize Size;
  } Pictures[] = {
      {"about.svg", {24, 24}},
      {"active.svg", {24, 24}},
      {"add-mod-folder.svg", {24, 24}},
      {"eye-off.svg", {24, 24}},
      {"eye.svg", {24, 24}},
      {"import-settings.svg", {24, 24}},
      {"import.svg", {24, 24}},
      {"make-active.svg", {24, 24}},
      {"menu-make-active.svg", {16, 16}},
      {"server-url-step2.svg", {776, 139}},
      {"server-url-step4.svg", {782, 132}},
      {"server-url-step5.svg", {782, 135}},
      {"server.svg", {24, 24}},
      {"settings.svg", {24, 24}},
      {"tilvane.svg", {64, 64}},
      {"tools.svg", {24, 24}},
  };
  QStringList Names;
  for (const auto& Picture : Pictures) {
    SCOPED_TRACE(Picture.Name);
    Names << QLatin1String(Picture.Name);
    QSvgRenderer Renderer(QStringLiteral(":/pictures/") + QLatin1String(Picture.Name));
    ASSERT_TRUE(Renderer.isValid());
    EXPECT_EQ(Renderer.defaultSize(), Picture.Size);
    for (const int Pixels : {16, 48, 96}) {
      QImage Image(Pixels, Pixels, QImage::Format_ARGB32);
      Image.fill(Qt::transparent);
      QPainter Painter(&Image);
      Renderer.render(&Painter);
      Painter.end();
      int Painted = 0;
      for (int Y = 0; Y < Pixels; ++Y)
        for (int X = 0; X < Pixels; ++X)
          Painted += qAlpha(Image.pixel(X, Y)) > 0 ? 1 : 0;
      EXPECT_GT(Painted, Pixels * Pixels / 10) << Pixels << " px";
    }
  }
  // Nothing in the resource that the table above leaves out.
  QStringList Entries = QDir(QStringLiteral(":/pictures")).entryList(QDir::Files);
  Entries.sort();
  Names.sort();
  EXPECT_EQ(Entries, Names);
}

} // namespace
} // namespace tilvane::test
