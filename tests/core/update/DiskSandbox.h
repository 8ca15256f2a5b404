#pragma once

#include <QDir>
#include <QString>

#include <sys/mount.h>
#include <sys/stat.h>

namespace tilvane::test {

// A small drive of its own (a tmpfs of the given size), mounted on a folder
// while the object lives: a full disk, or a second drive, without touching
// the machine's. Mounting needs the right to (root in a container); Mounted()
// tells the test whether to skip.
class TDiskSandbox {
public:
  TDiskSandbox(const QString& AMountPoint, const QString& ASize) : FMountPoint(AMountPoint) {
    QDir().mkpath(AMountPoint);
    const QByteArray Options = (QStringLiteral("size=") + ASize).toLatin1();
    FMounted = ::mount("tmpfs", AMountPoint.toLocal8Bit().constData(), "tmpfs", 0,
                       Options.constData()) == 0;
  }
  ~TDiskSandbox() {
    if (FMounted)
      ::umount2(FMountPoint.toLocal8Bit().constData(), MNT_DETACH);
  }
  TDiskSandbox(const TDiskSandbox&) = delete;
  TDiskSandbox& operator=(const TDiskSandbox&) = delete;

  bool Mounted() const { return FMounted; }

private:
  QString FMountPoint;
  bool FMounted = false;
};

// The file's inode and its count of names, read here with stat(2) so that the
// tests do not lean on the code they check.
struct TInode {
  ino_t Inode = 0;
  nlink_t Links = 0;
  bool operator==(const TInode&) const = default;
};
inline TInode InodeOf(const QString& APath) {
  struct stat Info {};
  if (::stat(APath.toLocal8Bit().constData(), &Info) != 0)
    return {};
  return {Info.st_ino, Info.st_nlink};
}

} // namespace tilvane::test
