// The common base of the lx components: the component that remembers whom it was made for, the
// sub-objects a component owns (persistent parts, add-ons, the rich-text tag style), two
// pointer lists (distinct non-nil pointers; an owning list that reports what comes and goes),
// and the form-hook components that subclass the window of the control they are made on.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "classlib/Classes.h"
#include "classlib/WndProcs.h"

class TControl;
class TForm;

// ---- Sub-objects --------------------------------------------------------------------------------

// A part of a component (not a component itself); the component creates and frees it.
class TlxPersistent : public TPersistent {
  VD_CLASS(TlxPersistent, TPersistent);

public:
  using TCreateArg = TComponent*;
  explicit TlxPersistent(TComponent* AOwner) : FOwner(AOwner) {}

  TComponent* Owner() const noexcept { return FOwner; }
  // True while the owner lives in a designer.
  virtual bool IsDesigning() const;

private:
  TComponent* FOwner;  // not owned
};

// A switchable add-on of a component.
class TlxAddon : public TlxPersistent {
  VD_CLASS(TlxAddon, TlxPersistent);

public:
  using TlxPersistent::TlxPersistent;

  bool Enabled() const noexcept { return FEnabled; }
  // Stores a differing value, then calls Changed.
  void SetEnabled(bool Value);
  // Takes Enabled from another add-on; any other source raises the conversion error.
  void Assign(TPersistent* Source) override;

protected:
  virtual void Changed() {}

private:
  bool FEnabled = false;
};

// The tag characters of tagged rich text, owned by the control that draws the text.
class TlxTextStyle : public TPersistent {
  VD_CLASS(TlxTextStyle, TPersistent);

public:
  explicit TlxTextStyle(TControl* AOwner) : FOwner(AOwner) {}

  TControl* OwnerControl() const noexcept { return FOwner; }
  bool PlainText() const noexcept { return FPlainText; }
  void SetPlainText(bool Value);
  char TagOpen() const noexcept { return FTagOpen; }
  void SetTagOpen(char Value);
  char TagClose() const noexcept { return FTagClose; }
  void SetTagClose(char Value);

protected:
  // Invalidates the owner control, when there is one.
  virtual void Changed();

private:
  TControl* FOwner;  // not owned; may be nil
  bool FPlainText = false;
  char FTagOpen = '[';
  char FTagClose = ']';
};

// ---- Lists --------------------------------------------------------------------------------------

// A list of pointers, none nil and none twice.
class TlxUniqueList : public TList {
  VD_CLASS(TlxUniqueList, TList);

public:
  // With a stream, the list is loaded from it (LoadFromStream(Stream, true)) once constructed.
  explicit TlxUniqueList(TStream* Stream = nullptr) : FInitialStream(Stream) {}
  void AfterConstruction() override;

  // Appends Item and returns its index; -1 (and no change) for nil or an item already present.
  int Add(void* Item);
  // The base only clears the list (when ClearFirst).
  virtual void LoadFromStream(TStream& Stream, bool ClearFirst);

private:
  TStream* FInitialStream;
};

// A unique list that may own its items (TObject descendants, freed when deleted) and reports
// each addition and removal. Free it with Free(): its items leave through Notify then.
class TlxObjectList : public TlxUniqueList {
  VD_CLASS(TlxObjectList, TlxUniqueList);

public:
  using TItemEvent = TEvent<TObject* /*Sender*/, void* /*Item*/>;
  using TListChangedEvent = TEvent<TObject* /*Sender*/, void* /*Item*/, TListNotification>;

  // Tag is kept for the caller and read by nothing here.
  TlxObjectList(bool OwnsObjects, int Tag);
  void AfterConstruction() override;

  // Item when CanAdd agrees (a refused item of an owning list is freed); then, with an item limit,
  // the oldest items are deleted and freed until the count fits. Returns the index Item got, or -1.
  int Add(void* Item);
  // Deletes Item with OwnsObjects set to FreeIt for this one deletion; its former index or -1.
  int Remove(void* Item, bool FreeIt);
  void Delete(int Index, bool FreeIt);

  bool OwnsObjects() const noexcept { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) noexcept { FOwnsObjects = Value; }
  // 0: no limit.
  int ItemLimit() const noexcept { return FItemLimit; }
  void SetItemLimit(int Value) noexcept { FItemLimit = Value; }
  int Tag() const noexcept { return FTag; }

  // A 4-byte little-endian count, then ReadItem that many times (WriteItem per index to save).
  void LoadFromStream(TStream& Stream, bool ClearFirst) override;
  virtual void SaveToStream(TStream& Stream);

