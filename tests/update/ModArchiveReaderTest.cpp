#include "UpdateTestSupport.h"

#include "common/AppError.h"
#include "support/TestEnvironment.h"
#include "update/ModArchiveReader.h"

#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

namespace tilvane::test {
namespace {

QByteArray Utf16Le(const char16_t* AText) {
  const QString Text = QString::fromUtf16(AText);
  return QByteArray("\xFF\xFE", 2) +
         QByteArray(reinterpret_cast<const char*>(Text.utf16()), Text.size() * 2);
}

class ModArchiveReaderTest : public ::testing::Test {
protected:
  QString Archive(const QByteArray& ADescription,
                  const QString& AEntryName = QStringLiteral("modDesc.xml")) {
    const QString Path = Env.PathOf(QStringLiteral("mods/Mod.zip"));
    MakeZip(Path, {{AEntryName, ADescription}});
    return Path;
  }
  TModInfo Inspect(const QString& APath) { return Reader.GetModFileInfo(APath); }
  bool TempLeft() const { return QFile::exists(Reader.TempFileName()); }

  TestEnvironment Env;
  TModArchiveReader Reader{Env.PathOf(QStringLiteral("Temp")), Env.Prompts()};
};

TEST_F(ModArchiveReaderTest, ReadsAuthorAndVersionAsStored) {
  struct Case {
    const char* Name;
    QByteArray Xml;
    QString Author;
    QString Version;
  } Cases[] = {
      {"plain", ModDescXml(QStringLiteral("Achimobil"), QStringLiteral("0.2.0.0")),
       QStringLiteral("Achimobil"), QStringLiteral("0.2.0.0")},
      {"blanks kept", "<modDesc><author>A</author><version> 1.0 </version></modDesc>",
       QStringLiteral("A"), QStringLiteral(" 1.0 ")},
      {"cdata", "<modDesc><author><![CDATA[Me & you]]></author><version/></modDesc>",
       QStringLiteral("Me & you"), QString()},
      {"comment first", "<modDesc><author><!-- x -->Name</author><version>1</version></modDesc>",
       QString(), QStringLiteral("1")},
      {"nested element", "<modDesc><author><b>N</b></author></modDesc>", QString(), QString()},
      {"other root", "<mod><author>A</author></mod>", QString(), QString()},
      {"blank lines and 1.5 declaration",
       "\r\n\n<?xml version=\"1.5\" encoding=\"utf-8\"?>\n<modDesc><author>B</author>"
       "<version>2</version></modDesc>",
       QStringLiteral("B"), QStringLiteral("2")},
      {"utf-16 with mark", Utf16Le(u"<modDesc><author>\u00c4</author></modDesc>"),
       QStringLiteral("\u00c4"), QString()},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.Name);
    const TModInfo Info = Inspect(Archive(C.Xml));
    EXPECT_EQ(Info.Author, C.Author);
    EXPECT_EQ(Info.Version, C.Version);
    EXPECT_FALSE(TempLeft());
  }
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());
}

TEST_F(ModArchiveReaderTest, EntryNameIgnoresLetterCaseButNotFolders) {
  EXPECT_EQ(Inspect(Archive(ModDescXml(QStringLiteral("X"), QStringLiteral("1")),
                            QStringLiteral("MODDESC.XML")))
                .Author,
            QStringLiteral("X"));
  const QString Nested = Archive("<modDesc/>", QStringLiteral("sub/modDesc.xml"));
  EXPECT_THROW(Inspect(Nested), EAppError);
  EXPECT_FALSE(TempLeft());
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());
}

