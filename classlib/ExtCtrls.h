// Timer, panel, bevel, image and splitter.
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

// ---- Bevel, image, splitter ---------------------------------------------------------------------

enum TBevelStyle { bsLowered, bsRaised };
VD_ENUM_INFO(TBevelStyle, "bsLowered", "bsRaised")
enum TBevelShape { bsBox, bsFrame, bsTopLine, bsBottomLine, bsLeftLine, bsRightLine, bsSpacer };
VD_ENUM_INFO(TBevelShape, "bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine",
             "bsSpacer")

// A sunken (or raised) box, frame or line drawn in the button shadow and highlight colours.
class TBevel : public TGraphicControl {
  VD_CLASS(TBevel, TGraphicControl);

public:
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

// Shows its Picture at the top-left corner. Canvas draws into the picture's bitmap (made at the
// control's size when the picture is empty), off the screen; every drawing repaints the control.
class TImage : public TGraphicControl {
  VD_CLASS(TImage, TGraphicControl);

public:
  explicit TImage(TComponent* AOwner);
  void BeforeDestruction() override;

  TPicture* Picture() const noexcept { return FPicture; }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  // The bitmap's canvas (hides the control canvas). EInvalidOperation "Can only modify an image
  // if it contains a bitmap" when the picture holds another kind of graphic.
  TCanvas* Canvas();

protected:
  void Paint() override;

private:
  void PictureChanged(TObject* Sender);
  TPicture* FPicture;
};

// Lets the user drag the edge between the control aligned on the same side next to it and the
// rest of the parent; that control keeps at least MinSize pixels, and so does the rest.
class TSplitter : public TGraphicControl {
  VD_CLASS(TSplitter, TGraphicControl);

public:
  explicit TSplitter(TComponent* AOwner);

  int MinSize() const noexcept { return FMinSize; }
  void SetMinSize(int Value) { FMinSize = Value > 0 ? Value : 1; }

protected:
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseMove(TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
  bool Horizontal() const { return Align() == alLeft || Align() == alRight; }
  // The position of a point of this control along the drag axis, in the parent's coordinates.
  int ParentPos(int X, int Y) const { return Horizontal() ? X + Left() : Y + Top(); }
  TControl* FindNeighbour() const;
  int MaxSize() const;

  int FMinSize = 30;
  TControl* FControl = nullptr;  // being resized while the button is down
  int FDownPos = 0;
  int FStartSize = 0;
};
