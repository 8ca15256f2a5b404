#include "ServerPageFixtures.h"

#include <QList>

namespace tilvane::kit {

namespace {

QString Head(const QString& ATitle) {
  return QStringLiteral("<!DOCTYPE html>\n\n\n<html><head>\n    <title>Farming Simulator Dedicated "
                        "Server | %1</title>\n    <meta http-equiv=\"Content-Type\" "
                        "content=\"text/html; charset=UTF-8\" />\n</head>\n<body>\n")
      .arg(ATitle);
}

QString Footer(const QString& AVersion) {
  return QStringLiteral("<footer><ul class=\"menu\"><li><a href=\"https://www.farming-simulator."
                        "com\">%1 (Non-commercial&nbsp;use&nbsp;only)</a></li></ul></footer>\n"
                        "</body></html>\n")
      .arg(AVersion);
}

QString GridCell(const QString& ALabel, const QString& AWidth, const QString& ATitle,
                 const QString& AText, bool ANameLabel) {
  return QStringLiteral("           <div class=\"container-row col col-lg-%1 col-xs-12\" "
                        "title=\"%2\">\n"
                        "               <div class=\"col %3 col-xs-3\"><b>%4</b></div>\n"
                        "               <div class=\"col col-lg-12 col-xs-9\"><i><span>%5</span>"
                        "</i></div>\n"
                        "           </div>\n")
      .arg(AWidth, ATitle,
           ANameLabel ? QStringLiteral("col-lg-2") : QStringLiteral("col-lg-hidden"), ALabel,
           AText);
}

QString InnerCell(const QString& ALabel, const QString& AWidth, const QString& AInner) {
  return QStringLiteral("               <div class=\"container-row col col-lg-%1 col-xs-12\">\n"
                        "                   <div class=\"col col-lg-hidden col-xs-3\"><b>%2</b>"
                        "</div>\n"
                        "                   <div class=\"col col-lg-12 col-xs-9\">%3</div>\n"
                        "               </div>\n")
      .arg(AWidth, ALabel, AInner);
}

} // namespace

FixtureMod MakeFixtureMod(int AIndex) {
  FixtureMod Mod;
  Mod.Index = AIndex;
  Mod.Name = QStringLiteral("Mod number %1").arg(AIndex);
  Mod.Version = QStringLiteral("1.0.%1.0").arg(AIndex % 10);
  Mod.Author = QStringLiteral("Author %1").arg(AIndex % 7);
  Mod.FileName = QStringLiteral("FS25_Mod_%1.zip").arg(AIndex);
  Mod.Size =
      QStringLiteral("%1.%2 MB").arg(AIndex % 900 + 1).arg(AIndex % 100, 2, 10, QLatin1Char('0'));
  Mod.Issues = AIndex % 3 == 0 ? QStringLiteral("&nbsp")
                               : QStringLiteral("<i><a href=\"mod.html?mod_index=%1\">%2</a></i>")
                                     .arg(AIndex)
                                     .arg(AIndex % 5);
  Mod.ModHub = AIndex % 2 == 0 ? QStringLiteral("Yes") : QStringLiteral("No");
  Mod.Active = AIndex % 4 == 0 ? QStringLiteral("No") : QStringLiteral("Yes");
  Mod.Link = QStringLiteral("mods/") + Mod.FileName;
  return Mod;
}

QList<FixtureMod> FixtureMods(int ACount) {
  QList<FixtureMod> Mods;
  for (int I = 0; I < ACount; ++I)
    Mods.append(MakeFixtureMod(I));
  return Mods;
}

QString TablePage(const QString& AVersion, const QList<FixtureMod>& AMods,
                  const QString& ARowAttributes) {
  QString Page = Head(QStringLiteral("Mods"));
  Page +=
      QStringLiteral("<section class=\"content-wrap\"><div class=\"row\"><h2>Mods</h2>\t<table>\n"
                     "\t<colgroup>\n\t\t<col width=\"28%\">\n\t</colgroup>\n\t\t<tr>\n"
                     "\t\t\t<td><b>Name</b></td>\n\t\t\t<td><b>Version</b></td>\n"
                     "\t\t\t<td>&nbsp;</td>\n\t\t</tr>\n");
  const QString RowTag = ARowAttributes.isEmpty() ? QStringLiteral("<tr>")
                                                  : QStringLiteral("<tr %1>").arg(ARowAttributes);
  for (const FixtureMod& Mod : AMods) {
    Page += QStringLiteral("\t\t") + RowTag + u'\n';
    // Name and file name link the mod's detail page.
    const QString Detail = QStringLiteral("mod.html?lang=en&mod_index=%1").arg(Mod.Index);
    Page += QStringLiteral("\t\t\t\t<td title=\"%1\"><a href=\"%5\">%1</a></td>\n"
                           "\t\t\t\t<td title=\"%2\"><span>%2</span></td>\n"
                           "\t\t\t\t<td title=\"%3\"><span>%3</span></td>\n"
                           "\t\t\t\t<td title=\"%4\"><a href=\"%5\">%4</a></td>\n")
                .arg(Mod.Name, Mod.Version, Mod.Author, Mod.FileName, Detail);
    Page += QStringLiteral("\t\t\t\t<td align=\"right\"><span>%1</span></td>\n"
                           "\t\t\t\t<td title=\"Unknown file type\n\" align=\"right\">%2</td>\n"
                           "\t\t\t\t<td align=\"center\"><span>%3</span></td>\n")
                .arg(Mod.Size, Mod.Issues, Mod.Active);
    if (Mod.Link.isEmpty())
      Page += QStringLiteral("\t\t\t\t<td></td>\n");
    else
      Page += QStringLiteral("\t\t\t\t<td><a title=\"Download %1\" href=\"%2\"><img class=\"icon\" "
                             "src=\"img/icons/saveIcon.png\"></a></td>\n")
                  .arg(Mod.FileName, Mod.Link);
    Page += QStringLiteral("\t\t\t\t<td></td>\n\t\t</tr>\n");
  }
  Page += QStringLiteral("\t\t<tr>\n\t\t\t<td colspan=\"4\"><b>Total %1 Mods</b></td>\n"
                         "\t\t\t<td align=\"right\"><b>12.00 MB</b></td>\n\t\t</tr>\n"
                         "\t</table></div></section>\n")
              .arg(AMods.size());
  return Page + Footer(AVersion);
}

QString GridPage(const QString& AVersion, const QList<FixtureMod>& AMods, bool AWithModHub) {
  QString Page = Head(QStringLiteral("Mods"));
  Page +=
      QStringLiteral("      <div class=\"container-row col-lg-visible col-xs-hidden grid-row\">\n"
                     "           <div class=\"col col-lg-2\"><b>Name</b></div>\n"
                     "      </div>\n");
  for (const FixtureMod& Mod : AMods) {
    // Name and file name link the mod's detail page.
    const QString Detail =
        QStringLiteral("<a href=\"mod.html?lang=en&amp;mod_index=%1\">%2</a>").arg(Mod.Index);
    Page += QStringLiteral("      <div class=\"container-row grid-row\">\n");
    Page +=
        GridCell(QStringLiteral("Name"), QStringLiteral("2"), Mod.Name, Detail.arg(Mod.Name), true);
    Page +=
        GridCell(QStringLiteral("Version"), QStringLiteral("1"), Mod.Version, Mod.Version, false);
    Page += GridCell(QStringLiteral("Author"), QStringLiteral("2"), Mod.Author, Mod.Author, false);
    Page += GridCell(QStringLiteral("Filename"), QStringLiteral("3"), Mod.FileName,
                     Detail.arg(Mod.FileName), false);
    Page += GridCell(QStringLiteral("Size"), QStringLiteral("1"), Mod.Size, Mod.Size, false);
    Page += QStringLiteral("           <div class=\"container-row col col col-no-padding col-lg-3 "
                           "col-xs-12\">\n");
    Page += InnerCell(QStringLiteral("Issues"), QStringLiteral("3"), Mod.Issues);
    if (AWithModHub)
      Page += InnerCell(QStringLiteral("ModHub"), QStringLiteral("2"),
                        QStringLiteral("<i><span>%1</span></i>").arg(Mod.ModHub));
    Page += InnerCell(QStringLiteral("Active"), QStringLiteral("3"),
                      QStringLiteral("<i><span>%1</span></i>").arg(Mod.Active));
    const QString Download =
        Mod.Link.isEmpty()
            ? QString()
            : QStringLiteral("\n                       <div class=\"col col-lg-12\"><a href=\"%1\">"
                             "<img src=\"img/icons/saveIcon.png\"></a></div>\n                   ")
                  .arg(Mod.Link);
    Page += InnerCell(QStringLiteral("Download"), QStringLiteral("1"), Download);
    Page += QStringLiteral("           </div>\n      </div>\n");
  }
  return Page + Footer(AVersion);
}

namespace {

// One cell of an administrator's row: label column, value column.
QString AdminCell(const QString& AWidth, const QString& ATitle, const QString& ALabel,
                  const QString& AValue, const QString& AIndent) {
  const QString Title = ATitle.isNull() ? QString() : QStringLiteral(" title=\"%1\"").arg(ATitle);
  return QStringLiteral("%1<div class=\"container-row col col-lg-%2 col-xs-12\"%3>\n"
                        "%1    <div class=\"col col-lg-hidden col-xs-3\"><b>%4</b></div>\n"
                        "%1    <div class=\"col col-lg-12 col-xs-9\">%5</div>\n"
                        "%1</div>\n")
      .arg(AIndent, AWidth, Title, ALabel, AValue);
}

QString AdminRow(const FixtureMod& Mod, bool AWithModHub) {
  const QString Detail = QStringLiteral("mod.html?lang=en&amp;mod_index=%1").arg(Mod.Index);
  const QString Row = QStringLiteral("           ");
  const QString Inner = QStringLiteral("               ");
  QString Text = QStringLiteral("      <div class=\"container-row grid-row\">\n");
  Text += AdminCell(QStringLiteral("2"), Mod.Name, QStringLiteral("Name"),
                    QStringLiteral("<i> <a href=\"%1\">%2</a></i>").arg(Detail, Mod.Name), Row);
  Text += AdminCell(QStringLiteral("1"), Mod.Version, QStringLiteral("Version"),
                    QStringLiteral("<i><span>%1</span></i>\n                   <span title=\"An "
                                   "update is available for this mod.\"><img "
                                   "src=\"img/icons/updateIcon.png\"></span>\n               ")
                        .arg(Mod.Version),
                    Row);
  Text += AdminCell(QStringLiteral("2"), Mod.Author, QStringLiteral("Author"),
                    QStringLiteral("<i><span>%1</span></i>").arg(Mod.Author), Row);
  Text += AdminCell(QStringLiteral("3"), Mod.FileName, QStringLiteral("Filename"),
                    QStringLiteral("<i><a href=\"%1\">%2</a></i>").arg(Detail, Mod.FileName), Row);
  Text += AdminCell(QStringLiteral("1"), Mod.Size, QStringLiteral("Size"),
                    QStringLiteral("<i><span>%1</span></i>").arg(Mod.Size), Row);
  Text += Row + QStringLiteral("<div class=\"container-row col col col-no-padding col-lg-3 "
                               "col-xs-12\">\n");
  Text += AdminCell(QStringLiteral("3"), QStringLiteral("Unknown file type"),
                    QStringLiteral("Issues"), Mod.Issues, Inner);
  if (AWithModHub)
    Text += AdminCell(QStringLiteral("2"), QString(), QStringLiteral("ModHub"),
                      QStringLiteral("<i><span>%1</span></i>").arg(Mod.ModHub), Inner);
  Text += AdminCell(QStringLiteral("3"), QString(), QStringLiteral("Active"),
                    QStringLiteral("<i><span>%1</span></i>").arg(Mod.Active), Inner);
  // The block small screens show instead of the columns: download, delete.
  Text += Inner + QStringLiteral("<div class=\"container-row col col-lg-hidden col-xs-12\">\n");
  if (!Mod.Link.isEmpty())
    Text += Inner + QStringLiteral("    <div class=\"col col-lg-hidden col-xs-2\">\n") + Inner +
            QStringLiteral("        <a href=\"%1\"><img src=\"img/icons/saveIcon.png\"></a>\n")
                .arg(Mod.Link) +
            Inner + QStringLiteral("    </div>\n");
  Text += Inner + QStringLiteral("    <div class=\"col col-lg-hidden col-xs-2\">\n") + Inner +
          QStringLiteral("        <button title=\"Delete %1\" type=\"submit\" "
                         "name=\"deleteinactive\" value=\"%1\"><img "
                         "src=\"img/icons/deleteIcon.png\"></button>\n")
              .arg(Mod.FileName) +
          Inner + QStringLiteral("    </div>\n") + Inner + QStringLiteral("</div>\n");
  Text += Row + QStringLiteral("</div>\n      </div>\n");
  return Text;
}

} // namespace

QString AdminGridPage(const QString& AVersion, const QList<FixtureMod>& AMods, bool AWithModHub) {
  QString Page = Head(QStringLiteral("Mods"));
  Page +=
      QStringLiteral("<form name=\"InactiveMods\" action=\"mods.html\" method=\"POST\">\n"
                     "  <div class=\"container table-grid\">\n"
                     "      <div class=\"container-row col-lg-visible col-xs-hidden grid-row\">\n"
                     "           <div class=\"col col-lg-2\"><b>Name</b></div>\n"
                     "           <div class=\"col col-lg-1\"><b>Version</b></div>\n"
                     "           <div class=\"col col-lg-3 col-no-padding\">\n"
                     "               <div class=\"container-row\">\n"
                     "                   <div class=\"col col-lg-3\"><b>Issues</b></div>\n"
                     "               </div>\n"
                     "           </div>\n"
                     "      </div>\n");
  for (const FixtureMod& Mod : AMods)
    Page += AdminRow(Mod, AWithModHub);
  Page +=
      QStringLiteral("      <div class=\"container-row grid-row\">\n"
                     "           <div class=\"container-row col col-lg-8 col-xs-12\"><b>Total %1 "
                     "Mods</b></div>\n"
                     "           <div class=\"container-row col col-lg-1 col-xs-12\"><b>1,234.56 "
                     "MB</b></div>\n"
                     "           <div class=\"container-row col col-lg-3 col-xs-12\"><a "
                     "href=\"all_mods_download?onlyActive=true\"><img "
                     "src=\"img/icons/activeSaveIcon.png\"></a></div>\n"
                     "      </div>\n  </div>\n</form>\n")
          .arg(AMods.size());
  return Page + Footer(AVersion);
}

QList<FixtureMod> VariedFixtureMods() {
  QList<FixtureMod> Mods = FixtureMods(8);
  Mods[1].Name = QStringLiteral("Hof &amp; Stall");
  Mods[2].Name = QStringLiteral("G\u00fcllefass 20000");
  Mods[2].Author = QStringLiteral("J\u00fcrgen \u00d6lm\u00fcller");
  Mods[3].Size = QStringLiteral("0.45 MB");
  Mods[4].Size = QStringLiteral("1234.56 MB");
  FixtureMod Dlc = MakeFixtureMod(8);
  Dlc.Name = QStringLiteral("Forestry Pack");
  Dlc.FileName = QStringLiteral("pdlc_forestryPack.dlc");
  Dlc.Link.clear();
  Mods.insert(5, Dlc);
  return Mods;
}

QString ServerPage(const QString& AVersion, const QList<FixtureMod>& AMods) {
  if (AVersion.startsWith(QStringLiteral("8.0.")) || AVersion.startsWith(QStringLiteral("9.0.")))
    return TablePage(AVersion, AMods);
  return GridPage(AVersion, AMods, !AVersion.startsWith(QStringLiteral("9.1.")));
}

} // namespace tilvane::kit
