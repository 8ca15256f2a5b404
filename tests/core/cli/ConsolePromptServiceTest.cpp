#include "core/cli/ConsolePromptService.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <memory>

namespace tilvane {
namespace {

struct FileCloser {
  void operator()(std::FILE* AFile) const { std::fclose(AFile); }
};

// What the service wrote, and its answer.
struct TAsked {
  bool Answer;
  std::string Written;
};

TAsked Ask(bool AYesIsDefault, const TConsolePromptService::TLineReader& AReader) {
  std::unique_ptr<std::FILE, FileCloser> Stream(std::tmpfile());
  TConsolePromptService Prompts(Stream.get(), AReader);
  const bool Answer = Prompts.AskYesNo(QStringLiteral("Keep them?"), AYesIsDefault);
  std::rewind(Stream.get());
  std::string Written(4096, '\0');
  Written.resize(std::fread(Written.data(), 1, Written.size(), Stream.get()));
  return {Answer, Written};
}

TEST(ConsolePromptServiceTest, WithoutAnyoneToAskTheDefaultIsTakenAndSaid) {
  EXPECT_TRUE(Ask(true, {}).Answer);
  EXPECT_EQ(Ask(true, {}).Written, "Keep them? [Y/n] yes (nobody to ask)\n");
  EXPECT_FALSE(Ask(false, {}).Answer);
  EXPECT_EQ(Ask(false, {}).Written, "Keep them? [y/N] no (nobody to ask)\n");
}

TEST(ConsolePromptServiceTest, ThePlayersAnswerOnTheTerminal) {
  const struct {
    std::vector<const char*> Lines;
    bool YesIsDefault;
    bool Answer;
  } Cases[] = {
      {{"y"}, false, true},
      {{"No"}, true, false},
      {{""}, true, true},
      {{""}, false, false},
      {{}, true, true},                // the input ended
      {{"maybe", "yes"}, false, true}, // asked again
  };
  for (const auto& Case : Cases) {
    size_t Next = 0;
    const TAsked Asked = Ask(Case.YesIsDefault, [&](QString& ALine) {
      if (Next == Case.Lines.size())
        return false;
      ALine = QString::fromUtf8(Case.Lines[Next++]);
      return true;
    });
    EXPECT_EQ(Asked.Answer, Case.Answer);
  }
}

} // namespace
} // namespace tilvane
