#pragma once

#include "core/game/FSVersion.h"

#include <QString>
#include <QStringView>

#include <optional>

namespace tilvane {

// The row grammar a dedicated server version lays its mod page out in.
enum class TServerPageLayout {
  Table,             // 8.0, 9.0
  GridWithoutModHub, // 9.1
  GridWithModHub,    // 9.2, 10.0
};

// The markup that opens a row, and a cell of a row, in the grid layouts.
inline constexpr QStringView GridRowMarker = u"<div class=\"container-row grid-row\">";
inline constexpr QStringView GridCellTag = u"<div class=\"container-row col";

// What the footer anchor of a dedicated server page tells: the server's
// version prefix, its game generation and its page layout.
struct TServerVersionInfo {
  QString VersionPrefix; // "8.0.", "9.0.", "9.1.", "9.2." or "10.0."
  TFSVersion FSVersion = TFSVersion::fsv22;
  TServerPageLayout Layout = TServerPageLayout::Table;
};

// The server's version by the footer anchor to the publisher's site
// (`<a href="https://www.farming-simulator.com">` followed at once by the
// version prefix; the same with http:// is accepted too). The prefixes are
// tested in the order 8.0., 9.0., 9.1., 9.2., 10.0.; the first one present
// anywhere in the page decides. Empty when the page carries no marker.
std::optional<TServerVersionInfo> DetectServerVersion(QStringView APage);

// Shown when a page carries no version marker.
QString ServerVersionNotDetectedMessage();

} // namespace tilvane
