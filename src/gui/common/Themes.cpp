#include "gui/common/Themes.h"

#include <QApplication>
#include <QColor>
#include <QPalette>
#include <QStyle>

#include <array>
#include <utility>

namespace tilvane {

namespace {

// The plain look: the platform's own style and palette, no style sheet.
const QString& PlainName() {
  static const QString Name = QStringLiteral("Windows");
  return Name;
}

// The colours of one coloured theme. The pairs a user reads (window, base,
// button, selection and tooltip, each with its text) keep a contrast of at
// least 4.5:1; disabled text is meant to be dim and is held to less.
struct TThemeColors {
  QStringView Name;
  QRgb Window, WindowText, Base, AlternateBase, Text, Button, ButtonText;
  QRgb Highlight, HighlightedText, ToolTipBase, ToolTipText, PlaceholderText, Link, DisabledText;
};

// Sorted by name, as the list of names shows them.
// clang-format off
constexpr std::array<TThemeColors, 13> Themes = {{
    // name                  Window    WindowText Base     AltBase   Text      Button    ButtonText
    //                       Highlight HlText    TipBase   TipText   Placeh.   Link      Disabled
    {u"Amethyst Kamri",      0x2A2138, 0xECE4F7, 0x211A2D, 0x30263F, 0xECE4F7, 0x3A2D4F, 0xF3EDFB,
                             0x8E2DE2, 0xFFFFFF, 0x4A3666, 0xF7F2FF, 0xA193B8, 0xD59BFF, 0x7D718F},
    {u"Aqua Light Slate",    0xE2E8EE, 0x1E2A35, 0xF6F9FB, 0xE9EFF3, 0x1E2A35, 0xD3DEE6, 0x1E2A35,
                             0x00788A, 0xFFFFFF, 0x1E3A46, 0xE6FAFC, 0x6B7B88, 0x006E80, 0x8694A0},
    {u"Cyan Dusk",           0x1C2733, 0xDCE7F0, 0x151E28, 0x1F2C39, 0xDCE7F0, 0x263546, 0xDCE7F0,
                             0x22C7E0, 0x08171C, 0x0F3A44, 0xDDF8FC, 0x7F93A5, 0x5FD8EA, 0x66788A},
    {u"Emerald Light Slate", 0xE3E8EC, 0x1D2A33, 0xF7F9FA, 0xEAF0EE, 0x1D2A33, 0xD4DDE2, 0x1D2A33,
                             0x047857, 0xFFFFFF, 0x143D30, 0xE8FBF3, 0x6B7A84, 0x03694C, 0x87949C},
    {u"Glow",                0x16171D, 0xE8E8EE, 0x0F1014, 0x1C1D24, 0xE8E8EE, 0x23242D, 0xE8E8EE,
                             0xFFB627, 0x1A1200, 0x2A2418, 0xFFE6B0, 0x80828F, 0xFFC857, 0x5E606B},
    {u"Iceberg Classico",    0xEAF1F7, 0x1A2B3B, 0xFFFFFF, 0xF1F6FA, 0x1A2B3B, 0xDCE7F1, 0x1A2B3B,
                             0x2B6CB0, 0xFFFFFF, 0xF9FCFF, 0x1A2B3B, 0x6A7B8C, 0x1F5C99, 0x8796A6},
    {u"Lavender Classico",   0xEEEAF5, 0x2A2340, 0xFCFBFE, 0xF3F0F9, 0x2A2340, 0xE0D9EE, 0x2A2340,
                             0x6A4FA3, 0xFFFFFF, 0xFBF9FF, 0x2A2340, 0x786F8C, 0x5B3F94, 0x958DA6},
    {u"Luna",                0xDCE8F7, 0x12263F, 0xFFFFFF, 0xEEF4FC, 0x12263F, 0xE6EFFB, 0x12263F,
                             0x316AC5, 0xFFFFFF, 0xFFFFE1, 0x12263F, 0x687C94, 0x1F55B0, 0x8394AA},
    {u"Obsidian",            0x1E1F22, 0xE3E3E6, 0x16171A, 0x232428, 0xE3E3E6, 0x2B2D31, 0xE3E3E6,
                             0x4A6A9B, 0xFFFFFF, 0x2B2D31, 0xE3E3E6, 0x858891, 0x8AB4F8, 0x65676E},
    {u"Onyx Blue",           0x111821, 0xD9E3EE, 0x0B1118, 0x151E29, 0xD9E3EE, 0x1C2837, 0xD9E3EE,
                             0x2563EB, 0xFFFFFF, 0x1C2837, 0xD9E3EE, 0x7787A0, 0x6EA8FF, 0x56647A},
    {u"Sapphire Kamri",      0xE8EDF7, 0x0F1F3D, 0xFFFFFF, 0xEEF2FA, 0x0F1F3D, 0xD6E0F3, 0x0F1F3D,
                             0x0F52BA, 0xFFFFFF, 0x0F2A5C, 0xEAF1FF, 0x65728C, 0x0B47A6, 0x8593AD},
    {u"Slate Classico",      0xE5E7EB, 0x1F2937, 0xFFFFFF, 0xF3F4F6, 0x1F2937, 0xD8DCE2, 0x1F2937,
                             0x475569, 0xFFFFFF, 0x334155, 0xF1F5F9, 0x6B7280, 0x2F4A7A, 0x8B93A0},
    {u"Smokey Quartz Kamri", 0x3A3430, 0xEEE6DE, 0x2E2926, 0x433C37, 0xEEE6DE, 0x4A413B, 0xF3ECE5,
                             0xC2410C, 0xFFFFFF, 0x5A4A3E, 0xFAF1E8, 0xA59A90, 0xFFA36B, 0x837970},
}};
// clang-format on

const TThemeColors* FindTheme(const QString& AName) {
  for (const TThemeColors& Theme : Themes)
    if (Theme.Name == AName)
      return &Theme;
  return nullptr;
}

bool IsDark(const TThemeColors& ATheme) {
  return QColor(ATheme.Window).lightness() < QColor(ATheme.WindowText).lightness();
}

// AColor a step further from the theme's background: lighter on a dark
// theme, darker on a light one, so that frames and pressed buttons show on
// either.
QColor Shade(const TThemeColors& ATheme, QRgb AColor, int AFactor) {
  return IsDark(ATheme) ? QColor(AColor).lighter(AFactor) : QColor(AColor).darker(AFactor);
}

QPalette ThemePalette(const TThemeColors& ATheme) {
  // Starting from the button and window colours lets Qt work out the bevel
  // shades (Light, Mid, Dark, Shadow) that Fusion draws frames with.
  QPalette Palette{QColor(ATheme.Button), QColor(ATheme.Window)};
  const std::pair<QPalette::ColorRole, QRgb> Roles[] = {
      {QPalette::Window, ATheme.Window},
      {QPalette::WindowText, ATheme.WindowText},
      {QPalette::Base, ATheme.Base},
      {QPalette::AlternateBase, ATheme.AlternateBase},
      {QPalette::Text, ATheme.Text},
      {QPalette::Button, ATheme.Button},
      {QPalette::ButtonText, ATheme.ButtonText},
      {QPalette::Highlight, ATheme.Highlight},
      {QPalette::HighlightedText, ATheme.HighlightedText},
      {QPalette::ToolTipBase, ATheme.ToolTipBase},
      {QPalette::ToolTipText, ATheme.ToolTipText},
      {QPalette::PlaceholderText, ATheme.PlaceholderText},
      {QPalette::Link, ATheme.Link},
      {QPalette::LinkVisited, ATheme.Link},
  };
  for (const auto& [role, color] : Roles)
    Palette.setColor(role, QColor(color));
  for (QPalette::ColorRole Role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
    Palette.setColor(QPalette::Disabled, Role, QColor(ATheme.DisabledText));
  return Palette;
}

// What the palette cannot say: rounded buttons, menus and a tab strip in the
// theme's colours. @Role@ stands for a colour of the theme.
const char* const SheetTemplate = R"(
QPushButton {
  background-color: @Button@; color: @ButtonText@;
  border: 1px solid @Frame@; border-radius: 4px; padding: 3px 12px;
}
QPushButton:hover, QPushButton:focus, QPushButton:default { border-color: @Highlight@; }
QPushButton:pressed, QPushButton:checked { background-color: @Pressed@; }
QPushButton:disabled { color: @Disabled@; border-color: @Frame@; }
QMenuBar { background-color: @Window@; color: @WindowText@; }
QMenuBar::item:selected, QMenu::item:selected {
  background-color: @Highlight@; color: @HighlightedText@;
}
QMenu { background-color: @Base@; color: @Text@; border: 1px solid @Frame@; }
QMenu::item:disabled { color: @Disabled@; }
QMenu::separator { height: 1px; background: @Frame@; margin: 3px 6px; }
QTabWidget::pane { border: 1px solid @Frame@; }
QTabBar::tab {
  background-color: @Button@; color: @ButtonText@; border: 1px solid @Frame@;
  border-top-left-radius: 4px; border-top-right-radius: 4px; padding: 4px 12px; margin-right: 2px;
}
QTabBar::tab:selected { background-color: @Base@; color: @Text@; border-top: 2px solid @Highlight@; }
QTabBar::tab:!selected:hover { background-color: @AlternateBase@; }
QToolTip { background-color: @ToolTipBase@; color: @ToolTipText@; border: 1px solid @Frame@; }
)";

QString ThemeStyleSheet(const TThemeColors& ATheme) {
  const std::pair<const char*, QColor> Colors[] = {
      {"@Window@", QColor(ATheme.Window)},
      {"@WindowText@", QColor(ATheme.WindowText)},
      {"@Base@", QColor(ATheme.Base)},
      {"@AlternateBase@", QColor(ATheme.AlternateBase)},
      {"@Text@", QColor(ATheme.Text)},
      {"@Button@", QColor(ATheme.Button)},
      {"@ButtonText@", QColor(ATheme.ButtonText)},
      {"@Highlight@", QColor(ATheme.Highlight)},
      {"@HighlightedText@", QColor(ATheme.HighlightedText)},
      {"@ToolTipBase@", QColor(ATheme.ToolTipBase)},
      {"@ToolTipText@", QColor(ATheme.ToolTipText)},
      {"@Disabled@", QColor(ATheme.DisabledText)},
      {"@Frame@", Shade(ATheme, ATheme.Window, 150)},
      {"@Pressed@", Shade(ATheme, ATheme.Button, 115)},
  };
  QString Sheet = QString::fromLatin1(SheetTemplate);
  for (const auto& [token, color] : Colors)
    Sheet.replace(QLatin1String(token), color.name());
  return Sheet;
}

QString& ActiveNameStore() {
  static QString Name = PlainName();
  return Name;
}

// The style the program started with, which the plain look goes back to.
// Read before this class ever sets a style sheet: under one, the
// application's style is the sheet's wrapper and has no name of its own.
const QString& StartingStyle() {
  static const QString Name = QApplication::style()->name();
  return Name;
}

void UseStyle(const QString& AName) {
  if (!AName.isEmpty() && QApplication::style()->name().compare(AName, Qt::CaseInsensitive) != 0)
    QApplication::setStyle(AName);
}

} // namespace

QStringList TThemes::Names() {
  QStringList Names;
  for (const TThemeColors& Theme : Themes)
    Names.append(Theme.Name.toString());
  Names.append(PlainName());
  Names.sort();
  return Names;
}

QString TThemes::DefaultName() {
  return PlainName();
}

QString TThemes::ActiveName() {
  return ActiveNameStore();
}

bool TThemes::Apply(const QString& AName) {
  auto* App = qobject_cast<QApplication*>(QCoreApplication::instance());
  const TThemeColors* Theme = FindTheme(AName);
  if (!App || (!Theme && AName != PlainName()))
    return false;
  StartingStyle(); // remembered now, before a style sheet hides it
  // A style sheet wraps the style below it: take it off before the style
  // changes, or the new style would end up under the old sheet.
  App->setStyleSheet(QString());
  if (Theme) {
    // Fusion draws everything from the palette, so the theme's colours
    // reach every control alike.
    UseStyle(QStringLiteral("Fusion"));
    QApplication::setPalette(ThemePalette(*Theme));
    App->setStyleSheet(ThemeStyleSheet(*Theme));
  } else {
    UseStyle(StartingStyle());
    // A palette that sets no colour of its own gives the application back the
    // platform's palette, and lets it follow the desktop's colours again.
    QApplication::setPalette(QPalette());
  }
  // Qt posts the palette change to the widgets; deliver it now so that the
  // open windows take the theme at once rather than at the next event.
  QCoreApplication::sendPostedEvents(nullptr, QEvent::ApplicationPaletteChange);
  ActiveNameStore() = AName;
  return true;
}

} // namespace tilvane