  // Not called while Application is being destroyed (csDestroying). After a deletion from an owning list
  // the item is already freed when OnListChanged runs: the pointer only identifies it.
  TItemEvent OnItemAdded;
  TItemEvent OnItemRemoved;
  TListChangedEvent OnListChanged;

protected:
  virtual void Init() {}
  virtual bool CanAdd(void* Item) { return true; }
  virtual void DoItemAdded(void* Item);
  virtual void DoItemRemoved(void* Item);
  virtual void DoListChanged(void* Item, TListNotification Action);
  // Descendants that keep items in streams read and write one item here.
  virtual void ReadItem(TStream& Stream) {}
  virtual void WriteItem(int Index, TStream& Stream) {}
  void Notify(void* Ptr, TListNotification Action) override;

private:
  int FItemLimit = 0;
  bool FOwnsObjects;
  int FTag;
};

// ---- TlxComponent -------------------------------------------------------------------------------

// The base of the lx components. OwnerComponent starts as the owner and may be moved to another
// component (the form-hook components hook the form of their owner component).
class TlxComponent : public TComponent {
  VD_CLASS(TlxComponent, TComponent);

public:
  explicit TlxComponent(TComponent* AOwner);

  const std::string& About() const noexcept { return FAbout; }
  void SetAbout(const std::string& Value) { FAbout = Value; }
  TComponent* OwnerComponent() const noexcept { return FOwnerComponent; }

  // The owner component when it is a TForm or descends from it, else nil.
  virtual TForm* GetOwnerForm() const;
  void ChangeOwnerComponent(TComponent* AComponent) { SetOwnerComponent(AComponent); }

protected:
  // Stores a differing component.
  virtual void SetOwnerComponent(TComponent* AComponent);
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  std::string FAbout;
  TComponent* FOwnerComponent;  // not owned
};

// ---- Owner-form hooks ---------------------------------------------------------------------------
//
// A form-hook component subclasses the window of its owner component (a windowed control,
// normally a form) and so sees each of that window's messages before (BeforeWndProc) and after
// (AfterWndProc) the window's own procedure. Every hook of a thread sits in that thread's hook
// list; the hooks of one window form a chain in which the hook made last sees a message first.
// Hooks leave the chain in any order, a procedure someone else installed above the chain keeps
// its place, and when the control re-creates its window the hooks follow it (Rehooked).
// All of it belongs to the thread that owns the windows: a component must be made and freed on
// that thread. Exceptions raised by the handlers go to Application->HandleException.

// Private messages of the lx library.
inline constexpr UINT LXM_REHOOK = 1325;           // posted to the hook list's window; LParam: a hooked window that was destroyed
inline constexpr UINT LXM_CAPTIONCHANGED = 14937;  // posted to a caption watcher's utility window
inline constexpr UINT LXM_TOPMOSTCHANGED = 14946;  // sent to a hooked window; WParam: 1 topmost, 0 not

class TlxHookList;
struct TlxHookCell;

class TlxFormHookComponent : public TlxComponent {
  VD_CLASS(TlxFormHookComponent, TlxComponent);

public:
  explicit TlxFormHookComponent(TComponent* AOwner) : TlxComponent(AOwner) {}
  // Hooks the owner's window (made now when the control has none yet). Raises EInvalidOperation
  // "Owner must be TWinControl or its descendant!" for any other owner (the component is freed).
  // Descendants' constructors run before this: they see no hook yet.
  void AfterConstruction() override;
  void BeforeDestruction() override;

  // The hooked window (0 before the first hook; kept after unhooking).
  HWND Handle() const noexcept { return FHandle; }
  // Where this hook passes messages on (0 when not hooked).
  WNDPROC OldWndProc() const noexcept { return FOldWndProc; }
  // This hook's own window procedure (0 when not hooked).
  WNDPROC HookInstance() const noexcept { return FHookInstance; }
  bool Hooked() const noexcept { return FHooked; }

  virtual HMENU GetFormSystemMenu();
  // Has Windows recompute and repaint the non-client area.
  void FrameChanged();
  void SetZOrder(HWND InsertAfter);
  DWORD GetWindowStyle();
  DWORD GetWindowExStyle();
  // At run time whether the window is topmost; in a designer the stored flag.
  bool GetTopMost();
  // Moves the window in or out of the topmost band and tells every hook of the window
  // (LXM_TOPMOSTCHANGED); nothing when it already is where Value says.
  void SetTopMost(bool Value);

protected:
  // Before the window's procedure (and the hooks made before this one); Handled keeps the
  // message from them. AfterWndProc runs in either case, unless the component left the list.
  virtual void BeforeWndProc(TMessage& Message, bool& Handled) {}
  virtual void AfterWndProc(TMessage& Message) {}
  // The control's window was re-created and this hook is on the new one: gives it back the
  // stored topmost state. Descendants extend it.
  virtual void Rehooked();
  // LXM_TOPMOSTCHANGED: stores the state another hook of the window set.
  virtual void LXMTopMostChanged(TMessage& Message);
  // Moves the hook to another windowed control (EInvalidOperation for anything else).
  void SetOwnerComponent(TComponent* AComponent) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  friend class TlxHookList;
  void HookWndProc(TMessage& Message);

