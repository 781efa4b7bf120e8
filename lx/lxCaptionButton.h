// Extra buttons in a form's title bar.
//
// A caption button hooks its owner form (a form-hook component that watches the caption) and
// draws itself into the form's non-client area, beside the window's own caption buttons, in the
// classic look (a push-button frame) or the XP look (one of five coloured faces). It answers
// WM_NCHITTEST with its ButtonId, so Windows sends it the non-client mouse messages of a real
// caption button: it is pressed, captures the mouse, clicks on release, shows its cursor and a
// tooltip, can toggle (AllowDown / Down), can open a popup menu under itself and can mirror
// itself as an item of the form's system menu.
//
// All buttons of one window form one ordered list: index 0 stands rightmost, next to the
// window's own buttons, each further index to its left. Everything here belongs to the thread
// that owns the forms: the button lists, the id counters, the tooltip window and the XP faces
// are kept per thread, made when the thread's first button needs them and released when its
// last button goes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Controls.h"
#include "classlib/Graphics.h"
#include "classlib/Menus.h"
#include "lx/lxBase.h"

enum TlxCaptionButtonStyle { cbsAuto, cbsWin9x, cbsWinXP };
VD_ENUM_INFO(TlxCaptionButtonStyle, "cbsAuto", "cbsWin9x", "cbsWinXP")
// Indexes the five XP faces, in this order.
enum TlxCaptionButtonXPStyleColor { xpcBlue, xpcGreen, xpcRed, xpcYellow, xpcBrown };
VD_ENUM_INFO(TlxCaptionButtonXPStyleColor, "xpcBlue", "xpcGreen", "xpcRed", "xpcYellow", "xpcBrown")
enum TlxMenuSeparator { seBefore, seAfter };
VD_ENUM_INFO(TlxMenuSeparator, "seBefore", "seAfter")
using TlxMenuSeparators = TSet<TlxMenuSeparator>;
// A place in a window's button list (-1: not in one).
using TlxBtnOrder = int16_t;
const TTypeInfo* BtnOrderTypeInfo();

// Rebuild the system-menu item of every caption button of the window (post it to the form).
inline constexpr UINT LXM_REBUILDSYSMENUITEM = 14944;
// The first ButtonId of a thread; a button's separators in the system menu are ButtonId + 1000
// and ButtonId + 2000.
inline constexpr int lxFirstCaptionButtonId = 5734;
inline constexpr int lxSeparatorBeforeOffset = 1000;
inline constexpr int lxSeparatorAfterOffset = 2000;

class TlxCustomCaptionButton;

// The published face of a caption button ("CaptionButton.Hint" in form resources): forwards
// every property to its button.
class TlxACaptionButton : public TPersistent {
  VD_CLASS(TlxACaptionButton, TPersistent);

public:
  explicit TlxACaptionButton(TlxCustomCaptionButton* Button) : FButton(Button) {}
  TlxCustomCaptionButton* Button() const noexcept { return FButton; }

  TlxBtnOrder BtnOrder() const;
  void SetBtnOrder(TlxBtnOrder Value);
  TCursor Cursor() const;
  void SetCursor(TCursor Value);
  TCursor CursorDown() const;
  void SetCursorDown(TCursor Value);
  bool Enabled() const;
  void SetEnabled(bool Value);
  std::string Hint() const;
  void SetHint(const std::string& Value);
  int SeparatorWidth() const;
  void SetSeparatorWidth(int Value);
  bool ShowHint() const;
  void SetShowHint(bool Value);
  TlxCaptionButtonStyle Style() const;
  void SetStyle(TlxCaptionButtonStyle Value);
  bool Visible() const;
  void SetVisible(bool Value);
  TlxCaptionButtonXPStyleColor XPStyleColor() const;
  void SetXPStyleColor(TlxCaptionButtonXPStyleColor Value);

private:
  TlxCustomCaptionButton* FButton;  // not owned
};

// The button's item in the owner window's system menu ("SystemMenu.Caption" in form resources).
// Only with ApplyToMenu is an item inserted; a change of any property rebuilds it.
class TlxSystemMenu : public TPersistent {
  VD_CLASS(TlxSystemMenu, TPersistent);

public:
  explicit TlxSystemMenu(TlxCustomCaptionButton* Button) : FButton(Button) {}
  // Takes the item out.
  void BeforeDestruction() override;

