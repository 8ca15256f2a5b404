#include "gui/logviewer/LogViewerFM.h"

#include "core/common/AppError.h"
#include "datamodule/MainDM.h"
#include "gui/logviewer/LogEditor.h"
#include "gui/logviewer/LogEntryDelegate.h"
#include "gui/logviewer/LogViewerInstance.h"
#include "gui/logviewer/SearchFM.h"
#include "support/TestEnvironment.h"
#include "support/WidgetChild.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QTextBlock>
#include <QTextLayout>
#include <QTimer>

#include <gtest/gtest.h>

using namespace tilvane;

namespace {

QByteArray NumberedLog(int count, int errorLine = -1) {
  QByteArray log;
  for (int i = 1; i <= count; ++i)
    log += "2026-07-22 17:10:31.666 line " + QByteArray::number(i) +
           (i == errorLine ? " Error: Failed to open xml file" : "") + "\r\n";
  return log;
}

class LogViewerTest : public ::testing::Test {
protected:
  void SetUp() override {
    FLogFile = FEnv.Documents() + QStringLiteral("/My Games/FarmingSimulator2025/log.txt");
    test::WriteFile(FLogFile, NumberedLog(25));
    FDataModule = std::make_unique<TdmMain>(FEnv.Platform(), FEnv.Prompts());
  }
  void TearDown() override {
    delete FViewer.data();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }

  TfmLogViewer* Open() {
    FViewer = new TfmLogViewer(*FDataModule, TFSVersion::fsv25);
    FViewer->show();
    return FViewer;
  }
  void Close() {
    FViewer->close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(FViewer.isNull());
  }

