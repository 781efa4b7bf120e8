// Application cursors: the program's own mouse cursor for each part of its windows - borders,
// title bar and its buttons, menus, scroll bars, the client area of the class library's controls
// and of other windows.
//
// The first TlxAppCursors made at run time installs one WH_CALLWNDPROC hook on its thread; a second
// one installs nothing and is never asked while the first holds the hook (which is not handed over
// when the first goes). For each WM_SETCURSOR sent to a window of that thread, the hook subclasses
// the target window for that one message, and the subclass answers it with the cursor configured
// for the hit-test area (0 = crDefault: the window decides). A window's own WM_SETCURSOR handling
// may send the message on to the parent window, which is then subclassed in turn while the child's
// request is still being answered; each answer keeps its own window and procedure.
//
//   object lxAppCursors1: TlxAppCursors
//     Client = crHandPoint                (controls whose own Cursor is crDefault)
//     BtnClose = crNo
//   end
#pragma once

#include <windows.h>

#include "classlib/Controls.h"
#include "lx/lxBase.h"

enum TlxAppObject {
  aoBorderNonResize, aoBorderBottom, aoBorderBottomLeft, aoBorderBottomRight, aoBorderLeft, aoBorderRight,
  aoBorderTop, aoBorderTopLeft, aoBorderTopRight, aoBtnClose, aoBtnHelp, aoBtnMaximize, aoBtnMinimize, aoCaption,
  aoClient, aoClientNonVCL, aoMainMenu, aoMenuItem, aoScrollHorz, aoScrollVert, aoSystemMenu, aoTransparent
};
VD_ENUM_INFO(TlxAppObject, "aoBorderNonResize", "aoBorderBottom", "aoBorderBottomLeft", "aoBorderBottomRight",
             "aoBorderLeft", "aoBorderRight", "aoBorderTop", "aoBorderTopLeft", "aoBorderTopRight", "aoBtnClose",
             "aoBtnHelp", "aoBtnMaximize", "aoBtnMinimize", "aoCaption", "aoClient", "aoClientNonVCL", "aoMainMenu",
             "aoMenuItem", "aoScrollHorz", "aoScrollVert", "aoSystemMenu", "aoTransparent")
inline constexpr int kAppObjectCount = aoTransparent + 1;

// Called before a cursor is applied; Cursor may be changed (0 leaves the request to the window).
using TlxMouseOverObjectEvent =
    TEvent<TObject* /*Sender*/, TlxAppObject /*AppObject*/, HWND /*WndHandle*/, TCursor& /*Cursor*/>;

class TlxAppCursors : public TlxComponent {
  VD_CLASS(TlxAppCursors, TlxComponent);

public:
  // The border defaults; the hook when none is installed yet (not in a designer).
  explicit TlxAppCursors(TComponent* AOwner);
  void BeforeDestruction() override;

  bool Active() const noexcept { return FActive; }
  void SetActive(bool Value) { FActive = Value; }
  TCursor Cursor(TlxAppObject Object) const noexcept { return FCursors[Object]; }
  void SetCursor(TlxAppObject Object, TCursor Value) noexcept { FCursors[Object] = Value; }

  // The part of a window a WM_SETCURSOR hit-test code (the low word of lParam) and mouse message
  // (the high word) name; false for none (HTCLIENT is answered by the client rule).
  static bool AppObjectOfHitTest(WORD HitTest, WORD MouseMessage, TlxAppObject& Object) noexcept;

  // The component whose hook is installed (nil when none).
  static TlxAppCursors* Current() noexcept;
  static HHOOK HookHandle() noexcept;

  TlxMouseOverObjectEvent OnMouseOverObject;

protected:
  // Subclasses Wnd for one cursor request (nothing while a window is subclassed).
  void Subclass(HWND Wnd);
  // Puts the remembered procedure back.
  void Unsubclass();

private:
  static LRESULT CALLBACK CallWndProcHook(int Code, WPARAM WParam, LPARAM LParam);
  void SubclassWndProc(TMessage& Message);
  // Applies the part's cursor; true when the request was answered.
  bool ApplyObjectCursor(TlxAppObject Object, HWND Wnd);
  // HTCLIENT; true when answered. May call the window's procedure itself (Message.Result then set).
  bool ApplyClientCursor(HWND Wnd, WNDPROC OldProc, TMessage& Message, bool& Called);

  TCursor FCursors[kAppObjectCount] = {};
  bool FActive = true;
  bool FSubclassed = false;
  HWND FWnd = nullptr;
  WNDPROC FOldProc = nullptr;
  WNDPROC FInstance = nullptr;
};
