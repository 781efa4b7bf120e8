// Helpers for the lx tests that work on title bars, menus and real input.
//
// Title bars: with its default settings Wine's X11 driver leaves the caption of a captioned
// window to the window manager and clips what Windows code draws there (there is no window
// manager under Xvfb, so nothing is there at all); it also waits two seconds for a window manager
// whenever a captioned window is hidden or destroyed. tools/wine-session.sh switches both off
// for the programs it lists (every session, before anything runs): a new test program with
// captioned windows joins that list.
#pragma once

#include <windows.h>

#include <atomic>
#include <thread>

namespace lxtest {

// Mouse input as the hardware would give it (the whole sequence is queued at once).
inline void SendMouse(POINT ScreenPoint, DWORD DownFlag, DWORD UpFlag) {
  const int W = GetSystemMetrics(SM_CXSCREEN) - 1, H = GetSystemMetrics(SM_CYSCREEN) - 1;
  INPUT In[3]{};
  for (INPUT& I : In) {
    I.type = INPUT_MOUSE;
    I.mi.dx = static_cast<LONG>((ScreenPoint.x * 65535 + W / 2) / W);
    I.mi.dy = static_cast<LONG>((ScreenPoint.y * 65535 + H / 2) / H);
    I.mi.dwFlags = MOUSEEVENTF_ABSOLUTE;
  }
  In[0].mi.dwFlags |= MOUSEEVENTF_MOVE;
  In[1].mi.dwFlags |= DownFlag;
  In[2].mi.dwFlags |= UpFlag;
  SendInput(3, In, sizeof(INPUT));
}
inline void LeftClick(POINT P) { SendMouse(P, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP); }
inline void RightClick(POINT P) { SendMouse(P, MOUSEEVENTF_RIGHTDOWN, MOUSEEVENTF_RIGHTUP); }

// Watches for a menu of this process from its own thread: records the first menu that shows,
// then chooses its first item (Choose) or escapes from it. Whatever happens, every menu is
// escaped from after the deadline, so a test never hangs in a menu loop.
class TMenuPicker {
public:
  explicit TMenuPicker(bool Choose, DWORD DeadlineMs = 4000)
      : FThread([this, Choose, DeadlineMs] {
          DWORD Start = GetTickCount();
          bool Acted = false;
          while (!FStop.load()) {
            HWND Menu = FindWindowA("#32768", nullptr);
            if (Menu && IsWindowVisible(Menu) && !Acted) {
              Sleep(50);
              FMenu.store(reinterpret_cast<HMENU>(SendMessageA(Menu, 0x01E1 /*MN_GETHMENU*/, 0, 0)));
              FSeen.store(true);
              if (Choose) {
                PostMessageA(Menu, WM_KEYDOWN, VK_DOWN, 0);
                PostMessageA(Menu, WM_KEYDOWN, VK_RETURN, 0);
              } else {
                PostMessageA(Menu, WM_KEYDOWN, VK_ESCAPE, 0);
              }
              Acted = true;
            } else if (Menu && GetTickCount() - Start > DeadlineMs) {
              PostMessageA(Menu, WM_KEYDOWN, VK_ESCAPE, 0);
              Sleep(100);
            }
            Sleep(10);
          }
        }) {}
  ~TMenuPicker() {
    FStop.store(true);
    FThread.join();
  }
  TMenuPicker(const TMenuPicker&) = delete;
  TMenuPicker& operator=(const TMenuPicker&) = delete;
  bool Seen() const { return FSeen.load(); }
  HMENU Menu() const { return FMenu.load(); }

private:
  std::atomic<bool> FStop{false};
  std::atomic<bool> FSeen{false};
  std::atomic<HMENU> FMenu{nullptr};
  std::thread FThread;
};

}  // namespace lxtest