  bool ApplyToMenu() const noexcept { return FApplyToMenu; }
  void SetApplyToMenu(bool Value);
  // The item's text; empty: the button's Hint.
  const std::string& Caption() const noexcept { return FCaption; }
  void SetCaption(const std::string& Value);
  // Where the item goes; beyond the item count plus one: at the end.
  uint16_t Position() const noexcept { return FPosition; }
  void SetPosition(uint16_t Value);
  TlxMenuSeparators Separators() const noexcept { return FSeparators; }
  void SetSeparators(TlxMenuSeparators Value);

  // The item is in the system menu now.
  bool Applied() const noexcept { return FApplied; }
  // Inserts the item (and its separators) when ApplyToMenu; nothing when applied already.
  void Apply();
  // Takes the item and its separators out when applied. The item is removed, not deleted, so a
  // popup menu lent to it as its submenu survives.
  void Remove();

private:
  TlxCustomCaptionButton* FButton;  // not owned
  bool FApplyToMenu = false;
  std::string FCaption;
  uint16_t FPosition = 0;
  TlxMenuSeparators FSeparators;
  bool FApplied = false;
};

// The caption buttons of one window, in button order.
class TlxRealButtonsList : public TList {
  VD_CLASS(TlxRealButtonsList, TList);

public:
  explicit TlxRealButtonsList(HWND Wnd) : FWnd(Wnd) {}
  HWND Wnd() const noexcept { return FWnd; }
  // The window was re-created: the list now belongs to its new handle.
  void SetWnd(HWND Value) noexcept { FWnd = Value; }
  TlxCustomCaptionButton* Button(int Index) const { return static_cast<TlxCustomCaptionButton*>(Get(Index)); }

private:
  HWND FWnd;
};

// The button lists of every window of the thread (owns them).
class TlxVirtualBtnList : public TlxObjectList {
  VD_CLASS(TlxVirtualBtnList, TlxObjectList);

public:
  TlxVirtualBtnList() : TlxObjectList(true, 0) {}
  TlxRealButtonsList* Find(HWND Wnd) const;
  TlxRealButtonsList* List(int Index) const { return static_cast<TlxRealButtonsList*>(Get(Index)); }
};

// Where a caption button is drawn, in the owner window's coordinates (see ComputeButtonRect).
struct TlxCaptionButtonRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Height = 0;
  friend bool operator==(const TlxCaptionButtonRect&, const TlxCaptionButtonRect&) = default;
};

class TlxCustomCaptionButton : public TlxHFormHookComponentWatchCaption {
  VD_CLASS(TlxCustomCaptionButton, TlxHFormHookComponentWatchCaption);

public:
  explicit TlxCustomCaptionButton(TComponent* AOwner);
  // Hooks the owner's window and appends the button to that window's list.
  void AfterConstruction() override;
  // Hides the button, takes its system-menu item and tooltip away and leaves the window's list
  // while the button is still whole.
  void BeforeDestruction() override;

