#include "core/server/ServerVersionMarkers.h"

#include "core/server/PageScanner.h"

#include <QList>

#include <array>

namespace tilvane {

namespace {

struct TMarkerRow {
  QStringView Prefix;
  TFSVersion FSVersion;
  TServerPageLayout Layout;
};

// Earlier rows win when a page carries several markers.
constexpr std::array<TMarkerRow, 5> MarkerRows = {{
    {u"8.0.", TFSVersion::fsv19, TServerPageLayout::Table},
    {u"9.0.", TFSVersion::fsv22, TServerPageLayout::Table},
    {u"9.1.", TFSVersion::fsv22, TServerPageLayout::GridWithoutModHub},
    {u"9.2.", TFSVersion::fsv22, TServerPageLayout::GridWithModHub},
    {u"10.0.", TFSVersion::fsv25, TServerPageLayout::GridWithModHub},
}};

// Some servers link the publisher's site without TLS; the https form is tested
// first for each version.
constexpr std::array<QStringView, 2> PublisherAnchors = {
    u"<a href=\"https://www.farming-simulator.com\">",
    u"<a href=\"http://www.farming-simulator.com\">",
};

// Where the version text after each publisher anchor begins, anchor by anchor
// in the order of PublisherAnchors. The anchors differ only in their scheme,
// so one pass finds the common rest and looks back for the start.
std::array<QList<qsizetype>, 2> VersionTextStarts(QStringView APage) {
  constexpr QStringView AnchorRest = u"://www.farming-simulator.com\">";
  std::array<QList<qsizetype>, 2> Starts;
  for (qsizetype At = servermodpage::FindInPage(APage, AnchorRest, 0); At >= 0;
       At = servermodpage::FindInPage(APage, AnchorRest, At + 1)) {
    const QStringView Before = APage.first(At);
    for (size_t I = 0; I < PublisherAnchors.size(); ++I) {
      const QStringView Anchor = PublisherAnchors[I];
      if (Before.endsWith(Anchor.first(Anchor.size() - AnchorRest.size()), Qt::CaseSensitive))
        Starts[I].append(At + AnchorRest.size());
    }
  }
  return Starts;
}

} // namespace

std::optional<TServerVersionInfo> DetectServerVersion(QStringView APage) {
  // The page is searched once per anchor, not once per marker.
  const std::array<QList<qsizetype>, 2> Starts = VersionTextStarts(APage);
  for (const TMarkerRow& Row : MarkerRows) {
    for (const QList<qsizetype>& AnchorStarts : Starts) {
      for (const qsizetype Start : AnchorStarts) {
        if (APage.sliced(Start).startsWith(Row.Prefix, Qt::CaseSensitive))
          return TServerVersionInfo{Row.Prefix.toString(), Row.FSVersion, Row.Layout};
      }
    }
  }
  return std::nullopt;
}

QString ServerVersionNotDetectedMessage() {
  return QStringLiteral("Unable to detect the Farming Simulator dedicated server version.");
}

} // namespace tilvane
