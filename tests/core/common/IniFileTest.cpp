#include "core/common/IniFile.h"
#include "core/common/AppError.h"
#include "core/common/AtomicFile.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>

namespace tilvane {
namespace {

using test::ReadFile;
using test::TestEnvironment;
using test::WriteFile;

QString Q(const char* utf8) {
  return QString::fromUtf8(utf8);
}

class IniFileTest : public ::testing::Test {
protected:
  QString FileName() const { return FEnv.PathOf(QStringLiteral("Settings.ini")); }
  TIniFile Ini() { return TIniFile(FileName(), FEnv.Platform()); }
  void Given(const QByteArray& content) { WriteFile(FileName(), content); }

  TestEnvironment FEnv;
};

// ---- Reading -------------------------------------------------------------

struct ReadCase {
  const char* Name;
  QByteArray Content; // empty: no file
  const char* Section;
  const char* Key;
  const char* Expected; // with the default "<def>"
};

const ReadCase kReadCases[] = {
    {"no file", {}, "Common", "Theme", "<def>"},
    {"no section", "[Other]\r\nTheme=Dark\r\n", "Common", "Theme", "<def>"},
    {"no key", "[Common]\r\nOther=1\r\n", "Common", "Theme", "<def>"},
    {"empty value is not the default", "[Common]\r\nTheme=\r\n", "Common", "Theme", ""},
    {"names ignore letter case", "[common]\r\ntheme=Dark\r\n", "COMMON", "THEME", "Dark"},
    {"blanks around name and value", "[ Common ]\r\n  Theme \t=  Dark Blue \t\r\n", "Common",
     "Theme", "Dark Blue"},
    {"double quotes", "[C]\r\nK=\" a b \"\r\n", "C", "K", " a b "},
    {"single quotes", "[C]\r\nK='x'\r\n", "C", "K", "x"},
    {"only one pair of quotes", "[C]\r\nK=\"\"x\"\"\r\n", "C", "K", "\"x\""},
    {"mismatched quotes stay", "[C]\r\nK='x\"\r\n", "C", "K", "'x\""},
    {"a lone quote stays", "[C]\r\nK=\"\r\n", "C", "K", "\""},
    {"value after the first equals sign", "[C]\r\nK=a=b\r\n", "C", "K", "a=b"},
    {"first of duplicate keys wins", "[C]\r\nK=first\r\nk=second\r\n", "C", "K", "first"},
    {"first of duplicate sections wins", "[C]\r\nA=1\r\n[c]\r\nK=hidden\r\n", "C", "K", "<def>"},
    {"keys before any section belong to none", "K=x\r\n[C]\r\n", "C", "K", "<def>"},
    {"lines without equals sign are skipped", "[C]\r\njunk line\r\nK=v\r\n", "C", "K", "v"},
    {"LF line breaks", "[C]\nA=1\nK=v\n", "C", "K", "v"},
    {"CR line breaks", "[C]\rA=1\rK=v", "C", "K", "v"},
    {"mixed line breaks", "[X]\r\nA=1\n\r[C]\rK=v\r\n", "C", "K", "v"},
    {"UTF-8 with byte-order mark", "\xEF\xBB\xBF[C]\r\nK=M\xC3\xBCnchen\r\n", "C", "K",
     "M\xC3\xBCnchen"},
    {"UTF-8 without byte-order mark", "[C]\r\nK=M\xC3\xBCnchen\r\n", "C", "K", "M\xC3\xBCnchen"},
    {"Windows-1252 fallback", "[C]\r\nK=C:\\M\xFC\x64\x65\x20\x80\r\n", "C", "K",
     "C:\\M\xC3\xBC\x64\x65 \xE2\x82\xAC"},
    {"UTF-16 with byte-order mark", QByteArray("\xFF\xFE[\0C\0]\0\n\0K\0=\0\xFC\0", 16), "C", "K",
     "\xC3\xBC"},
};

TEST_F(IniFileTest, ReadsFollowTheStoreRules) {
  for (const ReadCase& c : kReadCases) {
    SCOPED_TRACE(c.Name);
    QFile::remove(FileName());
    if (!c.Content.isEmpty())
      Given(c.Content);
    EXPECT_EQ(Ini().ReadString(Q(c.Section), Q(c.Key), QStringLiteral("<def>")), Q(c.Expected));
  }
}

TEST_F(IniFileTest, ValuesAreCutAt2047Characters) {
  Given("[C]\r\nK=\"" + QByteArray(3000, 'v') + "\"\r\n");
  EXPECT_EQ(Ini().ReadString(QStringLiteral("C"), QStringLiteral("K"), {}),
            QString(2047, QLatin1Char('v')));
}

TEST_F(IniFileTest, IntegersAndBooleans) {
  struct Case {
    const char* Value;
    int Expected; // with the default 42
  };
  const Case cases[] = {{"12", 12},
                        {"-5", -5},
                        {"+7", 7},
                        {" 7 ", 7},
                        {"\"8\"", 8},
                        {"$1F", 31},
                        {"0x1f", 31},
                        {"0X1F", 31},
                        {"$FFFFFFFF", -1},
                        {"$80000000", -2147483647 - 1},
                        {"-$1", -1},
                        {"-$7FFFFFFF", -2147483647},
                        {"-$80000000", -2147483647 - 1},
                        {"-0x80000000", -2147483647 - 1},
                        {"-$FFFFFFFF", 1},
                        {"+$FFFFFFFF", -1},
                        {"-$0", 0},
                        {"$100000000", 42},
                        {"-$100000000", 42},
                        {"-999999", -999999},
                        {"2147483647", 2147483647},
                        {"2147483648", 42},
                        {"-2147483648", -2147483647 - 1},
                        {"-2147483649", 42},
                        {"", 42},
                        {"yes", 42},
                        {"12abc", 42},
                        {"1.5", 42},
                        {"$", 42},
                        {"0x", 42},
                        {"-", 42},
                        {"0x1G", 42}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.Value);
    Given(QByteArray("[C]\r\nK=") + c.Value + "\r\n");
    EXPECT_EQ(Ini().ReadInteger(QStringLiteral("C"), QStringLiteral("K"), 42), c.Expected);
  }

