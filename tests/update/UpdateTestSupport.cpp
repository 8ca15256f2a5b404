#include "UpdateTestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <httplib.h>
#include <zip.h>

#include <chrono>
#include <stdexcept>

namespace tilvane::test {

void MakeZip(const QString& APath, const std::vector<std::pair<QString, QByteArray>>& AEntries) {
  QDir().mkpath(QFileInfo(APath).absolutePath());
  QFile::remove(APath);
  int Error = 0;
  zip_t* Zip = zip_open(QFile::encodeName(APath).constData(), ZIP_CREATE | ZIP_TRUNCATE, &Error);
  if (!Zip)
    throw std::runtime_error("zip_open failed");
  for (const auto& [Name, Content] : AEntries) {
    // libzip keeps the buffer until zip_close; copy it into its own memory.
    void* Copy = malloc(static_cast<size_t>(Content.size()) + 1);
    memcpy(Copy, Content.constData(), static_cast<size_t>(Content.size()));
    zip_source_t* Source =
        zip_source_buffer(Zip, Copy, static_cast<zip_uint64_t>(Content.size()), 1);
    if (zip_file_add(Zip, Name.toUtf8().constData(), Source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) <
        0)
      zip_source_free(Source);
  }
  if (zip_close(Zip) != 0) {
    zip_discard(Zip);
    throw std::runtime_error("zip_close failed");
  }
}

QByteArray ModDescXml(const QString& AAuthor, const QString& AVersion) {
  return (QStringLiteral("<?xml version=\"1.0\" encoding=\"utf-8\" standalone=\"no\" ?>\r\n"
                         "<modDesc descVersion=\"92\">\r\n\t<author>%1</author>\r\n"
                         "\t<version>%2</version>\r\n\t<title>\r\n\t\t<en>Test</en>\r\n"
                         "\t</title>\r\n</modDesc>\r\n")
              .arg(AAuthor, AVersion))
      .toUtf8();
}

void MakeModArchive(const QString& APath, const QString& AAuthor, const QString& AVersion) {
  MakeZip(APath, {{QStringLiteral("modDesc.xml"), ModDescXml(AAuthor, AVersion)},
                  {QStringLiteral("icon.dds"), QByteArray(64, 'x')}});
}

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

QString TableRow(const TPageRow& R, int AIndex) {
  const QString Detail = QStringLiteral("mod.html?lang=en&mod_index=%1").arg(AIndex);
  QString Row = QStringLiteral("\t\t<tr>\n"
                               "\t\t\t<td title=\"Mod %1\"><a href=\"%2\">Mod %1</a></td>\n"
                               "\t\t\t<td title=\"%3\">%3</td>\n"
                               "\t\t\t<td title=\"%4\">%4</td>\n"
                               "\t\t\t<td title=\"%5\"><a href=\"%2\">%5</a></td>\n"
                               "\t\t\t<td align=\"right\">%6 MB</td>\n"
                               "\t\t\t<td>&nbsp;</td>\n"
                               "\t\t\t<td align=\"center\">Yes</td>\n")
                    .arg(AIndex)
                    .arg(Detail, R.Version, R.Author, R.FileName, R.SizeMB);
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
  return GridCell("2", "Name", QStringLiteral("Mod %1").arg(AIndex),
                  QStringLiteral("<a href=\"mod.html?lang=en&amp;mod_index=%1\">Mod %1</a>")
                      .arg(AIndex)) +
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
    return Page + Footer("9.0.0.0") + QStringLiteral("</section></body></html>\n");
  }
  const bool ModHub = ALayout != TPageLayout::Grid91;
  Page += QStringLiteral("<div class=\"container table-grid\">\n"
                         "<div class=\"container-row col-lg-visible col-xs-hidden grid-row\">\n"
                         "  <div class=\"col col-lg-2\"><b>Name</b></div>\n</div>\n");
  for (size_t i = 0; i < ARows.size(); ++i)
    Page += GridRow(ARows[i], static_cast<int>(i), ModHub);
  Page += QStringLiteral("</div>\n");
  const char* Version = ALayout == TPageLayout::Grid91   ? "9.1.0.0"
                        : ALayout == TPageLayout::Grid92 ? "9.2.0.0"
                                                         : "10.0.0.0";
  return Page + Footer(Version) + QStringLiteral("</section></body></html>\n");
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
    Page += Cell("2", "Name", QStringLiteral("Mod %1").arg(i),
                 QStringLiteral("<i> <a href=\"%1\">Mod %2</a></i>").arg(Detail).arg(i));
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
  const char* Version = ALayout == TPageLayout::Grid91   ? "9.1.0.0"
                        : ALayout == TPageLayout::Grid92 ? "9.2.0.0"
                                                         : "10.0.0.0";
  return Page + Footer(Version) + QStringLiteral("</section></body></html>\n");
}

