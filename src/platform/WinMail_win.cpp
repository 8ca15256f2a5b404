#include "platform/WinApi.h"
#include "platform/WinMail.h"
#include "platform/WinStrings.h"

#include <mapi.h>

#include <string>
#include <vector>

namespace tilvane::platform::win {

namespace {

// Simple MAPI's structures, once per character type. They match the SDK's
// MapiMessage/MapiMessageW field for field; MinGW's mapi.h has only the
// ANSI ones, and one template serves both entries.
template <typename Char> struct TMapiFile {
  ULONG Reserved;
  ULONG Flags;
  ULONG Position;
  Char* PathName;
  Char* FileName;
  void* FileType;
};

template <typename Char> struct TMapiMessage {
  ULONG Reserved;
  Char* Subject;
  Char* NoteText;
  Char* MessageType;
  Char* DateReceived;
  Char* ConversationID;
  FLAGS Flags;
  void* Originator;
  ULONG RecipCount;
  void* Recips;
  ULONG FileCount;
  TMapiFile<Char>* Files;
};

using TSendMail = ULONG(WINAPI*)(LHANDLE, ULONG_PTR, void*, FLAGS, ULONG);

template <typename Char> using TText = std::basic_string<Char>;

struct TMailTexts {
  std::wstring Subject;
  std::wstring Body;
  std::vector<std::wstring> Paths;
  std::vector<std::wstring> Names;
};

std::wstring FileNameOf(const std::wstring& APath) {
  const std::size_t Slash = APath.find_last_of(L"\\/");
  return Slash == std::wstring::npos ? APath : APath.substr(Slash + 1);
}

TText<wchar_t> Encode(const std::wstring& AText, wchar_t) {
  return AText;
}
// The older entry takes the ANSI code page, also for the attachment's path.
TText<char> Encode(const std::wstring& AText, char) {
  return ToAnsi(AText);
}

template <typename Char> ULONG Send(TSendMail ASendMail, const TMailTexts& ATexts) {
  TText<Char> Subject = Encode(ATexts.Subject, Char());
  TText<Char> Body = Encode(ATexts.Body, Char());
  std::vector<TText<Char>> Paths, Names;
  for (std::size_t I = 0; I < ATexts.Paths.size(); ++I) {
    Paths.push_back(Encode(ATexts.Paths[I], Char()));
    Names.push_back(Encode(ATexts.Names[I], Char()));
  }
  std::vector<TMapiFile<Char>> Files;
  for (std::size_t I = 0; I < Paths.size(); ++I)
    // Position -1: the mail program places the attachment.
    Files.push_back({0, 0, static_cast<ULONG>(-1), Paths[I].data(), Names[I].data(), nullptr});
  TMapiMessage<Char> Message{};
  Message.Subject = Subject.data();
  Message.NoteText = Body.data();
  Message.FileCount = static_cast<ULONG>(Files.size());
  Message.Files = Files.empty() ? nullptr : Files.data();
  // The compose window is shown, and the user may log on to his mail
  // program first; he sends or discards the mail there.
  return ASendMail(0, 0, &Message, MAPI_DIALOG | MAPI_LOGON_UI, 0);
}

} // namespace

bool SendMailThroughMapi(const MailMessage& AMessage) {
  TMailTexts Texts{Widen(AMessage.Subject), Widen(AMessage.Body), {}, {}};
  for (const std::string& Path : AMessage.Attachments) {
    Texts.Paths.push_back(Widen(Path));
    Texts.Names.push_back(FileNameOf(Texts.Paths.back()));
  }
  const UniqueModule Mapi(LoadLibraryW(L"mapi32.dll"));
  if (!Mapi)
    return false;
  // MAPISendMailW exists from Windows 8 on; mail programs that only know the
  // ANSI entry get the texts in the ANSI code page through the older one.
  ULONG Result = MAPI_E_NOT_SUPPORTED;
  if (auto SendW = GetProc<TSendMail>(Mapi.get(), "MAPISendMailW"))
    Result = Send<wchar_t>(SendW, Texts);
  if (Result == MAPI_E_NOT_SUPPORTED) {
    if (auto SendA = GetProc<TSendMail>(Mapi.get(), "MAPISendMail"))
      Result = Send<char>(SendA, Texts);
  }
  // The user's discarding the mail is his answer, not a missing mail program.
  return Result == SUCCESS_SUCCESS || Result == MAPI_USER_ABORT;
}

} // namespace tilvane::platform::win
