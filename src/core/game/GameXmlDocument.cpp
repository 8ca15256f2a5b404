#include "core/game/GameXmlDocument.h"

#include "core/common/AppError.h"
#include "core/common/AtomicFile.h"
#include "core/common/Paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace tilvane {

namespace {

// Keeps every node and every byte of text as it was: whitespace-only text,
// comments, processing instructions, and CR LF line ends. The fragment mode
// keeps the line breaks around the declaration and the root element; the
// single-root rule is checked after parsing.
constexpr unsigned ParseFlags =
    (pugi::parse_full | pugi::parse_ws_pcdata | pugi::parse_fragment) & ~pugi::parse_eol;

const QByteArray Utf8Bom = QByteArrayLiteral("\xEF\xBB\xBF");

class TByteArrayWriter : public pugi::xml_writer {
public:
  QByteArray Data;
  void write(const void* AData, size_t ASize) override {
    Data.append(static_cast<const char*>(AData), static_cast<qsizetype>(ASize));
  }
};

bool IsWhitespace(const char* AText) {
  for (const char* P = AText; *P; ++P) {
    if (*P != ' ' && *P != '\t' && *P != '\r' && *P != '\n')
      return false;
  }
  return true;
}

bool IsWhitespaceText(pugi::xml_node ANode) {
  return ANode && ANode.type() == pugi::node_pcdata && IsWhitespace(ANode.value());
}

// A well-formed document has one element at the top and no text other than
// whitespace beside it; the fragment mode lets both through.
bool HasSingleRoot(const pugi::xml_document& ADoc) {
  int Elements = 0;
  for (pugi::xml_node Child : ADoc.children()) {
    if (Child.type() == pugi::node_element)
      ++Elements;
    else if ((Child.type() == pugi::node_pcdata || Child.type() == pugi::node_cdata) &&
             !IsWhitespace(Child.value()))
      return false;
  }
  return Elements == 1;
}

[[noreturn]] void RaiseWriteError(const QString& AFileName, const QString& AReason) {
  throw EAppError(QStringLiteral("Unable to write to ") + AFileName +
                  QStringLiteral("\r\nError: ") + AReason);
}

} // namespace

bool TGameXmlDocument::Load(const QString& AFileName) {
  QFile File(AFileName);
  if (AFileName.isEmpty() || !File.open(QIODevice::ReadOnly)) {
    FDoc.reset();
    return false;
  }
  return LoadFromBytes(File.readAll());
}

bool TGameXmlDocument::LoadFromBytes(const QByteArray& AContent) {
  FDoc.reset();
  FDeclaration.clear();
  FHasBom = AContent.startsWith(Utf8Bom);

  const pugi::xml_parse_result Result =
      FDoc.load_buffer(AContent.constData(), static_cast<size_t>(AContent.size()), ParseFlags);
  if (!Result || !HasSingleRoot(FDoc)) {
    FDoc.reset();
    return false;
  }
  FEncoding = Result.encoding;

  // The serialiser normalises the declaration's spacing and quotes; keep the
  // game's own bytes. Only byte-compatible encodings allow the splice.
  if ((FEncoding == pugi::encoding_utf8 || FEncoding == pugi::encoding_latin1) &&
      FDoc.first_child().type() == pugi::node_declaration) {
    const qsizetype Start = FHasBom ? Utf8Bom.size() : 0;
    if (AContent.mid(Start, 5) == "<?xml") {
      const qsizetype End = AContent.indexOf("?>", Start);
      if (End > 0)
        FDeclaration = AContent.mid(Start, End + 2 - Start);
    }
  }
  return true;
}

pugi::xml_node TGameXmlDocument::SelectSingleNode(const char* AXPath) const {
  if (!FDoc.document_element())
    return {};
  return FDoc.select_node(AXPath).node();
}

