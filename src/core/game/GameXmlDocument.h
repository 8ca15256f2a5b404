#pragma once

#include <QByteArray>
#include <QString>

#include <pugixml.hpp>

namespace tilvane {

// One of the game's own XML files, loaded whole so that the program can change
// a few nodes and write everything else back as the game wrote it: comments,
// declaration, attribute order, line breaks and indentation all survive. The
// file is replaced atomically, so a failed save leaves it byte for byte.
class TGameXmlDocument {
public:
  TGameXmlDocument() = default;
  TGameXmlDocument(const TGameXmlDocument&) = delete;
  TGameXmlDocument& operator=(const TGameXmlDocument&) = delete;

  // False when the file cannot be read or is not a well-formed document with
  // exactly one root element; the document is then empty and must not be saved.
  bool Load(const QString& AFileName);
  bool LoadFromBytes(const QByteArray& AContent);

  // The first node matching an absolute path such as "/gameSettings/player";
  // null when there is none.
  pugi::xml_node SelectSingleNode(const char* AXPath) const;
  pugi::xml_node Root() const { return FDoc.document_element(); }

  // The document as it goes to disk.
  QByteArray ToBytes() const;
  // Replaces the file atomically. Raises EAppError with the system's reason
  // when the file is read-only or cannot be written; the old file then stays.
  void Save(const QString& AFileName) const;

  // The value of the node's first child (its text), or empty.
  static QString FirstChildValue(pugi::xml_node ANode);
  // Replaces the value of the node's first child when that child is text;
  // false (and nothing changed) otherwise. No text node is created.
  static bool SetFirstChildValue(pugi::xml_node ANode, const QString& AValue);
  static QString AttributeValue(pugi::xml_node ANode, const char* AName);
  // Sets an attribute, adding it at the end when it is missing.
  static void SetAttribute(pugi::xml_node ANode, const char* AName, const QString& AValue);

  // Element creation that keeps the file's indentation: a new first child
  // lands on its own line after the parent's leading line break, a new last
  // child before the parent's closing line break.
  static pugi::xml_node InsertFirstChild(pugi::xml_node AParent, const char* AName);
  static pugi::xml_node AppendLastChild(pugi::xml_node AParent, const char* AName);
  // Removes an element together with the line break and indentation before it.
  static void RemoveNode(pugi::xml_node ANode);

  // The path of the file named `AName` in `AFolder`, found ignoring letter
  // case (the game's own spelling of its file names varies between versions);
  // empty when there is none or the folder is empty.
  static QString FindFileIgnoringCase(const QString& AFolder, const QString& AName);

private:
  pugi::xml_document FDoc;
  QByteArray FDeclaration; // the declaration's original bytes, written back unchanged
  bool FHasBom = false;
  pugi::xml_encoding FEncoding = pugi::encoding_utf8;
};

} // namespace tilvane
