#include "support/GameFolders.h"

namespace tilvane::test {

TGameFolders::TGameFolders(TestEnvironment& AEnv) : FEnv(AEnv) {
  AEnv.Platform().SetGameDocumentsFolder(Documents().toStdString());
}

QString TGameFolders::Folder(TFSVersion AFSVersion) {
  return AFSVersion == TFSVersion::fsv19   ? QStringLiteral("FarmingSimulator2019")
         : AFSVersion == TFSVersion::fsv22 ? QStringLiteral("FarmingSimulator2022")
                                           : QStringLiteral("FarmingSimulator2025");
}

QString TGameFolders::Documents() const {
  return FEnv.PathOf(QStringLiteral("prefix/Documents"));
}

QString TGameFolders::Executable(TFSVersion AFSVersion) const {
  return FEnv.PathOf(QStringLiteral("games/") + Folder(AFSVersion) + QStringLiteral(".exe"));
}

QString TGameFolders::MyGames(TFSVersion AFSVersion) const {
  return Documents() + QStringLiteral("/My Games/") + Folder(AFSVersion);
}

QString TGameFolders::GameSettings(TFSVersion AFSVersion) const {
  return MyGames(AFSVersion) + QStringLiteral("/gameSettings.xml");
}

QString TGameFolders::GameXml(TFSVersion AFSVersion) const {
  return MyGames(AFSVersion) + QStringLiteral("/game.xml");
}

QByteArray TGameFolders::GameSettingsContent(TFSVersion AFSVersion, const char* AInGameName) {
  const QByteArray Head =
      QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                        "<gameSettings revision=\"15\">\n");
  const QByteArray Tail = QByteArrayLiteral("</gameSettings>\n");
  // FS19 keeps the name in its player element, the later games in an
  // element of its own.
  if (AFSVersion == TFSVersion::fsv19)
    return Head + "    <player index=\"1\" colorIndex=\"15\" name=\"" + AInGameName + "\"/>\n" +
           Tail;
  return Head + "    <onlinePresenceName>" + AInGameName + "</onlinePresenceName>\n" + Tail;
}

QByteArray TGameFolders::GameXmlContent(bool AEnableDevConsole) {
  return QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                           "<game>\n"
                           "    <development>\n"
                           "        <controls>") +
         (AEnableDevConsole ? "true" : "false") +
         QByteArrayLiteral("</controls>\n"
                           "    </development>\n"
                           "</game>\n");
}

} // namespace tilvane::test
