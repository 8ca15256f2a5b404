#include "ModPages.h"

namespace tilvane::kit {

namespace {

QString Footer(const char* AVersion) {
  return QStringLiteral("<footer class=\"main-footer clearfix\"><ul class=\"menu menu-footer\">\n"
                        "<li><a href=\"https://www.farming-simulator.com\">%1 "
                        "(Non-commercial&nbsp;use&nbsp;only)</a></li>\n</ul></footer>\n")
      .arg(QLatin1String(AVersion));
}

QString Head() {
  return QStringLiteral("<!DOCTYPE html>\n<html><head>\n<title>Farming Simulator Dedicated Server "
                        "| Mods</title>\n</head>\n<body><section class=\"content-wrap\">\n");
}

QString LinkOf(const TPageRow& ARow) {
  return ARow.DownloadURL.isEmpty() ? QStringLiteral("mods/") + ARow.FileName : ARow.DownloadURL;
}

QString TitleOf(const TPageRow& ARow, int AIndex) {
  return ARow.Title.isEmpty() ? QStringLiteral("Mod %1").arg(AIndex) : ARow.Title;
}

QString TableRow(const TPageRow& R, int AIndex) {
  const QString Detail = QStringLiteral("mod.html?lang=en&mod_index=%1").arg(AIndex);
  QString Row = QStringLiteral("\t\t<tr>\n"
                               "\t\t\t<td title=\"%1\"><a href=\"%2\">%1</a></td>\n"
                               "\t\t\t<td title=\"%3\">%3</td>\n"
                               "\t\t\t<td title=\"%4\">%4</td>\n"
                               "\t\t\t<td title=\"%5\"><a href=\"%2\">%5</a></td>\n"
                               "\t\t\t<td align=\"right\">%6 MB</td>\n"
                               "\t\t\t<td>&nbsp;</td>\n"
                               "\t\t\t<td align=\"center\">Yes</td>\n")
                    .arg(TitleOf(R, AIndex), Detail, R.Version, R.Author, R.FileName, R.SizeMB);
  if (R.WithLink)
    Row += QStringLiteral("\t\t\t<td><a title=\"Download %1\" href=\"%2\"><img class=\"icon\" "
                          "src=\"img/icons/saveIcon.png\"></a></td>\n")
               .arg(R.FileName, LinkOf(R));
  else
    Row += QStringLiteral("\t\t\t<td></td>\n");
  Row += QStringLiteral("\t\t\t<td></td>\n\t\t</tr>\n");
  return Row;
}

QString GridCell(const char* AWidth, const char* ALabel, const QString& ATitle,
                 const QString& AValue) {
  return QStringLiteral("  <div class=\"container-row col col-lg-%1 col-xs-12\" title=\"%2\">\n"
                        "    <div class=\"col col-lg-2 col-xs-3\"><b>%3</b></div>\n"
                        "    <div class=\"col col-lg-12 col-xs-9\"><i>%4</i></div>\n  </div>\n")
      .arg(QLatin1String(AWidth), ATitle, QLatin1String(ALabel), AValue);
}

QString PlainCell(const char* ALabel, const QString& AValue) {
  return QStringLiteral("  <div class=\"container-row col col-lg-1 col-xs-12\">\n"
                        "    <div class=\"col col-lg-2 col-xs-3\"><b>%1</b></div>\n"
                        "    <div class=\"col col-lg-12 col-xs-9\"><i>%2</i></div>\n  </div>\n")
      .arg(QLatin1String(ALabel), AValue);
}

QString TitleCells(const TPageRow& R, int AIndex) {
  return GridCell("2", "Name", TitleOf(R, AIndex),
                  QStringLiteral("<a href=\"mod.html?lang=en&amp;mod_index=%1\">%2</a>")
                      .arg(AIndex)
                      .arg(TitleOf(R, AIndex))) +
         GridCell("1", "Version", R.Version, R.Version) +
         GridCell("2", "Author", R.Author, R.Author) +
         GridCell("3", "Filename", R.FileName,
                  QStringLiteral("<a href=\"mod.html?lang=en&amp;mod_index=%1\">%2</a>")
                      .arg(AIndex)
                      .arg(R.FileName)) +
         GridCell("1", "Size", R.SizeMB + QStringLiteral(" MB"), R.SizeMB + QStringLiteral(" MB"));
}

QString GridRow(const TPageRow& R, int AIndex, bool AModHub) {
  QString Row = QStringLiteral("<div class=\"container-row grid-row\">\n") + TitleCells(R, AIndex);
  Row +=
      QStringLiteral("  <div class=\"container-row col col col-no-padding col-lg-3 col-xs-12\">\n");
  Row += PlainCell("Issues", QStringLiteral("&nbsp"));
  if (AModHub)
    Row += PlainCell("ModHub", QStringLiteral("No"));
  Row += PlainCell("Active", QStringLiteral("Yes"));
  Row += QStringLiteral("  <div class=\"container-row col col-lg-1 col-xs-12\">\n"
                        "    <div class=\"col col-lg-2 col-xs-3\"><b>Download</b></div>\n"
                        "    <div class=\"col col-lg-12 col-xs-9\"><div class=\"col col-dl\">");
  if (R.WithLink)
    Row += QStringLiteral("<a href=\"%1\"><img src=\"img/icons/saveIcon.png\"></a>").arg(LinkOf(R));
  Row += QStringLiteral("</div></div>\n  </div>\n  </div>\n</div>\n");
  return Row;
}

} // namespace

QString MakeModPage(TPageLayout ALayout, const std::vector<TPageRow>& ARows) {
  QString Page = Head();
  if (ALayout == TPageLayout::Table90) {
    Page += QStringLiteral("<table>\n\t\t<tr>\n\t\t\t<td><b>Name</b></td>\n\t\t\t<td><b>Version</b>"
                           "</td>\n\t\t\t<td>&nbsp;</td>\n\t\t</tr>\n");
    for (size_t i = 0; i < ARows.size(); ++i)
      Page += TableRow(ARows[i], static_cast<int>(i));
    Page += QStringLiteral("<tr>\n\t\t<td><b>Total %1 Mods</b></td>\n\t\t<td align=\"center\" "
                           "title=\"Download all active mods\"><a "
                           "href=\"all_mods_download?onlyActive=true\"><img class=\"icon\" "
                           "src=\"img/icons/activeSaveIcon.png\"></a></td>\n\t\t</tr>\n</table>\n")
                .arg(ARows.size());
    return Page + Footer(ServerVersionOf(ALayout)) + QStringLiteral("</section></body></html>\n");
  }
  const bool ModHub = ALayout != TPageLayout::Grid91;
  Page += QStringLiteral("<div class=\"container table-grid\">\n"
                         "<div class=\"container-row col-lg-visible col-xs-hidden grid-row\">\n"
                         "  <div class=\"col col-lg-2\"><b>Name</b></div>\n</div>\n");
  for (size_t i = 0; i < ARows.size(); ++i)
    Page += GridRow(ARows[i], static_cast<int>(i), ModHub);
  Page += QStringLiteral("</div>\n");
  return Page + Footer(ServerVersionOf(ALayout)) + QStringLiteral("</section></body></html>\n");
}

QString MakeAdminModPage(TPageLayout ALayout, const std::vector<TPageRow>& ARows) {
  if (ALayout == TPageLayout::Table90)
    return MakeModPage(ALayout, ARows); // the table's admin view is the same table
  const bool ModHub = ALayout != TPageLayout::Grid91;
  QString Page = Head() + QStringLiteral("<form name=\"InactiveMods\" action=\"mods.html\" "
                                         "method=\"POST\">\n<div class=\"container table-grid\">\n"
                                         "<div class=\"container-row col-lg-visible "
                                         "col-xs-hidden grid-row\">\n  <div class=\"col "
                                         "col-lg-2\"><b>Name</b></div>\n</div>\n");
  for (size_t i = 0; i < ARows.size(); ++i) {
    const TPageRow& R = ARows[i];
    const auto Cell = [](const char* AWidth, const char* ALabel, const QString& ATitle,
                         const QString& AValue) {
      return QStringLiteral("  <div class=\"container-row col col-lg-%1 col-xs-12\" "
                            "title=\"%2\">\n    <div class=\"col col-lg-hidden "
                            "col-xs-3\"><b>%3</b></div>\n    <div class=\"col col-lg-12 "
                            "col-xs-9\">%4</div>\n  </div>\n")
          .arg(QLatin1String(AWidth), ATitle, QLatin1String(ALabel), AValue);
    };
    const QString Detail = QStringLiteral("mod.html?lang=en&amp;mod_index=%1").arg(i);
    Page += QStringLiteral("<div class=\"container-row grid-row\">\n");
    const QString Title = TitleOf(R, static_cast<int>(i));
    Page += Cell("2", "Name", Title,
                 QStringLiteral("<i> <a href=\"%1\">%2</a></i>").arg(Detail, Title));
    Page += Cell("1", "Version", R.Version,
                 QStringLiteral("<i><span>%1</span></i>\n      <span title=\"An update is "
                                "available for this mod.\"><img "
                                "src=\"img/icons/updateIcon.png\"></span>\n    ")
                     .arg(R.Version));
    Page += Cell("2", "Author", R.Author, QStringLiteral("<i><span>%1</span></i>").arg(R.Author));
    Page += Cell("3", "Filename", R.FileName,
                 QStringLiteral("<i><a href=\"%1\">%2</a></i>").arg(Detail, R.FileName));
    Page += Cell("1", "Size", R.SizeMB + QStringLiteral(" MB"),
                 QStringLiteral("<i><span>%1 MB</span></i>").arg(R.SizeMB));
    Page += QStringLiteral("  <div class=\"container-row col col col-no-padding col-lg-3 "
                           "col-xs-12\">\n");
    Page += Cell("3", "Issues", QStringLiteral("0"), QStringLiteral("<i>&nbsp</i>"));
    if (ModHub)
      Page += QStringLiteral("  <div class=\"container-row col col-lg-2 col-xs-12\">\n    <div "
                             "class=\"col col-lg-hidden col-xs-3\"><b>ModHub</b></div>\n    "
                             "<div class=\"col col-lg-12 col-xs-9\"><i><span>Yes</span></i></div>"
                             "\n  </div>\n");
    Page += QStringLiteral("  <div class=\"container-row col col-lg-3 col-xs-12\">\n    <div "
                           "class=\"col col-lg-hidden col-xs-3\"><b>Active</b></div>\n    <div "
                           "class=\"col col-lg-12 col-xs-9\"><i><span>No</span></i></div>\n  "
                           "</div>\n");
    Page += QStringLiteral("  <div class=\"container-row col col-lg-hidden col-xs-12\">\n");
    if (R.WithLink)
      Page += QStringLiteral("    <div class=\"col col-lg-hidden col-xs-2\">\n"
                             "      <a href=\"%1\"><img src=\"img/icons/saveIcon.png\"></a>\n"
                             "    </div>\n")
                  .arg(LinkOf(R));
    Page += QStringLiteral("    <div class=\"col col-lg-hidden col-xs-2\">\n"
                           "      <button title=\"Delete %1\" type=\"submit\" "
                           "name=\"deleteinactive\" value=\"%1\"><img "
                           "src=\"img/icons/deleteIcon.png\"></button>\n    </div>\n  </div>\n"
                           "  </div>\n</div>\n")
                .arg(R.FileName);
  }
  Page += QStringLiteral("</div>\n</form>\n");
  return Page + Footer(ServerVersionOf(ALayout)) + QStringLiteral("</section></body></html>\n");
}

QString MakeAdminModPage100(const std::vector<TPageRow>& ARows) {
  return MakeAdminModPage(TPageLayout::Grid100, ARows);
}

QString MakeLoginPage(TPageLayout ALayout) {
  return QStringLiteral("<!DOCTYPE html>\n<html><head>\n<title>Farming Simulator Dedicated Server "
                        "| Login</title>\n</head>\n<body><section class=\"content-wrap\">\n"
                        "<form action=\"index.html\" method=\"post\">\n"
                        "<label for=\"username\">Username</label>\n"
                        "<input type=\"text\" id=\"username\" name=\"username\">\n"
                        "<label for=\"password\">Password</label>\n"
                        "<input type=\"password\" id=\"password\" name=\"password\">\n"
                        "<input type=\"hidden\" name=\"login\" value=\"true\">\n"
                        "<button type=\"submit\">Login</button>\n</form>\n") +
         Footer(ServerVersionOf(ALayout)) + QStringLiteral("</section></body></html>\n");
}

const char* ServerVersionOf(TPageLayout ALayout) {
  switch (ALayout) {
  case TPageLayout::Table90:
    return "9.0.0.0";
  case TPageLayout::Grid91:
    return "9.1.0.0";
  case TPageLayout::Grid92:
    return "9.2.0.0";
  case TPageLayout::Grid100:
    break;
  }
  return "10.0.0.0";
}

} // namespace tilvane::kit
