// Labels with effects and links. The labels are window-less controls on the class library's label
// that draw their caption through an off-screen bitmap: a sunken copy of the text (Shadow), a
// raised copy (Highlight), then the text, so the layers reach the screen in one copy and do not
// flicker. While the mouse is over the label (FontHover) or a button is down on it (FontClick) the
// text takes another colour and style; Blinking alternates shown and hidden phases on a timer;
// TlxURLLabel opens a web address or a new mail message when clicked.
//
//   object lxURLLabel1: TlxURLLabel
//     Caption = 'www.example.com'
//     Kind = ukWWW                      (ukEmail: Email.Address, Email.Subject, ... compose a mailto)
//     URLInNewWindow = True             (the program registered for .html files)
//   end
//
// The defaults of the effects, the hover and click looks and the URL label's blue underlined font
// are set by the constructors, not by form resources. Everything runs on the thread that owns the
// form's windows; the blink timer arrives as messages on a utility window of that thread, made
// when blinking first starts and destroyed with the label.
#pragma once

#include <windows.h>

#include <string>

#include "classlib/StdCtrls.h"
#include "lx/lxBase.h"

class TlxLabel;

// A look the label takes on hover or click.
class TlxStyleFont : public TPersistent {
  VD_CLASS(TlxStyleFont, TPersistent);

public:
  TlxStyleFont() = default;
  // Another style font: Color, Style and Used, then one notification. Anything else: the
  // conversion error.
  void Assign(TPersistent* Source) override;

  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  TFontStyles Style() const noexcept { return FStyle; }
  void SetStyle(TFontStyles Value);
  bool Used() const noexcept { return FUsed; }
  void SetUsed(bool Value);

  // Called after every change (the labels set none).
  TNotifyEvent OnChange;

private:
  void Changed() { OnChange(this); }

  TColor FColor = clWindowText;
  TFontStyles FStyle;
  bool FUsed = false;
};

// The label the lx labels build on: its own off-screen bitmap, its own WordWrap and the mouse
// entering and leaving it.
class TlxBaseLabel : public TCustomLabel {
  VD_CLASS(TlxBaseLabel, TCustomLabel);

public:
  explicit TlxBaseLabel(TComponent* AOwner);

  const std::string& About() const noexcept { return FAbout; }
  void SetAbout(const std::string& Value) { FAbout = Value; }
  // Lines break at the label's width (the class library's own flag stays off).
  bool WordWrap() const noexcept { return FWordWrap; }
  void SetWordWrap(bool Value);
  bool MouseInside() const noexcept { return FMouseInside; }
  // What the layers are drawn into; sized to the label at each paint.
  TBitmap* OffscreenBitmap() const noexcept { return FBitmap; }

  TNotifyEvent OnMouseEnter;
  TNotifyEvent OnMouseLeave;

protected:
  ~TlxBaseLabel() override;
  void Dispatch(TMessage& Message) override;
  // Set or clear the inside flag, then the event.
  virtual void MouseEnter();
  virtual void MouseLeave();

private:
  TBitmap* FBitmap;
  std::string FAbout;
  bool FWordWrap = false;
  bool FMouseInside = false;
};

// One raised or sunken copy of the text; the owner is the label.
enum TlxLabelEffectDirection { edUp, edDown, edLeft, edRight, edUpLeft, edUpRight, edDownLeft, edDownRight };
VD_ENUM_INFO(TlxLabelEffectDirection, "edUp", "edDown", "edLeft", "edRight", "edUpLeft", "edUpRight",
             "edDownLeft", "edDownRight")

// The pixel step of one unit of depth.
POINT EffectStep(TlxLabelEffectDirection Direction) noexcept;

class TlxLabelEffect : public TlxAddon {
  VD_CLASS(TlxLabelEffect, TlxAddon);

public:
  // Enabled, depth 1.
  explicit TlxLabelEffect(TComponent* AOwner);

