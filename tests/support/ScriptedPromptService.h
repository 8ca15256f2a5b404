#pragma once

#include "core/common/PromptService.h"

#include <QString>
#include <QStringList>

#include <deque>
#include <vector>

namespace tilvane::test {

// A prompt service that shows nothing: it records every message, question and
// dialog, and answers from queues the test fills. A question or dialog with no
// prepared answer fails the test and answers No / cancel.
class ScriptedPromptService : public IPromptService {
public:
  struct Shown {
    enum class Type { Message, Question, OpenFile, SaveFile, PickFolder } What;
    QString Text; // message or question text; dialog title
    TMessageKind Kind = TMessageKind::Plain;
    bool YesIsDefault = true;
    TFileDialogOptions DialogOptions;
  };

  void ShowMessage(const QString& text, TMessageKind kind = TMessageKind::Plain) override;
  bool AskYesNo(const QString& text, bool yesIsDefault = true) override;
  QString OpenFile(const TFileDialogOptions& options) override;
  QString SaveFile(const TFileDialogOptions& options) override;
  QString PickFolder(const QString& title, const QString& initialFolder) override;

  // Prepared answers, taken in order.
  void AnswerYes() { FAnswers.push_back(true); }
  void AnswerNo() { FAnswers.push_back(false); }
  // A path for the next file or folder dialog; an empty path cancels it.
  void AnswerPath(const QString& path) { FPaths.push_back(path); }

  const std::vector<Shown>& History() const { return FHistory; }
  // Texts of the message boxes shown, in order.
  QStringList Messages() const;
  // Texts of the questions asked, in order.
  QStringList Questions() const;
  void Clear() { FHistory.clear(); }

private:
  std::vector<Shown> FHistory;
  std::deque<bool> FAnswers;
  std::deque<QString> FPaths;
};

} // namespace tilvane::test
