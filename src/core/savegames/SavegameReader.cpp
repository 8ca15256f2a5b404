#include "core/savegames/SavegameReader.h"

#include "core/common/AppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <pugixml.hpp>

#include <cstring>

namespace tilvane {

namespace {

// The game numbers its save slots so.
constexpr int LastSavegameNumber = 20;
// A career file is a few hundred kilobytes at most; anything far larger is
// not one, and must not be read into memory whole.
constexpr qint64 MaxCareerFileSize = 64 * 1024 * 1024;

QString Utf8(const char* AText) {
  return QString::fromUtf8(AText);
}

QByteArray ReadCareerFile(const QString& APath) {
  QFile File(APath);
  if (!File.open(QIODevice::ReadOnly))
    throw EAppError(QStringLiteral("careerSavegame.xml cannot be read: ") + File.errorString());
  if (File.size() > MaxCareerFileSize)
    throw EAppError(QStringLiteral("careerSavegame.xml is too large to be a savegame."));
  QByteArray Bytes = File.readAll();
  if (File.error() != QFileDevice::NoError)
    throw EAppError(QStringLiteral("careerSavegame.xml cannot be read: ") + File.errorString());
  return Bytes;
}

TSavegameMod ModOf(const pugi::xml_node AElement) {
  TSavegameMod Mod;
  Mod.ModName = Utf8(AElement.attribute("modName").value());
  Mod.Title = Utf8(AElement.attribute("title").value());
  Mod.Version = Utf8(AElement.attribute("version").value());
  const pugi::xml_attribute Required = AElement.attribute("required");
  Mod.Required = !Required || std::strcmp(Required.value(), "false") != 0;
  const QString Hash = Utf8(AElement.attribute("fileHash").value());
  // A folder mod has no archive to hash: the game writes nothing or "nil".
  if (Hash != QLatin1String("nil"))
    Mod.FileHash = Hash.toLower();
  return Mod;
}

} // namespace

TSavegame ReadSavegame(const QString& APath, const QString& AFolderName) {
  const QByteArray Bytes = ReadCareerFile(APath);
  pugi::xml_document Document;
  const pugi::xml_parse_result Parsed =
      Document.load_buffer(Bytes.constData(), static_cast<size_t>(Bytes.size()),
                           pugi::parse_default, pugi::encoding_auto);
  if (!Parsed)
    throw EAppError(QStringLiteral("careerSavegame.xml is damaged: ") + Utf8(Parsed.description()));
  const pugi::xml_node Root = Document.document_element();
  if (std::strcmp(Root.name(), "careerSavegame") != 0)
    throw EAppError(QStringLiteral("careerSavegame.xml is not a savegame."));

  TSavegame Save;
  Save.FolderName = AFolderName;
  Save.Number = AFolderName.mid(QStringLiteral("savegame").size()).toInt();
  const pugi::xml_node Settings = Root.child("settings");
  Save.SavegameName = Utf8(Settings.child_value("savegameName"));
  Save.MapTitle = Utf8(Settings.child_value("mapTitle"));
  Save.MapId = Utf8(Settings.child_value("mapId"));
  // FS19, FS22 and FS25 all list the mods as <mod> directly below the root.
  for (const pugi::xml_node Element : Root.children("mod")) {
    TSavegameMod Mod = ModOf(Element);
    // An element without a name names nothing the game could preselect.
    if (!Mod.ModName.isEmpty())
      Save.Mods.append(std::move(Mod));
  }
  return Save;
}

TSavegameReading ReadSavegames(const QString& AMyGamesFolder) {
  TSavegameReading Reading;
  if (AMyGamesFolder.isEmpty())
    return Reading;
  const QDir Folder(AMyGamesFolder);
  for (int Number = 1; Number <= LastSavegameNumber; ++Number) {
    const QString Name = QStringLiteral("savegame") + QString::number(Number);
    const QString Path = Folder.filePath(Name + QStringLiteral("/careerSavegame.xml"));
    if (!QFileInfo(Path).isFile())
      continue;
    try {
      Reading.Saves.push_back(ReadSavegame(Path, Name));
    } catch (const std::exception& Error) {
      Reading.Skipped.append(Name + QStringLiteral(": ") + ExceptionText(Error));
    }
  }
  return Reading;
}

} // namespace tilvane