  TColor Color() const noexcept { return FColor; }
  void SetColor(TColor Value);
  TColor ColorHover() const noexcept { return FColorHover; }
  void SetColorHover(TColor Value);
  TColor ColorClick() const noexcept { return FColorClick; }
  void SetColorClick(TColor Value);
  uint8_t Depth() const noexcept { return FDepth; }
  void SetDepth(uint8_t Value);
  TlxLabelEffectDirection Direction() const noexcept { return FDirection; }
  void SetDirection(TlxLabelEffectDirection Value);
  // All three colours at once (the labels' defaults).
  void SetColors(TColor Value) { FColor = FColorHover = FColorClick = Value; }

protected:
  // Repaints the owner label.
  void Changed() override;

private:
  TColor FColor = clWindowText;
  TColor FColorHover = clWindowText;
  TColor FColorClick = clWindowText;
  uint8_t FDepth = 1;
  TlxLabelEffectDirection FDirection = edDownRight;
};

// Shown and hidden phases on timer 1 of a utility window. BlinksCount, DelayBetweenBlinking and
// the label's OnStartBlinking/OnStopBlinking are kept for form resources; reaching BlinksCount
// only starts the timer again with the ordinary phase delay.
class TlxLabelBlinking : public TPersistent {
  VD_CLASS(TlxLabelBlinking, TPersistent);

public:
  explicit TlxLabelBlinking(TlxLabel* ALabel) : FLabel(ALabel) {}
  ~TlxLabelBlinking() override;

  bool Active() const noexcept { return FActive; }
  void SetActive(bool Value);
  unsigned BlinksCount() const noexcept { return FBlinksCount; }
  void SetBlinksCount(unsigned Value);
  unsigned DelayBetweenBlinking() const noexcept { return FDelayBetweenBlinking; }
  void SetDelayBetweenBlinking(unsigned Value);
  unsigned DelayVisible() const noexcept { return FDelayVisible; }
  void SetDelayVisible(unsigned Value);
  unsigned DelayInvisible() const noexcept { return FDelayInvisible; }
  void SetDelayInvisible(unsigned Value);

  // The text is drawn only while shown.
  bool Shown() const noexcept { return FShown; }
  unsigned ShowCount() const noexcept { return FShowCount; }
  // The window of the timer (0 before blinking first started).
  HWND Window() const noexcept { return FWindow; }

  // Stops timer 1 and starts it again with the current phase's delay while active with both
  // delays above 0; otherwise shows the text. EOutOfResources "Not enough timers available"
  // (after showing the text) when Windows refuses the timer.
  void UpdateTimer();

private:
  void SetShown(bool Value);
  void SetBlinkCounter(unsigned Value);
  void WndProc(TMessage& Message);

  TlxLabel* FLabel;  // the owner
  HWND FWindow = nullptr;
  bool FActive = false;
  unsigned FBlinksCount = 0;
  unsigned FDelayBetweenBlinking = 120000;
  unsigned FDelayVisible = 700;
  unsigned FDelayInvisible = 400;
  bool FShown = true;
  unsigned FShowCount = 0;
};

enum TlxLabelOption { loPathEllipsis, loEndEllipsis, loEditControl };
VD_ENUM_INFO(TlxLabelOption, "loPathEllipsis", "loEndEllipsis", "loEditControl")
using TlxLabelOptions = TSet<TlxLabelOption>;

// The label with effects, looks and blinking.
class TlxLabel : public TlxBaseLabel {
  VD_CLASS(TlxLabel, TlxBaseLabel);

public:
  explicit TlxLabel(TComponent* AOwner);

