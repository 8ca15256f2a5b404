#pragma once

#include <QString>

#include <vector>

namespace tilvane {

// The drive letters a Windows program under Wine (Steam's Proton) sees, and
// the translation of paths between the Linux side and the program's side.
// A prefix keeps its drives as links in `<prefix>/dosdevices`: "c:" leads to
// "../drive_c", "z:" to "/".
class TWineDrives {
public:
  struct TDrive {
    QChar Letter;   // upper case
    QString Target; // absolute Linux folder, without a trailing '/' (except "/")
  };

  TWineDrives() = default;
  explicit TWineDrives(std::vector<TDrive> ADrives);

  // The drive links of a prefix. A missing folder gives no drives.
  static TWineDrives Read(const QString& APrefix);
  // Only "Z:" for the Linux root, as a Steam that runs inside Wine writes its
  // library folders.
  static TWineDrives LinuxRootAsZ();

  // The path the Windows program uses for a Linux path, through the drive
  // whose folder holds it most closely ("C:\users\..." rather than
  // "Z:\home\...\drive_c\users\..."); the rest of the path is kept as written.
  // Empty when no drive leads there, or the path is not absolute.
  QString ToWindows(const QString& ALinuxPath) const;
  // The Linux path for a path the Windows program uses ("X:\..." or "X:/...",
  // drive letter in any case). A path on no known drive comes back unchanged.
  QString ToLinux(const QString& AWindowsPath) const;

  const std::vector<TDrive>& Drives() const { return FDrives; }

private:
  std::vector<TDrive> FDrives;
};

} // namespace tilvane