QString MakeAdminModPage100(const std::vector<TPageRow>& ARows) {
  return MakeAdminModPage(TPageLayout::Grid100, ARows);
}

// ---- server ---------------------------------------------------------------

TTestServer::TTestServer() {
  httplib::Server& Server = FHttp.Server();
  Server.Get("/mods.html", [this](const httplib::Request& Req, httplib::Response& Res) {
    int Delay;
    {
      std::lock_guard Lock(FMutex);
      FRequests.push_back(Req.target);
      Delay = FPageDelayMs;
    }
    if (Delay > 0)
      std::this_thread::sleep_for(std::chrono::milliseconds(Delay));
    while (!FHttp.Stopping) {
      {
        std::lock_guard Lock(FMutex);
        if (!FPageSilent)
          break;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::lock_guard Lock(FMutex);
    const bool LoggedIn = Req.get_param_value("login") == "true" && !FLoggedInPage.empty();
    Res.set_content(LoggedIn ? FLoggedInPage : FPage, "text/html; charset=utf-8");
  });
  Server.Get(R"(/mods/(.+))", [this](const httplib::Request& Req, httplib::Response& Res) {
    std::string Name = httplib::detail::decode_url(Req.matches[1].str(), false);
    std::string Body;
    int Chunk = 0, Sleep = 0, BreakOff = -1;
    {
      std::lock_guard Lock(FMutex);
      FRequests.push_back(Req.target);
      auto& Statuses = FStatuses[Name];
      if (!Statuses.empty()) {
        Res.status = Statuses.front();
        Statuses.erase(Statuses.begin());
        Res.set_content("error page", "text/plain");
        return;
      }
      auto It = FFiles.find(Name);
      if (It == FFiles.end()) {
        Res.status = 404;
        Res.set_content("not found", "text/plain");
        return;
      }
      Body = It->second;
      Chunk = FChunk;
      Sleep = FSleepMs;
      if (auto Break = FBreakOff.find(Name); Break != FBreakOff.end())
        BreakOff = Break->second;
    }
    if (BreakOff >= 0) {
      auto Shared = std::make_shared<std::string>(std::move(Body));
      Res.set_content_provider(
          Shared->size(), "application/zip",
          [Shared, BreakOff](size_t Offset, size_t, httplib::DataSink& Sink) {
            if (Offset >= static_cast<size_t>(BreakOff))
              return false; // drops the connection short of the announced length
            return Sink.write(Shared->data() + Offset, static_cast<size_t>(BreakOff) - Offset);
          });
      return;
    }
    if (Chunk <= 0) {
      FBytesSent += static_cast<std::int64_t>(Body.size());
      Res.set_content(Body, "application/zip");
      return;
    }
    auto Shared = std::make_shared<std::string>(std::move(Body));
    Res.set_content_provider(
        Shared->size(), "application/zip",
        [this, Shared, Chunk, Sleep](size_t Offset, size_t Length, httplib::DataSink& Sink) {
          const size_t N = std::min(Length, static_cast<size_t>(Chunk));
          std::this_thread::sleep_for(std::chrono::milliseconds(Sleep));
          if (!Sink.write(Shared->data() + Offset, N))
            return false;
          FBytesSent += static_cast<std::int64_t>(N);
          return true;
        });
  });
  FHttp.Start();
}

TTestServer::~TTestServer() {
  FHttp.Stop();
}

QString TTestServer::BaseURL() const {
  return QStringLiteral("http://127.0.0.1:%1/").arg(FHttp.Port());
}

void TTestServer::SetPage(const QString& APage) {
  std::lock_guard Lock(FMutex);
  FPage = APage.toStdString();
}

void TTestServer::SetLoggedInPage(const QString& APage) {
  std::lock_guard Lock(FMutex);
  FLoggedInPage = APage.toStdString();
}

void TTestServer::SetFile(const QString& AFileName, const QByteArray& AContent) {
  std::lock_guard Lock(FMutex);
  FFiles[AFileName.toStdString()] = AContent.toStdString();
}

void TTestServer::SetStatusSequence(const QString& AFileName, std::vector<int> AStatuses) {
  std::lock_guard Lock(FMutex);
  FStatuses[AFileName.toStdString()] = std::move(AStatuses);
}

void TTestServer::SetSlow(int AChunkBytes, int ASleepMs) {
  std::lock_guard Lock(FMutex);
  FChunk = AChunkBytes;
  FSleepMs = ASleepMs;
}

void TTestServer::SetPageDelay(int AMilliseconds) {
  std::lock_guard Lock(FMutex);
  FPageDelayMs = AMilliseconds;
}

void TTestServer::SetPageSilent(bool ASilent) {
  std::lock_guard Lock(FMutex);
  FPageSilent = ASilent;
}

void TTestServer::SetBreakOff(const QString& AFileName, int ABytes) {
  std::lock_guard Lock(FMutex);
  FBreakOff[AFileName.toStdString()] = ABytes;
}

int TTestServer::Requests(const std::string& APath) const {
  std::lock_guard Lock(FMutex);
  int Count = 0;
  for (const auto& R : FRequests)
    Count += R.rfind(APath, 0) == 0 ? 1 : 0;
  return Count;
}

std::vector<std::string> TTestServer::AllRequests() const {
  std::lock_guard Lock(FMutex);
  return FRequests;
}

// ---- progress -------------------------------------------------------------

void TRecordingProgress::UpdateStatus(const QString& StatusMsg) {
  std::lock_guard Lock(FMutex);
  FStatuses.append(StatusMsg);
}

void TRecordingProgress::UpdateDownloadStatus(int OnFile, int TotalFiles, double, double,
                                              const QString& FileName, double) {
  std::lock_guard Lock(FMutex);
  FDownloads.append(QStringLiteral("%1/%2 %3").arg(OnFile).arg(TotalFiles).arg(FileName));
}

void TRecordingProgress::UpdateFileStatus(int, double) {
  std::lock_guard Lock(FMutex);
  ++FFileStatusCalls;
}

void TRecordingProgress::UpdateRemoved(int AMovedToTrash, int ADeleted) {
  std::lock_guard Lock(FMutex);
  FRemoved = QStringLiteral("%1/%2").arg(AMovedToTrash).arg(ADeleted);
}

QString TRecordingProgress::Removed() const {
  std::lock_guard Lock(FMutex);
  return FRemoved;
}

QStringList TRecordingProgress::Statuses() const {
  std::lock_guard Lock(FMutex);
  return FStatuses;
}

QStringList TRecordingProgress::Downloads() const {
  std::lock_guard Lock(FMutex);
  return FDownloads;
}

int TRecordingProgress::FileStatusCalls() const {
  std::lock_guard Lock(FMutex);
  return FFileStatusCalls;
}

QString TestServerURL(const QString& AServerURL, const QString& AWebUsername,
                      const QString& AWebPassword) {
  if (AWebUsername.isEmpty() && AWebPassword.isEmpty())
    return AServerURL;
  return AServerURL + (AServerURL.contains(u'?') ? QLatin1Char('&') : QLatin1Char('?')) +
         QStringLiteral("login=true&username=") + AWebUsername + QStringLiteral("&password=") +
         AWebPassword;
}

} // namespace tilvane::test
