#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace tilvane::test {

TestEnvironment::TestEnvironment() : FPlatform(FDir.path().toStdString()) {
  if (!FDir.isValid())
    ADD_FAILURE() << "Cannot create a temporary folder";
  FHadDataHome = qEnvironmentVariableIsSet("XDG_DATA_HOME");
  FOldDataHome = qgetenv("XDG_DATA_HOME");
  qputenv("XDG_DATA_HOME", QFile::encodeName(PathOf(QStringLiteral("DataHome"))));
}

TestEnvironment::~TestEnvironment() {
  if (FHadDataHome)
    qputenv("XDG_DATA_HOME", FOldDataHome);
  else
    qunsetenv("XDG_DATA_HOME");
}

QString TestEnvironment::PathOf(const QString& relative) const {
  return FDir.filePath(relative);
}

QString TestEnvironment::Documents() const {
  return QString::fromStdString(const_cast<platform::FakePlatform&>(FPlatform).DocumentsFolder());
}

QString TestEnvironment::TrashFiles() const {
  return PathOf(QStringLiteral("DataHome/Trash/files"));
}

void WriteFile(const QString& path, const QByteArray& content) {
  QDir().mkpath(QFileInfo(path).absolutePath());
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    ADD_FAILURE() << "Cannot write " << path.toStdString();
    return;
  }
  file.write(content);
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly))
    return {};
  return file.readAll();
}

int ModeOf(const QString& path) {
  struct stat Info {};
  if (::stat(QFile::encodeName(path).constData(), &Info) != 0)
    return -1;
  return static_cast<int>(Info.st_mode & 07777);
}

} // namespace tilvane::test