  bool AllowDown() const noexcept { return FAllowDown; }
  void SetAllowDown(bool Value);
  // The index in the window's list (-1 when the button is in none); writing moves it there
  // (clamped to the list), or, while a form resource is read, keeps it for Loaded.
  TlxBtnOrder BtnOrder() const;
  void SetBtnOrder(TlxBtnOrder Value);
  TlxBtnOrder StoredOrder() const noexcept { return FStoredOrder; }
  TlxACaptionButton* CaptionButton() const noexcept { return FCaptionButton; }
  TCursor Cursor() const noexcept { return FCursor; }
  void SetCursor(TCursor Value) noexcept { FCursor = Value; }
  TCursor CursorDown() const noexcept { return FCursorDown; }
  void SetCursorDown(TCursor Value) noexcept { FCursorDown = Value; }
  bool Down() const noexcept { return FDown; }
  void SetDown(bool Value);
  bool Enabled() const noexcept { return FEnabled; }
  void SetEnabled(bool Value);
  TBitmap* Glyph() const noexcept { return FGlyph; }
  void SetGlyph(TBitmap* Value) { FGlyph->Assign(Value); }
  TBitmap* GlyphDown() const noexcept { return FGlyphDown; }
  void SetGlyphDown(TBitmap* Value) { FGlyphDown->Assign(Value); }
  const std::string& Hint() const noexcept { return FHint; }
  void SetHint(const std::string& Value);
  // Not owned; cleared when the menu is freed.
  TPopupMenu* PopupMenu() const noexcept { return FPopupMenu; }
  void SetPopupMenu(TPopupMenu* Value);
  // Extra gap on the button's right (0..255: the low 8 bits of what is written are kept).
  int SeparatorWidth() const noexcept { return FSeparatorWidth; }
  void SetSeparatorWidth(int Value);
  bool ShowHint() const noexcept { return FShowHint; }
  void SetShowHint(bool Value);
  char GlyphChar() const noexcept { return FGlyphChar; }
  void SetGlyphChar(char Value);
  TFont* GlyphFont() const noexcept { return FGlyphFont; }
  void SetGlyphFont(TFont* Value) { FGlyphFont->Assign(Value); }
  int GlyphCharOffsetX() const noexcept { return FGlyphCharOffsetX; }
  void SetGlyphCharOffsetX(int Value);
  int GlyphCharOffsetY() const noexcept { return FGlyphCharOffsetY; }
  void SetGlyphCharOffsetY(int Value);
  TlxCaptionButtonStyle Style() const noexcept { return FStyle; }
  void SetStyle(TlxCaptionButtonStyle Value);
  TlxSystemMenu* SystemMenu() const noexcept { return FSystemMenu; }
  bool Visible() const noexcept { return FVisible; }
  void SetVisible(bool Value);
  TlxCaptionButtonXPStyleColor XPStyleColor() const noexcept { return FXPStyleColor; }
  void SetXPStyleColor(TlxCaptionButtonXPStyleColor Value);

  TNotifyEvent OnCaptionButtonClick;  // a click of the button in the caption
  TNotifyEvent OnMenuItemClick;       // a click of its system-menu item
  TNotifyEvent OnClick;               // either
  TNotifyEvent OnDown;
  TNotifyEvent OnUp;
  TNotifyEvent OnCaptionDblClick;     // a double click on the caption (not on a button)

  // The hit-test code, system-menu command and tooltip identity of the button.
  int ButtonId() const noexcept { return FButtonId; }
  // Distance of the button's left edge from the right end of the free caption area.
  int Offset() const noexcept { return FOffset; }
  // Where it was drawn last (zero before the first paint).
  const TlxCaptionButtonRect& ButtonRect() const noexcept { return FButtonRect; }
  bool DrawnDown() const noexcept { return FDrawnDown; }
  bool Captured() const noexcept { return FCaptured; }
  bool WaitingForMenu() const noexcept { return FWaitingForMenu; }
  bool ToolAdded() const noexcept { return FToolAdded; }
  // The window's list (nil before construction ends).
  TlxRealButtonsList* ButtonsList() const noexcept { return FButtons; }

  // Draws the button into the owner window's title bar, pressed or not.
  void Paint(bool Pressed);
  // The same into DC, a device context laid out like the owner window's (window coordinates).
  void PaintTo(HDC DC, bool Pressed);
  // Works out the offsets of every button of the window and has Windows redraw its frame.
  void UpdateLayout();
  // The tooltip tool: registered (made on demand), removed, and brought up to date.
  void AddTool();
  void DeleteTool();
  void RefreshTooltip();

protected:
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void BeforeWndProc(TMessage& Message, bool& Handled) override;
  void AfterWndProc(TMessage& Message) override;
  void Rehooked() override;
  void CaptionChanged() override;

  virtual void DoBeforeClick() {}
  virtual void DoButtonClick();
  virtual void DoBeforeMenuClick() {}
  virtual void DoMenuClick();
  virtual void DoClick();
  virtual void DoDown();
  virtual void DoUp();

