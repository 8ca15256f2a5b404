#pragma once

#include "platform/FakePlatform.h"
#include "support/ScriptedPromptService.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace tilvane::test {

// A temporary folder with a fake platform rooted in it and a scripted prompt
// service: what most tests of the program's logic stand on. Nothing outside
// the temporary folder is read or written: for its lifetime the user's data
// folder, and so the desktop's trash, lies below it too.
class TestEnvironment {
public:
  TestEnvironment();
  ~TestEnvironment();
  TestEnvironment(const TestEnvironment&) = delete;
  TestEnvironment& operator=(const TestEnvironment&) = delete;

  QString Root() const { return FDir.path(); }
  // A path below the temporary folder ('/'-separated relative name).
  QString PathOf(const QString& relative) const;
  QString Documents() const;
  // Where files moved to the desktop's trash end up.
  QString TrashFiles() const;

  platform::FakePlatform& Platform() { return FPlatform; }
  ScriptedPromptService& Prompts() { return FPrompts; }

private:
  QTemporaryDir FDir;
  platform::FakePlatform FPlatform;
  ScriptedPromptService FPrompts;
  QByteArray FOldDataHome;
  bool FHadDataHome = false;
};

// A QString from UTF-8 text: fixtures are written as plain string literals.
inline QString L(const char* text) {
  return QString::fromUtf8(text);
}

// Small file helpers for fixtures.
void WriteFile(const QString& path, const QByteArray& content); // creates missing folders
QByteArray ReadFile(const QString& path);                       // empty when missing
// The permission bits stat() reports for the file (0644 ...); -1 when missing.
int ModeOf(const QString& path);

} // namespace tilvane::test
