#include "platform/Platform.h"
#include "platform/ProgramVersion.h"

#include "WindowsTestFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace tilvane::platform {
namespace {

using test::Attributes;
using test::TTestFolder;

constexpr wchar_t SteamKey[] = L"SOFTWARE\\WOW6432Node\\Valve\\Steam";

bool RunsUnderWine() {
  return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

void DeleteSteamKey() {
  RegDeleteKeyExW(HKEY_LOCAL_MACHINE, SteamKey, KEY_WOW64_64KEY, 0);
}

// The key as Steam's installer leaves it; no value when AInstallPath is empty.
void WriteSteamKey(const std::wstring& AInstallPath) {
  HKEY Key = nullptr;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, SteamKey, 0, nullptr, 0,
                            KEY_SET_VALUE | KEY_WOW64_64KEY, nullptr, &Key, nullptr),
            ERROR_SUCCESS);
  if (!AInstallPath.empty())
    RegSetValueExW(Key, L"InstallPath", 0, REG_SZ,
                   reinterpret_cast<const BYTE*>(AInstallPath.c_str()),
                   static_cast<DWORD>((AInstallPath.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(Key);
}

TEST(WindowsPlatformTest, KnownFoldersExist) {
  const auto Platform = CreateSystemPlatform();
  const struct {
    const char* Name;
    std::string Path;
  } Folders[] = {
      {"documents", Platform->DocumentsFolder()},
      {"desktop", Platform->DesktopFolder()},
      {"local application data", Platform->LocalAppDataFolder()},
      {"program files", Platform->ProgramFilesFolder()},
      {"temporary files", Platform->TempFolder()},
  };
  for (const auto& Folder : Folders) {
    SCOPED_TRACE(Folder.Name);
    ASSERT_FALSE(Folder.Path.empty());
    EXPECT_NE(Folder.Path.back(), '\\');
    const std::u8string Utf8(Folder.Path.begin(), Folder.Path.end());
    const DWORD Found = Attributes(std::filesystem::path(Utf8));
    ASSERT_NE(Found, INVALID_FILE_ATTRIBUTES) << Folder.Path;
    EXPECT_TRUE(Found & FILE_ATTRIBUTE_DIRECTORY) << Folder.Path;
  }
  EXPECT_EQ(Platform->GameDocumentsFolder(), Platform->DocumentsFolder());
  EXPECT_EQ(PathDelimiter, '\\');
}

TEST(WindowsPlatformTest, SteamFolderFromTheRegistry) {
  if (!RunsUnderWine())
    GTEST_SKIP() << "writes Steam's key to the machine's registry: runs under Wine only";
  const struct {
    const char* Case;
    bool KeyExists;
    std::wstring InstallPath;
    std::string Expected;
  } Cases[] = {
      {"no key", false, L"", ""},
      {"key without the value", true, L"", ""},
      {"value", true, L"C:\\Program Files (x86)\\Steam", "C:\\Program Files (x86)\\Steam"},
      {"value beyond ASCII", true, L"D:\\Spiele\\Stea\u00df\u00e4",
       "D:\\Spiele\\Stea\xc3\x9f\xc3\xa4"},
  };
  const auto Platform = CreateSystemPlatform();
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Case);
    DeleteSteamKey();
    if (C.KeyExists)
      WriteSteamKey(C.InstallPath);
    EXPECT_EQ(Platform->SteamFolder(), C.Expected);
  }
  DeleteSteamKey();
}

TEST(WindowsPlatformTest, ProcessListHoldsThisTest) {
  const std::vector<std::string> Names = CreateSystemPlatform()->RunningProcessNames();
  EXPECT_NE(std::find(Names.begin(), Names.end(), "test_platform_windows.exe"), Names.end());
}

TEST(WindowsPlatformTest, HiddenAttribute) {
  TTestFolder Folder;
  test::WriteFile(Folder.Path(u8"Tilvane.ini"), "[Common]\r\n");
  std::filesystem::create_directory(Folder.Path(u8"M\u00fchle"));
  test::WriteFile(Folder.Path(u8"read-only.ini"), "");
  SetFileAttributesW(Folder.Path(u8"read-only.ini").c_str(), FILE_ATTRIBUTE_READONLY);
  const auto Platform = CreateSystemPlatform();
  for (const std::u8string Name : {u8"Tilvane.ini", u8"M\u00fchle", u8"read-only.ini"}) {
    const std::string Path = Folder.Utf8(Name);
    SCOPED_TRACE(Path);
    const DWORD Before = Attributes(Folder.Path(Name));
    EXPECT_FALSE(Platform->IsHidden(Path));
    EXPECT_TRUE(Platform->SetHidden(Path, true));
    EXPECT_TRUE(Platform->IsHidden(Path));
    EXPECT_TRUE(Platform->SetHidden(Path, true)); // already hidden
    EXPECT_EQ(Attributes(Folder.Path(Name)), Before | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_TRUE(Platform->SetHidden(Path, false));
    EXPECT_FALSE(Platform->IsHidden(Path));
    EXPECT_EQ(Attributes(Folder.Path(Name)), Before);
  }
  const std::string Missing = Folder.Utf8(u8"missing.ini");
  EXPECT_FALSE(Platform->SetHidden(Missing, true));
  EXPECT_FALSE(Platform->IsHidden(Missing));
}

// Only the refusal is tried: a successful open would start a program.
TEST(WindowsPlatformTest, ShellOpenOfAMissingFileFails) {
  TTestFolder Folder;
  EXPECT_FALSE(CreateSystemPlatform()->ShellOpen(Folder.Utf8(u8"missing.txt")));
}

// The test executable carries a version resource of 2.4.1.17 and a product
// version of its own; the fixed file version is the one that counts.
TEST(WindowsPlatformTest, ProgramVersionFromTheVersionResource) {
  EXPECT_EQ(ProgramFileVersion(), std::optional<TFileVersion>(TFileVersion{2, 4, 1, 17}));
}

} // namespace
} // namespace tilvane::platform
