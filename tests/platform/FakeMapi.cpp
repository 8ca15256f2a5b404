// A stand-in for the mail program's Simple MAPI library (mapi32.dll), put
// beside the test executable so that Windows loads it first. It writes what
// it was handed to the file that TILVANE_FAKE_MAPI_LOG names, and answers
// with the code that TILVANE_FAKE_MAPI_RESULT holds; TILVANE_FAKE_MAPI_NO_W
// makes the Unicode entry answer "not supported".
#include <windows.h>

#include <mapi.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// From the process's environment block, which the test changes with
// SetEnvironmentVariableW; the C runtime's copy would not see that.
std::wstring Environment(const wchar_t* AName) {
  wchar_t Value[1024];
  const DWORD Length = GetEnvironmentVariableW(AName, Value, 1024);
  return Length > 0 && Length < 1024 ? std::wstring(Value, Length) : std::wstring();
}

std::string Utf8(const wchar_t* AText) {
  if (!AText)
    return "(null)";
  const int Size = WideCharToMultiByte(CP_UTF8, 0, AText, -1, nullptr, 0, nullptr, nullptr);
  std::string Result(Size > 0 ? Size - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, AText, -1, Result.data(), Size, nullptr, nullptr);
  return Result;
}

std::string Bytes(const char* AText) {
  return AText ? AText : "(null)";
}

// One line per field; the texts as they came, UTF-8 from the Unicode entry
// and the ANSI code page's bytes from the other.
template <typename TMessage, typename TConvert>
ULONG Record(const char* AEntry, const TMessage* AMessage, FLAGS AFlags, TConvert AConvert) {
  std::ofstream Log(std::filesystem::path(Environment(L"TILVANE_FAKE_MAPI_LOG")),
                    std::ios::binary | std::ios::app);
  Log << "entry=" << AEntry << "\nflags=" << AFlags
      << "\nsubject=" << AConvert(AMessage->lpszSubject)
      << "\nbody=" << AConvert(AMessage->lpszNoteText) << "\nrecipients=" << AMessage->nRecipCount
      << "\n";
  for (ULONG i = 0; i < AMessage->nFileCount; ++i)
    Log << "attachment=" << AConvert(AMessage->lpFiles[i].lpszPathName) << "|"
        << AConvert(AMessage->lpFiles[i].lpszFileName) << "\n";
  return static_cast<ULONG>(
      std::wcstoul(Environment(L"TILVANE_FAKE_MAPI_RESULT").c_str(), nullptr, 10));
}

// The Unicode structures, laid out as the SDK's MapiMessageW.
struct TFileW {
  ULONG ulReserved, flFlags, nPosition;
  wchar_t* lpszPathName;
  wchar_t* lpszFileName;
  void* lpFileType;
};
struct TMessageW {
  ULONG ulReserved;
  wchar_t *lpszSubject, *lpszNoteText, *lpszMessageType, *lpszDateReceived, *lpszConversationID;
  FLAGS flFlags;
  void* lpOriginator;
  ULONG nRecipCount;
  void* lpRecips;
  ULONG nFileCount;
  TFileW* lpFiles;
};

} // namespace

extern "C" __declspec(dllexport) ULONG WINAPI
    MAPISendMailW(LHANDLE, ULONG_PTR, TMessageW* AMessage, FLAGS AFlags, ULONG) {
  if (!Environment(L"TILVANE_FAKE_MAPI_NO_W").empty())
    return MAPI_E_NOT_SUPPORTED;
  return Record("W", AMessage, AFlags, Utf8);
}

extern "C" __declspec(dllexport) ULONG WINAPI
    MAPISendMail(LHANDLE, ULONG_PTR, MapiMessage* AMessage, FLAGS AFlags, ULONG) {
  return Record("A", AMessage, AFlags, Bytes);
}
