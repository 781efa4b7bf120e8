// Records the tray icon's notification-area calls instead of (or before) making them, and answers
// with a chosen result. One recorder at a time; the real calls come back when it goes.
#pragma once

#include <windows.h>
#include <shellapi.h>

#include <string>
#include <vector>

#include "nx/NxTrayIcon.h"

namespace traytest {

struct TShellCall {
  DWORD Message;
  DWORD Size;
  HWND Window;
  UINT Id;
  UINT Flags;
  UINT CallbackMessage;
  HICON Icon;
  std::string Tip;
};

class TShellRecorder {
public:
  // PassThrough: the real Shell_NotifyIconA answers; otherwise every call answers Result.
  explicit TShellRecorder(bool PassThrough = false, BOOL Result = TRUE) : FPassThrough(PassThrough), FResult(Result) {
    FCurrent = this;
    FSaved = nxtrayicon_detail::ShellNotifyIcon;
    nxtrayicon_detail::ShellNotifyIcon = &Record;
  }
  ~TShellRecorder() {
    nxtrayicon_detail::ShellNotifyIcon = FSaved;
    FCurrent = nullptr;
  }
  TShellRecorder(const TShellRecorder&) = delete;
  TShellRecorder& operator=(const TShellRecorder&) = delete;

  std::vector<TShellCall> Calls;
  void SetResult(BOOL Result) { FResult = Result; }
  int Count(DWORD Message) const {
    int N = 0;
    for (const TShellCall& C : Calls) N += C.Message == Message;
    return N;
  }

private:
  static BOOL WINAPI Record(DWORD Message, PNOTIFYICONDATAA Data) {
    TShellRecorder* Self = FCurrent;
    Self->Calls.push_back({Message, Data->cbSize, Data->hWnd, Data->uID, Data->uFlags, Data->uCallbackMessage,
                           Data->hIcon, std::string(Data->szTip, strnlen(Data->szTip, sizeof Data->szTip))});
    return Self->FPassThrough ? Self->FSaved(Message, Data) : Self->FResult;
  }
  static inline TShellRecorder* FCurrent = nullptr;
  nxtrayicon_detail::TShellNotifyIconFunc FSaved;
  bool FPassThrough;
  BOOL FResult;
};

}  // namespace traytest
