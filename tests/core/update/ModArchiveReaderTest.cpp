#include "support/UpdateTestSupport.h"

#include "core/common/AppError.h"
#include "core/update/ModArchiveReader.h"
#include "support/TestEnvironment.h"

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
  // The fixed temporary copy, below the temporary folder the reader was given.
  QString TempFile() const { return Env.PathOf(QStringLiteral("Temp/modDesc.xml")); }
  bool TempLeft() const { return QFile::exists(TempFile()); }

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

// Descriptions saved by Windows editors declare their code page. The author
// must read as the server spells it, or the archive looks outdated on every sync.
TEST_F(ModArchiveReaderTest, OneByteCodePagesAreDecodedAsDeclared) {
  struct Case {
    const char* Name;
    QByteArray Xml;
    QString Author;
    QString Version;
  } Cases[] = {
      {"windows-1252",
       "<?xml version=\"1.0\" encoding=\"windows-1252\" standalone=\"no\"?>\r\n"
       "<modDesc descVersion=\"72\">\r\n<author>J\xE9r\xF4me</author>\r\n"
       "<version>1.0.0.1</version>\r\n</modDesc>\r\n",
       QString::fromUtf8("J\xC3\xA9r\xC3\xB4me"), QStringLiteral("1.0.0.1")},
      {"cp1252 in capitals and single quotes, 0x80 to 0x9F",
       "<?xml version='1.0' encoding='CP1252'?>\n"
       "<modDesc><author>\x80 \x8A\x9F</author><version>2</version></modDesc>",
       QStringLiteral("\u20AC \u0160\u0178"), QStringLiteral("2")},
      {"blanks around the equals sign",
       "<?xml version=\"1.0\" encoding = \"Windows-1252\" ?>\n"
       "<modDesc><author>\x93quoted\x94</author></modDesc>",
       QStringLiteral("\u201Cquoted\u201D"), QString()},
      {"iso-8859-1 keeps 0x80 to 0x9F as control characters",
       "<?xml version=\"1.0\" encoding=\"ISO-8859-1\"?>\n"
       "<modDesc><author>J\xE9r\xF4me \x80</author><version>3</version></modDesc>",
       QStringLiteral("J\u00E9r\u00F4me \u0080"), QStringLiteral("3")},
      {"latin1 after blank lines and a 1.5 declaration",
       "\r\n\r\n<?xml version=\"1.5\" encoding='latin1'?>\n"
       "<modDesc><author>M\xFCller</author><version>4</version></modDesc>",
       QStringLiteral("M\u00FCller"), QStringLiteral("4")},
      {"utf-8 declared",
       "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
       "<modDesc><author>J\xC3\xA9r\xC3\xB4me</author></modDesc>",
       QString::fromUtf8("J\xC3\xA9r\xC3\xB4me"), QString()},
      {"no declaration is utf-8", "<modDesc><author>J\xC3\xA9r\xC3\xB4me</author></modDesc>",
       QString::fromUtf8("J\xC3\xA9r\xC3\xB4me"), QString()},
      {"a byte-order mark wins over the declaration",
       "\xEF\xBB\xBF<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
       "<modDesc><author>J\xC3\xA9r\xC3\xB4me</author></modDesc>",
       QString::fromUtf8("J\xC3\xA9r\xC3\xB4me"), QString()},
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

// The position of a fault counts the characters of the stored file, not the
// longer UTF-8 the parser was given: the '>' after the stray ']' is the 36th
// character of its line, though the 38th byte of its UTF-8 form.
TEST_F(ModArchiveReaderTest, FaultInADecodedDescriptionIsReportedWhereItIsInTheFile) {
  Inspect(Archive("<?xml version=\"1.0\" encoding=\"windows-1252\"?>\n"
                  "<modDesc><author>J\xE9r\xF4me</author><x]></modDesc>\n"));
  EXPECT_EQ(
      Env.Prompts().Messages(),
      QStringList{QStringLiteral("Could not open modDesc.xml from Mod.zip\r\n"
                                 "Error: Error parsing start element tag (line 2, column 36)")});
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
            QStringLiteral("File did not extract from zip (Mod.zip) -") + TempFile());
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
      // A declared code page is decoded for parsing only: the copy keeps its bytes.
      {"<?xml version=\"1.5\" encoding=\"windows-1252\"?>\n<a>\x80\xE9</a>", true,
       "<?xml version=\"1.0\" encoding=\"windows-1252\"?>\r\n<a>\x80\xE9</a>\r\n"},
  };
  for (const Case& C : Cases) {
    bool Modified = false;
    EXPECT_EQ(TModArchiveReader::NormaliseDescription(C.In, Modified), C.Out) << C.In.data();
    EXPECT_EQ(Modified, C.Modified) << C.In.data();
  }
}

} // namespace
} // namespace tilvane::test
