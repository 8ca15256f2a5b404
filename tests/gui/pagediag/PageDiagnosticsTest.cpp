#include "core/common/AppError.h"
#include "gui/pagediag/ShowWhatWasFoundFM.h"
#include "gui/pagediag/UnknownModPageFM.h"
#include "gui/pagediag/UnknownModPageViewer.h"
#include "support/TestEnvironment.h"
#include "support/WidgetChild.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTextBlock>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tilvane;
using namespace tilvane::test;

namespace {

TEST(PageDiagnosticsTest, NoticeShowsItsTextsAndClosesAfterThePageWindow) {
  TestEnvironment Env;
  TfmUnknownModPage Form(Env.Prompts());
  Form.ModPage = QStringLiteral("<html>not a server</html>");
  EXPECT_EQ(Form.windowTitle(), u"Mod page not detected");
  EXPECT_EQ(Child<QLabel>(Form, "Label1").text(),
            u"Server URL does not look like a Farming Simulator dedicated server mod list page.");
  EXPECT_EQ(Form.btnShow()->text(), u"Show what was found");
  EXPECT_EQ(Form.btnOk()->text(), u"Ok");
  EXPECT_EQ(Form.btnShow()->objectName(), u"btnShow");

  QString Shown;
  QTimer::singleShot(0, &Form, [&] { Form.btnShow()->click(); });
  QTimer::singleShot(20, &Form, [&] {
    auto* Page = qobject_cast<TfmShowWhatWasFound*>(QApplication::activeModalWidget());
    ASSERT_NE(Page, nullptr);
    Shown = Page->mmoPage()->toPlainText();
    Page->btnOk()->click();
  });
  EXPECT_EQ(Form.exec(), QDialog::Accepted);
  EXPECT_EQ(Shown, u"<html>not a server</html>");
  EXPECT_FALSE(Form.isVisible());
}

// The data module's way to the notice: modal, with the page and the folder,
// and back once the user closed it.
TEST(PageDiagnosticsTest, ViewerShowsTheNoticeModallyWithPageAndFolder) {
  TestEnvironment Env;
  TUnknownModPageViewer Viewer(Env.Prompts());
  QString Page;
  QString Folder;
  QTimer::singleShot(0, [&] {
    auto* Form = qobject_cast<TfmUnknownModPage*>(QApplication::activeModalWidget());
    ASSERT_NE(Form, nullptr);
    Page = Form->ModPage;
    Folder = Form->SaveFolder;
    Form->btnOk()->click();
  });
  Viewer.ShowUnknownModPage(QStringLiteral("<html>router</html>"), Env.PathOf(QStringLiteral("s")));
  EXPECT_EQ(Page, u"<html>router</html>");
  EXPECT_EQ(Folder, Env.PathOf(QStringLiteral("s")));
  EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(PageDiagnosticsTest, PageIsShownLineByLineAndSavedExactlyAsFetched) {
  TestEnvironment Env;
  TfmShowWhatWasFound Form(Env.Prompts());
  Form.ModPage = QStringLiteral("line1\nline2\r\nline3\r\u00E4\u20AC");
  Form.show();
  QPlainTextEdit* Memo = Form.mmoPage();
  EXPECT_TRUE(Memo->isReadOnly());
  EXPECT_EQ(Memo->lineWrapMode(), QPlainTextEdit::NoWrap);
  ASSERT_EQ(Memo->document()->blockCount(), 4);
  EXPECT_EQ(Memo->document()->findBlockByNumber(1).text(), u"line2");

  const QString Target = Env.PathOf(QStringLiteral("saved/ModPage.html"));
  WriteFile(Target, "older and longer content");
  Env.Prompts().AnswerPath(Target);
  Form.btnSave()->click();
  EXPECT_EQ(ReadFile(Target), QByteArray("line1\nline2\r\nline3\r\xC3\xA4\xE2\x82\xAC"));
  ASSERT_EQ(Env.Prompts().History().size(), 1u);
  const auto& Dialog = Env.Prompts().History()[0].DialogOptions;
  EXPECT_EQ(Dialog.FileName, u"ModPage.html");
  EXPECT_EQ(Dialog.DefaultExtension, u"html");
  ASSERT_EQ(Dialog.FileTypes.size(), 1);
  EXPECT_EQ(Dialog.FileTypes[0].Mask, u"*.html");
  EXPECT_TRUE(Dialog.OverwritePrompt);

  // Cancelling writes nothing; an empty page saves an empty file.
  Env.Prompts().AnswerPath(QString());
  Form.btnSave()->click();
  EXPECT_EQ(ReadFile(Target), QByteArray("line1\nline2\r\nline3\r\xC3\xA4\xE2\x82\xAC"));
  Form.ModPage.clear();
  Env.Prompts().AnswerPath(Target);
  Form.btnSave()->click();
  EXPECT_TRUE(ReadFile(Target).isEmpty());

  // A file that cannot be written raises; the window stays.
  Env.Prompts().AnswerPath(Env.PathOf(QStringLiteral("missing-folder/x/ModPage.html")));
  EXPECT_THROW(Form.btnSaveClick(), EAppError);
  EXPECT_TRUE(Form.isVisible());
}

} // namespace
