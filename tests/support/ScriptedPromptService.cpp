#include "support/ScriptedPromptService.h"

#include <gtest/gtest.h>

namespace tilvane::test {

void ScriptedPromptService::ShowMessage(const QString& text, TMessageKind kind) {
  FHistory.push_back({Shown::Type::Message, text, kind, true, {}});
}

bool ScriptedPromptService::AskYesNo(const QString& text, bool yesIsDefault) {
  FHistory.push_back({Shown::Type::Question, text, TMessageKind::Plain, yesIsDefault, {}});
  if (FAnswers.empty()) {
    ADD_FAILURE() << "Unexpected question: " << text.toStdString();
    return false;
  }
  const bool answer = FAnswers.front();
  FAnswers.pop_front();
  return answer;
}

namespace {
QString TakePath(std::deque<QString>& paths, const QString& what) {
  if (paths.empty()) {
    ADD_FAILURE() << "Unexpected dialog: " << what.toStdString();
    return {};
  }
  QString path = paths.front();
  paths.pop_front();
  return path;
}
} // namespace

QString ScriptedPromptService::OpenFile(const TFileDialogOptions& options) {
  FHistory.push_back({Shown::Type::OpenFile, options.Title, TMessageKind::Plain, true, options});
  return TakePath(FPaths, QStringLiteral("open file ") + options.Title);
}

QString ScriptedPromptService::SaveFile(const TFileDialogOptions& options) {
  FHistory.push_back({Shown::Type::SaveFile, options.Title, TMessageKind::Plain, true, options});
  return TakePath(FPaths, QStringLiteral("save file ") + options.Title);
}

QString ScriptedPromptService::PickFolder(const QString& title, const QString& initialFolder) {
  TFileDialogOptions options;
  options.Title = title;
  options.InitialFolder = initialFolder;
  FHistory.push_back({Shown::Type::PickFolder, title, TMessageKind::Plain, true, options});
  return TakePath(FPaths, QStringLiteral("pick folder ") + title);
}

QStringList ScriptedPromptService::Messages() const {
  QStringList result;
  for (const Shown& s : FHistory)
    if (s.What == Shown::Type::Message)
      result << s.Text;
  return result;
}

QStringList ScriptedPromptService::Questions() const {
  QStringList result;
  for (const Shown& s : FHistory)
    if (s.What == Shown::Type::Question)
      result << s.Text;
  return result;
}

} // namespace tilvane::test
