#include "gui/crash/CrashReporter.h"
#include "core/crash/PreviousCrashReport.h"
#include "gui/crash/ExceptionDialog.h"
#include "platform/FatalSignals.h"
#include "platform/StackTrace.h"
#include "support/CrashTestSupport.h"
#include "support/ScriptedPromptService.h"
#include "support/TestEnvironment.h"

#include <QApplication>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

namespace tilvane {
namespace {

using test::Caught;
using test::L;
using test::RaiseDiskFullError;
using test::ScriptedPromptService;

// The report window runs modally as in the program; a second error arrives
// from its event loop, as one from another window's handler would.
TEST(CrashReporterTest, ErrorDuringReportGoesToThePlainErrorBox) {
  ScriptedPromptService Prompts;
  TCrashReporter Reporter(Prompts);
  bool ShowingDuringReport = false;
  QString FirstReport;
  QTimer::singleShot(0, [&] {
    auto* Dialog = qobject_cast<TExceptionDialog*>(QApplication::activeModalWidget());
    if (!Dialog) {
      ADD_FAILURE() << "no report window";
      return;
    }
    ShowingDuringReport = TCrashReporter::ExceptionShowing();
    Reporter.Report(std::make_exception_ptr(EAppError(L("The second error"))));
    Dialog->CreateDetails();
    FirstReport = Dialog->GetReportAsText();
    Dialog->reject();
  });
  Reporter.Report(Caught(RaiseDiskFullError));

  EXPECT_TRUE(ShowingDuringReport);
  EXPECT_FALSE(TCrashReporter::ExceptionShowing());
  ASSERT_EQ(Prompts.History().size(), 1u);
  EXPECT_EQ(Prompts.History()[0].What, ScriptedPromptService::Shown::Type::Message);
  EXPECT_EQ(Prompts.History()[0].Kind, TMessageKind::Error);
  EXPECT_EQ(Prompts.History()[0].Text, L("The second error."));
  EXPECT_TRUE(FirstReport.contains(
      L("\r\nException message: Unable to write to /home/player/Documents/Tilvane.ini.\r\n")));
  EXPECT_FALSE(FirstReport.contains(L("The second error")));

  // The report is closed: the next error gets a window again.
  bool Windowed = false;
  Reporter.SetDialogRunner([&Windowed](TExceptionDialog&) { Windowed = true; });
  Reporter.Report(std::make_exception_ptr(EAppError(L("The third error"))));
  EXPECT_TRUE(Windowed);
  EXPECT_EQ(Prompts.History().size(), 1u);
}

// A child process installs the handlers and dies of a fatal signal; the
// parent, like the next start of the program, finds its report.
TEST(CrashReporterTest, FatalSignalLeavesAReportTheNextStartOffers) {
  const struct {
    int Signal;
    void (*Die)();
    const char* FirstLine;
    bool AnswerYes;
  } Cases[] = {
      {SIGSEGV, [] { raise(SIGSEGV); }, "Fatal signal: SIGSEGV (invalid memory access)\n", true},
      {SIGABRT, [] { std::abort(); }, "Fatal signal: SIGABRT (aborted)\n", false},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.FirstLine);
    QTemporaryDir Dir;
    ASSERT_TRUE(Dir.isValid());
    const QString Path = Dir.filePath(L("crash-report.txt"));
    const std::string NativePath = QFile::encodeName(Path).toStdString();
    // Loads the unwinder now: the child should not have to after fork().
    platform::CaptureStack();
    const pid_t Child = fork();
    ASSERT_GE(Child, 0);
    if (Child == 0) {
      if (!platform::InstallFatalSignalHandlers(NativePath))
        _exit(3);
      C.Die();
      _exit(4);
    }
    int Status = 0;
    ASSERT_EQ(waitpid(Child, &Status, 0), Child);
    ASSERT_TRUE(WIFSIGNALED(Status)) << "exit status " << WEXITSTATUS(Status);
    EXPECT_EQ(WTERMSIG(Status), C.Signal);

    QFile File(Path);
    ASSERT_TRUE(File.open(QIODevice::ReadOnly));
    const QString Written = QString::fromUtf8(File.readAll());
    File.close();
    EXPECT_TRUE(Written.startsWith(L(C.FirstLine) + L("Time: "))) << Written.toStdString();
    const QStringList Stack =
        Written.section(L("\nStack:\n"), 1).split(L("\n"), Qt::SkipEmptyParts);
    ASSERT_FALSE(Stack.isEmpty()) << Written.toStdString();
    // backtrace_symbols_fd: "module(symbol+offset)[address]".
    EXPECT_TRUE(Stack.first().contains(L(")[0x"))) << Stack.first().toStdString();

    ScriptedPromptService Prompts;
    TCrashReporter Reporter(Prompts);
    QString Shown;
    Reporter.SetDialogRunner([&Shown](TExceptionDialog& ADialog) {
      EXPECT_TRUE(ADialog.DetailsVisible());
      Shown = ADialog.GetReportAsText();
    });
    C.AnswerYes ? Prompts.AnswerYes() : Prompts.AnswerNo();
    Reporter.OfferPreviousCrashReport(Path);
    EXPECT_EQ(Prompts.Questions(), QStringList(L("Tilvane ended unexpectedly the last time it ran. "
                                                 "Do you want to see what happened?")));
    EXPECT_EQ(Shown.contains(QString(Written).replace(L("\n"), L("\r\n"))), C.AnswerYes);
    EXPECT_FALSE(QFile::exists(Path));
    // Taken once: the start after that has nothing to offer.
    EXPECT_EQ(TakePreviousCrashReport(Path), std::nullopt);
  }
}

} // namespace
} // namespace tilvane
