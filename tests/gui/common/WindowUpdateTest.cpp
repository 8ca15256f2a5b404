#include "gui/common/WindowUpdate.h"
#include "core/common/AppError.h"

#include <QWidget>

#include <gtest/gtest.h>

namespace tilvane {
namespace {

TEST(WindowUpdateTest, OnlyTheOutermostPairSwitchesRedrawing) {
  QWidget window;
  QWidget child(&window);
  window.show();

  EXPECT_EQ(BeginWindowUpdate(&window), 1);
  EXPECT_FALSE(window.updatesEnabled());
  EXPECT_EQ(BeginWindowUpdate(&window), 2);
  EXPECT_EQ(EndWindowUpdate(&window), 1);
  EXPECT_FALSE(window.updatesEnabled()); // the inner end only counts
  EXPECT_EQ(EndWindowUpdate(&window), 0);
  EXPECT_TRUE(window.updatesEnabled());
  EXPECT_TRUE(child.updatesEnabled());
  EXPECT_EQ(WindowUpdateCount(&window), 0);
}

TEST(WindowUpdateTest, WindowsCountApartAndAnExtraEndFails) {
  QWidget a;
  QWidget b;
  EXPECT_EQ(BeginWindowUpdate(&a), 1);
  EXPECT_EQ(BeginWindowUpdate(&b), 1);
  EXPECT_EQ(BeginWindowUpdate(&b), 2);
  EXPECT_EQ(EndWindowUpdate(&a), 0);
  EXPECT_TRUE(a.updatesEnabled());
  EXPECT_FALSE(b.updatesEnabled());

  try {
    EndWindowUpdate(&a);
    ADD_FAILURE() << "no error";
  } catch (const EAppError& e) {
    EXPECT_EQ(e.Message(), QStringLiteral("EndWindowUpdate is called one too many times."));
  }
  EXPECT_TRUE(a.updatesEnabled());
  EXPECT_EQ(WindowUpdateCount(&a), 0);
  EXPECT_EQ(WindowUpdateCount(&b), 2);
  EndWindowUpdate(&b);
  EndWindowUpdate(&b);
}

TEST(WindowUpdateTest, GuardEndsWhenTheWorkFails) {
  QWidget window;
  try {
    TWindowUpdateGuard guard(&window);
    EXPECT_FALSE(window.updatesEnabled());
    throw EAppError(QStringLiteral("rebuild failed"));
  } catch (const EAppError&) {
  }
  EXPECT_TRUE(window.updatesEnabled());
  EXPECT_EQ(WindowUpdateCount(&window), 0);
}

} // namespace
} // namespace tilvane