  const struct {
    const char* Value;
    bool Default;
    bool Expected;
  } bools[] = {{"yes", true, true}, {"yes", false, false}, {"0", true, false},
               {"1", false, true},  {"2", false, true},    {"", true, true}};
  for (const auto& c : bools) {
    SCOPED_TRACE(c.Value);
    Given(QByteArray("[C]\r\nK=") + c.Value + "\r\n");
    EXPECT_EQ(Ini().ReadBool(QStringLiteral("C"), QStringLiteral("K"), c.Default), c.Expected);
  }
}

TEST_F(IniFileTest, ReadsSeeChangesOfAnotherWriter) {
  TIniFile ini = Ini();
  Given("[C]\r\nK=1\r\n");
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("C"), QStringLiteral("K"), 0), 1);
  Given("[C]\r\nK=2\r\n");
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("C"), QStringLiteral("K"), 0), 2);
}

TEST_F(IniFileTest, ListsSectionsAndKeysOnce) {
  Given("[A]\r\nx=1\r\nX=2\r\ny=3\r\n[B]\r\n[a]\r\nz=4\r\n");
  EXPECT_EQ(Ini().ReadSections(), (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
  EXPECT_EQ(Ini().ReadSectionKeys(QStringLiteral("a")),
            (QStringList{QStringLiteral("x"), QStringLiteral("y")}));
  EXPECT_TRUE(Ini().SectionExists(QStringLiteral("b")));
  EXPECT_FALSE(Ini().ValueExists(QStringLiteral("A"), QStringLiteral("z")));
}

// ---- Writing -------------------------------------------------------------

TEST_F(IniFileTest, WritesChangeOnlyWhatTheyName) {
  Given("; written by hand\r\n[Common]\r\ntheme = Old\r\nother=keep\r\n\r\n[Form]\r\nA=1\r\n");
  TIniFile ini = Ini();
  ini.WriteString(QStringLiteral("COMMON"), QStringLiteral("Theme"), QStringLiteral("Dark"));
  ini.WriteInteger(QStringLiteral("Common"), QStringLiteral("New"), -5);
  ini.WriteBool(QStringLiteral("Form"), QStringLiteral("B"), true);
  ini.WriteString(QStringLiteral("Extra"), QStringLiteral("K"), Q("M\xC3\xBCnchen"));
  EXPECT_EQ(ReadFile(FileName()), "; written by hand\r\n[Common]\r\ntheme=Dark\r\nother=keep\r\n"
                                  "New=-5\r\n\r\n[Form]\r\nA=1\r\nB=1\r\n\r\n[Extra]\r\n"
                                  "K=M\xC3\xBCnchen\r\n");

  ini.DeleteKey(QStringLiteral("common"), QStringLiteral("OTHER"));
  ini.EraseSection(QStringLiteral("form"));
  EXPECT_EQ(ReadFile(FileName()), "; written by hand\r\n[Common]\r\ntheme=Dark\r\nNew=-5\r\n\r\n"
                                  "[Extra]\r\nK=M\xC3\xBCnchen\r\n");
}

TEST_F(IniFileTest, WriteCreatesTheFileAndValuesReadBack) {
  TIniFile ini = Ini();
  ini.WriteString(QStringLiteral("C"), QStringLiteral("Path"), Q("C:\\Spiele\\M\xC3\xBCnchen"));
  ini.WriteString(QStringLiteral("C"), QStringLiteral("Empty"), QString());
  ini.WriteString(QStringLiteral("C"), QStringLiteral("Padded"), QStringLiteral("  x  "));
  EXPECT_EQ(ini.ReadString(QStringLiteral("C"), QStringLiteral("Path"), {}),
            Q("C:\\Spiele\\M\xC3\xBCnchen"));
  EXPECT_EQ(ini.ReadString(QStringLiteral("C"), QStringLiteral("Empty"), QStringLiteral("d")),
            QString());
  EXPECT_EQ(ini.ReadString(QStringLiteral("C"), QStringLiteral("Padded"), {}), QStringLiteral("x"));
}

TEST_F(IniFileTest, ALineBreakInAValueCannotPlantAKey) {
  TIniFile ini = Ini();
  ini.WriteString(QStringLiteral("C"), QStringLiteral("Name"), QStringLiteral("a\r\n[D]\nK=1"));
  EXPECT_FALSE(ini.SectionExists(QStringLiteral("D")));
  EXPECT_EQ(ini.ReadString(QStringLiteral("C"), QStringLiteral("Name"), {}),
            QStringLiteral("a  [D] K=1"));
}

TEST_F(IniFileTest, DeletingFromAMissingFileCreatesNothing) {
  TIniFile ini = Ini();
  ini.DeleteKey(QStringLiteral("C"), QStringLiteral("K"));
  ini.EraseSection(QStringLiteral("C"));
  EXPECT_FALSE(QFile::exists(FileName()));
}

TEST_F(IniFileTest, DeletingRemovesDuplicatesToo) {
  Given("[C]\r\nK=1\r\nK=2\r\n[D]\r\nx=1\r\n[c]\r\nK=3\r\n");
  TIniFile ini = Ini();
  ini.DeleteKey(QStringLiteral("C"), QStringLiteral("k"));
  EXPECT_EQ(ini.ReadString(QStringLiteral("C"), QStringLiteral("K"), QStringLiteral("-")),
            QStringLiteral("-"));
  ini.EraseSection(QStringLiteral("C"));
  EXPECT_FALSE(ini.SectionExists(QStringLiteral("C")));
  EXPECT_EQ(ReadFile(FileName()), "[D]\r\nx=1\r\n");
}

TEST_F(IniFileTest, WriteIntoAMissingFolderFailsWithTheFileName) {
  const QString path = FEnv.PathOf(QStringLiteral("missing/Settings.ini"));
  TIniFile ini(path, FEnv.Platform());
  try {
    ini.WriteString(QStringLiteral("C"), QStringLiteral("K"), QStringLiteral("v"));
    FAIL() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to ") + path);
  }
  EXPECT_FALSE(QFile::exists(path));
}

TEST_F(IniFileTest, ReadOnlyFileIsNotReplaced) {
  const QByteArray old = "[C]\r\nK=old\r\n";
  Given(old);
  QFile::setPermissions(FileName(), QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
  try {
    Ini().WriteString(QStringLiteral("C"), QStringLiteral("K"), QStringLiteral("new"));
    FAIL() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("Unable to write to ") + FileName());
  }
  EXPECT_EQ(ReadFile(FileName()), old);
}

// A full disk, for real: the file size limit makes the write of the new
// content fail half way.
TEST_F(IniFileTest, FailedWriteLeavesTheOldFileByteForByte) {
  const QByteArray old = "[C]\r\nK=old\r\n[Keep]\r\nA=1\r\n";
  Given(old);
  rlimit saved{};
  ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
  auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  rlimit small = saved;
  small.rlim_cur = 4096;
  ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
  QString message;
  try {
    Ini().WriteString(QStringLiteral("C"), QStringLiteral("K"),
                      QString(2000, QLatin1Char('x')) + QString(2000, QChar(0x00FC)));
  } catch (const EAppError& e) {
    message = e.Message();
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  std::signal(SIGXFSZ, oldHandler);
  EXPECT_EQ(message, QStringLiteral("Unable to write to ") + FileName());
  EXPECT_EQ(ReadFile(FileName()), old);
  EXPECT_EQ(QDir(FEnv.Root()).entryList(QDir::Files),
            QStringList{QStringLiteral("Settings.ini")}); // no temporary file left behind
}

// The per-game files hold web passwords: a replacement must not widen who may read them.
TEST_F(IniFileTest, ReplacementKeepsThePermissions) {
  Given("[C]\r\n");
  const auto privateOnly = QFile::ReadOwner | QFile::WriteOwner;
  ASSERT_TRUE(QFile::setPermissions(FileName(), privateOnly));
  Ini().WriteString(QStringLiteral("C"), QStringLiteral("WebPassword"), QStringLiteral("secret"));
  EXPECT_EQ(QFile::permissions(FileName()) & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser),
            privateOnly);
}

// New or old, a settings file ends up for its owner's eyes only, read back
// with stat(); a wide-open umask changes nothing.
TEST_F(IniFileTest, SettingsFilesAreOwnerOnlyWhateverTheUmask) {
  struct ModeCase {
    const char* Name;
    int Before; // -1: no file yet
    int After;
  };
  const ModeCase Cases[] = {
      {"new file", -1, 0600},
      {"readable by all", 0644, 0600},
      {"writable by the group", 0660, 0600},
      {"already owner-only", 0600, 0600},
  };
  const mode_t OldUmask = ::umask(0);
  for (const ModeCase& Case : Cases) {
    SCOPED_TRACE(Case.Name);
    QFile::remove(FileName());
    if (Case.Before >= 0) {
      Given("[C]\r\n");
      ASSERT_EQ(::chmod(QFile::encodeName(FileName()).constData(), Case.Before), 0);
    }
    Ini().WriteString(QStringLiteral("C"), QStringLiteral("GamePassword"), QStringLiteral("x"));
    EXPECT_EQ(test::ModeOf(FileName()), Case.After);
  }
  ::umask(OldUmask);
}

// Below the settings store: a mode stricter than owner-only stays, and a
// file that is not secret keeps what it had.
TEST_F(IniFileTest, ReplacementKeepsAStricterModeAndSharedFilesKeepTheirs) {
  const QString Name = FEnv.PathOf(QStringLiteral("plain.txt"));
  WriteFile(Name, "old");
  ASSERT_EQ(::chmod(QFile::encodeName(Name).constData(), 0200), 0);
  QString Error;
  ASSERT_TRUE(ReplaceFileContents(Name, "new", Error, TFileAccess::OwnerOnly))
      << Error.toStdString();
  EXPECT_EQ(test::ModeOf(Name), 0200);

  ASSERT_EQ(::chmod(QFile::encodeName(Name).constData(), 0644), 0);
  ASSERT_TRUE(ReplaceFileContents(Name, "newer", Error)) << Error.toStdString();
  EXPECT_EQ(test::ModeOf(Name), 0644);
  EXPECT_EQ(ReadFile(Name), "newer");
}

class HiddenRecordingPlatform : public platform::FakePlatform {
public:
  using FakePlatform::FakePlatform;
  bool SetHidden(const std::string& path, bool hidden) override {
    Calls.push_back(path + (hidden ? "+" : "-"));
    return FakePlatform::SetHidden(path, hidden);
  }
  std::vector<std::string> Calls;
};

TEST_F(IniFileTest, ReplacementKeepsTheHiddenAttribute) {
  HiddenRecordingPlatform platform(FEnv.PathOf(QStringLiteral("p")).toStdString());
  Given("[C]\r\n");
  TIniFile ini(FileName(), platform);
  ini.WriteString(QStringLiteral("C"), QStringLiteral("K"), QStringLiteral("1"));
  EXPECT_TRUE(platform.Calls.empty()); // a visible file stays visible
  platform.FakePlatform::SetHidden(FileName().toStdString(), true);
  ini.WriteString(QStringLiteral("C"), QStringLiteral("K"), QStringLiteral("2"));
  EXPECT_EQ(platform.Calls, std::vector<std::string>{FileName().toStdString() + "+"});
  EXPECT_TRUE(platform.IsHidden(FileName().toStdString()));
}

// ---- Damaged files -------------------------------------------------------

TEST_F(IniFileTest, DamagedFilesReadAndAWriteKeepsTheOtherSections) {
  QByteArray garbage(4096, '\0');
  auto* rng = QRandomGenerator::global();
  for (char& c : garbage)
    c = static_cast<char>(rng->bounded(256));
  const QByteArray hugeLine = "Huge=" + QByteArray(10 * 1024 * 1024, 'h');
  Given("[Before]\r\nA=1\r\n" + garbage + "\r\n[Big]\n" + hugeLine + "\r\rnot a key\n\r\n" +
        "[After]\r\nB=2\r\nB=3\r\n");

  TIniFile ini = Ini();
  EXPECT_EQ(ini.ReadString(QStringLiteral("Big"), QStringLiteral("Huge"), {}).size(), 2047);
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("After"), QStringLiteral("B"), 0), 2);

  ini.WriteString(QStringLiteral("New"), QStringLiteral("K"), QStringLiteral("v"));
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("Before"), QStringLiteral("A"), 0), 1);
  EXPECT_EQ(ini.ReadInteger(QStringLiteral("After"), QStringLiteral("B"), 0), 2);
  EXPECT_EQ(ini.ReadString(QStringLiteral("New"), QStringLiteral("K"), {}), QStringLiteral("v"));
  EXPECT_TRUE(ReadFile(FileName()).contains(hugeLine + "\r\n"));
}

