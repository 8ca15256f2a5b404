#include "BenchServerPage.h"

namespace tilvane::bench {

namespace {

const char* const Words[] = {"Tractor", "Harvester", "Trailer", "Plough",     "Seeder",
                             "Baler",   "Sprayer",   "Mower",   "Cultivator", "Loader"};
const char* const Authors[] = {"GIANTS Software", "Mister_mojo_AT, SbSh", "Kuhn Modding Team",
                               "FarmerBob", "Stevie"};

QString TitleCell(const QString& AWidth, const QString& ALabel, const QString& ATitle,
                  const QString& AInner, bool AFirst) {
  return QStringLiteral("<div class=\"container-row col col-lg-%1 col-xs-12\" title=\"%2\">\n"
                        "<div class=\"col %3 col-xs-3\"><b>%4</b></div>\n"
                        "<div class=\"col col-lg-12 col-xs-9\"><i>%5</i></div>\n"
                        "    </div>\n")
      .arg(AWidth, ATitle, AFirst ? QStringLiteral("col-lg-2") : QStringLiteral("col-lg-hidden"),
           ALabel, AInner);
}

QString InnerCell(const QString& AWidth, const QString& ALabel, const QString& AInner) {
  return QStringLiteral("<div class=\"container-row col col-lg-%1 col-xs-12\">\n"
                        "<div class=\"col col-lg-hidden col-xs-3\"><b>%2</b></div>\n"
                        "<div class=\"col col-lg-12 col-xs-9\">%3</div>\n"
                        "      </div>\n")
      .arg(AWidth, ALabel, AInner);
}

QString Row(int AIndex, bool AWithModHub) {
  const QString Name =
      QStringLiteral("%1 %2 Pack %3")
          .arg(QLatin1String(Words[AIndex % 10]), QLatin1String(Words[(AIndex / 10) % 10]))
          .arg(AIndex);
  const QString File =
      QStringLiteral("FS25_%1%2_%3.zip")
          .arg(QLatin1String(Words[AIndex % 10]), QLatin1String(Words[(AIndex / 10) % 10]))
          .arg(AIndex);
  const QString Version = QStringLiteral("1.%1.0.%2").arg(AIndex % 4).arg(AIndex % 10);
  const QString Author = QLatin1String(Authors[AIndex % 5]);
  const QString Size = QStringLiteral("%1.%2 MB").arg(AIndex % 700 + 1).arg(AIndex % 90 + 10);
  const QString ModLink =
      QStringLiteral("<a href=\"mod.html?lang=en&amp;mod_index=%1\">%2</a>").arg(AIndex);

  QString Text = QStringLiteral("<div class=\"container-row grid-row\">\n");
  Text += TitleCell(QStringLiteral("2"), QStringLiteral("Name"), Name, ModLink.arg(Name), true);
  Text += TitleCell(QStringLiteral("1"), QStringLiteral("Version"), Version, Version, false);
  Text += TitleCell(QStringLiteral("2"), QStringLiteral("Author"), Author, Author, false);
  Text += TitleCell(QStringLiteral("3"), QStringLiteral("Filename"), File, File, false);
  Text += TitleCell(QStringLiteral("1"), QStringLiteral("Size"), Size, Size, false);
  Text +=
      QStringLiteral("<div class=\"container-row col col col-no-padding col-lg-3 col-xs-12\">\n");
  Text += InnerCell(QStringLiteral("3"), QStringLiteral("Issues"),
                    AIndex % 3 == 0 ? QStringLiteral("&nbsp")
                                    : QStringLiteral("<i>%1</i>").arg(ModLink.arg(AIndex % 9)));
  if (AWithModHub)
    Text += InnerCell(QStringLiteral("2"), QStringLiteral("ModHub"),
                      AIndex % 2 ? QStringLiteral("<i>No</i>") : QStringLiteral("<i>Yes</i>"));
  Text += InnerCell(QStringLiteral("3"), QStringLiteral("Active"),
                    AIndex % 4 ? QStringLiteral("<i>Yes</i>") : QStringLiteral("<i>No</i>"));
  Text += InnerCell(QStringLiteral("1"), QStringLiteral("Download"),
                    QStringLiteral("\n<div class=\"col col-lg-12\"><a href=\"mods/%1\">"
                                   "<img src=\"img/icons/saveIcon.png\"></a></div>\n")
                        .arg(File));
  Text += QStringLiteral("</div>\n</div>\n");
  return Text;
}

} // namespace

QString RealisticGridPage(int ARows, bool AWithModHub) {
  QString Page = QStringLiteral(
      "<!DOCTYPE html>\n<html><head>\n  <title>Farming Simulator Dedicated Server | Mods</title>\n"
      "  <meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\" />\n"
      "</head>\n<body>\n<section class=\"content-wrap\">\n"
      "<div class=\"container-row col-lg-visible col-xs-hidden grid-row\">\n"
      "<div class=\"col col-lg-2\"><b>Name</b></div>\n"
      "<div class=\"col col-lg-1\"><b>Version</b></div>\n  </div>\n");
  for (int I = 0; I < ARows; ++I)
    Page += Row(I, AWithModHub);
  Page += QStringLiteral("</section>\n<footer><ul class=\"menu\"><li><a "
                         "href=\"https://www.farming-simulator.com\">%1 "
                         "(Non-commercial&nbsp;use&nbsp;only)</a></li></ul></footer>\n"
                         "</body></html>\n")
              .arg(AWithModHub ? QStringLiteral("10.0.0.0") : QStringLiteral("9.1.0.0"));
  return Page;
}

} // namespace tilvane::bench
