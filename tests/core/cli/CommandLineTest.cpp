#include "core/cli/CommandLine.h"

#include <gtest/gtest.h>

namespace tilvane {
namespace {

using TKind = TCommandLine::TKind;

QStringList Line(std::initializer_list<const char*> AArguments) {
  QStringList Result{QStringLiteral("tilvane")};
  for (const char* Argument : AArguments)
    Result << QString::fromUtf8(Argument);
  return Result;
}

TEST(CommandLineTest, CommandsWithTheirNamesGamesAndCommands) {
  const struct {
    QStringList Arguments;
    TKind Kind;
    const char* Name;
    std::optional<TFSVersion> Game;
    QStringList Command;
  } Cases[] = {
      {Line({}), TKind::Window, "", std::nullopt, {}},
      {Line({"--list"}), TKind::List, "", std::nullopt, {}},
      {Line({"--list", "fs25"}), TKind::List, "", TFSVersion::fsv25, {}},
      {Line({"--list", "--game", "19"}), TKind::List, "", TFSVersion::fsv19, {}},
      {Line({"--activate", "Server A"}), TKind::Activate, "Server A", std::nullopt, {}},
      {Line({"--sync=Server A", "--game", "FS22"}), TKind::Sync, "Server A", TFSVersion::fsv22, {}},
      // The game's own arguments, options and another "--" included, reach
      // it as they are.
      {Line({"--launch", "Server A", "--", "/bin/game", "--help", "-v", "--", "x y"}),
       TKind::Launch,
       "Server A",
       std::nullopt,
       {QStringLiteral("/bin/game"), QStringLiteral("--help"), QStringLiteral("-v"),
        QStringLiteral("--"), QStringLiteral("x y")}},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Arguments.join(u' ').toStdString());
    const TCommandLineReading Reading = ReadCommandLine(Case.Arguments);
    ASSERT_TRUE(Reading.Line) << Reading.Error.toStdString();
    EXPECT_EQ(Reading.Line->Kind, Case.Kind);
    EXPECT_EQ(Reading.Line->Name, QString::fromUtf8(Case.Name));
    EXPECT_EQ(Reading.Line->Game, Case.Game);
    EXPECT_EQ(Reading.Line->Command, Case.Command);
  }
}

TEST(CommandLineTest, BadArgumentsGetOneLine) {
  const struct {
    QStringList Arguments;
    const char* Error;
  } Cases[] = {
      {Line({"--list", "FS23"}), "Unknown game \"FS23\": give FS19, FS22 or FS25."},
      {Line({"--sync", "A", "--game", "17"}), "Unknown game \"17\": give FS19, FS22 or FS25."},
      {Line({"--sync", "A", "--activate", "B"}),
       "Give only one of --list, --activate, --sync and --launch."},
      {Line({"--sync", "A", "--sync", "B"}),
       "Give only one of --list, --activate, --sync and --launch."},
      {Line({"--sync"}), "Missing value after '--sync'."},
      {Line({"--sync", " "}), "The mod folder's name is empty."},
      {Line({"--launch", "A"}),
       "--launch needs the game's command after -- (in Steam's launch options: -- %command%)."},
      {Line({"--launch", "A", "--"}),
       "--launch needs the game's command after -- (in Steam's launch options: -- %command%)."},
      {Line({"--sync", "A", "--", "game"}), "Only --launch runs a command after --."},
      {Line({"--activate", "A", "extra"}), "Unexpected argument \"extra\"."},
      {Line({"--list", "FS22", "FS25"}), "Unexpected argument \"FS25\"."},
      {Line({"--list", "FS22", "--game", "FS25"}), "--list names FS22 and --game FS25: give one."},
      {Line({"--game", "FS22"}), "--game and --no-window go with --activate, --sync or --launch."},
      {Line({"--lst"}), "Unknown option 'lst'."},
  };
  for (const auto& Case : Cases) {
    SCOPED_TRACE(Case.Arguments.join(u' ').toStdString());
    const TCommandLineReading Reading = ReadCommandLine(Case.Arguments);
    EXPECT_FALSE(Reading.Line);
    EXPECT_EQ(Reading.Error, QString::fromUtf8(Case.Error));
  }
}

TEST(CommandLineTest, HelpNamesEveryCommand) {
  const TCommandLineReading Reading = ReadCommandLine(Line({"--help"}));
  EXPECT_FALSE(Reading.Line);
  EXPECT_TRUE(Reading.Error.isEmpty());
  EXPECT_TRUE(Reading.Output.startsWith(QStringLiteral("Usage: tilvane [options]")));
  for (const char* Option : {"--list", "--activate <NAME>", "--sync <NAME>", "--launch <NAME>",
                             "--game <GAME>", "--no-window"})
    EXPECT_TRUE(Reading.Output.contains(QString::fromUtf8(Option))) << Option;
}

} // namespace
} // namespace tilvane
