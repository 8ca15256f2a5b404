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
  TGameXmlDocument Doc;
  if (!Doc.Load(GameXmlFileName()))
    return false;
  return TGameXmlDocument::FirstChildValue(Doc.SelectSingleNode(DevConsolePath)) ==
         QLatin1String("true");
}

void TGameSettingsFiles::SetEnableDevConsole(bool AValue) const {
  const QString FileName = GameXmlFileName();
  TGameXmlDocument Doc;
  if (!Doc.Load(FileName))
    return;
  TGameXmlDocument::SetFirstChildValue(Doc.SelectSingleNode(DevConsolePath),
                                       AValue ? QStringLiteral("true") : QStringLiteral("false"));
  Doc.Save(FileName);
}

QString TGameSettingsFiles::GetInGameName() const {
  TGameXmlDocument Doc;
  if (!Doc.Load(GameSettingsFileName()))
    return {};
  switch (FFSVersion) {
  case TFSVersion::fsv19:
    return TGameXmlDocument::AttributeValue(Doc.SelectSingleNode(PlayerPath), "name");
  case TFSVersion::fsv22:
  case TFSVersion::fsv25:
    return TGameXmlDocument::FirstChildValue(Doc.SelectSingleNode(OnlinePresencePath));
  }
  RaiseFSVersionException(FFSVersion);
}

void TGameSettingsFiles::SetInGameName(const QString& AValue) const {
  const QString FileName = GameSettingsFileName();
  TGameXmlDocument Doc;
  if (!Doc.Load(FileName))
    return;
  switch (FFSVersion) {
  case TFSVersion::fsv19: {
    // The name goes only into an existing player element; an FS19 player
    // without a name attribute gets one, as the game would write it.
    const pugi::xml_node Player = Doc.SelectSingleNode(PlayerPath);
    if (Player)
      TGameXmlDocument::SetAttribute(Player, "name", AValue);
    break;
  }
  case TFSVersion::fsv22:
  case TFSVersion::fsv25:
    TGameXmlDocument::SetFirstChildValue(Doc.SelectSingleNode(OnlinePresencePath), AValue);
    break;
  default:
    RaiseFSVersionException(FFSVersion);
  }
  Doc.Save(FileName);
}

QString TGameSettingsFiles::GetModFolder() const {
  TGameXmlDocument Doc;
  if (!Doc.Load(GameSettingsFileName()))
    return {};
  const pugi::xml_node Node = Doc.SelectSingleNode(OverridePath);
  if (!Node || TGameXmlDocument::AttributeValue(Node, "active") != QLatin1String("true"))
    return {};
  return TGameXmlDocument::AttributeValue(Node, "directory");
}

void TGameSettingsFiles::SetModFolder(const QString& AFolder) const {
  const QString FileName = GameSettingsFileName();
  TGameXmlDocument Doc;
  if (!Doc.Load(FileName))
    return;
  pugi::xml_node Node = Doc.SelectSingleNode(OverridePath);
  if (AFolder.isEmpty()) {
    // No override: the game uses its own mods folder. Creating the element
    // only to remove it again would leave the same document.
    if (Node)
      TGameXmlDocument::RemoveNode(Node);
  } else {
    if (!Node) {
      Node = TGameXmlDocument::InsertFirstChild(Doc.Root(), "modsDirectoryOverride");
      Node.append_attribute("active").set_value("true");
      Node.append_attribute("directory").set_value("some dir here");
    }
    TGameXmlDocument::SetAttribute(Node, "active", QStringLiteral("true"));
    TGameXmlDocument::SetAttribute(Node, "directory", AFolder);
  }
  Doc.Save(FileName);
}

void TGameSettingsFiles::GetJoinGame(QString& AGameNameFilter, QString& AGamePassword) const {
  const QString FileName = GameSettingsFileName();
  if (FileName.isEmpty())
    return;
  AGameNameFilter.clear();
  AGamePassword.clear();
  TGameXmlDocument Doc;
  if (!Doc.Load(FileName))
    return;
  const pugi::xml_node Node = Doc.SelectSingleNode(JoinGamePath);
  if (!Node)
    return;
  if (Node.attribute("serverName"))
    AGameNameFilter = TGameXmlDocument::AttributeValue(Node, "serverName");
  if (Node.attribute("password"))
    AGamePassword = TGameXmlDocument::AttributeValue(Node, "password");
}

void TGameSettingsFiles::SetJoinGame(const QString& AGameNameFilter,
                                     const QString& AGamePassword) const {
  const QString FileName = GameSettingsFileName();
  TGameXmlDocument Doc;
  if (!Doc.Load(FileName))
    return;
  pugi::xml_node Node = Doc.SelectSingleNode(JoinGamePath);
  if (!Node) {
    Node = TGameXmlDocument::AppendLastChild(Doc.Root(), "joinGame");
    if (FFSVersion == TFSVersion::fsv25) {
      Node.append_attribute("includePasswordProtected").set_value("true");
      Node.append_attribute("includeFullGames").set_value("true");
    }
    Node.append_attribute("onlyWithAllModsAvailable").set_value("false");
    Node.append_attribute("serverName").set_value("servername");
    Node.append_attribute("mapId").set_value("");
    Node.append_attribute("language").set_value("0");
    Node.append_attribute("capacity").set_value("16");
    Node.append_attribute("allowCrossPlay").set_value("true");
    Node.append_attribute("password").set_value("password");
  }
  TGameXmlDocument::SetAttribute(Node, "serverName", AGameNameFilter);
  TGameXmlDocument::SetAttribute(Node, "password", AGamePassword);
  Doc.Save(FileName);
}

} // namespace tilvane
