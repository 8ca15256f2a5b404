#include "core/cli/ConsolePromptService.h"

#include <array>
#include <cstring>

namespace tilvane {

TConsolePromptService::TConsolePromptService(std::FILE* AStream, TLineReader AReadLine)
    : FStream(AStream), FReadLine(std::move(AReadLine)) {}

void TConsolePromptService::Write(const QString& AText) {
  // Message boxes break lines with \r\n; a terminal wants \n alone.
  QString Text = AText;
  Text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
  std::fputs(Text.toUtf8().constData(), FStream);
  std::fflush(FStream);
}

void TConsolePromptService::ShowMessage(const QString& AText, TMessageKind /*AKind*/) {
  Write(AText + u'\n');
}

bool TConsolePromptService::AskYesNo(const QString& AText, bool AYesIsDefault) {
  const QString Choices = AYesIsDefault ? QStringLiteral(" [Y/n] ") : QStringLiteral(" [y/N] ");
  if (!FReadLine) {
    Write(AText + Choices +
          (AYesIsDefault ? QStringLiteral("yes (nobody to ask)\n")
                         : QStringLiteral("no (nobody to ask)\n")));
    return AYesIsDefault;
  }
  for (;;) {
    Write(AText + Choices);
    QString Answer;
    if (!FReadLine(Answer)) {
      Write(QStringLiteral("\n"));
      return AYesIsDefault;
    }
    Answer = Answer.trimmed().toLower();
    if (Answer.isEmpty())
      return AYesIsDefault;
    if (Answer == QLatin1String("y") || Answer == QLatin1String("yes"))
      return true;
    if (Answer == QLatin1String("n") || Answer == QLatin1String("no"))
      return false;
  }
}

QString TConsolePromptService::OpenFile(const TFileDialogOptions& /*AOptions*/) {
  return {};
}

QString TConsolePromptService::SaveFile(const TFileDialogOptions& /*AOptions*/) {
  return {};
}

QString TConsolePromptService::PickFolder(const QString& /*ATitle*/,
                                          const QString& /*AInitialFolder*/) {
  return {};
}

bool TConsolePromptService::ReadStandardInput(QString& ALine) {
  std::string Line;
  std::array<char, 512> Buffer{};
  while (std::fgets(Buffer.data(), static_cast<int>(Buffer.size()), stdin)) {
    Line += Buffer.data();
    if (!Line.empty() && Line.back() == '\n')
      break;
  }
  if (Line.empty())
    return false;
  ALine = QString::fromUtf8(Line).trimmed();
  return true;
}

} // namespace tilvane
