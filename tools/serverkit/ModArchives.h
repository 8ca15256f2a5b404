#pragma once

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <utility>
#include <vector>

namespace tilvane::kit {

// Mod archives as the game's mod authors ship them: zip files with a
// modDesc.xml at their root.

// A zip archive written with libzip; entries are stored under their names as given.
void MakeZip(const QString& APath, const std::vector<std::pair<QString, QByteArray>>& AEntries);
// An archive whose root modDesc.xml declares AAuthor and AVersion.
void MakeModArchive(const QString& APath, const QString& AAuthor, const QString& AVersion);
QByteArray ModDescXml(const QString& AAuthor, const QString& AVersion);

// A description as the game's mod authors write it: declaration, author and
// version first, titles and a CDATA description in several languages.
QByteArray ModDescription(const QString& AAuthor, const QString& AVersion, int AIndex);

// Fills ABuffer with bytes no compressor can shrink; cheap enough for a
// gigabyte. ASeed makes archives of the same size differ.
void FillRandom(QByteArray& ABuffer, std::uint64_t ASeed);

// A mod archive of about ASize bytes: a deflated description and one stored
// entry of random bytes carrying the rest. APayload is reused between calls
// (it must hold at least ASize bytes) so that a gigabyte of archives needs
// one buffer.
void WriteLargeModArchive(const QString& APath, const QString& AAuthor, const QString& AVersion,
                          QByteArray& APayload, qint64 ASize, std::uint64_t ASeed);

// A mod archive laid out like a small real one: description, scripts,
// textures and models, about 100 KB in AEntries entries.
void WriteSmallModArchive(const QString& APath, const QString& AAuthor, const QString& AVersion,
                          int AIndex, int AEntries);

} // namespace tilvane::kit