  ~TlxCustomCaptionButton() override;

private:
  friend class TlxSystemMenu;
  bool IsDesigningNow() const { return ComponentState().Contains(csDesigning); }
  bool WindowAlive();
  bool SmallCaption();
  bool HasMenuBar();
  void Repaint() { Paint(FDown); }
  void GlyphChanged(TObject* Sender);
  void GlyphFontChanged(TObject* Sender);
  void SetGlyphFontHeight();
  void LeaveList();
  void RelayToTooltip(const TMessage& Message);
  void HitTest(TMessage& Message);
  void MouseDown(TMessage& Message);
  void MouseUp(TMessage& Message);
  void MouseMove(TMessage& Message);
  void SysCommand(TMessage& Message);

  bool FAllowDown = false;
  TlxBtnOrder FStoredOrder = -1;
  TlxACaptionButton* FCaptionButton;
  TCursor FCursor = crDefault;
  TCursor FCursorDown = crDefault;
  bool FDown = false;
  bool FEnabled = true;
  TBitmap* FGlyph;
  TBitmap* FGlyphDown;
  std::string FHint;
  TPopupMenu* FPopupMenu = nullptr;
  uint8_t FSeparatorWidth = 0;
  bool FShowHint = true;
  char FGlyphChar = 'A';
  TFont* FGlyphFont;
  int FGlyphCharOffsetX = 0;
  int FGlyphCharOffsetY = 0;
  TlxCaptionButtonStyle FStyle = cbsAuto;
  TlxSystemMenu* FSystemMenu;
  bool FVisible = true;
  TlxCaptionButtonXPStyleColor FXPStyleColor = xpcBlue;

  bool FToolAdded = false;
  int FButtonId;
  int FOffset = 0;
  bool FWaitingForMenu = false;
  bool FCaptured = false;
  bool FDrawnDown = false;
  TlxCaptionButtonRect FButtonRect;
  TTTOOLINFOA FToolInfo{};
  TlxRealButtonsList* FButtons = nullptr;  // the window's list, owned by the thread's lists
  bool FCounted = false;                   // holds a reference on the thread's state
  bool FLeaving = false;                   // being freed
};

// The geometry behind the buttons, for tests.
namespace lxcaptionbutton_detail {

// The system metrics the geometry depends on.
struct TCaptionMetrics {
  int CxSize = 0, CySize = 0;          // SM_CXSIZE, SM_CYSIZE
  int CxSmSize = 0, CySmSize = 0;      // SM_CXSMSIZE, SM_CYSMSIZE
  int CxFrame = 0, CyFrame = 0;        // SM_CXFRAME, SM_CYFRAME
  int CxDlgFrame = 0, CyDlgFrame = 0;  // SM_CXDLGFRAME, SM_CYDLGFRAME
};
TCaptionMetrics SystemCaptionMetrics() noexcept;

// One button as the layout sees it.
struct TLayoutItem {
  bool Visible = true;
  int SeparatorWidth = 0;
};
// The offset of every button (0 for invisible ones): a running total that starts at 2 and grows
// by SeparatorWidth + ButtonWidth - 2 for each visible button in list order.
std::vector<int> ComputeOffsets(const std::vector<TLayoutItem>& Items, int ButtonWidth);
// The width of the buttons of a window: small caption buttons for tool windows (not while designing).
int CaptionButtonWidth(DWORD ExStyle, bool Designing, const TCaptionMetrics& M) noexcept;
// Where a button with Offset is drawn on a window of WindowWidth with these styles.
TlxCaptionButtonRect ComputeButtonRect(DWORD Style, DWORD ExStyle, bool Iconic, bool Designing, int WindowWidth,
                                       int Offset, const TCaptionMetrics& M) noexcept;
// Whether a point in the owner's client coordinates lies on the button.
bool PointOnButton(const TlxCaptionButtonRect& Rect, POINT ClientPoint, bool Iconic, const TCaptionMetrics& M) noexcept;
// The stable sort of Loaded: neighbours swap only when the second one's order is smaller.
// Returns whether anything moved.
bool BubbleSortByOrder(std::vector<int>& Orders, std::vector<int>* Permutation = nullptr);

// The calling thread's state, for tests: its tooltip window (0 when none), the number of
// windows that have buttons, the live buttons, and the next ButtonId.
HWND ThreadTooltipWindow() noexcept;
int ThreadWindowListCount() noexcept;
int ThreadButtonCount() noexcept;
int NextButtonId() noexcept;

}  // namespace lxcaptionbutton_detail
