// Timer and panel.
#pragma once

#include <windows.h>

#include "classlib/Controls.h"

// Fires OnTimer every Interval milliseconds while Enabled, on the thread that made it, through a
// hidden window of its own. Exceptions raised by OnTimer go to Application->HandleException.
class TTimer : public TComponent {
  VD_CLASS(TTimer, TComponent);

public:
  explicit TTimer(TComponent* AOwner);
  void BeforeDestruction() override;

  bool Enabled() const noexcept { return FEnabled; }
  // EOutOfResources "Not enough timers available" when Windows refuses the timer.
  void SetEnabled(bool Value);
  unsigned Interval() const noexcept { return FInterval; }
  void SetInterval(unsigned Value);
  TNotifyEvent OnTimer() const noexcept { return FOnTimer; }
  void SetOnTimer(TNotifyEvent Value);
  // The hidden window that receives WM_TIMER.
  HWND WindowHandle() const noexcept { return FWindow; }

protected:
  virtual void Timer();

private:
  void UpdateTimer();
  void WndProc(TMessage& Message);
  HWND FWindow = nullptr;
  bool FEnabled = true;
  unsigned FInterval = 1000;
  TNotifyEvent FOnTimer;
};

namespace extctrls_detail {
// The SetTimer the timers call (tests put a failing one here).
using TSetTimerFunc = UINT_PTR(WINAPI*)(HWND, UINT_PTR, UINT, TIMERPROC);
extern TSetTimerFunc SetTimerFunc;
}  // namespace extctrls_detail

enum TBevelCut { bvNone, bvLowered, bvRaised, bvSpace };
VD_ENUM_INFO(TBevelCut, "bvNone", "bvLowered", "bvRaised", "bvSpace")
using TBevelWidth = int;

// A container with optional bevels and a centred caption.
class TCustomPanel : public TCustomControl {
  VD_CLASS(TCustomPanel, TCustomControl);

public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const noexcept { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBevelCut BevelInner() const noexcept { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const noexcept { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  TBevelWidth BevelWidth() const noexcept { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth Value);
  int BorderWidth() const noexcept { return FBorderWidth; }
  void SetBorderWidth(int Value);
  TBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);

protected:
  void CreateParams(TCreateParams& Params) override;
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void Dispatch(TMessage& Message) override;

private:
  void Changed();
  TAlignment FAlignment = taCenter;
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  TBevelWidth FBevelWidth = 1;
  int FBorderWidth = 0;
  TBorderStyle FBorderStyle = bsNone;
};

class TPanel : public TCustomPanel {
  VD_CLASS(TPanel, TCustomPanel);

public:
  using TCustomPanel::TCustomPanel;
};

enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
VD_ENUM_INFO(TBevelShape, "bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine",
             "bsSpacer")
enum TBevelStyle { bsLowered, bsRaised };
VD_ENUM_INFO(TBevelStyle, "bsLowered", "bsRaised")

// A window-less separator: a sunken or raised box, frame or line. Lowered, a line is a
// clBtnShadow line over (or left of) a clBtnHighlight line; raised, the other way round.
class TBevel : public TGraphicControl {
  VD_CLASS(TBevel, TGraphicControl);

public:
  // 50 x 50, a lowered box.
  explicit TBevel(TComponent* AOwner);

  TBevelShape Shape() const noexcept { return FShape; }
  void SetShape(TBevelShape Value);
  TBevelStyle Style() const noexcept { return FStyle; }
  void SetStyle(TBevelStyle Value);

protected:
  void Paint() override;

private:
  TBevelShape FShape = bsBox;
  TBevelStyle FStyle = bsLowered;
};
