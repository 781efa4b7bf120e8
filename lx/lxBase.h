// The common base of the lx components: the component that remembers whom it was made for, the
// sub-objects a component owns (persistent parts, add-ons, the rich-text tag style) and two
// pointer lists (distinct non-nil pointers; an owning list that reports what comes and goes).
#pragma once

#include <string>

#include "classlib/Classes.h"

class TControl;  // the visual controls come with the forms unit

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

  // How a style repaints its control; installed by the controls unit (nothing is repainted
  // while none is installed).
  using TRepaintProc = void (*)(TControl* Control);
  static void SetRepaintProc(TRepaintProc Proc) noexcept;

protected:
  // Repaints the owner control, when there is one.
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

// The application whose destruction silences the list events below; the forms unit registers
// it (nil: none, events always reach their handlers).
void SetlxApplication(TComponent* Application) noexcept;
TComponent* lxApplication() noexcept;

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

  // Not called while the application is being destroyed. After a deletion from an owning list
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

  // The owner component when it is a form (its class is TForm or descends from it), else nil.
  // Typed as a component until the forms unit exists.
  virtual TComponent* GetOwnerForm() const;
  void ChangeOwnerComponent(TComponent* AComponent) { SetOwnerComponent(AComponent); }

protected:
  // Stores a differing component.
  virtual void SetOwnerComponent(TComponent* AComponent);
  void Notification(TComponent* AComponent, TOperation Operation) override;

private:
  std::string FAbout;
  TComponent* FOwnerComponent;  // not owned
};
