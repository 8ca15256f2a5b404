#include "core/crash/ExceptionReport.h"
#include "platform/StackTrace.h"
#include "support/CrashTestSupport.h"
#include "support/TestEnvironment.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <stdexcept>

namespace tilvane {
namespace {

using test::Caught;
using test::kShortTextIntro;
using test::L;
using test::RaiseDiskFullError;

QString Dashes() {
  return QString(78, QLatin1Char('-'));
}

TEST(ExceptionReportTest, MessageGetsOneFullStopAndCrLfLineBreaks) {
  const struct {
    std::exception_ptr Error;
    const char* ShortText;
    const char* ClassLine;
    const char* MessageLine; // "" when the header has none
  } Cases[] = {
      {std::make_exception_ptr(EAppError(L("Unable to write to /tmp/Tilvane.ini"))),
       "Unable to write to /tmp/Tilvane.ini.", "Exception class: tilvane::EAppError",
       "Exception message: Unable to write to /tmp/Tilvane.ini."},
      {std::make_exception_ptr(EAppError(L("The specified directory already exists."))),
       "The specified directory already exists.", "Exception class: tilvane::EAppError",
       "Exception message: The specified directory already exists."},
      {std::make_exception_ptr(EAppError(L("The server did not answer\nError: time-out"))),
       "The server did not answer\r\nError: time-out.", "Exception class: tilvane::EAppError",
       "Exception message: The server did not answer\r\nError: time-out."},
      {std::make_exception_ptr(std::out_of_range("stoi")), "stoi.",
       "Exception class: std::out_of_range", "Exception message: stoi."},
      // An object that is no error: its class name stands for the message.
      {std::make_exception_ptr(42), "int.", "Exception class: int", ""},
  };
  for (const auto& C : Cases) {
    const TExceptionReport Report(C.Error);
    SCOPED_TRACE(C.ShortText);
    EXPECT_EQ(Report.ShortText(), L(kShortTextIntro) + L(C.ShortText));
    const QString Header = Report.Header(QDateTime(QDate(2025, 3, 1), QTime(10, 30, 5)));
    EXPECT_TRUE(Header.startsWith(Dashes() + L("\r\nException log with detailed tech info. "
                                               "Generated on 2025-03-01 10:30:05.\r\n")))
        << Header.toStdString();
    EXPECT_TRUE(Header.contains(L("\r\n") + L(C.ClassLine) + L("\r\n")));
    if (*C.MessageLine) {
      EXPECT_TRUE(Header.contains(L("\r\n") + L(C.MessageLine) + L("\r\n")));
    } else {
      EXPECT_FALSE(Header.contains(L("Exception message: ")));
    }
  }
}

TEST(ExceptionReportTest, ClipboardTextHasOneEmptyLineBetweenTheParts) {
  EXPECT_EQ(TExceptionReport::ClipboardText(L("Short."), L("Details\r\n")),
            L("Short.\r\n\r\nDetails\r\n"));
  EXPECT_EQ(TExceptionReport::ClipboardText(L("Short.\r\n"), L("Details\r\n")),
            L("Short.\r\n\r\nDetails\r\n"));
}

TEST(ExceptionReportTest, ExceptionStackStartsInTheRaisingFunction) {
  const QString Report = ExceptionReportText(Caught(RaiseDiskFullError));
  const QStringList Lines = Report.split(L("\r\n"));
  const qsizetype Stack = Lines.indexOf(L("Exception stack"));
  ASSERT_GE(Stack, 0) << Report.toStdString();
  ASSERT_LT(Stack + 2, Lines.size());
  EXPECT_TRUE(Lines[Stack + 1].startsWith(L("Stack list, generated ")));
  const QString FirstFrame = Lines[Stack + 2];
  EXPECT_TRUE(FirstFrame.contains(L("  tilvane::test::RaiseDiskFullError() (CrashTestSupport.h:")))
      << FirstFrame.toStdString();
  // The error's address is where the raising function was left.
  const QRegularExpressionMatch Address =
      QRegularExpression(L("\r\nException address: ([0-9a-f]{16})\r\n")).match(Report);
  ASSERT_TRUE(Address.hasMatch());
  EXPECT_TRUE(FirstFrame.startsWith(L("[") + Address.captured(1) + L("] test_gui_crash  ")));
}

TEST(ExceptionReportTest, TechnicalReportSectionsInOrder) {
  const QString Pid = QString::number(platform::MainThreadId());
  const QString Report = ExceptionReportText(
      Caught(RaiseDiskFullError), {L("QPushButton \"btnPlay\""), L("tilvane::TfmMain \"fmMain\"")});
  const QStringList Lines = Report.split(L("\r\n"));
  // Each expected line, found after the one before it.
  const QString Expected[] = {
      L(kShortTextIntro).split(L("\r\n")).first(),
      L("Unable to write to /home/player/Documents/Tilvane.ini."),
      Dashes(),
      L("Exception log with detailed tech info. Generated on "),
      L("You may send it to the application vendor, helping him to understand what had happened."),
      L(" Application title: Tilvane"),
      L(" Application file: "),
      Dashes(),
      L("Exception class: tilvane::EAppError"),
      L("Exception message: Unable to write to /home/player/Documents/Tilvane.ini."),
      L("Exception address: "),
      Dashes(),
      L("Main thread ID = ") + Pid,
      L("Exception thread ID = ") + Pid,
      Dashes(),
      L("Exception stack"),
      L("Stack list, generated "),
      Dashes(),
      L("Call stack for main thread"),
      L("Stack list, generated "),
      Dashes(),
      L("List of threads:"),
      L("Thread ") + Pid + L(" \"test_gui_crash\""),
      Dashes(),
      L("System   : Linux "),
      L("Processor: "),
      L("Memory: "),
      // The headless platform's one screen.
      L("Display  : 800x800 pixels, 32 bpp"),
      Dashes(),
      L("List of loaded modules:"),
      Dashes(),
      L("Active Controls hierarchy:"),
      L("QPushButton \"btnPlay\""),
      L("tilvane::TfmMain \"fmMain\""),
      Dashes(),
  };
  qsizetype At = 0;
  for (const QString& Line : Expected) {
    while (At < Lines.size() && !Lines[At].startsWith(Line))
      ++At;
    ASSERT_LT(At, Lines.size()) << "missing in order: " << Line.toStdString() << "\n"
                                << Report.toStdString();
    ++At;
  }
  EXPECT_EQ(Lines.last(), L("")); // the report ends with a line break
  for (const QString& Line : Lines)
    EXPECT_TRUE(!Line.startsWith(L("---")) || Line == Dashes()) << Line.toStdString();
  EXPECT_TRUE(
      QRegularExpression(L("\r\nSystem   : Linux \\S+, Version: \\d+\\.\\d+, Build: [0-9a-f]+, "
                           "\"[^\"]+\"\r\n"))
          .match(Report)
          .hasMatch());
  EXPECT_TRUE(QRegularExpression(L("\r\nProcessor: [^,]*, [^,]*, \\d+ MHz( [^\r]*)?\r\n"))
                  .match(Report)
                  .hasMatch());
  EXPECT_TRUE(QRegularExpression(L("\r\nMemory: \\d+; free \\d+\r\n")).match(Report).hasMatch());
}

TEST(ExceptionReportTest, ModulesSortedByAddressEachWithoutVersionInfo) {
  const QStringList Lines = ExceptionReportText(Caught(RaiseDiskFullError)).split(L("\r\n"));
  qsizetype At = Lines.indexOf(L("List of loaded modules:"));
  ASSERT_GE(At, 0);
  const QRegularExpression ModuleLine(L("^\\[([0-9a-f]{16})\\] (.+)$"));
  QStringList Paths;
  quint64 Previous = 0;
  for (++At; At + 1 < Lines.size() && Lines[At] != Dashes(); At += 2) {
    const QRegularExpressionMatch Match = ModuleLine.match(Lines[At]);
    ASSERT_TRUE(Match.hasMatch()) << Lines[At].toStdString();
    const quint64 Base = Match.captured(1).toULongLong(nullptr, 16);
    EXPECT_GT(Base, Previous) << Lines[At].toStdString();
    Previous = Base;
    Paths << Match.captured(2);
    EXPECT_EQ(Lines[At + 1], L("                   (no module version info)"));
  }
  EXPECT_TRUE(Paths.filter(QRegularExpression(L("/test_gui_crash$"))).size() == 1)
      << Paths.join(L("\n")).toStdString();
  EXPECT_TRUE(Paths.filter(QRegularExpression(L("/libc\\.so\\.6$"))).size() == 1);
  EXPECT_TRUE(Paths.filter(QRegularExpression(L("/libQt6Widgets\\.so\\.6$"))).size() == 1);
}

} // namespace
} // namespace tilvane
