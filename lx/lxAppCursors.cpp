#include "lx/lxAppCursors.h"

#include "classlib/Forms.h"
#include "classlib/StdCtrls.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"
#include "classlib/UnitInit.h"
#include "lx/lxUtils.h"

namespace {
// Process-wide, used on the hooked thread only.
HHOOK g_Hook = nullptr;
TlxAppCursors* g_Current = nullptr;

struct TAppCursorsRegistration {
  TAppCursorsRegistration() { RegisterClass(ClassOf<TlxAppCursors>()); }
} const g_AppCursorsRegistration;

// Where an object's cursor property lives, for the property table.
template <TlxAppObject Object> TCursor GetCursorOf(TlxAppCursors& C) { return C.Cursor(Object); }
template <TlxAppObject Object> void SetCursorOf(TlxAppCursors& C, TCursor Value) { C.SetCursor(Object, Value); }
}  // namespace

TlxAppCursors::TlxAppCursors(TComponent* AOwner) : TlxComponent(AOwner) {
  EnsureUnitsStarted();  // the library cursors are typical values
  FCursors[aoBorderBottom] = crSizeNS;
  FCursors[aoBorderBottomLeft] = crSizeNESW;
  FCursors[aoBorderBottomRight] = crSizeNWSE;
  FCursors[aoBorderLeft] = crSizeWE;
  FCursors[aoBorderRight] = crSizeWE;
  FCursors[aoBorderTop] = crSizeNS;
  FCursors[aoBorderTopLeft] = crSizeNWSE;
  FCursors[aoBorderTopRight] = crSizeNESW;
  if (ComponentState().Contains(csDesigning) || g_Hook) return;
  g_Current = this;
  g_Hook = SetWindowsHookExA(WH_CALLWNDPROC, &TlxAppCursors::CallWndProcHook, nullptr, GetCurrentThreadId());
  if (!g_Hook) g_Current = nullptr;
}

void TlxAppCursors::BeforeDestruction() {
  Unsubclass();
  if (g_Hook && g_Current == this) {
    UnhookWindowsHookEx(g_Hook);
    g_Hook = nullptr;
    g_Current = nullptr;
  }
  TlxComponent::BeforeDestruction();
}

TlxAppCursors* TlxAppCursors::Current() noexcept { return g_Hook ? g_Current : nullptr; }
HHOOK TlxAppCursors::HookHandle() noexcept { return g_Hook; }

void TlxAppCursors::Subclass(HWND Wnd) {
  if (FSubclassed) return;
  FWnd = Wnd;
  FInstance = MakeObjectInstance(TWndMethod::Bind<&TlxAppCursors::SubclassWndProc>(this));
  FOldProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(Wnd, GWLP_WNDPROC));
  SetWindowLongPtrA(Wnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FInstance));
  FSubclassed = true;
}

void TlxAppCursors::Unsubclass() {
  if (!FSubclassed) return;
  if (IsWindow(FWnd)) SetWindowLongPtrA(FWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FOldProc));
  FreeObjectInstance(FInstance);
  FInstance = nullptr;
  FSubclassed = false;
}

LRESULT CALLBACK TlxAppCursors::CallWndProcHook(int Code, WPARAM WParam, LPARAM LParam) {
  if (Code == HC_ACTION && g_Current) {
    const auto* Msg = reinterpret_cast<const CWPSTRUCT*>(LParam);
    if (Msg->message == WM_SETCURSOR && g_Current->FActive) {
      try {
        g_Current->Unsubclass();
        g_Current->Subclass(Msg->hwnd);
      } catch (...) {
        // The request goes on to the window as it is.
      }
    }
  }
  return CallNextHookEx(g_Hook, Code, WParam, LParam);
}

bool TlxAppCursors::AppObjectOfHitTest(WORD HitTest, WORD MouseMessage, TlxAppObject& Object) noexcept {
  switch (HitTest) {
    case HTCAPTION: Object = MouseMessage == 0 ? aoMenuItem : aoCaption; return true;
    case HTSYSMENU: Object = aoSystemMenu; return true;
    case HTMENU: Object = aoMainMenu; return true;
    case HTHSCROLL: Object = aoScrollHorz; return true;
    case HTVSCROLL: Object = aoScrollVert; return true;
    case HTMINBUTTON: Object = aoBtnMinimize; return true;
    case HTMAXBUTTON: Object = aoBtnMaximize; return true;
    case HTLEFT: Object = aoBorderLeft; return true;
    case HTRIGHT: Object = aoBorderRight; return true;
    case HTTOP: Object = aoBorderTop; return true;
    case HTTOPLEFT: Object = aoBorderTopLeft; return true;
    case HTTOPRIGHT: Object = aoBorderTopRight; return true;
    case HTBOTTOM: Object = aoBorderBottom; return true;
    case HTBOTTOMLEFT: Object = aoBorderBottomLeft; return true;
    case HTBOTTOMRIGHT: Object = aoBorderBottomRight; return true;
    case HTBORDER: Object = aoBorderNonResize; return true;
    case HTCLOSE: Object = aoBtnClose; return true;
    case HTHELP: Object = aoBtnHelp; return true;
    case 0xFFFE: Object = aoTransparent; return true;  // HTERROR; HTTRANSPARENT (0xFFFF) is none
    default: return false;
  }
}