  TlxLabelBlinking* Blinking() const noexcept { return FBlinking; }
  void SetBlinking(TlxLabelBlinking* Value);
  TCursor CursorClick() const noexcept { return FCursorClick; }
  void SetCursorClick(TCursor Value) { FCursorClick = Value; }
  TlxStyleFont* FontClick() const noexcept { return FFontClick; }
  void SetFontClick(TlxStyleFont* Value) { FFontClick->Assign(Value); }
  TlxStyleFont* FontHover() const noexcept { return FFontHover; }
  void SetFontHover(TlxStyleFont* Value) { FFontHover->Assign(Value); }
  TlxLabelEffect* Highlight() const noexcept { return FHighlight; }
  void SetHighlight(TlxLabelEffect* Value);
  TlxLabelEffect* Shadow() const noexcept { return FShadow; }
  void SetShadow(TlxLabelEffect* Value);
  TlxLabelOptions Options() const noexcept { return FOptions; }
  void SetOptions(TlxLabelOptions Value);
  bool Pressed() const noexcept { return FPressed; }

  TNotifyEvent OnStartBlinking;  // kept for form resources; nothing fires them
  TNotifyEvent OnStopBlinking;
  TNotifyEvent OnShowBlink;      // sender: the blinking object
  TNotifyEvent OnHideBlink;

protected:
  ~TlxLabel() override;
  // The layers through the off-screen bitmap (the class library's disabled look when disabled).
  void DoDrawText(TRect& Rect, UINT Flags) override;
  void MouseEnter() override;
  void MouseLeave() override;
  void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
  // Repaints when the hover look differs from the plain one.
  void HoverChanged();
  void SetPressed(bool Value);

private:
  enum class TLayer { Text, Highlight, Shadow };
  // Draws (or with DT_CALCRECT measures) one layer into the off-screen bitmap.
  void DrawTextLayer(TLayer Layer, TRect& Rect, UINT Flags);

  TlxLabelEffect* FShadow;
  TlxLabelEffect* FHighlight;
  TlxLabelBlinking* FBlinking;
  TlxStyleFont* FFontHover;
  TlxStyleFont* FFontClick;
  TCursor FCursorClick = crDefault;
  TlxLabelOptions FOptions;
  bool FPressed = false;
};

// The six parts of a new mail message.
class TlxEmailParams : public TPersistent {
  VD_CLASS(TlxEmailParams, TPersistent);

public:
  TlxEmailParams() = default;
  void Assign(TPersistent* Source) override;

  std::string Address, Name, CarbonCopy, BlindCarbonCopy, Subject, Message;
};

enum TlxURLLabelKind { ukWWW, ukEmail };
VD_ENUM_INFO(TlxURLLabelKind, "ukWWW", "ukEmail")

// A label that opens its link when clicked.
class TlxURLLabel : public TlxLabel {
  VD_CLASS(TlxURLLabel, TlxLabel);

public:
  // Blue underlined text, red on hover and click, no effects, the link-select cursor.
  explicit TlxURLLabel(TComponent* AOwner);

  TlxEmailParams* Email() const noexcept { return FEmail; }
  void SetEmail(TlxEmailParams* Value) { FEmail->Assign(Value); }
  TlxURLLabelKind Kind() const noexcept { return FKind; }
  void SetKind(TlxURLLabelKind Value) { FKind = Value; }
  const std::string& URL() const noexcept { return FURL; }
  void SetURL(const std::string& Value) { FURL = Value; }
  bool URLInNewWindow() const noexcept { return FURLInNewWindow; }
  void SetURLInNewWindow(bool Value) { FURLInNewWindow = Value; }

  // OnClick, then the link.
  void Click() override;
  // The web address (URL, else the caption) or the mail message (Email.Address, else the caption).
  void OpenLink();

protected:
  ~TlxURLLabel() override;

private:
  TlxEmailParams* FEmail;
  TlxURLLabelKind FKind = ukWWW;
  std::string FURL;
  bool FURLInNewWindow = true;
};

namespace lxlabels_detail {
// The timer call of the blinking objects (SetTimer unless replaced, for tests of a refused timer);
// nullptr restores SetTimer. Returns the function installed before.
using TSetTimerFunc = UINT_PTR(WINAPI*)(HWND Wnd, UINT_PTR Id, UINT Elapse, TIMERPROC Proc);
TSetTimerFunc SetSetTimerFunc(TSetTimerFunc Func) noexcept;
}  // namespace lxlabels_detail
