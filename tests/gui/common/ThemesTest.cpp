#include "gui/common/Themes.h"

#include "support/TestEnvironment.h"

#include <QApplication>
#include <QLineEdit>
#include <QSet>
#include <QStyle>
#include <QVBoxLayout>
#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

using namespace tilvane;
using tilvane::test::L;

namespace {

// The program starts these tests in Qt's "Windows" style rather than the
// Fusion the coloured themes use, so that going back to the starting style is
// seen to happen.
class StartInWindowsStyle : public ::testing::Environment {
public:
  void SetUp() override { QApplication::setStyle(QStringLiteral("Windows")); }
};
const auto* const RegisteredEnvironment =
    ::testing::AddGlobalTestEnvironment(new StartInWindowsStyle);

// WCAG 2 relative luminance and contrast ratio.
double Luminance(const QColor& AColor) {
  const auto channel = [](int AValue) {
    const double c = AValue / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  return 0.2126 * channel(AColor.red()) + 0.7152 * channel(AColor.green()) +
         0.0722 * channel(AColor.blue());
}

double Contrast(const QColor& A, const QColor& B) {
  const double a = Luminance(A);
  const double b = Luminance(B);
  return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

QStringList ColouredThemes() {
  QStringList names = TThemes::Names();
  names.removeAll(QStringLiteral("Windows"));
  return names;
}

class ThemesTest : public ::testing::Test {
protected:
  void TearDown() override { TThemes::Apply(QStringLiteral("Windows")); }
};

TEST_F(ThemesTest, OffersTheFourteenThemesSortedWithThePlainLookFirstInForce) {
  EXPECT_EQ(TThemes::Names(),
            QStringList({L("Amethyst Kamri"), L("Aqua Light Slate"), L("Cyan Dusk"),
                         L("Emerald Light Slate"), L("Glow"), L("Iceberg Classico"),
                         L("Lavender Classico"), L("Luna"), L("Obsidian"), L("Onyx Blue"),
                         L("Sapphire Kamri"), L("Slate Classico"), L("Smokey Quartz Kamri"),
                         L("Windows")}));
  EXPECT_EQ(TThemes::DefaultName(), QStringLiteral("Windows"));
  EXPECT_EQ(TThemes::ActiveName(), QStringLiteral("Windows"));
}

TEST_F(ThemesTest, EachColouredThemeGivesTheApplicationAPaletteOfItsOwn) {
  const QColor startingWindow = QApplication::palette().color(QPalette::Window);
  QSet<QString> looks;
  for (const QString& name : ColouredThemes()) {
    ASSERT_TRUE(TThemes::Apply(name)) << name.toStdString();
    EXPECT_EQ(TThemes::ActiveName(), name);
    const QPalette palette = QApplication::palette();
    EXPECT_NE(palette.color(QPalette::Window), startingWindow) << name.toStdString();
    EXPECT_FALSE(qApp->styleSheet().isEmpty()) << name.toStdString();
    looks.insert(palette.color(QPalette::Window).name() +
                 palette.color(QPalette::Highlight).name());
  }
  EXPECT_EQ(looks.size(), 13);

  struct Case {
    const char* Name;
    const char* Window;
    const char* Highlight;
  };
  for (const Case& c : {Case{"Obsidian", "#1e1f22", "#4a6a9b"}, Case{"Luna", "#dce8f7", "#316ac5"},
                        Case{"Glow", "#16171d", "#ffb627"}}) {
    ASSERT_TRUE(TThemes::Apply(QLatin1String(c.Name))) << c.Name;
    EXPECT_EQ(QApplication::palette().color(QPalette::Window).name(), QLatin1String(c.Window))
        << c.Name;
    EXPECT_EQ(QApplication::palette().color(QPalette::Highlight).name(), QLatin1String(c.Highlight))
        << c.Name;
  }
}

TEST_F(ThemesTest, EveryColouredThemeKeepsItsTextReadable) {
  const std::pair<QPalette::ColorRole, QPalette::ColorRole> pairs[] = {
      {QPalette::Window, QPalette::WindowText},
      {QPalette::Base, QPalette::Text},
      {QPalette::Button, QPalette::ButtonText},
      {QPalette::Highlight, QPalette::HighlightedText},
      {QPalette::ToolTipBase, QPalette::ToolTipText},
  };
  for (const QString& name : ColouredThemes()) {
    ASSERT_TRUE(TThemes::Apply(name)) << name.toStdString();
    const QPalette palette = QApplication::palette();
    for (const auto& [background, text] : pairs)
      EXPECT_GE(Contrast(palette.color(background), palette.color(text)), 4.5)
          << name.toStdString() << ", roles " << background << "/" << text;
  }
}

TEST_F(ThemesTest, AnOpenWindowTakesEachThemeAtOnceAndThePlainLookBack) {
  const QPalette startingPalette = QApplication::palette();
  const QString startingStyle = QApplication::style()->name();
  ASSERT_EQ(startingStyle, QStringLiteral("windows"));

  QWidget window;
  auto* edit = new QLineEdit(&window);
  (new QVBoxLayout(&window))->addWidget(edit);
  window.show();

  ASSERT_TRUE(TThemes::Apply(QStringLiteral("Obsidian")));
  EXPECT_EQ(window.palette().color(QPalette::Window).name(), QStringLiteral("#1e1f22"));
  EXPECT_EQ(edit->palette().color(QPalette::Base).name(), QStringLiteral("#16171a"));
  EXPECT_EQ(window.style()->name(), QString()); // the style sheet's wrapper over Fusion

  ASSERT_TRUE(TThemes::Apply(QStringLiteral("Luna")));
  EXPECT_EQ(window.palette().color(QPalette::Window).name(), QStringLiteral("#dce8f7"));
  EXPECT_EQ(edit->palette().color(QPalette::Text).name(), QStringLiteral("#12263f"));

  ASSERT_TRUE(TThemes::Apply(QStringLiteral("Windows")));
  EXPECT_EQ(TThemes::ActiveName(), QStringLiteral("Windows"));
  EXPECT_EQ(QApplication::style()->name(), QStringLiteral("windows"));
  EXPECT_EQ(window.style()->name(), QStringLiteral("windows"));
  EXPECT_TRUE(qApp->styleSheet().isEmpty());
  EXPECT_EQ(QApplication::palette(), startingPalette);
  EXPECT_EQ(window.palette(), startingPalette);
  EXPECT_EQ(edit->palette().color(QPalette::Base), startingPalette.color(QPalette::Base));
}

TEST_F(ThemesTest, AnUnknownOrEmptyNameChangesNothing) {
  ASSERT_TRUE(TThemes::Apply(QStringLiteral("Cyan Dusk")));
  const QPalette palette = QApplication::palette();
  const QString sheet = qApp->styleSheet();
  for (const QString& name :
       {QString(), QStringLiteral(""), QStringLiteral("Solarized"), QStringLiteral("cyan dusk")}) {
    EXPECT_FALSE(TThemes::Apply(name)) << name.toStdString();
    EXPECT_EQ(TThemes::ActiveName(), QStringLiteral("Cyan Dusk"));
    EXPECT_EQ(QApplication::palette(), palette);
    EXPECT_EQ(qApp->styleSheet(), sheet);
  }
}

} // namespace