// ---- Batched writes ------------------------------------------------------

TEST_F(IniFileTest, BatchedUpdateGivesTheSameFileAsSingleWrites) {
  const QByteArray start = "[Keep]\r\nA=1\r\n[List]\r\nOld=x\r\n";
  auto edits = [](auto& target) {
    target.EraseSection(QStringLiteral("List"));
    for (int i = 0; i < 30; ++i)
      target.WriteString(QStringLiteral("List"), QStringLiteral("Name%1").arg(i),
                         QStringLiteral("v%1").arg(i));
    target.WriteBool(QStringLiteral("Keep"), QStringLiteral("B"), false);
    target.DeleteKey(QStringLiteral("Keep"), QStringLiteral("A"));
  };

  // The erased section comes back at the end; B goes before the blank line
  // that ends its section.
  const QByteArray expected =
      "[Keep]\r\nB=0\r\n\r\n[List]\r\n"
      "Name0=v0\r\nName1=v1\r\nName2=v2\r\nName3=v3\r\nName4=v4\r\nName5=v5\r\n"
      "Name6=v6\r\nName7=v7\r\nName8=v8\r\nName9=v9\r\nName10=v10\r\nName11=v11\r\n"
      "Name12=v12\r\nName13=v13\r\nName14=v14\r\nName15=v15\r\nName16=v16\r\n"
      "Name17=v17\r\nName18=v18\r\nName19=v19\r\nName20=v20\r\nName21=v21\r\n"
      "Name22=v22\r\nName23=v23\r\nName24=v24\r\nName25=v25\r\nName26=v26\r\n"
      "Name27=v27\r\nName28=v28\r\nName29=v29\r\n";

  Given(start);
  TIniFile ini = Ini();
  edits(ini);
  EXPECT_EQ(ReadFile(FileName()), expected);

  Given(start);
  ini.Update([&](TIniDocument& doc) { edits(doc); });
  EXPECT_EQ(ReadFile(FileName()), expected);
}

TEST_F(IniFileTest, BatchedUpdateThatThrowsWritesNothing) {
  const QByteArray old = "[C]\r\nK=1\r\n";
  Given(old);
  EXPECT_THROW(Ini().Update([](TIniDocument& doc) {
    doc.WriteString(QStringLiteral("C"), QStringLiteral("K"), QStringLiteral("2"));
    throw EAppError(QStringLiteral("stop"));
  }),
               EAppError);
  EXPECT_EQ(ReadFile(FileName()), old);
}

} // namespace
} // namespace tilvane