TEST_F(ModArchiveReaderTest, BrokenFilesReadAsNotAValidZip) {
  const QString Good = Archive(ModDescXml(QStringLiteral("A"), QStringLiteral("1")));
  const QByteArray Bytes = ReadFile(Good);
  const QString Empty = Env.PathOf(QStringLiteral("mods/Empty.zip"));
  const QString Half = Env.PathOf(QStringLiteral("mods/Half.zip"));
  WriteFile(Empty, {});
  WriteFile(Half, Bytes.left(Bytes.size() / 2));
  for (const QString& Path : {Empty, Half}) {
    const TModInfo Info = Inspect(Path);
    EXPECT_EQ(Info.Author, QStringLiteral("Not a valid zip file"));
    EXPECT_TRUE(Info.Version.isEmpty());
  }
  EXPECT_THROW(Inspect(Env.PathOf(QStringLiteral("mods/Missing.zip"))), EAppError);
  EXPECT_TRUE(Env.Prompts().Messages().isEmpty());
}

TEST_F(ModArchiveReaderTest, MalformedDescriptionIsReportedWithTheReason) {
  // Modelled on a real FS19 description with a stray character in a tag.
  const QByteArray Xml = "<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\n"
                         "<modDesc descVersion=\"40\">\n    <author>bbenoist</author>\n"
                         "    <version>1.0.0.0</version>\n    <l10n>\n"
                         "\t<text name=\"netherlands\"]>\n\t</text>\n    </l10n>\n</modDesc>\n";
  for (const QByteArray& Bad : {Xml, QByteArray("<modDesc/><modDesc/>")}) {
    Env.Prompts().Clear();
    const TModInfo Info = Inspect(Archive(Bad));
    EXPECT_TRUE(Info.Author.isEmpty());
    EXPECT_TRUE(Info.Version.isEmpty());
    ASSERT_EQ(Env.Prompts().Messages().size(), 1);
    EXPECT_TRUE(Env.Prompts().Messages().first().startsWith(
        QStringLiteral("Could not open modDesc.xml from Mod.zip\r\nError: ")));
    EXPECT_GT(Env.Prompts().Messages().first().size(), 48);
    EXPECT_FALSE(TempLeft());
  }
}

TEST_F(ModArchiveReaderTest, OversizedDescriptionIsNotExtracted) {
  QByteArray Huge = "<modDesc><author>A</author><version>1</version>";
  Huge += QByteArray(TModArchiveReader::MaxModDescSize, ' ');
  Huge += "</modDesc>";
  const TModInfo Info = Inspect(Archive(Huge));
  EXPECT_EQ(Info.Author, QStringLiteral("File did not extract from zip"));
  ASSERT_EQ(Env.Prompts().Messages().size(), 1);
  EXPECT_EQ(Env.Prompts().Messages().first(),
            QStringLiteral("File did not extract from zip (Mod.zip) -") + Reader.TempFileName());
  EXPECT_FALSE(TempLeft());
}

TEST(ModDescriptionRewrite, KeepsUntouchedBytesAndRewritesOnlyWhatItMust) {
  struct Case {
    QByteArray In;
    bool Modified;
    QByteArray Out;
  } Cases[] = {
      {"<?xml version=\"1.0\"?>\n<a/>\n", false, "<?xml version=\"1.0\"?>\n<a/>\n"},
      {"\r\n\r\n<?xml version=\"1.5\" encoding=\"iso-8859-1\"?>\n<a>\xE4</a>", true,
       "<?xml version=\"1.0\" encoding=\"iso-8859-1\"?>\r\n<a>\xE4</a>\r\n"},
      {"<?xml version=\"1.1\"?>\n<a/>", false, "<?xml version=\"1.1\"?>\n<a/>"},
      {"  \n<?xml version=\"1.0\"?><a/>", false, "  \n<?xml version=\"1.0\"?><a/>"},
      {"<?xml version=\"1.9\"?><a/>", true, "<?xml version=\"1.0\"?><a/>\r\n"},
  };
  for (const Case& C : Cases) {
    bool Modified = false;
    EXPECT_EQ(TModArchiveReader::NormaliseDescription(C.In, Modified), C.Out) << C.In.data();
    EXPECT_EQ(Modified, C.Modified) << C.In.data();
  }
}

} // namespace
} // namespace tilvane::test
