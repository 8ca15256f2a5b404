// Hard links on Windows: one archive under two names, one file index.
#include "platform/FileLinks.h"

#include "WindowsTestFolder.h"

#include <gtest/gtest.h>

#include <fstream>

namespace tilvane::platform {
namespace {

using test::TTestFolder;

TEST(WindowsFileLinksTest, TwoNamesOneFile) {
  TTestFolder Folder;
  const std::string First = Folder.Path(u8"FS22_Pack.zip").string();
  const std::string Second = Folder.Path(u8"other FS22_Pack.zip").string();
  std::ofstream(First, std::ios::binary) << "archive";
  std::string Reason;
  ASSERT_EQ(LinkFile(First, Second, Reason), TLinkOutcome::Linked) << Reason;
  const TFileIdentity One = FileIdentityOf(First);
  const TFileIdentity Other = FileIdentityOf(Second);
  ASSERT_TRUE(One.Valid);
  EXPECT_EQ(One.Device, Other.Device);
  EXPECT_EQ(One.File, Other.File);
  EXPECT_EQ(Other.Links, 2u);
  // The name is taken: a failure with its reason, not a quiet fallback.
  EXPECT_EQ(LinkFile(First, Second, Reason), TLinkOutcome::Failed);
  EXPECT_FALSE(Reason.empty());
}

} // namespace
} // namespace tilvane::platform
