#pragma once

#include <windows.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace tilvane::platform::test {

// A fresh folder below the temporary folder, removed with everything in it,
// read-only and hidden files included.
class TTestFolder {
public:
  TTestFolder() : TTestFolder(NextName()) {}
  // A folder that another process finds by the same name: a death test's
  // child runs the test again in a process of its own.
  explicit TTestFolder(const std::string& AName)
      : FPath(std::filesystem::temp_directory_path() / AName) {
    std::filesystem::create_directories(FPath);
  }
  TTestFolder(const TTestFolder&) = delete;
  TTestFolder& operator=(const TTestFolder&) = delete;
  ~TTestFolder() {
    std::error_code Ignored;
    for (const auto& Entry : std::filesystem::recursive_directory_iterator(FPath, Ignored))
      SetFileAttributesW(Entry.path().c_str(), FILE_ATTRIBUTE_NORMAL);
    std::filesystem::remove_all(FPath, Ignored);
  }

  // AName below the folder, as the platform layer takes paths: UTF-8.
  std::string Utf8(const std::u8string& AName) const {
    const std::u8string Path = (FPath / AName).u8string();
    return std::string(Path.begin(), Path.end());
  }
  std::filesystem::path Path(const std::u8string& AName) const { return FPath / AName; }
  const std::filesystem::path& Root() const { return FPath; }

private:
  static std::string NextName() {
    static int Counter = 0;
    return "tilvane-test-" + std::to_string(GetCurrentProcessId()) + "-" +
           std::to_string(++Counter);
  }

  std::filesystem::path FPath;
};

inline std::string ReadFile(const std::filesystem::path& APath) {
  std::ifstream In(APath, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

inline void WriteFile(const std::filesystem::path& APath, const std::string& AText) {
  std::ofstream(APath, std::ios::binary) << AText;
}

inline DWORD Attributes(const std::filesystem::path& APath) {
  return GetFileAttributesW(APath.c_str());
}

} // namespace tilvane::platform::test
