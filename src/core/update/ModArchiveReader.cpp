#include "core/update/ModArchiveReader.h"

#include "core/common/AppError.h"
#include "core/common/Paths.h"
#include "core/common/PromptService.h"
#include "core/common/TextCodecs.h"

#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>
#include <QStringEncoder>
#include <QStringList>

#include <pugixml.hpp>
#include <zip.h>

#include <array>
#include <memory>

namespace tilvane {

namespace {

struct TZipCloser {
  void operator()(zip_t* AZip) const { zip_discard(AZip); }
};
using TZipPtr = std::unique_ptr<zip_t, TZipCloser>;

struct TZipFileCloser {
  void operator()(zip_file_t* AFile) const { zip_fclose(AFile); }
};
using TZipFilePtr = std::unique_ptr<zip_file_t, TZipFileCloser>;

QString ZipErrorText(int ACode) {
  zip_error_t Error;
  zip_error_init_with_code(&Error, ACode);
  const QString Text = QString::fromUtf8(zip_error_strerror(&Error));
  zip_error_fini(&Error);
  return Text;
}

QString ZipErrorText(zip_t* AZip) {
  return QString::fromUtf8(zip_strerror(AZip));
}

// Removes the fixed temporary file however the inspection ends.
class TTempFileGuard {
public:
  explicit TTempFileGuard(const QString& AFileName) : FFileName(AFileName) {}
  ~TTempFileGuard() { QFile::remove(FFileName); }
  TTempFileGuard(const TTempFileGuard&) = delete;
  TTempFileGuard& operator=(const TTempFileGuard&) = delete;

private:
  QString FFileName;
};

// The description as lines of text, remembering how to write it back so that
// lines nobody touched keep their bytes. Files without a byte-order mark (and
// UTF-8 ones) are held one character per byte; UTF-16 is decoded.
class TTextLines {
public:
  explicit TTextLines(const QByteArray& ABytes) {
    QString Text;
    if (ABytes.startsWith("\xFF\xFE") || ABytes.startsWith("\xFE\xFF")) {
      FEncoding =
          ABytes.startsWith("\xFF\xFE") ? QStringConverter::Utf16LE : QStringConverter::Utf16BE;
      FUtf16 = true;
      QStringDecoder Decoder(FEncoding);
      Text = Decoder(ABytes.mid(2));
    } else {
      Text = QString::fromLatin1(ABytes);
    }
    Split(Text);
  }

  QStringList& Lines() { return FLines; }

  // Every line followed by CR LF, the last one too.
  QString Text() const {
    QString Result;
    for (const QString& Line : FLines)
      Result += Line + QLatin1String("\r\n");
    return Result;
  }

  void SetText(const QString& AText) { Split(AText); }

  QByteArray Encoded() const {
    if (!FUtf16)
      return Text().toLatin1();
    QStringEncoder Encoder(FEncoding, QStringConverter::Flag::WriteBom);
    return Encoder(Text());
  }

private:
  void Split(const QString& AText) {
    FLines.clear();
    qsizetype Start = 0;
    const qsizetype Length = AText.size();
    for (qsizetype I = 0; I < Length; ++I) {
      const QChar C = AText.at(I);
      if (C != u'\r' && C != u'\n')
        continue;
      FLines.append(AText.mid(Start, I - Start));
      if (C == u'\r' && I + 1 < Length && AText.at(I + 1) == u'\n')
        ++I;
      Start = I + 1;
    }
    if (Start < Length)
      FLines.append(AText.mid(Start));
  }

