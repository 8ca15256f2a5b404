#include "gui/crash/CrashReporter.h"

#include "core/common/AppError.h"
#include "core/common/PromptService.h"
#include "core/crash/ExceptionReport.h"
#include "core/crash/PreviousCrashReport.h"
#include "gui/crash/ExceptionDialog.h"

#include <cstdio>

namespace tilvane {

namespace {

// One report at a time in the whole program, whichever reporter shows it.
bool GExceptionShowing = false;

// Set for as long as it lives; cleared also when the report fails.
class TShowingGuard {
public:
  TShowingGuard() { GExceptionShowing = true; }
  ~TShowingGuard() { GExceptionShowing = false; }
  TShowingGuard(const TShowingGuard&) = delete;
  TShowingGuard& operator=(const TShowingGuard&) = delete;
};

} // namespace

TCrashReporter::TCrashReporter(IPromptService& APrompts) : FPrompts(APrompts) {}

bool TCrashReporter::ExceptionShowing() {
  return GExceptionShowing;
}

void TCrashReporter::Report(std::exception_ptr AError) {
  if (!AError)
    return;
  if (GExceptionShowing) {
    ShowFallback(AError);
    return;
  }
  try {
    TShowingGuard Showing;
    TExceptionDialog Dialog(AError);
    Run(Dialog);
  } catch (...) {
    ShowFallback(AError);
  }
}

void TCrashReporter::OfferPreviousCrashReport(const QString& AReportPath) {
  try {
    // Left for the next start while another report is open.
    if (GExceptionShowing)
      return;
    const std::optional<QString> Report = TakePreviousCrashReport(AReportPath);
    if (!Report)
      return;
    if (!FPrompts.AskYesNo(QStringLiteral("Tilvane ended unexpectedly the last time it ran. "
                                          "Do you want to see what happened?")))
      return;
    TShowingGuard Showing;
    TExceptionDialog Dialog(TExceptionDialog::TPreviousCrash{*Report});
    Run(Dialog);
  } catch (...) {
    // A courtesy at start-up: when it fails, the program starts all the same.
    std::fprintf(stderr, "Tilvane: the previous run's crash report could not be shown\n");
  }
}

void TCrashReporter::Run(TExceptionDialog& ADialog) {
  if (FRunner)
    FRunner(ADialog);
  else
    ADialog.exec();
}

// The error's message in an error box, as the prompt service shows every
// error the program does not report in a window of its own.
void TCrashReporter::ShowFallback(std::exception_ptr AError) {
  try {
    FPrompts.ShowMessage(TExceptionReport(AError).Message(), TMessageKind::Error);
  } catch (...) {
    std::fprintf(stderr, "Tilvane: an error could not be reported\n");
  }
}

} // namespace tilvane
