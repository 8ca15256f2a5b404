#include "platform/Platform.h"

#include "WindowsTestFolder.h"

#include <gtest/gtest.h>

namespace tilvane::platform {
namespace {

// The mail program is the stand-in mapi32.dll beside this executable
// (FakeMapi.cpp), which records the message it was handed.
TEST(WindowsMailTest, HandsTheMessageToSimpleMapi) {
  const struct {
    const char* Case;
    bool UnicodeEntry;
    const wchar_t* Answer;
    bool Expected;
    std::string Recorded; // empty: not looked at
  } Cases[] = {
      {"sent", true, L"0", true,
       "entry=W\nflags=9\nsubject=Farming Simulator log file\nbody=Here's my Farming Simulator log "
       "file.\nrecipients=0\nattachment=C:\\Spiele\\Gr\xc3\xbc\xc3\x9f"
       "e\\log.txt|log.txt\n"},
      {"discarded by the user", true, L"1", true, ""},
      {"refused", true, L"2", false, ""},
      // A mail program without the Unicode entry gets the ANSI code page.
      {"ANSI", false, L"0", true,
       "entry=A\nflags=9\nsubject=Farming Simulator log file\nbody=Here's my Farming Simulator log "
       "file.\nrecipients=0\nattachment=C:\\Spiele\\Gr\xfc\xdf"
       "e\\log.txt|log.txt\n"},
      {"ANSI refused", false, L"3", false, ""},
  };
  for (const auto& C : Cases) {
    SCOPED_TRACE(C.Case);
    test::TTestFolder Folder;
    const std::filesystem::path Log = Folder.Path(u8"mapi.log");
    SetEnvironmentVariableW(L"TILVANE_FAKE_MAPI_LOG", Log.c_str());
    SetEnvironmentVariableW(L"TILVANE_FAKE_MAPI_RESULT", C.Answer);
    SetEnvironmentVariableW(L"TILVANE_FAKE_MAPI_NO_W", C.UnicodeEntry ? nullptr : L"1");
    const MailMessage Message{"Farming Simulator log file",
                              "Here's my Farming Simulator log file.",
                              {"C:\\Spiele\\Gr\xc3\xbc\xc3\x9f"
                               "e\\log.txt"}};
    EXPECT_EQ(CreateSystemPlatform()->SendMail(Message), C.Expected);
    if (!C.Recorded.empty()) {
      EXPECT_EQ(test::ReadFile(Log), C.Recorded);
    }
  }
  SetEnvironmentVariableW(L"TILVANE_FAKE_MAPI_LOG", nullptr);
  SetEnvironmentVariableW(L"TILVANE_FAKE_MAPI_RESULT", nullptr);
  SetEnvironmentVariableW(L"TILVANE_FAKE_MAPI_NO_W", nullptr);
}

} // namespace
} // namespace tilvane::platform
