#include "StatsFeeds.h"

#include <QCryptographicHash>
#include <QFile>
#include <QXmlStreamWriter>

namespace tilvane::kit {

QString GameArchiveHash(const QString& APath, const QString& AFileName) {
  QFile File(APath);
  if (!File.open(QIODevice::ReadOnly))
    return {};
  QCryptographicHash Hash(QCryptographicHash::Md5);
  if (!Hash.addData(&File))
    return {};
  const QString ModName = AFileName.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive)
                              ? AFileName.chopped(4)
                              : AFileName;
  Hash.addData(ModName.toUtf8());
  return QString::fromLatin1(Hash.result().toHex());
}

QByteArray MakeStatsFeed(const TFeedServer& AServer, const std::vector<TFeedEntry>& AEntries) {
  QByteArray Body;
  QXmlStreamWriter Xml(&Body);
  Xml.setAutoFormatting(true);
  Xml.setAutoFormattingIndent(-1); // tabs, as the game writes it
  Xml.writeStartElement(QStringLiteral("Server"));
  Xml.writeAttribute(QStringLiteral("game"), AServer.Game);
  Xml.writeAttribute(QStringLiteral("version"), AServer.Version);
  Xml.writeAttribute(QStringLiteral("name"), AServer.Name);
  Xml.writeAttribute(QStringLiteral("mapName"), AServer.MapName);
  Xml.writeAttribute(QStringLiteral("dayTime"), QStringLiteral("39691360"));
  Xml.writeAttribute(QStringLiteral("mapSize"), QStringLiteral("2048"));
  Xml.writeStartElement(QStringLiteral("Slots"));
  Xml.writeAttribute(QStringLiteral("capacity"), QStringLiteral("4"));
  Xml.writeAttribute(QStringLiteral("numUsed"), QStringLiteral("0"));
  Xml.writeEndElement();
  Xml.writeStartElement(QStringLiteral("Mods"));
  for (const TFeedEntry& Entry : AEntries) {
    const QString& FileName = Entry.Mod.FileName;
    Xml.writeStartElement(QStringLiteral("Mod"));
    Xml.writeAttribute(QStringLiteral("name"),
                       FileName.endsWith(QLatin1String(".zip"), Qt::CaseInsensitive)
                           ? FileName.chopped(4)
                           : FileName);
    Xml.writeAttribute(QStringLiteral("author"), Entry.Mod.Author);
    Xml.writeAttribute(QStringLiteral("version"), Entry.Mod.Version);
    Xml.writeAttribute(QStringLiteral("hash"), Entry.Hash);
    Xml.writeCharacters(Entry.Mod.Title);
    Xml.writeEndElement();
  }
  Xml.writeEndElement(); // Mods
  Xml.writeEmptyElement(QStringLiteral("Farmlands"));
  Xml.writeEmptyElement(QStringLiteral("Fields"));
  Xml.writeEmptyElement(QStringLiteral("Vehicles"));
  Xml.writeEndElement(); // Server
  Xml.writeEndDocument();
  // The game's own declaration, in its letter case.
  return "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\"?>\n" + Body.trimmed() + '\n';
}

} // namespace tilvane::kit
