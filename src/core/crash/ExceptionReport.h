#pragma once

#include "platform/StackTrace.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <exception>
#include <optional>

namespace tilvane {

// The texts of the report on one error, without any window: the short
// message for the user, the header of the technical report, and the technical
// report itself (stacks, threads, system, modules, focused controls). Every
// line ends with CR LF, so that a report pasted into a Windows mail or
// editor reads the same. A section whose information the system does not give
// is left out without a word.
class TExceptionReport {
public:
  // Takes what the error itself tells: its class, message, and for the
  // program's own errors the stack and thread where it was raised. Cheap;
  // names are looked up by TechnicalReport.
  explicit TExceptionReport(std::exception_ptr AError);

  // The error's message with a full stop ensured and CR LF line breaks; for an
  // object that is no error, its class name.
  const QString& Message() const { return FMessage; }
  const QString& ClassName() const { return FClassName; }
  // Where the error was raised; the main thread when that is not known.
  std::int64_t ThreadId() const { return FThreadId; }

  // What the window says above the details: four fixed sentences and the
  // message.
  QString ShortText() const;
  // The start of the details, shown at once: a separator, when and by which
  // program the report was made, the error's class, message and address.
  QString Header(const QDateTime& ANow) const;
  // The rest of the details, slow to build (stacks are named, files of /proc
  // read). AActiveControls: the focused control and its parents up to the
  // window, as TExceptionDialog::ActiveControlsHierarchy gives them.
  QString TechnicalReport(const QStringList& AActiveControls) const;

  // AText with a full stop appended unless it ends with one.
  static QString EnsureFullStop(const QString& AText);
  // AText with every line break (LF, CR or CR LF) made CR LF.
  static QString WithCrLf(const QString& AText);
  // What Ctrl+C copies: the short text, ended with CR LF unless it is, an
  // empty line, and the details.
  static QString ClipboardText(const QString& AShortText, const QString& ADetails);
  // A line of 78 '-' and a line break: the end of each block of the details.
  static QString Separator();

private:
  QString FClassName;
  QString FMessage;
  bool FIsError = false;
  std::optional<platform::TRawStack> FStack;
  std::int64_t FThreadId = 0;
};

// The whole report on AError as the window copies it to the clipboard,
// without a window: for tools and tests.
QString ExceptionReportText(std::exception_ptr AError, const QStringList& AActiveControls = {});

} // namespace tilvane
