#include "core/cli/CommandLine.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QRegularExpression>

namespace tilvane {

namespace {

QString UnknownGameError(const QString& AText) {
  return QStringLiteral("Unknown game \"%1\": give FS19, FS22 or FS25.").arg(AText);
}

struct TOptions {
  QCommandLineOption List{QStringLiteral("list"),
                          QStringLiteral("Lists the mod folders, the game's active one marked "
                                         "with *; with FS19, FS22 or FS25 only that game's.")};
  QCommandLineOption Activate{
      QStringLiteral("activate"),
      QStringLiteral("Makes the mod folder (its button's name or its folder) the game's, with "
                     "its join filter and password, without starting the game."),
      QStringLiteral("NAME")};
  QCommandLineOption Sync{QStringLiteral("sync"),
                          QStringLiteral("Brings the mod folder in line with its server and "
                                         "exits: 0 in line, 1 the sync failed, 2 bad arguments."),
                          QStringLiteral("NAME")};
  QCommandLineOption Launch{
      QStringLiteral("launch"),
      QStringLiteral("Makes the mod folder the game's, syncs it when it follows a server, then "
                     "runs the command after -- in this program's place. For Steam's launch "
                     "options: --launch NAME -- %command%"),
      QStringLiteral("NAME")};
  QCommandLineOption Game{QStringLiteral("game"),
                          QStringLiteral("The game of the mod folder, when its name is not "
                                         "unique and Steam does not say (FS19, FS22 or FS25)."),
                          QStringLiteral("GAME")};
  QCommandLineOption NoWindow{QStringLiteral("no-window"),
                              QStringLiteral("Shows the sync's progress on the terminal even "
                                             "without one, never in a window.")};
};

void Describe(QCommandLineParser& AParser, const TOptions& AOptions) {
  AParser.setApplicationDescription(
      QStringLiteral("Switches Farming Simulator between mod folders and keeps server folders in "
                     "line with their servers. Without a command it opens its window."));
  AParser.addOptions({AOptions.List, AOptions.Activate, AOptions.Sync, AOptions.Launch,
                      AOptions.Game, AOptions.NoWindow});
  AParser.addPositionalArgument(QStringLiteral("GAME"),
                                QStringLiteral("With --list: FS19, FS22 or FS25."),
                                QStringLiteral("[GAME]"));
  AParser.addPositionalArgument(QStringLiteral("--"),
                                QStringLiteral("With --launch: the game's command follows."),
                                QStringLiteral("[-- COMMAND...]"));
}

// The command given, or an error when there is more than one.
std::optional<TCommandLine::TKind> CommandKind(const QCommandLineParser& AParser,
                                               const TOptions& AOptions, QString& AError) {
  const std::pair<const QCommandLineOption*, TCommandLine::TKind> Commands[] = {
      {&AOptions.List, TCommandLine::TKind::List},
      {&AOptions.Activate, TCommandLine::TKind::Activate},
      {&AOptions.Sync, TCommandLine::TKind::Sync},
      {&AOptions.Launch, TCommandLine::TKind::Launch}};
  std::optional<TCommandLine::TKind> Kind;
  for (const auto& [Option, OptionKind] : Commands) {
    if (!AParser.isSet(*Option))
      continue;
    if (Kind || AParser.values(*Option).size() > 1) {
      AError = QStringLiteral("Give only one of --list, --activate, --sync and --launch.");
      return std::nullopt;
    }
    Kind = OptionKind;
  }
  return Kind ? Kind : TCommandLine::TKind::Window;
}

// The checks that need the whole line read.
QString CheckLine(TCommandLine& ALine, const QCommandLineParser& AParser,
                  const TOptions& AOptions) {
  using TKind = TCommandLine::TKind;
  const QStringList Positional = AParser.positionalArguments();
  if (AParser.isSet(AOptions.Game)) {
    const QString Value = AParser.value(AOptions.Game);
    ALine.Game = FSVersionFromCaption(Value);
    if (!ALine.Game)
      return UnknownGameError(Value);
  }
  if (ALine.Kind == TKind::List && !Positional.isEmpty()) {
    if (Positional.size() > 1)
      return QStringLiteral("Unexpected argument \"%1\".").arg(Positional[1]);
    const std::optional<TFSVersion> Listed = FSVersionFromCaption(Positional[0]);
    if (!Listed)
      return UnknownGameError(Positional[0]);
    if (ALine.Game && *ALine.Game != *Listed)
      return QStringLiteral("--list names %1 and --game %2: give one.")
          .arg(FSTabCaption(*Listed), FSTabCaption(*ALine.Game));
    ALine.Game = Listed;
  } else if (!Positional.isEmpty()) {
    return QStringLiteral("Unexpected argument \"%1\".").arg(Positional[0]);
  }
  if (ALine.Kind == TKind::Window && (ALine.Game || ALine.NoWindow))
    return QStringLiteral("--game and --no-window go with --activate, --sync or --launch.");
  if (ALine.Kind != TKind::List && ALine.Kind != TKind::Window && ALine.Name.trimmed().isEmpty())
    return QStringLiteral("The mod folder's name is empty.");
  if (ALine.Kind == TKind::Launch && ALine.Command.isEmpty())
    return QStringLiteral(
        "--launch needs the game's command after -- (in Steam's launch options: -- %command%).");
  if (ALine.Kind != TKind::Launch && !ALine.Command.isEmpty())
    return QStringLiteral("Only --launch runs a command after --.");
  return {};
}

} // namespace

std::optional<TFSVersion> FSVersionFromCaption(const QString& AText) {
  QString Text = AText.trimmed().toUpper();
  if (Text.startsWith(QLatin1String("FS")))
    Text.remove(0, 2);
  for (const TFSVersion FSVersion : AllFSVersions) {
    if (Text == FSVersionToNumberStr(FSVersion))
      return FSVersion;
  }
  return std::nullopt;
}

TCommandLineReading ReadCommandLine(const QStringList& AArguments) {
  TCommandLineReading Reading;
  TCommandLine Line;
  QStringList Options = AArguments;
  if (const qsizetype Separator = Options.indexOf(QStringLiteral("--")); Separator > 0) {
    Line.Command = Options.mid(Separator + 1);
    Options = Options.mid(0, Separator);
  }

  QCommandLineParser Parser;
  const TOptions Declared;
  Describe(Parser, Declared);
  const QCommandLineOption Help = Parser.addHelpOption();
  const QCommandLineOption Version = Parser.addVersionOption();
  if (!Parser.parse(Options)) {
    Reading.Error = Parser.errorText();
    return Reading;
  }
  if (Parser.isSet(Help)) {
    // The program's own name, also where Qt does not know it (no application
    // object yet) or knows a wrapper's.
    Reading.Output = Parser.helpText().replace(QRegularExpression(QStringLiteral("^Usage: \\S+")),
                                               QStringLiteral("Usage: tilvane"));
    return Reading;
  }
  if (Parser.isSet(Version)) {
    Reading.Output =
        QCoreApplication::applicationName() + u' ' + QCoreApplication::applicationVersion() + u'\n';
    return Reading;
  }

  const std::optional<TCommandLine::TKind> Kind = CommandKind(Parser, Declared, Reading.Error);
  if (!Kind)
    return Reading;
  Line.Kind = *Kind;
  for (const QCommandLineOption* Named : {&Declared.Activate, &Declared.Sync, &Declared.Launch}) {
    if (Parser.isSet(*Named))
      Line.Name = Parser.value(*Named);
  }
  Line.NoWindow = Parser.isSet(Declared.NoWindow);
  Reading.Error = CheckLine(Line, Parser, Declared);
  if (Reading.Error.isEmpty())
    Reading.Line = std::move(Line);
  return Reading;
}

} // namespace tilvane
