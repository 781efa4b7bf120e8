// Window-procedure plumbing: messages as records, hidden utility windows bound to a method,
// callable window procedures bound to a method (for subclassing), and the bookkeeping of the
// window classes this module registers, so that they can be unregistered when it unloads.
//
// Every message delivered to a method passes an exception barrier: whatever the method raises
// goes to Application->HandleException and never unwinds through Windows.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "classlib/System.h"

// A window message as the class library's message handlers see it.
struct TMessage {
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
};

// A method that handles window messages: Bind<&TMyClass::WndProc>(Obj).
using TWndMethod = TEvent<TMessage&>;
using TWndFunction = std::function<void(TMessage&)>;

// The instance handle of the module this code is linked into (the DLL inside a DLL).
HINSTANCE ModuleInstance() noexcept;

// A hidden top-level window (not a message-only window, so it also receives broadcasts such as
// WM_QUERYENDSESSION) whose every message goes to Method; Method sets Message.Result, and
// forwards to DefWindowProcA itself when it wants the default. The window belongs to the calling
// thread. Its class is registered with this module's instance under a name unique to the module.
HWND AllocateHWnd(TWndMethod Method);
HWND AllocateHWnd(TWndFunction Method);
// Destroys the window. The method no longer sees any message, not even WM_DESTROY, so it may be
// called from a destructor. Safe to call from inside the method itself; 0 is ignored.
void DeallocateHWnd(HWND Wnd);
// The class name of the utility windows of this module.
const std::string& UtilWindowClassName();

// A window procedure unique to Method, for SetWindowLongPtrA(GWLP_WNDPROC): each call gives
// another address from a fixed pool of compiled trampolines (no run-time code generation).
// Raises EOutOfResources when the pool is used up. Method receives the HWND of each call
// through the thread's current-window record (MessageWindow).
WNDPROC MakeObjectInstance(TWndMethod Method);
WNDPROC MakeObjectInstance(TWndFunction Method);
// Frees the procedure; a call through it that is still running completes normally, later calls
// go to DefWindowProcA. nullptr is ignored.
void FreeObjectInstance(WNDPROC Instance);
// The window of the message being handled by the innermost object-instance or utility-window
// call on this thread (0 outside one).
HWND MessageWindow() noexcept;
// Pool statistics, for diagnostics and tests.
int ObjectInstanceCapacity() noexcept;
int ObjectInstancesInUse() noexcept;

// ---- Window classes of this module ----------------------------------------------------------

// Registers Class (its hInstance is set to ModuleInstance()) unless a class of that name is
// already registered by this module; remembers it for UnregisterModuleWindowClasses. Raises
// EOutOfResources when registration fails.
void RegisterModuleWindowClass(WNDCLASSA Class);
// Unregisters every class registered through RegisterModuleWindowClass and AllocateHWnd
// (a later use registers it again). The module's unit shutdown calls it.
void UnregisterModuleWindowClasses();
// Prefix + the module's base address in hex: a name no other module in the process uses.
std::string ModuleUniqueName(const char* Prefix);

namespace wndprocs_detail {
// Runs Method on Message behind the exception barrier.
void CallGuarded(const TWndFunction& Method, TMessage& Message) noexcept;
// Hands the exception being caught to Application->HandleException; never throws.
void HandleCallbackException() noexcept;
}  // namespace wndprocs_detail
