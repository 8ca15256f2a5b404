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
  void write(const void* data, size_t size) override {
    Data.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
  }
};

bool IsWhitespace(const char* AText) {
  for (const char* p = AText; *p; ++p) {
    if (*p != ' ' && *p != '\t' && *p != '\r' && *p != '\n')
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
  int elements = 0;
  for (pugi::xml_node child : ADoc.children()) {
    if (child.type() == pugi::node_element)
      ++elements;
    else if ((child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata) &&
             !IsWhitespace(child.value()))
      return false;
  }
  return elements == 1;
}

[[noreturn]] void RaiseWriteError(const QString& AFileName, const QString& AReason) {
  throw EAppError(QStringLiteral("Unable to write to ") + AFileName +
                  QStringLiteral("\r\nError: ") + AReason);
}

} // namespace

bool TGameXmlDocument::Load(const QString& AFileName) {
  QFile file(AFileName);
  if (AFileName.isEmpty() || !file.open(QIODevice::ReadOnly)) {
    FDoc.reset();
    return false;
  }
  return LoadFromBytes(file.readAll());
}

bool TGameXmlDocument::LoadFromBytes(const QByteArray& AContent) {
  FDoc.reset();
  FDeclaration.clear();
  FHasBom = AContent.startsWith(Utf8Bom);

  const pugi::xml_parse_result result =
      FDoc.load_buffer(AContent.constData(), static_cast<size_t>(AContent.size()), ParseFlags);
  if (!result || !HasSingleRoot(FDoc)) {
    FDoc.reset();
    return false;
  }
  FEncoding = result.encoding;

  // The serialiser normalises the declaration's spacing and quotes; keep the
  // game's own bytes. Only byte-compatible encodings allow the splice.
  if ((FEncoding == pugi::encoding_utf8 || FEncoding == pugi::encoding_latin1) &&
      FDoc.first_child().type() == pugi::node_declaration) {
    const qsizetype start = FHasBom ? Utf8Bom.size() : 0;
    if (AContent.mid(start, 5) == "<?xml") {
      const qsizetype end = AContent.indexOf("?>", start);
      if (end > 0)
        FDeclaration = AContent.mid(start, end + 2 - start);
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
  TByteArrayWriter writer;
  unsigned flags = pugi::format_raw | pugi::format_no_declaration;
  if (FHasBom)
    flags |= pugi::format_write_bom;
  FDoc.save(writer, "", flags, FEncoding);
  QByteArray data = std::move(writer.Data);

  if (!FDeclaration.isEmpty()) {
    const qsizetype start = FHasBom ? Utf8Bom.size() : 0;
    const qsizetype end = data.indexOf("?>", start);
    if (data.mid(start, 5) == "<?xml" && end > 0)
      data.replace(start, end + 2 - start, FDeclaration);
  }
  return data;
}

void TGameXmlDocument::Save(const QString& AFileName) const {
  // A read-only file stays as it is: the game marks nothing read-only by
  // itself, so the user meant it.
  QString reason;
  if (!ReplaceFileContents(AFileName, ToBytes(), reason))
    RaiseWriteError(AFileName, reason);
}

QString TGameXmlDocument::FirstChildValue(pugi::xml_node ANode) {
  const pugi::xml_node child = ANode.first_child();
  if (child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata)
    return {};
  return QString::fromUtf8(child.value());
}

bool TGameXmlDocument::SetFirstChildValue(pugi::xml_node ANode, const QString& AValue) {
  pugi::xml_node child = ANode.first_child();
  if (child.type() != pugi::node_pcdata && child.type() != pugi::node_cdata)
    return false;
  return child.set_value(AValue.toUtf8().constData());
}

QString TGameXmlDocument::AttributeValue(pugi::xml_node ANode, const char* AName) {
  return QString::fromUtf8(ANode.attribute(AName).value());
}

void TGameXmlDocument::SetAttribute(pugi::xml_node ANode, const char* AName,
                                    const QString& AValue) {
  pugi::xml_attribute attribute = ANode.attribute(AName);
  if (!attribute)
    attribute = ANode.append_attribute(AName);
  attribute.set_value(AValue.toUtf8().constData());
}

pugi::xml_node TGameXmlDocument::InsertFirstChild(pugi::xml_node AParent, const char* AName) {
  pugi::xml_node first = AParent.first_child();
  if (!IsWhitespaceText(first))
    return AParent.prepend_child(AName);
  pugi::xml_node element = AParent.insert_child_after(AName, first);
  AParent.insert_child_after(pugi::node_pcdata, element).set_value(first.value());
  return element;
}

pugi::xml_node TGameXmlDocument::AppendLastChild(pugi::xml_node AParent, const char* AName) {
  pugi::xml_node last = AParent.last_child();
  if (!IsWhitespaceText(last))
    return AParent.append_child(AName);
  // The indentation of the children is the whitespace before the first one.
  pugi::xml_node first = AParent.first_child();
  const char* indent = first != last && IsWhitespaceText(first) ? first.value() : last.value();
  AParent.insert_child_before(pugi::node_pcdata, last).set_value(indent);
  return AParent.insert_child_before(AName, last);
}

void TGameXmlDocument::RemoveNode(pugi::xml_node ANode) {
  pugi::xml_node parent = ANode.parent();
  if (!parent)
    return;
  const pugi::xml_node before = ANode.previous_sibling();
  if (IsWhitespaceText(before))
    parent.remove_child(before);
  parent.remove_child(ANode);
}

QString TGameXmlDocument::FindFileIgnoringCase(const QString& AFolder, const QString& AName) {
  if (AFolder.isEmpty())
    return {};
  const QString exact = JoinPath(AFolder, AName);
  if (QFileInfo(exact).isFile())
    return exact;
  const QStringList entries =
      QDir(AFolder).entryList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
  for (const QString& entry : entries) {
    if (entry.compare(AName, Qt::CaseInsensitive) == 0)
      return JoinPath(AFolder, entry);
  }
  return {};
}

} // namespace tilvane