  test::TestEnvironment FEnv;
  QString FLogFile;
  std::unique_ptr<TdmMain> FDataModule;
  QPointer<TfmLogViewer> FViewer;
};

TEST_F(LogViewerTest, BuildsTheNamedControlsAndLoadsTheGamesLog) {
  TfmLogViewer* viewer = Open();
  EXPECT_EQ(viewer->windowTitle(), QStringLiteral("FS25 Log Viewer"));
  for (const char* name :
       {"edtLog", "pnlLogStatus", "lblLines", "lblPosition", "chkScrollToBottomLog", "splBottom",
        "pnlErrors", "lbxLog", "chkShowErrors", "chkShowWarnings", "chkAutoRefresh",
        "chkScrollToBottomParsed", "tmrAutoRefresh", "Open1", "Saveas1", "Email1", "Find1"})
    EXPECT_NO_THROW(test::Child<QObject>(*viewer, name)) << name;
  EXPECT_EQ(viewer->Find1->shortcut(), QKeySequence(QStringLiteral("Ctrl+F")));
  EXPECT_EQ(viewer->tmrAutoRefresh->interval(), 500);
  EXPECT_TRUE(viewer->tmrAutoRefresh->isActive());
  EXPECT_EQ(viewer->LogFileName(), FLogFile);
  EXPECT_EQ(viewer->edtLog->blockCount(), 25);
  EXPECT_TRUE(viewer->edtLog->isReadOnly());
  EXPECT_EQ(viewer->chkShowErrors->text(), QStringLiteral("Show errors (0)"));
  EXPECT_EQ(viewer->lblLines->text(), QStringLiteral("Lines: 25"));
}

TEST_F(LogViewerTest, GutterShowsNumbersOnFirstTenthAndCaretLines) {
  TfmLogViewer* viewer = Open();
  viewer->edtLog->GoToLineCentred(7);
  QStringList gutter;
  for (int line = 1; line <= 25; ++line)
    gutter << viewer->edtLog->GutterText(line);
  QStringList expected(25, QStringLiteral("."));
  for (int line : {1, 7, 10, 20})
    expected[line - 1] = QString::number(line);
  EXPECT_EQ(gutter, expected);
  EXPECT_EQ(viewer->lblPosition->text(), QStringLiteral("Position: 7: 1"));
  viewer->edtLog->GoToLineCentred(8);
  EXPECT_EQ(viewer->edtLog->GutterText(7), QStringLiteral("."));
  EXPECT_EQ(viewer->edtLog->GutterText(8), QStringLiteral("8"));
}

TEST_F(LogViewerTest, HighlightsWholeWordsErrorAndWarningInRedBold) {
  test::WriteFile(FLogFile, "an error; Errors, ErrorCode and [WARNING] warnings\r\n");
  TfmLogViewer* viewer = Open();
  const QTextBlock block = viewer->edtLog->document()->firstBlock();
  QList<QPair<int, int>> marked;
  for (const QTextLayout::FormatRange& range : block.layout()->formats()) {
    EXPECT_EQ(range.format.foreground().color(), QColor(255, 0, 0));
    EXPECT_EQ(range.format.fontWeight(), QFont::Bold);
    marked.append({range.start, range.length});
  }
  std::sort(marked.begin(), marked.end());
  EXPECT_EQ(marked, (QList<QPair<int, int>>{{3, 5}, {33, 7}}));
}

TEST_F(LogViewerTest, ListDrawsErrorsRedAndWarningsTeal) {
  const QPalette palette;
  EXPECT_EQ(TLogEntryDelegate::EntryColor(QStringLiteral("[Error] 3:  x"), palette),
            QColor(255, 0, 0));
  EXPECT_EQ(TLogEntryDelegate::EntryColor(QStringLiteral("[Warning] 3:  x"), palette),
            QColor(0, 128, 128));
  EXPECT_EQ(TLogEntryDelegate::EntryColor(QStringLiteral("[error] 3:  x"), palette),
            palette.color(QPalette::Text));

  test::WriteFile(FLogFile, "Error: one\r\nWarning: two\r\n");
  TfmLogViewer* viewer = Open();
  viewer->lbxLog->clearSelection();
  viewer->lbxLog->setCurrentIndex({});
  const QImage image = viewer->lbxLog->viewport()->grab().toImage();
  bool red = false, teal = false;
  for (int y = 0; y < 2 * TLogEntryDelegate::ItemHeight && y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      const QColor c = image.pixelColor(x, y);
      red |= y < TLogEntryDelegate::ItemHeight && c.red() > 200 && c.green() < 80;
      teal |= y >= TLogEntryDelegate::ItemHeight && c.red() < 80 && c.green() > 90 &&
              c.blue() > 90 && c.green() < 180;
    }
  EXPECT_TRUE(red);
  EXPECT_TRUE(teal);
}

TEST_F(LogViewerTest, DoubleClickOnAnEntryShowsItsLineCentred) {
  test::WriteFile(FLogFile, NumberedLog(400, 123));
  TfmLogViewer* viewer = Open();
  viewer->activateWindow();
  ASSERT_EQ(viewer->lbxLog->model()->rowCount(), 1);
  EXPECT_EQ(viewer->lbxLog->model()->index(0, 0).data().toString(),
            QStringLiteral("[Error] 123:  2026-07-22 17:10:31.666 line 123 Error: Failed to "
                           "open xml file"));
  viewer->lbxLog->setCurrentIndex(viewer->lbxLog->model()->index(0, 0));
  viewer->lbxLogDblClick();
  TLogEditor* editor = viewer->edtLog;
  EXPECT_EQ(editor->CaretLine(), 123);
  EXPECT_EQ(viewer->focusWidget(), editor);
  const int caretY = editor->cursorRect().center().y();
  EXPECT_NEAR(caretY, editor->viewport()->height() / 2, editor->fontMetrics().height() * 2);
}

TEST_F(LogViewerTest, FollowsTheGrowingLogOnTheTimer) {
  test::WriteFile(FLogFile, "first\r\nsecond Err");
  TfmLogViewer* viewer = Open();
  QFile file(FLogFile);
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write("or: x\r\nWarning: y\r\nthird");
  file.flush();
  viewer->tmrAutoRefreshTimer();
  EXPECT_EQ(viewer->edtLog->toPlainText(),
            QStringLiteral("first\nsecond Error: x\nWarning: y\nthird"));
  EXPECT_EQ(viewer->lbxLog->model()->rowCount(), 2);
  EXPECT_EQ(viewer->chkShowErrors->text(), QStringLiteral("Show errors (1)"));
  EXPECT_EQ(viewer->edtLog->CaretLine(), 4); // scrolled to the bottom

  viewer->chkShowWarnings->click();
  EXPECT_EQ(viewer->chkShowWarnings->text(), QStringLiteral("Show warnings (0)"));
  EXPECT_EQ(viewer->lbxLog->model()->rowCount(), 1);
}

TEST_F(LogViewerTest, RemembersOptionsAndGeometryClosedMaximised) {
  TfmLogViewer* viewer = Open();
  viewer->move(100, 120);
  viewer->resize(700, 500);
  viewer->chkShowWarnings->click();
  viewer->chkAutoRefresh->click();
  Close();
  const QString name = TfmLogViewer::ClassName();
  EXPECT_EQ(FDataModule->GetFormSize(name), QPoint(700, 500));
  const QPoint normalPos = FDataModule->GetFormPos(name);

  viewer = Open();
  EXPECT_FALSE(viewer->chkShowWarnings->isChecked());
  EXPECT_FALSE(viewer->chkAutoRefresh->isChecked());
  EXPECT_FALSE(viewer->tmrAutoRefresh->isActive());
  EXPECT_EQ(viewer->size(), QSize(700, 500));
  viewer->showMaximized();
  QCoreApplication::processEvents();
  Close();
  EXPECT_TRUE(FDataModule->GetFormIsMaximized(name));
  EXPECT_EQ(FDataModule->GetFormSize(name), QPoint(700, 500));
  EXPECT_EQ(FDataModule->GetFormPos(name), normalPos);

  viewer = Open();
  EXPECT_TRUE(viewer->windowState() & Qt::WindowMaximized);
}

TEST_F(LogViewerTest, DropLoadsExactlyOneExistingFile) {
  TfmLogViewer* viewer = Open();
  const QString other = FEnv.PathOf(QStringLiteral("other.txt"));
  test::WriteFile(other, "Error: other\r\n");
  viewer->JvDragDrop1Drop({other, FLogFile});
  viewer->JvDragDrop1Drop({FEnv.PathOf(QStringLiteral("missing.txt"))});
  EXPECT_EQ(viewer->LogFileName(), FLogFile);
  EXPECT_EQ(viewer->edtLog->blockCount(), 25);
  viewer->JvDragDrop1Drop({other});
  EXPECT_EQ(viewer->LogFileName(), other);
  EXPECT_EQ(viewer->edtLog->toPlainText(), QStringLiteral("Error: other"));
}

TEST_F(LogViewerTest, FileMenuOpensSavesAndMails) {
  TfmLogViewer* viewer = Open();
  const QString copy = FEnv.PathOf(QStringLiteral("saved/copy.txt"));
  test::WriteFile(copy, "old");
  FEnv.Prompts().AnswerPath(copy);
  viewer->Saveas1Click();
  EXPECT_EQ(test::ReadFile(copy), NumberedLog(25)); // the file, CR LF and all

  FEnv.Prompts().AnswerPath(FEnv.PathOf(QStringLiteral("no/such/folder/x.txt")));
  EXPECT_THROW(viewer->Saveas1Click(), EAppError);

  viewer->Email1Click();
  ASSERT_EQ(FEnv.Platform().SentMails().size(), 1u);
  const auto& mail = FEnv.Platform().SentMails()[0];
  EXPECT_EQ(mail.Subject, "Farming Simulator log file");
  EXPECT_EQ(mail.Body, "Here's my Farming Simulator log file.");
  EXPECT_EQ(mail.Attachments, std::vector<std::string>{FLogFile.toStdString()});
  FEnv.Platform().SetSendMailResult(false);
  EXPECT_THROW(viewer->Email1Click(), EAppError);

  const QString other = FEnv.PathOf(QStringLiteral("other.txt"));
  test::WriteFile(other, "a\r\nb\r\n");
  FEnv.Prompts().AnswerPath(other);
  viewer->Open1Click();
  EXPECT_EQ(viewer->LogFileName(), other);
  EXPECT_EQ(viewer->lblLines->text(), QStringLiteral("Lines: 2"));
}

TEST_F(LogViewerTest, OnlyOneViewerAtATime) {
  TfmLogViewer* first = ShowLogViewer(*FDataModule, TFSVersion::fsv25, nullptr);
  FViewer = first;
  EXPECT_EQ(ShowLogViewer(*FDataModule, TFSVersion::fsv22, nullptr), first);
  EXPECT_EQ(first->FSVersion(), TFSVersion::fsv25);
  EXPECT_EQ(LogViewerInstance(), first);
  Close();
  EXPECT_EQ(LogViewerInstance(), nullptr);
}

class SearchTest : public LogViewerTest {
protected:
  void SetUp() override {
    LogViewerTest::SetUp();
    test::WriteFile(FLogFile, "alpha beta\r\nAlphabet alpha\r\nbeta ALPHA a1ph4\r\n");
    Open();
    FViewer->Find1Click();
    FSearch = FViewer->FfmSearch;
    FEditor = FViewer->edtLog;
    FEditor->moveCursor(QTextCursor::Start);
  }
  // The selected text and where it starts.
  QPair<QString, int> FindNext(const QString& AText) {
    FSearch->cbFind->setEditText(AText);
    FSearch->btnFindNext->click();
    const QTextCursor c = FEditor->textCursor();
    return {c.selectedText(), c.selectionStart()};
  }
  TfmSearch* FSearch = nullptr;
  TLogEditor* FEditor = nullptr;
};

TEST_F(SearchTest, FindsWithTheDialogsOptions) {
  EXPECT_EQ(FSearch->windowTitle(), QStringLiteral("Search Text"));
  EXPECT_TRUE(FSearch->btnFindNext->isDefault());
  EXPECT_EQ(FindNext(QStringLiteral("alpha")), qMakePair(QStringLiteral("alpha"), 0));
  EXPECT_EQ(FindNext(QStringLiteral("alpha")), qMakePair(QStringLiteral("Alpha"), 11));

  FSearch->chkWholeWordOnly->setChecked(true);
  EXPECT_EQ(FindNext(QStringLiteral("alpha")), qMakePair(QStringLiteral("alpha"), 20));
  FSearch->chkCaseSensitive->setChecked(true);
  EXPECT_EQ(FindNext(QStringLiteral("alpha")).first, QString()); // ALPHA is not it

  FSearch->chkCaseSensitive->setChecked(false);
  FSearch->chkWholeWordOnly->setChecked(false);
  FSearch->chkRegularExpresions->setChecked(true);
  FEditor->moveCursor(QTextCursor::Start);
  EXPECT_EQ(FindNext(QStringLiteral("a\\dph\\d")), qMakePair(QStringLiteral("a1ph4"), 37));

  FSearch->chkRegularExpresions->setChecked(false);
  FSearch->rbBackward->setChecked(true);
  EXPECT_EQ(FindNext(QStringLiteral("beta")), qMakePair(QStringLiteral("beta"), 26));
  EXPECT_EQ(FindNext(QStringLiteral("beta")), qMakePair(QStringLiteral("beta"), 6));

  FSearch->rbFoward->setChecked(true);
  FSearch->rbEntireScope->setChecked(true);
  EXPECT_EQ(FindNext(QStringLiteral("alpha")), qMakePair(QStringLiteral("alpha"), 0));
  FSearch->rbFromCursor->setChecked(true);

  // Selected text only: matches inside the user's selection, one after another.
  QTextCursor selection(FEditor->document());
  selection.setPosition(11);
  selection.setPosition(36, QTextCursor::KeepAnchor);
  FEditor->setTextCursor(selection);
  FSearch->rbSelectedText->setChecked(true);
  EXPECT_EQ(FindNext(QStringLiteral("alpha")), qMakePair(QStringLiteral("Alpha"), 11));
  EXPECT_EQ(FindNext(QStringLiteral("alpha")), qMakePair(QStringLiteral("alpha"), 20));
  EXPECT_EQ(FindNext(QStringLiteral("alpha")), qMakePair(QStringLiteral("ALPHA"), 31));
  EXPECT_EQ(FindNext(QStringLiteral("alpha")).first, QString());
}

TEST_F(SearchTest, NothingFoundSaysSoAndCollapsesTheSelection) {
  QTextCursor selection(FEditor->document());
  selection.setPosition(6);
  selection.setPosition(10, QTextCursor::KeepAnchor);
  FEditor->setTextCursor(selection);
  FindNext(QStringLiteral("gamma"));
  EXPECT_EQ(FSearch->barStatus->currentMessage(), QStringLiteral("Find: Can't the text \"gamma\""));
  EXPECT_FALSE(FEditor->textCursor().hasSelection());
  EXPECT_EQ(FEditor->textCursor().position(), 10);

  FEditor->setTextCursor(selection);
  FSearch->rbBackward->setChecked(true);
  FindNext(QStringLiteral("gamma"));
  EXPECT_EQ(FEditor->textCursor().position(), 6);
  EXPECT_EQ(FEditor->document()->blockCount(), 3);

  FSearch->btnClose->click();
  EXPECT_FALSE(FSearch->isVisible());
  FViewer->Find1Click();
  EXPECT_EQ(FViewer->FfmSearch, FSearch);
  EXPECT_TRUE(FSearch->rbBackward->isChecked());
}

} // namespace
