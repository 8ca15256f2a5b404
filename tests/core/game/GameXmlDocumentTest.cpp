#include "core/game/GameXmlDocument.h"

#include "support/TestEnvironment.h"

#include <QFile>

#include <gtest/gtest.h>

namespace tilvane {
namespace {

using test::ReadFile;
using test::WriteFile;

// Files as the game and other tools write them: the game's own declaration
// spacing, CR LF line ends with a byte-order mark, comments and a processing
// instruction, tabs, entities and non-ASCII names.
const QByteArray GameStyle =
    QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                      "<gameSettings revision=\"15\">\n"
                      "    <modsDirectoryOverride active=\"false\" directory=\"C:/Temp\"/>\n"
                      "    <onlinePresenceName>J\xC3\xB6rg &amp; Co</onlinePresenceName>\n"
                      "    <player index=\"1\" bodyIndex=\"1\" name=\"Batek\"/>\n"
                      "</gameSettings>\n");
const QByteArray WindowsStyle =
    QByteArrayLiteral("\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?>\r\n"
                      "<!-- kept by hand -->\r\n"
                      "<game>\r\n"
                      "\t<?editor note?>\r\n"
                      "\t<development>\r\n"
                      "\t\t<controls>false</controls>\r\n"
                      "\t</development>\r\n"
                      "</game>\r\n");
const QByteArray NoDeclaration = QByteArrayLiteral("<game><language>-1</language></game>");

TEST(GameXmlDocument, UnchangedDocumentsGoBackByteForByte) {
  for (const QByteArray& content : {GameStyle, WindowsStyle, NoDeclaration}) {
    SCOPED_TRACE(content.left(60).toStdString());
    TGameXmlDocument doc;
    ASSERT_TRUE(doc.LoadFromBytes(content));
    EXPECT_EQ(doc.ToBytes(), content);
  }
}

TEST(GameXmlDocument, RefusesWhatIsNotOneWellFormedDocument) {
  const char* broken[] = {
      "",
      "   \n",
      "<gameSettings>",
      "<gameSettings><player></gameSettings>",
      "<a/><b/>",
      "text before <a/>",
      "<a/> text after",
      "<?xml version=\"1.0\"?>",
  };
  for (const char* content : broken) {
    SCOPED_TRACE(content);
    TGameXmlDocument doc;
    EXPECT_FALSE(doc.LoadFromBytes(QByteArray(content)));
    EXPECT_FALSE(doc.SelectSingleNode("/a"));
  }
}

TEST(GameXmlDocument, NewElementsKeepTheIndentation) {
  TGameXmlDocument doc;
  ASSERT_TRUE(doc.LoadFromBytes(WindowsStyle));
  const pugi::xml_node root = doc.Root();
  TGameXmlDocument::InsertFirstChild(root, "first").append_attribute("a").set_value("1");
  TGameXmlDocument::AppendLastChild(root, "last");
  EXPECT_EQ(doc.ToBytes(),
            QByteArrayLiteral("\xEF\xBB\xBF<?xml version='1.0' encoding='UTF-8'?>\r\n"
                              "<!-- kept by hand -->\r\n"
                              "<game>\r\n"
                              "\t<first a=\"1\"/>\r\n"
                              "\t<?editor note?>\r\n"
                              "\t<development>\r\n"
                              "\t\t<controls>false</controls>\r\n"
                              "\t</development>\r\n"
                              "\t<last/>\r\n"
                              "</game>\r\n"));

  TGameXmlDocument::RemoveNode(doc.SelectSingleNode("/game/first"));
  TGameXmlDocument::RemoveNode(doc.SelectSingleNode("/game/last"));
  EXPECT_EQ(doc.ToBytes(), WindowsStyle);

  // A file written without any line breaks gets none either.
  ASSERT_TRUE(doc.LoadFromBytes(NoDeclaration));
  TGameXmlDocument::InsertFirstChild(doc.Root(), "a");
  TGameXmlDocument::AppendLastChild(doc.Root(), "z");
  EXPECT_EQ(doc.ToBytes(), QByteArrayLiteral("<game><a/><language>-1</language><z/></game>"));
}

TEST(GameXmlDocument, TextAndAttributes) {
  TGameXmlDocument doc;
  ASSERT_TRUE(doc.LoadFromBytes(GameStyle));
  const pugi::xml_node name = doc.SelectSingleNode("/gameSettings/onlinePresenceName");
  EXPECT_EQ(TGameXmlDocument::FirstChildValue(name), QString::fromUtf8("Jörg & Co"));
  EXPECT_TRUE(TGameXmlDocument::SetFirstChildValue(name, QStringLiteral("<Ann>")));
  const pugi::xml_node player = doc.SelectSingleNode("/gameSettings/player");
  TGameXmlDocument::SetAttribute(player, "name", QStringLiteral("\"Q\""));
  TGameXmlDocument::SetAttribute(player, "hatIndex", QStringLiteral("5"));
  EXPECT_EQ(
      doc.ToBytes(),
      QByteArrayLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                        "<gameSettings revision=\"15\">\n"
                        "    <modsDirectoryOverride active=\"false\" directory=\"C:/Temp\"/>\n"
                        "    <onlinePresenceName>&lt;Ann&gt;</onlinePresenceName>\n"
                        "    <player index=\"1\" bodyIndex=\"1\" name=\"&quot;Q&quot;\" "
                        "hatIndex=\"5\"/>\n"
                        "</gameSettings>\n"));