  HWND FHandle = nullptr;
  WNDPROC FOldWndProc = nullptr;
  WNDPROC FHookInstance = nullptr;
  std::shared_ptr<TlxHookCell> FHookCell;  // what FHookInstance calls
  bool FHooked = false;
  bool FTopMost = false;
  unsigned FSerial = 0;  // new on every entry into the list: tells a freed hook from its successor
};

// A form hook with a hidden utility window of its own, served by UtilityWndProc.
class TlxHFormHookComponent : public TlxFormHookComponent {
  VD_CLASS(TlxHFormHookComponent, TlxFormHookComponent);

public:
  using TlxFormHookComponent::TlxFormHookComponent;
  // Hooks, then makes the utility window.
  void AfterConstruction() override;
  void BeforeDestruction() override;
  HWND UtilityWindow() const noexcept { return FUtilityWindow; }

protected:
  // Answers WM_QUERYENDSESSION with 1 (never blocks the end of a session); DefWindowProcA for the rest.
  virtual void UtilityWndProc(TMessage& Message);

private:
  HWND FUtilityWindow = nullptr;
};

// Adds a hook on the application's window (Application->Handle), made only on request.
class TlxCustomAppHookComponent : public TlxHFormHookComponent {
  VD_CLASS(TlxCustomAppHookComponent, TlxHFormHookComponent);

public:
  using TlxHFormHookComponent::TlxHFormHookComponent;
  void BeforeDestruction() override;
  bool AppHooked() const noexcept { return FAppHooked; }

  // Nothing when hooked already, in a designer, being destroyed, or without an application window.
  virtual void HookApplication();
  virtual void UnhookApplication();

protected:
  virtual void AppHookBefore(TMessage& Message, bool& Handled) {}
  virtual void AppHookAfter(TMessage& Message) {}

private:
  void AppWndProc(TMessage& Message);

  bool FAppHooked = false;
  HWND FAppWindow = nullptr;
  WNDPROC FAppOldWndProc = nullptr;
  WNDPROC FAppInstance = nullptr;
  std::shared_ptr<TlxHookCell> FAppCell;
};

// Reports a change of the window's text: at the next query of the text through the window
// (WM_GETTEXT) after the change, CaptionChanged runs once, a little later (posted).
class TlxHFormHookComponentWatchCaption : public TlxCustomAppHookComponent {
  VD_CLASS(TlxHFormHookComponentWatchCaption, TlxCustomAppHookComponent);

public:
  using TlxCustomAppHookComponent::TlxCustomAppHookComponent;
  // The text seen last (empty at first).
  const std::string& LastCaption() const noexcept { return FCaption; }

protected:
  void AfterWndProc(TMessage& Message) override;
  void UtilityWndProc(TMessage& Message) override;
  virtual void CaptionChanged() = 0;

private:
  std::string FCaption;
};

// Show and hide effects: DoShowEffect when the window is being shown (WM_SHOWWINDOW) and
// AnimateOnShow; DoHideEffect once the window stopped being visible and AnimateOnHide.
class TlxFormAnimationEffect : public TlxFormHookComponent {
  VD_CLASS(TlxFormAnimationEffect, TlxFormHookComponent);

public:
  using TlxFormHookComponent::TlxFormHookComponent;
  bool AnimateOnShow() const noexcept { return FAnimateOnShow; }
  void SetAnimateOnShow(bool Value) noexcept { FAnimateOnShow = Value; }
  bool AnimateOnHide() const noexcept { return FAnimateOnHide; }
  void SetAnimateOnHide(bool Value) noexcept { FAnimateOnHide = Value; }

  TNotifyEvent OnShowEffect;
  TNotifyEvent OnHideEffect;

protected:
  void BeforeWndProc(TMessage& Message, bool& Handled) override;
  virtual void DoShowEffect();
  virtual void DoHideEffect();

private:
  bool FAnimateOnShow = false;
  bool FAnimateOnHide = false;
  bool FWasVisible = false;
};

namespace lxbase_detail {
// The calling thread's hook list: its window (0 while there is no list), its hooks, and the
// procedures kept only to pass messages on under a procedure installed by someone else.
HWND HookListWindow() noexcept;
int HookCount() noexcept;
int PassThroughCount() noexcept;
}  // namespace lxbase_detail