  QStringList FLines;
  bool FUtf16 = false;
  QStringConverter::Encoding FEncoding = QStringConverter::Latin1;
};

// Copies the entry into AFileName. False when it is larger than the limit (the
// partial file is removed then). Raises when the entry cannot be read.
bool ExtractEntry(zip_t* AZip, zip_int64_t AIndex, const QString& AFileName,
                  const QString& AArchiveName) {
  zip_stat_t Stat;
  zip_stat_init(&Stat);
  if (zip_stat_index(AZip, static_cast<zip_uint64_t>(AIndex), 0, &Stat) == 0 &&
      (Stat.valid & ZIP_STAT_SIZE) && Stat.size > TModArchiveReader::MaxModDescSize)
    return false;

  TZipFilePtr Entry(zip_fopen_index(AZip, static_cast<zip_uint64_t>(AIndex), 0));
  if (!Entry)
    throw EAppError(AArchiveName + QLatin1String(": ") + ZipErrorText(AZip));

  QFile Out(AFileName);
  if (!Out.open(QIODevice::WriteOnly | QIODevice::Truncate))
    throw EAppError(QLatin1String("Unable to create ") + AFileName + QLatin1String(": ") +
                    Out.errorString());
  std::array<char, 64 * 1024> Buffer;
  qint64 Total = 0;
  for (;;) {
    const zip_int64_t Read = zip_fread(Entry.get(), Buffer.data(), Buffer.size());
    if (Read < 0) {
      const QString Reason = QString::fromUtf8(zip_file_strerror(Entry.get()));
      throw EAppError(AArchiveName + QLatin1String(": ") + Reason);
    }
    if (Read == 0)
      break;
    Total += Read;
    // The directory may understate the size; the limit holds for what arrives.
    if (Total > TModArchiveReader::MaxModDescSize) {
      Out.close();
      QFile::remove(AFileName);
      return false;
    }
    if (Out.write(Buffer.data(), Read) != Read)
      throw EAppError(QLatin1String("Unable to write ") + AFileName + QLatin1String(": ") +
                      Out.errorString());
  }
  return true;
}

// Where the parser stopped in AText, the buffer it read. Columns count bytes;
// with ACharacters (a text decoded from a one-byte code page) they count UTF-8
// sequences instead, so that they are the columns of the stored file.
QString LineAndColumn(const QByteArray& AText, std::ptrdiff_t AOffset, bool ACharacters) {
  int Line = 1;
  int Column = 1;
  for (std::ptrdiff_t I = 0; I < AOffset && I < AText.size(); ++I) {
    const auto C = static_cast<unsigned char>(AText.at(I));
    if (C == '\n') {
      ++Line;
      Column = 1;
    } else if (!ACharacters || (C & 0xC0) != 0x80) {
      ++Column;
    }
  }
  return QStringLiteral(" (line %1, column %2)").arg(Line).arg(Column);
}

enum class TDeclaredEncoding { Other, Windows1252, Latin1 };

bool IsXmlSpace(char AChar) {
  return AChar == ' ' || AChar == '\t' || AChar == '\r' || AChar == '\n';
}

// The encoding named by the XML declaration at the start of ABytes. The parser
// itself knows only UTF-8, UTF-16, UTF-32 and Latin-1, yet descriptions saved
// by Windows editors declare Windows-1252.
TDeclaredEncoding DeclaredEncoding(QByteArrayView ABytes) {
  qsizetype Start = 0;
  while (Start < ABytes.size() && IsXmlSpace(ABytes.at(Start)))
    ++Start;
  QByteArrayView Rest = ABytes.sliced(Start);
  if (!Rest.startsWith("<?xml") || Rest.size() < 6 || !IsXmlSpace(Rest.at(5)))
    return TDeclaredEncoding::Other;
  const qsizetype End = Rest.indexOf("?>");
  if (End < 0)
    return TDeclaredEncoding::Other;
  const QByteArrayView Declaration = Rest.first(End);
  qsizetype I = Declaration.indexOf("encoding");
  if (I < 0)
    return TDeclaredEncoding::Other;
  I += 8;
  while (I < End && IsXmlSpace(Declaration.at(I)))
    ++I;
  if (I >= End || Declaration.at(I) != '=')
    return TDeclaredEncoding::Other;
  ++I;
  while (I < End && IsXmlSpace(Declaration.at(I)))
    ++I;
  if (I >= End || (Declaration.at(I) != '"' && Declaration.at(I) != '\''))
    return TDeclaredEncoding::Other;
  const qsizetype Close = Declaration.indexOf(Declaration.at(I), I + 1);
  if (Close < 0)
    return TDeclaredEncoding::Other;
  const QByteArrayView Name = Declaration.sliced(I + 1, Close - I - 1);
  const auto Is = [&Name](const char* AKnown) {
    return Name.compare(QByteArrayView(AKnown), Qt::CaseInsensitive) == 0;
  };
  if (Is("windows-1252") || Is("cp1252"))
    return TDeclaredEncoding::Windows1252;
  if (Is("iso-8859-1") || Is("latin1"))
    return TDeclaredEncoding::Latin1;
  return TDeclaredEncoding::Other;
}

// The description as the parser is given it. Without a byte-order mark, a
// description that declares a one-byte code page is decoded here and handed
// over as UTF-8 (ADecoded); anything else goes as stored, for the parser to
// detect its encoding as before.
QByteArray TextForParser(const QByteArray& ABytes, bool& ADecoded) {
  ADecoded = false;
  if (ABytes.startsWith("\xEF\xBB\xBF") || ABytes.startsWith("\xFF\xFE") ||
      ABytes.startsWith("\xFE\xFF"))
    return ABytes;
  switch (DeclaredEncoding(ABytes)) {
  case TDeclaredEncoding::Windows1252:
    ADecoded = true;
    return DecodeWindows1252(ABytes).toUtf8();
  case TDeclaredEncoding::Latin1:
    ADecoded = true;
    return QString::fromLatin1(ABytes).toUtf8();
  case TDeclaredEncoding::Other:
    break;
  }
  return ABytes;
}

// Parses the description. Returns an empty text on success, else the reason.
QString ParseDescription(const QByteArray& ABytes, pugi::xml_document& ADoc) {
  const unsigned Flags = pugi::parse_default | pugi::parse_comments | pugi::parse_pi |
                         pugi::parse_declaration | pugi::parse_doctype;
  bool Decoded = false;
  const QByteArray Text = TextForParser(ABytes, Decoded);
  // The declared name in a decoded text no longer applies: the encoding is given.
  const pugi::xml_parse_result Result =
      ADoc.load_buffer(Text.constData(), static_cast<size_t>(Text.size()), Flags,
                       Decoded ? pugi::encoding_utf8 : pugi::encoding_auto);
  if (!Result)
    return QString::fromUtf8(Result.description()) + LineAndColumn(Text, Result.offset, Decoded);
  // The parser is lenient at the top level; a well-formed document is not.
  int Elements = 0;
  for (pugi::xml_node Node : ADoc.children()) {
    if (Node.type() == pugi::node_element)
      ++Elements;
    else if (Node.type() == pugi::node_pcdata || Node.type() == pugi::node_cdata)
      return QStringLiteral("Text is not allowed outside the root element.");
  }
  if (Elements > 1)
    return QStringLiteral("Only one top level element is allowed.");
  return {};
}

// The first child's text when it is text or a CDATA section; empty otherwise.
QString FirstChildText(const pugi::xml_node& AElement) {
  const pugi::xml_node First = AElement.first_child();
  if (First.type() == pugi::node_pcdata || First.type() == pugi::node_cdata)
    return QString::fromUtf8(First.value());
  return {};
}

} // namespace

TModArchiveReader::TModArchiveReader(const QString& ATempFolder, IPromptService& APrompts)
    : FTempFileName(JoinPath(ATempFolder, QStringLiteral("modDesc.xml"))), FPrompts(APrompts) {}

bool TModArchiveReader::IsValidZip(const QString& AFileName) {
  QFile File(AFileName);
  if (!File.open(QIODevice::ReadOnly))
    throw EAppError(QLatin1String("Unable to open ") + AFileName + QLatin1String(": ") +
                    File.errorString());
  constexpr qint64 RecordSize = 22;
  constexpr qint64 MaxCommentSize = 0xFFFF;
  const qint64 Size = File.size();
  if (Size < RecordSize)
    return false;
  const qint64 TailSize = qMin(Size, RecordSize + MaxCommentSize);
  if (!File.seek(Size - TailSize))
    return false;
  const QByteArray Tail = File.read(TailSize);
  static const QByteArray Signature("PK\x05\x06", 4);
  for (qsizetype Pos = Tail.size() - RecordSize; Pos >= 0; --Pos) {
    if (Tail.at(Pos) == 'P' && Tail.mid(Pos, 4) == Signature) {
      const int CommentLength = static_cast<unsigned char>(Tail.at(Pos + 20)) |
                                (static_cast<unsigned char>(Tail.at(Pos + 21)) << 8);
      if (Pos + RecordSize + CommentLength <= Tail.size())
        return true;
    }
  }
  return false;
}

QByteArray TModArchiveReader::NormaliseDescription(const QByteArray& ABytes, bool& AModified) {
  AModified = false;
  TTextLines Lines(ABytes);
  while (!Lines.Lines().isEmpty() && Lines.Lines().first().isEmpty()) {
    Lines.Lines().removeFirst();
    AModified = true;
  }
  // Versions the game accepts but a strict parser may not; 1.1 is a real version.
  static const char* const Versions[] = {"1.2", "1.5", "1.3", "1.4", "1.6", "1.7", "1.8", "1.9"};
  for (const char* Version : Versions) {
    const QString Searched =
        QLatin1String("<?xml version=\"") + QLatin1String(Version) + QLatin1Char('"');
    QString Text = Lines.Text();
    if (!Text.contains(Searched))
      continue;
    Text.replace(Searched, QStringLiteral("<?xml version=\"1.0\""));
    Lines.SetText(Text);
    AModified = true;
  }
  return AModified ? Lines.Encoded() : ABytes;
}

TModInfo TModArchiveReader::GetModFileInfo(const QString& AFileName) {
  TModInfo Result;
  if (!IsValidZip(AFileName)) {
    Result.Author = QStringLiteral("Not a valid zip file");
    return Result;
  }
  const QString ArchiveName = QFileInfo(AFileName).fileName();

  int ErrorCode = 0;
  // libzip takes names in UTF-8 on every system; QFile::encodeName would
  // give Windows' ANSI code page, which cannot spell every mod folder.
  TZipPtr Zip(zip_open(AFileName.toUtf8().constData(), ZIP_RDONLY, &ErrorCode));
  if (!Zip)
    throw EAppError(ArchiveName + QLatin1String(": ") + ZipErrorText(ErrorCode));

  QFile::remove(FTempFileName);
  TTempFileGuard Guard(FTempFileName);

  // Whole stored name, ASCII letters folded: an entry inside a folder of the
  // archive does not count.
  const zip_int64_t Index = zip_name_locate(Zip.get(), "modDesc.xml", ZIP_FL_NOCASE);
  if (Index < 0)
    throw EAppError(ArchiveName + QLatin1String(": modDesc.xml: ") + ZipErrorText(ZIP_ER_NOENT));
  ExtractEntry(Zip.get(), Index, FTempFileName, ArchiveName);

  if (!QFile::exists(FTempFileName)) {
    FPrompts.ShowMessage(QLatin1String("File did not extract from zip (") + ArchiveName +
                         QLatin1String(") -") + FTempFileName);
    Result.Author = QStringLiteral("File did not extract from zip");
    return Result;
  }

  QFile Temp(FTempFileName);
  if (!Temp.open(QIODevice::ReadOnly))
    throw EAppError(QLatin1String("Unable to open ") + FTempFileName + QLatin1String(": ") +
                    Temp.errorString());
  QByteArray Bytes = Temp.readAll();
  Temp.close();

  bool Modified = false;
  Bytes = NormaliseDescription(Bytes, Modified);
  if (Modified) {
    QFile Out(FTempFileName);
    if (!Out.open(QIODevice::WriteOnly | QIODevice::Truncate) || Out.write(Bytes) != Bytes.size())
      throw EAppError(QLatin1String("Unable to write ") + FTempFileName + QLatin1String(": ") +
                      Out.errorString());
  }

  pugi::xml_document Doc;
  const QString Reason = ParseDescription(Bytes, Doc);
  if (!Reason.isEmpty()) {
    FPrompts.ShowMessage(QLatin1String("Could not open modDesc.xml from ") + ArchiveName +
                         QLatin1String("\r\nError: ") + Reason);
    return Result;
  }
  const pugi::xml_node Root = Doc.child("modDesc");
  Result.Author = FirstChildText(Root.child("author"));
  Result.Version = FirstChildText(Root.child("version"));
  return Result;
}

} // namespace tilvane