  // An element without text gets none.
  ASSERT_TRUE(doc.LoadFromBytes("<a><b></b><c><d/></c></a>"));
  EXPECT_FALSE(
      TGameXmlDocument::SetFirstChildValue(doc.SelectSingleNode("/a/b"), QStringLiteral("x")));
  EXPECT_FALSE(
      TGameXmlDocument::SetFirstChildValue(doc.SelectSingleNode("/a/c"), QStringLiteral("x")));
  EXPECT_EQ(TGameXmlDocument::FirstChildValue(doc.SelectSingleNode("/a/c")), QString());
}

TEST(GameXmlDocument, SaveReplacesTheFileAndKeepsItsPermissions) {
  test::TestEnvironment env;
  const QString path = env.PathOf(QStringLiteral("game.xml"));
  WriteFile(path, WindowsStyle);
  QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner);

  TGameXmlDocument doc;
  ASSERT_TRUE(doc.Load(path));
  TGameXmlDocument::SetFirstChildValue(doc.SelectSingleNode("/game/development/controls"),
                                       QStringLiteral("true"));
  doc.Save(path);
  QByteArray expected = WindowsStyle;
  expected.replace("false", "true");
  EXPECT_EQ(ReadFile(path), expected);
  // Owner, group and others; the "user" bits repeat the owner's for us.
  const int modeBits = 0x7077;
  EXPECT_EQ(QFile::permissions(path) & modeBits, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

TEST(GameXmlDocument, FindsFilesIgnoringLetterCase) {
  test::TestEnvironment env;
  const QString folder = env.PathOf(QStringLiteral("FS"));
  WriteFile(env.PathOf(QStringLiteral("FS/GAMESETTINGS.XML")), "<gameSettings/>");
  EXPECT_EQ(TGameXmlDocument::FindFileIgnoringCase(folder, QStringLiteral("gameSettings.xml")),
            env.PathOf(QStringLiteral("FS/GAMESETTINGS.XML")));
  // The game's own spelling wins when both exist.
  WriteFile(env.PathOf(QStringLiteral("FS/gameSettings.xml")), "<gameSettings/>");
  EXPECT_EQ(TGameXmlDocument::FindFileIgnoringCase(folder, QStringLiteral("gameSettings.xml")),
            env.PathOf(QStringLiteral("FS/gameSettings.xml")));
  EXPECT_EQ(TGameXmlDocument::FindFileIgnoringCase(folder, QStringLiteral("game.xml")), QString());
  EXPECT_EQ(TGameXmlDocument::FindFileIgnoringCase(QString(), QStringLiteral("game.xml")),
            QString());
}

} // namespace
} // namespace tilvane