bool TlxAppCursors::ApplyObjectCursor(TlxAppObject Object, HWND Wnd) {
  TCursor Cursor = FCursors[Object];
  OnMouseOverObject(this, Object, Wnd, Cursor);
  if (Cursor == crDefault) return false;
  ::SetCursor(Screen->Cursors(Cursor));
  return true;
}

bool TlxAppCursors::ApplyClientCursor(HWND Wnd, WNDPROC OldProc, TMessage& Message, bool& Called) {
  if (FCursors[aoClient] == crDefault) return false;
  POINT P{};
  GetCursorPos(&P);
  TWinControl* Control = FindVCLWindow(P);
  HWND Under = WindowFromPoint(P);
  if (!Control) {
    return !SameText(GetWindowClassName(Under), "edit") && ApplyObjectCursor(aoClientNonVCL, Wnd);
  }
  if (Under != Control->Handle()) {
    // A foreign child inside one of our controls: its own answer first.
    Message.Result = CallWindowProcA(OldProc, Wnd, Message.Msg, Message.WParam, Message.LParam);
    Called = true;
    if (GetCursor() == Screen->Cursors(crDefault)) ApplyObjectCursor(aoClient, Wnd);
    return false;
  }
  TControl* Target = Control->ControlAtPos(Control->ScreenToClient(P), true, false);
  if (!Target) Target = Control;
  // Controls with a cursor of their own keep it: the windowed one and the one under the mouse.
  if (Control->Cursor() != crDefault || Target->Cursor() != crDefault || dynamic_cast<TCustomEdit*>(Target))
    return false;
  return ApplyObjectCursor(aoClient, Wnd);
}

void TlxAppCursors::SubclassWndProc(TMessage& Message) {
  // The window and procedure of this request: a nested request (the window passing the message
  // on to its parent) moves the component's subclassing on before this one is answered.
  HWND Wnd = FWnd;
  WNDPROC OldProc = FOldProc;
  if (Message.Msg != WM_SETCURSOR) {
    Message.Result = CallWindowProcA(OldProc, Wnd, Message.Msg, Message.WParam, Message.LParam);
    return;
  }
  bool Handled = false;
  bool Called = false;
  try {
    Unsubclass();
    WORD HitTest = LOWORD(Message.LParam);
    TlxAppObject Object;
    if (HitTest == HTCLIENT) Handled = ApplyClientCursor(Wnd, OldProc, Message, Called);
    else if (AppObjectOfHitTest(HitTest, HIWORD(Message.LParam), Object)) Handled = ApplyObjectCursor(Object, Wnd);
  } catch (...) {
    Application->HandleException(this);
  }
  if (Handled) Message.Result = 1;
  else if (!Called) Message.Result = CallWindowProcA(OldProc, Wnd, Message.Msg, Message.WParam, Message.LParam);
}

#define LX_APP_CURSOR(Name, Object, Value)                                                    \
  C.Property(Name, &GetCursorOf<Object>, &SetCursorOf<Object>).Type(CursorTypeInfo()).Default(Value)

VD_DEFINE_CLASS(TlxAppCursors) {
  C.Property("Active", &TlxAppCursors::FActive, &TlxAppCursors::SetActive).Default(true);
  LX_APP_CURSOR("BorderNonResize", aoBorderNonResize, 0);
  LX_APP_CURSOR("BorderBottom", aoBorderBottom, crSizeNS);
  LX_APP_CURSOR("BorderBottomLeft", aoBorderBottomLeft, crSizeNESW);
  LX_APP_CURSOR("BorderBottomRight", aoBorderBottomRight, crSizeNWSE);
  LX_APP_CURSOR("BorderLeft", aoBorderLeft, crSizeWE);
  LX_APP_CURSOR("BorderRight", aoBorderRight, crSizeWE);
  LX_APP_CURSOR("BorderTop", aoBorderTop, crSizeNS);
  LX_APP_CURSOR("BorderTopLeft", aoBorderTopLeft, crSizeNWSE);
  LX_APP_CURSOR("BorderTopRight", aoBorderTopRight, crSizeNESW);
  LX_APP_CURSOR("BtnClose", aoBtnClose, 0);
  LX_APP_CURSOR("BtnHelp", aoBtnHelp, 0);
  LX_APP_CURSOR("BtnMaximize", aoBtnMaximize, 0);
  LX_APP_CURSOR("BtnMinimize", aoBtnMinimize, 0);
  LX_APP_CURSOR("Caption", aoCaption, 0);
  LX_APP_CURSOR("Client", aoClient, 0);
  LX_APP_CURSOR("ClientNonVCL", aoClientNonVCL, 0);
  LX_APP_CURSOR("MainMenu", aoMainMenu, 0);
  LX_APP_CURSOR("MenuItem", aoMenuItem, 0);
  LX_APP_CURSOR("ScrollHorz", aoScrollHorz, 0);
  LX_APP_CURSOR("ScrollVert", aoScrollVert, 0);
  LX_APP_CURSOR("SystemMenu", aoSystemMenu, 0);
  LX_APP_CURSOR("Transparent", aoTransparent, 0);
  C.Property("OnMouseOverObject", &TlxAppCursors::OnMouseOverObject, &TlxAppCursors::OnMouseOverObject);
}
