#include "platform/AtomicReplace.h"
#include "platform/Platform.h"

#include "WindowsTestFolder.h"

#include <gtest/gtest.h>

namespace tilvane::platform {
namespace {

using test::Attributes;
using test::ReadFile;
using test::TTestFolder;

std::vector<std::string> FileNames(const std::filesystem::path& AFolder) {
  std::vector<std::string> Names;
  for (const auto& Entry : std::filesystem::directory_iterator(AFolder))
    Names.push_back(Entry.path().filename().string());
  return Names;
}

// The settings files are hidden, and a user may have made one read-only;
// what the file was, it stays, with the new content.
TEST(WindowsAtomicReplaceTest, ReplacesAndKeepsTheAttributes) {
  const struct {
    const char* Case;
    bool Exists;
    DWORD Attributes;
    DWORD Expected;
  } Cases[] = {
      {"new file", false, 0, FILE_ATTRIBUTE_ARCHIVE},
      {"plain", true, FILE_ATTRIBUTE_ARCHIVE, FILE_ATTRIBUTE_ARCHIVE},
      {"hidden", true, FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_HIDDEN},
      {"read-only", true, FILE_ATTRIBUTE_READONLY, FILE_ATTRIBUTE_READONLY},
      {"hidden and read-only", true, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY,
       FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Case);
    TTestFolder Folder;
    const std::filesystem::path Target = Folder.Path(u8"FS25 \u00e4.ini");
    if (C.Exists) {
      test::WriteFile(Target, "[Common]\r\nOld=1\r\n");
      ASSERT_TRUE(SetFileAttributesW(Target.c_str(), C.Attributes));
    }
    WriteFileAtomically(Folder.Utf8(u8"FS25 \u00e4.ini"), "[Common]\r\nNew=2\r\n");
    EXPECT_EQ(ReadFile(Target), "[Common]\r\nNew=2\r\n");
    // Wine does not keep the archive attribute, which no one here relies on.
    EXPECT_EQ(Attributes(Target) & ~FILE_ATTRIBUTE_ARCHIVE, C.Expected & ~FILE_ATTRIBUTE_ARCHIVE);
    EXPECT_EQ(FileNames(Folder.Root()), std::vector<std::string>{Target.filename().string()});
  }
}

TEST(WindowsAtomicReplaceTest, EmptyAndLargeContent) {
  TTestFolder Folder;
  const std::string Large(3 * 1024 * 1024 + 7, 'x');
  for (const std::string& Content : {std::string(), Large, std::string("a")}) {
    WriteFileAtomically(Folder.Utf8(u8"file.xml"), Content);
    EXPECT_EQ(ReadFile(Folder.Path(u8"file.xml")), Content);
  }
}

// A refused replacement leaves the old content and no temporary file behind.
TEST(WindowsAtomicReplaceTest, FailureLeavesTheOldFile) {
  TTestFolder Folder;
  test::WriteFile(Folder.Path(u8"open.ini"), "old");
  std::filesystem::create_directory(Folder.Path(u8"folder.ini"));
  // Another program holds the file open without letting it be replaced.
  const HANDLE Held = CreateFileW(Folder.Path(u8"open.ini").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(Held, INVALID_HANDLE_VALUE);
  const char* const Targets[] = {"missing folder\\file.ini", "folder.ini", "open.ini"};
  for (const char* Name : Targets) {
    SCOPED_TRACE(Name);
    const std::string Path = Folder.Utf8(u8"") + Name;
    try {
      WriteFileAtomically(Path, "new");
      ADD_FAILURE() << "no error";
    } catch (const PlatformError& E) {
      EXPECT_STRNE(E.what(), "");
    }
  }
  CloseHandle(Held);
  EXPECT_EQ(ReadFile(Folder.Path(u8"open.ini")), "old");
  EXPECT_TRUE(std::filesystem::is_directory(Folder.Path(u8"folder.ini")));
  // Wine's ReplaceFileW leaves a file of its own (rf*.tmp) when it fails;
  // ours are named after their target and must be gone.
  for (const std::string& Name : FileNames(Folder.Root()))
    EXPECT_EQ(Name.find(".ini."), std::string::npos) << Name;
}

} // namespace
} // namespace tilvane::platform
