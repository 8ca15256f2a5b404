#pragma once

#include <fstream>
#include <iterator>
#include <string>

namespace tilvane::platform::linux_files {

// The whole content of a file; empty when it cannot be read. Reads to the end
// rather than by size: files of /proc report a size of 0.
inline std::string ReadWholeFile(const std::string& APath) {
  std::ifstream In(APath, std::ios::binary);
  if (!In)
    return {};
  return std::string(std::istreambuf_iterator<char>(In), std::istreambuf_iterator<char>());
}

} // namespace tilvane::platform::linux_files
