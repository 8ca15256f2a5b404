#pragma once

#include "core/common/PromptService.h"

#include <cstdio>
#include <functional>

namespace tilvane {

// Messages and questions on a terminal. A question is asked on the terminal
// when the player can answer there; without one it takes its default answer
// and says so, as a script run by Steam or cron has nobody to ask. No file
// dialog can be shown: those answer as cancelled.
class TConsolePromptService : public IPromptService {
public:
  // AReadLine: one line of the player's answer; false at the input's end.
  // Empty: nobody can answer.
  using TLineReader = std::function<bool(QString& ALine)>;
  TConsolePromptService(std::FILE* AStream, TLineReader AReadLine);

  void ShowMessage(const QString& AText, TMessageKind AKind = TMessageKind::Plain) override;
  bool AskYesNo(const QString& AText, bool AYesIsDefault = true) override;
  QString OpenFile(const TFileDialogOptions& AOptions) override;
  QString SaveFile(const TFileDialogOptions& AOptions) override;
  QString PickFolder(const QString& ATitle, const QString& AInitialFolder) override;

  // Reads a line from the standard input.
  static bool ReadStandardInput(QString& ALine);

private:
  void Write(const QString& AText);

  std::FILE* FStream;
  TLineReader FReadLine;
};

} // namespace tilvane
