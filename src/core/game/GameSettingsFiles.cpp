#include "core/game/GameSettingsFiles.h"

#include "core/game/GameXmlDocument.h"

namespace tilvane {

namespace {
// The spelling the game itself uses when it writes the files.
const QString GameXmlName = QStringLiteral("game.xml");
const QString GameSettingsName = QStringLiteral("gameSettings.xml");

constexpr const char* DevConsolePath = "/game/development/controls";
constexpr const char* PlayerPath = "/gameSettings/player";
constexpr const char* OnlinePresencePath = "/gameSettings/onlinePresenceName";
constexpr const char* OverridePath = "/gameSettings/modsDirectoryOverride";
constexpr const char* JoinGamePath = "/gameSettings/joinGame";
} // namespace

TGameSettingsFiles::TGameSettingsFiles(QString AMyGamesFolder, TFSVersion AFSVersion)
    : FMyGamesFolder(std::move(AMyGamesFolder)), FFSVersion(AFSVersion) {}

QString TGameSettingsFiles::GameXmlFileName() const {
  return TGameXmlDocument::FindFileIgnoringCase(FMyGamesFolder, GameXmlName);
}

QString TGameSettingsFiles::GameSettingsFileName() const {
  return TGameXmlDocument::FindFileIgnoringCase(FMyGamesFolder, GameSettingsName);
}

bool TGameSettingsFiles::GetEnableDevConsole() const {
  TGameXmlDocument doc;
  if (!doc.Load(GameXmlFileName()))
    return false;
  return TGameXmlDocument::FirstChildValue(doc.SelectSingleNode(DevConsolePath)) ==
         QLatin1String("true");
}

void TGameSettingsFiles::SetEnableDevConsole(bool Value) const {
  const QString fileName = GameXmlFileName();
  TGameXmlDocument doc;
  if (!doc.Load(fileName))
    return;
  TGameXmlDocument::SetFirstChildValue(doc.SelectSingleNode(DevConsolePath),
                                       Value ? QStringLiteral("true") : QStringLiteral("false"));
  doc.Save(fileName);
}

QString TGameSettingsFiles::GetInGameName() const {
  TGameXmlDocument doc;
  if (!doc.Load(GameSettingsFileName()))
    return {};
  switch (FFSVersion) {
  case TFSVersion::fsv19:
    return TGameXmlDocument::AttributeValue(doc.SelectSingleNode(PlayerPath), "name");
  case TFSVersion::fsv22:
  case TFSVersion::fsv25:
    return TGameXmlDocument::FirstChildValue(doc.SelectSingleNode(OnlinePresencePath));
  }
  RaiseFSVersionException(FFSVersion);
}

void TGameSettingsFiles::SetInGameName(const QString& Value) const {
  const QString fileName = GameSettingsFileName();
  TGameXmlDocument doc;
  if (!doc.Load(fileName))
    return;
  switch (FFSVersion) {
  case TFSVersion::fsv19: {
    // The name goes only into an existing player element; an FS19 player
    // without a name attribute gets one, as the game would write it.
    const pugi::xml_node player = doc.SelectSingleNode(PlayerPath);
    if (player)
      TGameXmlDocument::SetAttribute(player, "name", Value);
    break;
  }
  case TFSVersion::fsv22:
  case TFSVersion::fsv25:
    TGameXmlDocument::SetFirstChildValue(doc.SelectSingleNode(OnlinePresencePath), Value);
    break;
  default:
    RaiseFSVersionException(FFSVersion);
  }
  doc.Save(fileName);
}

QString TGameSettingsFiles::GetModFolder() const {
  TGameXmlDocument doc;
  if (!doc.Load(GameSettingsFileName()))
    return {};
  const pugi::xml_node node = doc.SelectSingleNode(OverridePath);
  if (!node || TGameXmlDocument::AttributeValue(node, "active") != QLatin1String("true"))
    return {};
  return TGameXmlDocument::AttributeValue(node, "directory");
}

void TGameSettingsFiles::SetModFolder(const QString& AFolder) const {
  const QString fileName = GameSettingsFileName();
  TGameXmlDocument doc;
  if (!doc.Load(fileName))
    return;
  pugi::xml_node node = doc.SelectSingleNode(OverridePath);
  if (AFolder.isEmpty()) {
    // No override: the game uses its own mods folder. Creating the element
    // only to remove it again would leave the same document.
    if (node)
      TGameXmlDocument::RemoveNode(node);
  } else {
    if (!node) {
      node = TGameXmlDocument::InsertFirstChild(doc.Root(), "modsDirectoryOverride");
      node.append_attribute("active").set_value("true");
      node.append_attribute("directory").set_value("some dir here");
    }
    TGameXmlDocument::SetAttribute(node, "active", QStringLiteral("true"));
    TGameXmlDocument::SetAttribute(node, "directory", AFolder);
  }
  doc.Save(fileName);
}

void TGameSettingsFiles::GetJoinGame(QString& GameNameFilter, QString& GamePassword) const {
  const QString fileName = GameSettingsFileName();
  if (fileName.isEmpty())
    return;
  GameNameFilter.clear();
  GamePassword.clear();
  TGameXmlDocument doc;
  if (!doc.Load(fileName))
    return;
  const pugi::xml_node node = doc.SelectSingleNode(JoinGamePath);
  if (!node)
    return;
  if (node.attribute("serverName"))
    GameNameFilter = TGameXmlDocument::AttributeValue(node, "serverName");
  if (node.attribute("password"))
    GamePassword = TGameXmlDocument::AttributeValue(node, "password");
}

void TGameSettingsFiles::SetJoinGame(const QString& GameNameFilter,
                                     const QString& GamePassword) const {
  const QString fileName = GameSettingsFileName();
  TGameXmlDocument doc;
  if (!doc.Load(fileName))
    return;
  pugi::xml_node node = doc.SelectSingleNode(JoinGamePath);
  if (!node) {
    node = TGameXmlDocument::AppendLastChild(doc.Root(), "joinGame");
    if (FFSVersion == TFSVersion::fsv25) {
      node.append_attribute("includePasswordProtected").set_value("true");
      node.append_attribute("includeFullGames").set_value("true");
    }
    node.append_attribute("onlyWithAllModsAvailable").set_value("false");
    node.append_attribute("serverName").set_value("servername");
    node.append_attribute("mapId").set_value("");
    node.append_attribute("language").set_value("0");
    node.append_attribute("capacity").set_value("16");
    node.append_attribute("allowCrossPlay").set_value("true");
    node.append_attribute("password").set_value("password");
  }
  TGameXmlDocument::SetAttribute(node, "serverName", GameNameFilter);
  TGameXmlDocument::SetAttribute(node, "password", GamePassword);
  doc.Save(fileName);
}

} // namespace tilvane
