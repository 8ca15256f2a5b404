#pragma once

#include <QString>

#include <exception>
#include <functional>

namespace tilvane {

class IPromptService;
class TExceptionDialog;

// Where errors that no handler caught end: one report window at a time. An
// error that arrives while a report is being prepared or shown (the window's
// event loop keeps the program's other windows running) is shown in a plain
// error box of the prompt service instead of a second report.
//
// Used on the user-interface thread only; errors of the update task arrive
// there through its window.
class TCrashReporter {
public:
  // Runs a report window until it is closed; tests put their own in.
  using TDialogRunner = std::function<void(TExceptionDialog&)>;

  explicit TCrashReporter(IPromptService& APrompts);

  // Shows the report on AError. Raises nothing: when even the report cannot
  // be made, the error box stands in.
  void Report(std::exception_ptr AError);

  // The report file that a run ended by a fatal signal left at AReportPath:
  // read and removed, then, when the user agrees, shown in a report window.
  void OfferPreviousCrashReport(const QString& AReportPath);

  // A report is being prepared or shown.
  static bool ExceptionShowing();

  void SetDialogRunner(TDialogRunner ARunner) { FRunner = std::move(ARunner); }

private:
  void ShowFallback(std::exception_ptr AError);
  void Run(TExceptionDialog& ADialog);

  IPromptService& FPrompts;
  TDialogRunner FRunner;
};

} // namespace tilvane