QByteArray TGameXmlDocument::ToBytes() const {
  TByteArrayWriter Writer;
  unsigned Flags = pugi::format_raw | pugi::format_no_declaration;
  if (FHasBom)
    Flags |= pugi::format_write_bom;
  FDoc.save(Writer, "", Flags, FEncoding);
  QByteArray Data = std::move(Writer.Data);

  if (!FDeclaration.isEmpty()) {
    const qsizetype Start = FHasBom ? Utf8Bom.size() : 0;
    const qsizetype End = Data.indexOf("?>", Start);
    if (Data.mid(Start, 5) == "<?xml" && End > 0)
      Data.replace(Start, End + 2 - Start, FDeclaration);
  }
  return Data;
}

void TGameXmlDocument::Save(const QString& AFileName) const {
  // A read-only file stays as it is: the game marks nothing read-only by
  // itself, so the user meant it.
  QString Reason;
  if (!ReplaceFileContents(AFileName, ToBytes(), Reason))
    RaiseWriteError(AFileName, Reason);
}

QString TGameXmlDocument::FirstChildValue(pugi::xml_node ANode) {
  const pugi::xml_node Child = ANode.first_child();
  if (Child.type() != pugi::node_pcdata && Child.type() != pugi::node_cdata)
    return {};
  return QString::fromUtf8(Child.value());
}

bool TGameXmlDocument::SetFirstChildValue(pugi::xml_node ANode, const QString& AValue) {
  pugi::xml_node Child = ANode.first_child();
  if (Child.type() != pugi::node_pcdata && Child.type() != pugi::node_cdata)
    return false;
  return Child.set_value(AValue.toUtf8().constData());
}

QString TGameXmlDocument::AttributeValue(pugi::xml_node ANode, const char* AName) {
  return QString::fromUtf8(ANode.attribute(AName).value());
}

void TGameXmlDocument::SetAttribute(pugi::xml_node ANode, const char* AName,
                                    const QString& AValue) {
  pugi::xml_attribute Attribute = ANode.attribute(AName);
  if (!Attribute)
    Attribute = ANode.append_attribute(AName);
  Attribute.set_value(AValue.toUtf8().constData());
}

pugi::xml_node TGameXmlDocument::InsertFirstChild(pugi::xml_node AParent, const char* AName) {
  pugi::xml_node First = AParent.first_child();
  if (!IsWhitespaceText(First))
    return AParent.prepend_child(AName);
  pugi::xml_node Element = AParent.insert_child_after(AName, First);
  AParent.insert_child_after(pugi::node_pcdata, Element).set_value(First.value());
  return Element;
}

pugi::xml_node TGameXmlDocument::AppendLastChild(pugi::xml_node AParent, const char* AName) {
  pugi::xml_node Last = AParent.last_child();
  if (!IsWhitespaceText(Last))
    return AParent.append_child(AName);
  // The indentation of the children is the whitespace before the first one.
  pugi::xml_node First = AParent.first_child();
  const char* Indent = First != Last && IsWhitespaceText(First) ? First.value() : Last.value();
  AParent.insert_child_before(pugi::node_pcdata, Last).set_value(Indent);
  return AParent.insert_child_before(AName, Last);
}

void TGameXmlDocument::RemoveNode(pugi::xml_node ANode) {
  pugi::xml_node Parent = ANode.parent();
  if (!Parent)
    return;
  const pugi::xml_node Before = ANode.previous_sibling();
  if (IsWhitespaceText(Before))
    Parent.remove_child(Before);
  Parent.remove_child(ANode);
}

QString TGameXmlDocument::FindFileIgnoringCase(const QString& AFolder, const QString& AName) {
  if (AFolder.isEmpty())
    return {};
  const QString Exact = JoinPath(AFolder, AName);
  if (QFileInfo(Exact).isFile())
    return Exact;
  const QStringList Entries =
      QDir(AFolder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QString& Entry : Entries) {
    if (Entry.compare(AName, Qt::CaseInsensitive) == 0)
      return JoinPath(AFolder, Entry);
  }
  return {};
}

} // namespace tilvane
