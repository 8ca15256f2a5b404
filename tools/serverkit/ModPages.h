#pragma once

#include <QString>

#include <vector>

namespace tilvane::kit {

// Dedicated server pages, written the way the servers of each layout write
// them, for the tests, the benchmarks and the demo server.
// One row of a generated mod page.
struct TPageRow {
  QString FileName;
  QString Author = QStringLiteral("Tester");
  QString Version = QStringLiteral("1.0.0.0");
  QString DownloadURL; // empty: "mods/" + FileName
  bool WithLink = true;
  QString SizeMB = QStringLiteral("0.01");
  QString Title; // the mod's name on the page; empty: "Mod " and the row's number
};

enum class TPageLayout { Table90, Grid91, Grid92, Grid100 };

// A mod list page as the dedicated server of that layout writes it.
QString MakeModPage(TPageLayout ALayout, const std::vector<TPageRow>& ARows);
// The logged-in (admin) view of a 10.0 server: its download link sits in a
// mobile-only block beside a delete button.
QString MakeAdminModPage100(const std::vector<TPageRow>& ARows);
// The admin view of any layout (the table looks the same to an admin).
QString MakeAdminModPage(TPageLayout ALayout, const std::vector<TPageRow>& ARows);
// The server's web login page, which it answers in place of a page that needs
// the login when none or a wrong one came.
QString MakeLoginPage(TPageLayout ALayout);
// The version the footer of a server of that layout shows: "10.0.0.0".
const char* ServerVersionOf(TPageLayout ALayout);

} // namespace tilvane::kit
