#include "gui/crash/ExceptionDialog.h"
#include "support/CrashTestSupport.h"
#include "support/TestEnvironment.h"
#include "support/WidgetChild.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

namespace tilvane {
namespace {

using test::Caught;
using test::Child;
using test::kShortTextIntro;
using test::L;
using test::RaiseDiskFullError;

TEST(ExceptionDialogTest, DetailsDisabledUntilBuiltThenFoldAndUnfold) {
  TExceptionDialog Dialog(Caught(RaiseDiskFullError));
  auto& DetailsBtn = Child<QPushButton>(Dialog, "DetailsBtn");
  auto& DetailsMemo = Child<QPlainTextEdit>(Dialog, "DetailsMemo");
  EXPECT_EQ(Dialog.objectName(), L("ExceptionDialog"));
  EXPECT_EQ(Dialog.windowTitle(), L("Tilvane - application error"));
  EXPECT_EQ(Child<QPlainTextEdit>(Dialog, "TextMemo").toPlainText(),
            L("There was an error during the execution of this program.\n"
              "The application might become unstable and even useless.\n"
              "It's recommended that you save your work and close this application.\n\n"
              "Unable to write to /home/player/Documents/Tilvane.ini."));
  EXPECT_EQ(Child<QPushButton>(Dialog, "OkBtn").text(), L("&OK"));
  EXPECT_FALSE(DetailsBtn.isEnabled());
  EXPECT_EQ(DetailsBtn.text(), L("&Details >>"));

  Dialog.show();
  // On the screen, but the report is built only from the event it posted.
  EXPECT_FALSE(DetailsBtn.isEnabled());
  EXPECT_FALSE(Dialog.DetailsCreated());
  EXPECT_FALSE(DetailsMemo.toPlainText().contains(L("List of loaded modules:")));
  ASSERT_TRUE(QTest::qWaitFor([&Dialog] { return Dialog.DetailsCreated(); }));
  EXPECT_TRUE(DetailsBtn.isEnabled());
  EXPECT_TRUE(DetailsMemo.toPlainText().contains(L("List of loaded modules:")));

  const int FoldedHeight = Dialog.height();
  EXPECT_FALSE(DetailsMemo.isVisible());
  const struct {
    const char* Caption;
    bool Unfolded;
  } Steps[] = {{"<< &Details", true}, {"&Details >>", false}, {"<< &Details", true}};
  for (const auto& Step : Steps) {
    QTest::mouseClick(&DetailsBtn, Qt::LeftButton);
    EXPECT_EQ(DetailsBtn.text(), L(Step.Caption));
    EXPECT_EQ(Dialog.DetailsVisible(), Step.Unfolded);
    EXPECT_EQ(DetailsMemo.isVisible(), Step.Unfolded);
    if (Step.Unfolded)
      EXPECT_GE(Dialog.height(), FoldedHeight + 100);
    else
      EXPECT_EQ(Dialog.height(), FoldedHeight);
  }
}

TEST(ExceptionDialogTest, CtrlCCopiesBothPartsWhereverTheFocusIs) {
  TExceptionDialog Dialog(TExceptionDialog::TPreviousCrash{
      L("Fatal signal: SIGSEGV (invalid memory access)\nTime: 2025-03-01 10:30:05 UTC\n")});
  Dialog.show();
  const QString Expected = L("Tilvane ended unexpectedly the last time it ran.\r\n"
                             "\r\n"
                             "The details below are what it wrote down as it ended.\r\n"
                             "\r\n"
                             "Fatal signal: SIGSEGV (invalid memory access)\r\n"
                             "Time: 2025-03-01 10:30:05 UTC\r\n");
  for (const char* Target : {"ExceptionDialog", "TextMemo", "DetailsMemo", "OkBtn"}) {
    SCOPED_TRACE(Target);
    QWidget* Widget = Dialog.objectName() == L(Target) ? &Dialog : &Child<QWidget>(Dialog, Target);
    Widget->setFocus();
    QGuiApplication::clipboard()->clear();
    QTest::keyClick(Widget, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), Expected);
  }
}

TEST(ExceptionDialogTest, CtrlCCopiesTheErrorsReport) {
  TExceptionDialog Dialog(Caught(RaiseDiskFullError));
  Dialog.CreateDetails();
  Dialog.show();
  QGuiApplication::clipboard()->clear();
  QTest::keyClick(&Dialog, Qt::Key_C, Qt::ControlModifier);
  const QString Copied = QGuiApplication::clipboard()->text();
  EXPECT_TRUE(Copied.startsWith(L(kShortTextIntro) +
                                L("Unable to write to /home/player/Documents/Tilvane.ini.\r\n"
                                  "\r\n") +
                                QString(78, QLatin1Char('-')) +
                                L("\r\nException log with detailed tech info. Generated on ")))
      << Copied.toStdString();
  EXPECT_TRUE(Copied.contains(L("\r\nList of loaded modules:\r\n")));
  EXPECT_EQ(Copied, Dialog.GetReportAsText());
}

TEST(ExceptionDialogTest, ActiveControlsFromTheFocusedControlUpToItsWindow) {
  QWidget Window;
  Window.setObjectName(L("fmMain"));
  QWidget Panel(&Window);
  Panel.setObjectName(L("pnlButtons"));
  QPushButton Button(&Panel);
  Button.setObjectName(L("btnPlay"));
  EXPECT_EQ(TExceptionDialog::ActiveControlsHierarchy(&Button),
            QStringList({L("QPushButton \"btnPlay\""), L("QWidget \"pnlButtons\""),
                         L("QWidget \"fmMain\"")}));
  EXPECT_EQ(TExceptionDialog::ActiveControlsHierarchy(nullptr), QStringList());
}

} // namespace
} // namespace tilvane
