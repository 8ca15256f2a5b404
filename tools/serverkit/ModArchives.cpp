#include "ModArchives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>

namespace tilvane::kit {

void MakeZip(const QString& APath, const std::vector<std::pair<QString, QByteArray>>& AEntries) {
  QDir().mkpath(QFileInfo(APath).absolutePath());
  QFile::remove(APath);
  int Error = 0;
  zip_t* Zip = zip_open(QFile::encodeName(APath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &Error);
  if (!Zip)
    throw std::runtime_error("zip_open failed");
  for (const auto& [Name, Content] : AEntries) {
    // libzip keeps the buffer until zip_close; copy it into its own memory.
    void* Copy = malloc(static_cast<size_t>(Content.size()) + 1);
    memcpy(Copy, Content.constData(), static_cast<size_t>(Content.size()));
    zip_source_t* Source =
        zip_source_buffer(Zip, Copy, static_cast<zip_uint64_t>(Content.size()), 1);
    if (zip_file_add(Zip, Name.toUtf8().constData(), Source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) <
        0)
      zip_source_free(Source);
  }
  if (zip_close(Zip) != 0) {
    zip_discard(Zip);
    throw std::runtime_error("zip_close failed");
  }
}

QByteArray ModDescXml(const QString& AAuthor, const QString& AVersion) {
  return (QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\r\n"
                         "<modDesc descVersion=\"92\">\r\n\t<author>%1</author>\r\n"
                         "\t<version>%2</version>\r\n\t<title>\r\n\t\t<en>Test</en>\r\n"
                         "\t</title>\r\n</modDesc>\r\n")
              .arg(AAuthor, AVersion))
      .toUtf8();
}

void MakeModArchive(const QString& APath, const QString& AAuthor, const QString& AVersion) {
  MakeZip(APath, {{QStringLiteral("modDesc.xml"), ModDescXml(AAuthor, AVersion)},
                  {QStringLiteral("icon.dds"), QByteArray(64, 'x')}});
}

namespace {

struct TZipDiscarder {
  void operator()(zip_t* AZip) const { zip_discard(AZip); }
};
using TZipPtr = std::unique_ptr<zip_t, TZipDiscarder>;

// Collects entries whose bytes must stay alive until the archive is closed.
class TZipWriter {
public:
  explicit TZipWriter(const QString& APath) {
    QFile::remove(APath);
    int Error = 0;
    FZip.reset(zip_open(QFile::encodeName(APath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &Error));
    if (!FZip)
      throw std::runtime_error("zip_open failed for " + APath.toStdString());
  }

  // ABytes is not copied: keep it unchanged until Close.
  void Add(const char* AName, const char* ABytes, qint64 ASize, bool AStore) {
    zip_source_t* Source =
        zip_source_buffer(FZip.get(), ABytes, static_cast<zip_uint64_t>(ASize), 0);
    if (!Source)
      throw std::runtime_error("zip_source_buffer failed");
    const zip_int64_t Index = zip_file_add(FZip.get(), AName, Source, ZIP_FL_OVERWRITE);
    if (Index < 0) {
      zip_source_free(Source);
      throw std::runtime_error(std::string("zip_file_add failed: ") + zip_strerror(FZip.get()));
    }
    zip_set_file_compression(FZip.get(), static_cast<zip_uint64_t>(Index),
                             AStore ? ZIP_CM_STORE : ZIP_CM_DEFLATE, 0);
  }

  void Add(const char* AName, const QByteArray& ABytes, bool AStore) {
    FKept.push_back(ABytes);
    Add(AName, FKept.back().constData(), FKept.back().size(), AStore);
  }

  void Close() {
    if (zip_close(FZip.get()) != 0)
      throw std::runtime_error(std::string("zip_close failed: ") + zip_strerror(FZip.get()));
    (void)FZip.release();
  }

private:
  TZipPtr FZip;
  std::vector<QByteArray> FKept;
};

std::uint64_t NextRandom(std::uint64_t& AState) {
  // xorshift64*: fast, and its output does not deflate.
  AState ^= AState >> 12;
  AState ^= AState << 25;
  AState ^= AState >> 27;
  return AState * 0x2545F4914F6CDD1DULL;
}

QByteArray LuaScript(int AIndex, int APart) {
  QByteArray Text =
      "-- Specialization " + QByteArray::number(AIndex) + "." + QByteArray::number(APart) + "\r\n";
  for (int i = 0; i < 60; ++i)
    Text += "function Repair" + QByteArray::number(APart) + ":onUpdate" + QByteArray::number(i) +
            "(dt)\r\n\tlocal state = self.repairState\r\n\tif state.active then\r\n\t\t"
            "state.timer = state.timer + dt * " +
            QByteArray::number(i) + "\r\n\tend\r\nend\r\n\r\n";
  return Text;
}

} // namespace

QByteArray ModDescription(const QString& AAuthor, const QString& AVersion, int AIndex) {
  const QString Text =
      QStringLiteral(
          "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\r\n"
          "<modDesc descVersion=\"92\">\r\n"
          "\t<author>%1</author>\r\n"
          "\t<version>%2</version>\r\n"
          "\t<title>\r\n\t\t<en>Service Trailer %3</en>\r\n\t\t<de>Serviceanh\u00e4nger %3</de>\r\n"
          "\t\t<fr>Remorque de service %3</fr>\r\n\t</title>\r\n"
          "\t<description>\r\n"
          "\t\t<en><![CDATA[A trailer that carries fuel and spare parts to the field.\r\n\r\n"
          "Capacity: 4000 l diesel\r\nPrice: 45,000\r\nColours for body and rims.\r\n"
          "Report issues on the author's page.]]></en>\r\n"
          "\t\t<de><![CDATA[Ein Anh\u00e4nger, der Diesel und Ersatzteile auf das Feld bringt.\r\n"
          "\r\nKapazit\u00e4t: 4000 l Diesel\r\nPreis: 45.000\r\nFarbwahl f\u00fcr Aufbau und "
          "Felgen.]]></de>\r\n"
          "\t</description>\r\n"
          "\t<iconFilename>icon_trailer%3.dds</iconFilename>\r\n"
          "\t<multiplayer supported=\"true\"/>\r\n"
          "\t<extraSourceFiles>\r\n"
          "\t\t<sourceFile filename=\"scripts/register.lua\"/>\r\n"
          "\t</extraSourceFiles>\r\n"
          "\t<specializations>\r\n"
          "\t\t<specialization name=\"serviceTrailer\" className=\"ServiceTrailer\" "
          "filename=\"scripts/serviceTrailer.lua\"/>\r\n"
          "\t</specializations>\r\n"
          "\t<storeItems>\r\n"
          "\t\t<storeItem xmlFilename=\"xml/serviceTrailer%3.xml\"/>\r\n"
          "\t</storeItems>\r\n"
          "\t<l10n>\r\n"
          "\t\t<text "
          "name=\"action_refuel\">\r\n\t\t\t<en>Refuel</en>\r\n\t\t\t<de>Auftanken</de>\r\n"
          "\t\t</text>\r\n"
          "\t\t<text name=\"action_repair\">\r\n\t\t\t<en>Repair</en>\r\n\t\t\t<de>Reparieren</de>"
          "\r\n\t\t</text>\r\n"
          "\t</l10n>\r\n"
          "</modDesc>\r\n")
          .arg(AAuthor, AVersion)
          .arg(AIndex);
  return Text.toUtf8();
}

void FillRandom(QByteArray& ABuffer, std::uint64_t ASeed) {
  std::uint64_t State = ASeed * 0x9E3779B97F4A7C15ULL + 1;
  char* Data = ABuffer.data();
  const qsizetype Words = ABuffer.size() / 8;
  for (qsizetype i = 0; i < Words; ++i) {
    const std::uint64_t Value = NextRandom(State);
    std::memcpy(Data + i * 8, &Value, 8);
  }
  for (qsizetype i = Words * 8; i < ABuffer.size(); ++i)
    Data[i] = static_cast<char>(NextRandom(State));
}

void WriteLargeModArchive(const QString& APath, const QString& AAuthor, const QString& AVersion,
                          QByteArray& APayload, qint64 ASize, std::uint64_t ASeed) {
  const QByteArray Description = ModDescription(AAuthor, AVersion, static_cast<int>(ASeed));
  // Directory, headers and the deflated description take about 1.5 KB.
  const qint64 PayloadSize = ASize - 1600;
  if (APayload.size() < PayloadSize)
    throw std::runtime_error("payload buffer too small");
  // A fresh head per archive keeps the archives distinct without refilling
  // the whole buffer.
  std::uint64_t State = ASeed + 7;
  for (int i = 0; i < 64; ++i)
    APayload[i] = static_cast<char>(NextRandom(State));
  TZipWriter Zip(APath);
  Zip.Add("modDesc.xml", Description, false);
  Zip.Add("data/terrain.i3d.shapes", APayload.constData(), PayloadSize, true);
  Zip.Close();
}

void WriteSmallModArchive(const QString& APath, const QString& AAuthor, const QString& AVersion,
                          int AIndex, int AEntries) {
  TZipWriter Zip(APath);
  Zip.Add("modDesc.xml", ModDescription(AAuthor, AVersion, AIndex), false);
  for (int i = 1; i < AEntries; ++i) {
    const QByteArray Number = QByteArray::number(i);
    switch (i % 3) {
    case 0:
      Zip.Add(("scripts/repair" + Number + ".lua").constData(), LuaScript(AIndex, i), false);
      break;
    case 1: {
      QByteArray Texture(6 * 1024, Qt::Uninitialized);
      FillRandom(Texture, static_cast<std::uint64_t>(AIndex) * 1000 + i);
      Zip.Add(("textures/part" + Number + "_diffuse.dds").constData(), Texture, true);
      break;
    }
    default: {
      QByteArray Shapes(2 * 1024, Qt::Uninitialized);
      FillRandom(Shapes, static_cast<std::uint64_t>(AIndex) * 1000 + i);
      Zip.Add(("i3d/part" + Number + ".i3d.shapes").constData(), Shapes, true);
      break;
    }
    }
  }
  Zip.Close();
}

} // namespace tilvane::kit
