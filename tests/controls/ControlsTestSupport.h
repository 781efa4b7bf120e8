// Helpers for the control tests: message pumping with a deadline, an exception collector on
// Application->OnException, a watchdog thread for anything modal, and DC pixel access.
#pragma once

#include <windows.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "classlib/Forms.h"
#include "tests/support/TextPixels.h"

namespace testsupport {

// Dispatches this thread's messages until Done() holds or Ms milliseconds have passed.
inline bool PumpUntil(const std::function<bool()>& Done, DWORD Ms = 3000) {
  DWORD Start = GetTickCount();
  for (;;) {
    MSG Msg;
    while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&Msg);
      DispatchMessageA(&Msg);
    }
    if (Done()) return true;
    if (GetTickCount() - Start >= Ms) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

inline void PumpFor(DWORD Ms) {
  PumpUntil([] { return false; }, Ms);
}

// Collects what reaches Application->HandleException while it lives.
class TExceptionCollector {
public:
  struct TReport {
    TObject* Sender;
    std::string ClassName;
    std::string Message;
  };
  TExceptionCollector() {
    FSaved = Application->OnException;
    Application->OnException = TExceptionEvent::Bind<&TExceptionCollector::Collect>(this);
  }
  ~TExceptionCollector() { Application->OnException = FSaved; }
  TExceptionCollector(const TExceptionCollector&) = delete;
  TExceptionCollector& operator=(const TExceptionCollector&) = delete;

  std::vector<TReport> Reports;

private:
  void Collect(TObject* Sender, Exception& E) { Reports.push_back({Sender, E.ClassName(), E.Message()}); }
  TExceptionEvent FSaved;
};

// Runs Action on its own thread when it is not cancelled within Ms milliseconds: the last line
// of defence for tests that enter a modal loop.
class TWatchdog {
public:
  TWatchdog(DWORD Ms, std::function<void()> Action)
      : FThread([this, Ms, Action = std::move(Action)] {
          DWORD Start = GetTickCount();
          while (!FCancel.load()) {
            if (GetTickCount() - Start >= Ms) {
              FFired.store(true);
              Action();
              Start = GetTickCount() - Ms + 250;  // keep trying every 250 ms
            }
            Sleep(10);
          }
        }) {}
  ~TWatchdog() {
    FCancel.store(true);
    FThread.join();
  }
  TWatchdog(const TWatchdog&) = delete;
  TWatchdog& operator=(const TWatchdog&) = delete;
  bool Fired() const { return FFired.load(); }

private:
  std::atomic<bool> FCancel{false};
  std::atomic<bool> FFired{false};
  std::thread FThread;
};

// Escapes out of any menu of the process (the menu window is "#32768").
inline void CloseMenus() {
  if (HWND Menu = FindWindowA("#32768", nullptr)) PostMessageA(Menu, WM_KEYDOWN, VK_ESCAPE, 0);
}

// A 32-bit top-down memory bitmap to paint into and read back.
class TPixelDC {
public:
  TPixelDC(int W, int H) : FWidth(W), FHeight(H) {
    BITMAPINFO Info{};
    Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    Info.bmiHeader.biWidth = W;
    Info.bmiHeader.biHeight = -H;
    Info.bmiHeader.biPlanes = 1;
    Info.bmiHeader.biBitCount = 32;
    FDC = CreateCompatibleDC(nullptr);
    FBitmap = CreateDIBSection(FDC, &Info, DIB_RGB_COLORS, reinterpret_cast<void**>(&FBits), nullptr, 0);
    FOld = SelectObject(FDC, FBitmap);
  }
  ~TPixelDC() {
    SelectObject(FDC, FOld);
    DeleteObject(FBitmap);
    DeleteDC(FDC);
  }
  TPixelDC(const TPixelDC&) = delete;
  TPixelDC& operator=(const TPixelDC&) = delete;
  HDC DC() const { return FDC; }
  // As a COLORREF (0x00BBGGRR).
  COLORREF Pixel(int X, int Y) const {
    GdiFlush();
    uint32_t V = FBits[Y * FWidth + X];
    return RGB((V >> 16) & 0xFF, (V >> 8) & 0xFF, V & 0xFF);
  }
  int Count(RECT R, COLORREF Color) const {
    int N = 0;
    for (int Y = R.top; Y < R.bottom; ++Y)
      for (int X = R.left; X < R.right; ++X)
        if (Pixel(X, Y) == Color) ++N;
    return N;
  }
  // Pixels of text drawn in Ink over Ground, however the machine's fonts shape and smooth it.
  int CountInk(RECT R, COLORREF Ink, COLORREF Ground) const {
    int N = 0;
    for (int Y = R.top; Y < R.bottom; ++Y)
      for (int X = R.left; X < R.right; ++X)
        if (textpixels::IsInk(Pixel(X, Y), Ink, Ground)) ++N;
    return N;
  }

private:
  int FWidth, FHeight;
  HDC FDC;
  HBITMAP FBitmap;
  HGDIOBJ FOld;
  uint32_t* FBits = nullptr;
};

// A window procedure installed on top of a window (as foreign code would) that records the
// messages passing through it and hands them on.
class TSpySubclass {
public:
  explicit TSpySubclass(HWND Wnd) : FWnd(Wnd) {
    SetPropA(Wnd, "TestSpy", this);
    FPrevious = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Proc)));
  }
  ~TSpySubclass() {
    if (IsWindow(FWnd)) {
      SetWindowLongPtrA(FWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FPrevious));
      RemovePropA(FWnd, "TestSpy");
    }
  }
  TSpySubclass(const TSpySubclass&) = delete;
  TSpySubclass& operator=(const TSpySubclass&) = delete;
  int Seen(UINT Msg) const {
    int N = 0;
    for (UINT M : Messages)
      if (M == Msg) ++N;
    return N;
  }
  std::vector<UINT> Messages;

private:
  static LRESULT CALLBACK Proc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) {
    auto* Self = static_cast<TSpySubclass*>(GetPropA(Wnd, "TestSpy"));
    if (!Self) return DefWindowProcA(Wnd, Msg, W, L);
    Self->Messages.push_back(Msg);
    return CallWindowProcA(Self->FPrevious, Wnd, Msg, W, L);
  }
  HWND FWnd;
  WNDPROC FPrevious;
};

}  // namespace testsupport
