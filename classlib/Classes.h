// The persistent and component classes: TPersistent, TComponent, the class registry, pointer
// lists (TList, TThreadList), string lists (TStrings, TStringList) and the filer base that form
// resources are read and written through. Streams are in Streams.h.
#pragma once

#include <windows.h>
#include <unknwn.h>

#include <functional>
#include <initializer_list>
#include <string>
#include <vector>

#include "classlib/Streams.h"
#include "classlib/SyncObjs.h"
#include "classlib/System.h"
#include "classlib/TypInfo.h"

VD_DECLARE_EXCEPTION(EListError, Exception);
VD_DECLARE_EXCEPTION(EStringListError, Exception);
VD_DECLARE_EXCEPTION(EComponentError, Exception);

class TComponent;
class TFiler;
class TReader;
class TWriter;

// ---- TPersistent --------------------------------------------------------------------------------

class TPersistent : public TObject {
  VD_CLASS(TPersistent, TObject);

public:
  // Copies Source into this object. The base asks Source to copy itself (AssignTo); when neither
  // side knows the other, EConvertError "Cannot assign a <source class or nil> to a <class>".
  virtual void Assign(TPersistent* Source);
  // The name property editors show ("Form1.Button1.Font"); the base: the class name.
  virtual std::string GetNamePath();
  // The object this one belongs to for naming, nil when none.
  virtual TPersistent* GetOwner() { return nullptr; }
  // Lets a class stream data that are no published properties (binary data, lists): called by
  // readers and writers, which offer DefineProperty / DefineBinaryProperty.
  virtual void DefineProperties(TFiler* Filer) {}

protected:
  // Copies this object into Dest; the base raises the conversion error.
  virtual void AssignTo(TPersistent* Dest);
  [[noreturn]] void AssignError(TPersistent* Source);
};

// ---- TFiler -------------------------------------------------------------------------------------
// The base of form-resource readers and writers, as far as DefineProperties needs it.

using TReaderProc = std::function<void(TReader&)>;
using TWriterProc = std::function<void(TWriter&)>;
using TStreamProc = std::function<void(TStream&)>;

class TFiler : public TObject {
  VD_CLASS(TFiler, TObject);

public:
  explicit TFiler(TStream& Stream) : FStream(Stream) {}
  // A property in the filer's own value format. HasData false: the writer leaves it out.
  virtual void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                              bool HasData) = 0;
  // A property stored as raw bytes.
  virtual void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData,
                                    TStreamProc WriteData, bool HasData) = 0;

  TStream& Stream() const noexcept { return FStream; }
  // The component the resource describes (the form or data module).
  TComponent* Root() const noexcept { return FRoot; }
  void SetRoot(TComponent* Value) noexcept { FRoot = Value; }
  // The object whose values count as defaults while writing (nil: the class defaults).
  TPersistent* Ancestor() const noexcept { return FAncestor; }
  void SetAncestor(TPersistent* Value) noexcept { FAncestor = Value; }

private:
  TStream& FStream;
  TComponent* FRoot = nullptr;
  TPersistent* FAncestor = nullptr;
};

// ---- TList --------------------------------------------------------------------------------------

enum TListNotification { lnAdded, lnExtracted, lnDeleted };
VD_ENUM_INFO(TListNotification, "lnAdded", "lnExtracted", "lnDeleted")

using TListSortCompare = int (*)(void* Item1, void* Item2);

// A list of pointers. Every non-nil pointer that enters or leaves the list passes the virtual
// Notify: Add/Insert/Put (lnAdded), Delete/Remove/Clear/Put (lnDeleted), Extract (lnExtracted).
// Free() clears the list through Notify, so descendants that own their items free them; a list
// destroyed without Free (on the stack) reaches only TList's Notify.
class TList : public TObject {
  VD_CLASS(TList, TObject);

public:
  TList() = default;
  ~TList() override;
  void BeforeDestruction() override;

  int Add(void* Item);
  void Insert(int Index, void* Item);
  void Delete(int Index);
  // Deletes Item (its first occurrence); returns its former index or -1.
  int Remove(void* Item);
  // Takes Item out without deleting it (lnExtracted); returns it, or nil when absent.
  void* Extract(void* Item);
  // Deletes every item, last first.
  virtual void Clear();
  int IndexOf(void* Item) const;
  // Rearranging sends no notifications.
  void Exchange(int Index1, int Index2);
  void Move(int CurIndex, int NewIndex);
  void Pack();  // removes the nil entries
  void Sort(TListSortCompare Compare);

  int Count() const noexcept { return static_cast<int>(FList.size()); }
  // Growing appends nil entries; shrinking deletes from the end.
  void SetCount(int NewCount);
  int Capacity() const noexcept { return static_cast<int>(FList.capacity()); }
  void SetCapacity(int NewCapacity);
  void* Get(int Index) const;
  void Put(int Index, void* Item);
  void* Items(int Index) const { return Get(Index); }
  void* operator[](int Index) const { return Get(Index); }
  void* First() const { return Get(0); }
  void* Last() const { return Get(Count() - 1); }
  void* const* List() const noexcept { return FList.data(); }

protected:
  virtual void Notify(void* Ptr, TListNotification Action) {}
  // EListError with the text formatted with Data ("List index out of bounds (%d)").
  [[noreturn]] static void Error(const char* Msg, int Data);

private:
  std::vector<void*> FList;
};

enum TDuplicates { dupIgnore, dupAccept, dupError };
VD_ENUM_INFO(TDuplicates, "dupIgnore", "dupAccept", "dupError")

// Horizontal alignment of text (labels, panels, tagged rich text).
enum TAlignment { taLeftJustify, taRightJustify, taCenter };
VD_ENUM_INFO(TAlignment, "taLeftJustify", "taRightJustify", "taCenter")

// A TList behind a recursive lock. LockList gives the list for as long as the caller holds it.
class TThreadList : public TObject {
  VD_CLASS(TThreadList, TObject);

public:
  TThreadList() = default;
  // dupIgnore (the default) adds an item only once; dupError raises EListError.
  void Add(void* Item);
  void Remove(void* Item);
  void Clear();
  TList* LockList();
  void UnlockList();
  TDuplicates Duplicates() const noexcept { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) noexcept { FDuplicates = Value; }

private:
  TList FList;
  TCriticalSection FLock;
  TDuplicates FDuplicates = dupIgnore;
};

// Holds a thread list's lock for a scope, so that no way out (an exception included) keeps it.
class TLockedList {
public:
  explicit TLockedList(TThreadList& List) : FList(List), FItems(List.LockList()) {}
  TLockedList(const TLockedList&) = delete;
  TLockedList& operator=(const TLockedList&) = delete;
  ~TLockedList() { FList.UnlockList(); }
  TList* operator->() const noexcept { return FItems; }

private:
  TThreadList& FList;
  TList* FItems;
};

// ---- TStrings / TStringList ---------------------------------------------------------------------

// A list of strings, each with an associated object (not owned). Names and values are the two
// sides of "name=value" lines; names compare without regard to case. Text joins the lines with
// CR LF after each one (the last one included) and splits at CR LF, LF or CR.
class TStrings : public TPersistent {
  VD_CLASS(TStrings, TPersistent);

public:
  virtual std::string Get(int Index) const = 0;
  virtual int GetCount() const = 0;
  virtual TObject* GetObject(int Index) const { return nullptr; }
  virtual void Put(int Index, const std::string& S);
  virtual void PutObject(int Index, TObject* AObject) {}
  virtual void Insert(int Index, const std::string& S) = 0;
  virtual void InsertObject(int Index, const std::string& S, TObject* AObject);
  virtual void Delete(int Index) = 0;
  virtual void Clear() = 0;
  virtual int Add(const std::string& S);
  virtual int AddObject(const std::string& S, TObject* AObject);
  void Append(const std::string& S) { Add(S); }
  virtual void AddStrings(const TStrings& Strings);
  void Assign(TPersistent* Source) override;
  virtual void Exchange(int Index1, int Index2);
  virtual void Move(int CurIndex, int NewIndex);
  bool Equals(const TStrings& Strings) const;

  int Count() const { return GetCount(); }
  std::string Strings(int Index) const { return Get(Index); }
  std::string operator[](int Index) const { return Get(Index); }
  TObject* Objects(int Index) const { return GetObject(Index); }

  virtual int IndexOf(const std::string& S) const;  // without regard to case; -1 when absent
  int IndexOfName(const std::string& Name) const;
  int IndexOfObject(TObject* AObject) const;
  // The name of line Index: the text before its first '=' ("" when the line has none).
  std::string Names(int Index) const;
  // The text after the first '=' of the first line named Name ("" when there is none).
  std::string Values(const std::string& Name) const;
  // Replaces that line's value or appends "Name=Value"; an empty Value deletes the line.
  void SetValue(const std::string& Name, const std::string& Value);
  std::string ValueFromIndex(int Index) const;

  std::string Text() const;
  virtual void SetText(const std::string& Value);
  // Items separated by commas; items holding blanks, commas or quotes (and empty items) are
  // double-quoted with inner quotes doubled. Setting splits at commas and blanks outside quotes.
  std::string CommaText() const;
  void SetCommaText(const std::string& Value);

  // While updates are open (nested), change notifications wait for the last EndUpdate.
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const noexcept { return FUpdateCount; }

  virtual void LoadFromStream(TStream& Stream);  // from the position to the end
  virtual void SaveToStream(TStream& Stream) const;
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName) const;

protected:
  virtual void SetUpdateState(bool Updating) {}
  virtual int CompareStrings(const std::string& S1, const std::string& S2) const;
  // EStringListError with Msg formatted with Data.
  [[noreturn]] void Error(const char* Msg, int Data) const;

private:
  int FUpdateCount = 0;
};

using TStringListSortCompare = int (*)(class TStringList& List, int Index1, int Index2);

// The string list. Sorted lists keep their order on Add (by CompareStrings: without regard to case
// unless CaseSensitive) and refuse Insert and Put; Duplicates rules Add on a sorted list.
class TStringList : public TStrings {
  VD_CLASS(TStringList, TStrings);

public:
  TStringList() = default;

  std::string Get(int Index) const override;
  int GetCount() const override { return static_cast<int>(FList.size()); }
  TObject* GetObject(int Index) const override;
  void Put(int Index, const std::string& S) override;
  void PutObject(int Index, TObject* AObject) override;
  void Insert(int Index, const std::string& S) override { InsertObject(Index, S, nullptr); }
  void InsertObject(int Index, const std::string& S, TObject* AObject) override;
  void Delete(int Index) override;
  void Clear() override;
  int AddObject(const std::string& S, TObject* AObject) override;
  void Exchange(int Index1, int Index2) override;
  int IndexOf(const std::string& S) const override;

  // Binary search of a sorted list: true when S is present, Index its first occurrence; else
  // false and Index where S would go.
  virtual bool Find(const std::string& S, int& Index) const;
  virtual void Sort();
  virtual void CustomSort(TStringListSortCompare Compare);

  bool Sorted() const noexcept { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const noexcept { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) noexcept { FDuplicates = Value; }
  bool CaseSensitive() const noexcept { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);

  TNotifyEvent OnChange;    // after a change (or after the last EndUpdate)
  TNotifyEvent OnChanging;  // before a change (or at the first BeginUpdate)

protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool Updating) override;
  int CompareStrings(const std::string& S1, const std::string& S2) const override;

private:
  struct TStringItem {
    std::string FString;
    TObject* FObject = nullptr;
  };
  void CheckIndex(int Index) const;
  std::vector<TStringItem> FList;
  bool FSorted = false;
  TDuplicates FDuplicates = dupIgnore;
  bool FCaseSensitive = false;
};

// ---- TComponent ---------------------------------------------------------------------------------

enum TComponentStateItem {
  csLoading,           // its form resource is being read (cleared by Loaded)
  csReading,           // its properties are being read
  csWriting,           // its properties are being written
  csDestroying,        // it is being freed (set on it and everything it owns before anything goes)
  csDesigning,         // it lives in a designer
  csAncestor,          // it comes from an inherited form resource
  csUpdating,          // an inherited form resource is being applied to it
  csFixups,            // it holds references to other resources still unresolved
  csFreeNotification,  // it has free-notification links
  csInline,            // it is a frame embedded in a form
  csDesignInstance,    // it is the root of a designer
};
VD_ENUM_INFO(TComponentStateItem, "csLoading", "csReading", "csWriting", "csDestroying",
             "csDesigning", "csAncestor", "csUpdating", "csFixups", "csFreeNotification", "csInline",
             "csDesignInstance")
using TComponentState = TSet<TComponentStateItem>;

enum TOperation { opInsert, opRemove };
VD_ENUM_INFO(TOperation, "opInsert", "opRemove")

// A component: owned by its Owner, which frees it; named (a unique identifier among the
// components of one owner, or empty); notified when components it cares about come or go.
//
// Notification(AComponent, Operation) reaches a component
//   - when AComponent is inserted into or removed from it (its owner), and through the owner's
//     Notification every component it owns (so siblings learn about each other);
//   - when AComponent, linked to it by FreeNotification, is freed (opRemove).
//
// Free() destroys it in this order, all while every object is still whole:
//   1. Destroying(): csDestroying is set on it and, recursively, on everything it owns;
//   2. BeforeDestroyComponents(): a windowed control destroys its window here, while its owned
//      components are alive but marked csDestroying;
//   3. every component linked by FreeNotification gets Notification(this, opRemove);
//   4. the owned components are freed, last first (each one removes itself from this owner);
//   5. it removes itself from its own owner (which notifies the owner and its other components);
// then the C++ destructors run. Never delete a component: its destructor is protected.
class TComponent : public TPersistent {
  VD_CLASS(TComponent, TPersistent);

public:
  using TCreateArg = TComponent*;

  explicit TComponent(TComponent* AOwner);
  void BeforeDestruction() override;

  TComponent* Owner() const noexcept { return FOwner; }
  int ComponentCount() const noexcept { return static_cast<int>(FComponents.size()); }
  TComponent* Components(int Index) const;  // EListError when out of range
  // The position in its owner's list (-1 without owner).
  int ComponentIndex() const;
  void SetComponentIndex(int Value);
  // Takes AComponent over (from its former owner, if any). EComponentError when its name is
  // already taken here.
  void InsertComponent(TComponent* AComponent);
  void RemoveComponent(TComponent* AComponent);
  // The owned component named Name, compared without regard to case; nil for "" or none.
  TComponent* FindComponent(const std::string& Name) const;
  // Frees every owned component, last first.
  void DestroyComponents();

  const std::string& Name() const noexcept { return FName; }
  // Validates and renames: EComponentError "Component name "X" is not valid" for a name that is
  // not an identifier, "A component named X already exists" when the owner holds another one.
  virtual void SetName(const std::string& NewName);
  int Tag() const noexcept { return FTag; }
  void SetTag(int Value) noexcept { FTag = Value; }

  TComponentState ComponentState() const noexcept { return FComponentState; }
  // Marks it (and, when SetChildren, everything it owns) as living in a designer or not.
  void SetDesigning(bool Value, bool SetChildren = true);

  // Links AComponent so that it gets Notification(this, opRemove) when this one is freed, and
  // this one the same when AComponent is freed. Components of one owner need no link.
  void FreeNotification(TComponent* AComponent);
  void RemoveFreeNotification(TComponent* AComponent);

  // Sets csDestroying on it and everything it owns (once).
  void Destroying();

  std::string GetNamePath() override { return FName; }
  TPersistent* GetOwner() override { return FOwner; }

  // The COM object this component serves (not owned; nil when none). While it is set, the
  // Com* helpers below forward reference counting and interface queries to it.
  IUnknown* VCLComObject() const noexcept { return FVCLComObject; }
  void SetVCLComObject(IUnknown* Value) noexcept { FVCLComObject = Value; }
  // An interface this component implements itself: set *Obj (with ComAddRef) and return true.
  // The base implements none.
  virtual bool GetInterface(const IID& Iid, void** Obj);
  // IUnknown for interfaces a component implements: forwarded to VCLComObject when set;
  // otherwise QueryInterface asks GetInterface and there is no reference counting (-1).
  HRESULT ComQueryInterface(const IID& Iid, void** Obj);
  ULONG ComAddRef();
  ULONG ComRelease();

  // Form resources (FormStream.h): the component that encloses this one in its description (a
  // control's parent); nil for components without one. Writers nest a component inside the
  // description of its parent component.
  virtual TComponent* GetParentComponent() const { return nullptr; }

protected:
  ~TComponent() override;
  // Readers call SetParentComponent with the enclosing component's GetChildParent() right after
  // the name and before any other property; components that have no parent ignore it.
  virtual void SetParentComponent(TComponent* Value) {}
  virtual TComponent* GetChildParent() { return this; }

  virtual void Notification(TComponent* AComponent, TOperation Operation);
  // Called by form-resource readers once everything is read; clears csLoading.
  virtual void Loaded();
  virtual void BeforeDestroyComponents() {}
  // Raises when the owner already holds a component named NewName (other than AComponent).
  virtual void ValidateRename(TComponent* AComponent, const std::string& CurName,
                              const std::string& NewName);
  // Stores the name without checks.
  void ChangeName(const std::string& NewName) { FName = NewName; }
  void IncludeState(TComponentStateItem Item) noexcept { FComponentState.Include(Item); }
  void ExcludeState(TComponentStateItem Item) noexcept { FComponentState.Exclude(Item); }

  friend class TReader;
  friend class TWriter;

private:
  void Insert(TComponent* AComponent);
  void Remove(TComponent* AComponent);
  void SendFreeNotifications();
  static void Unlink(std::vector<TComponent*>& List, TComponent* AComponent);

  TComponent* FOwner = nullptr;
  std::string FName;
  int FTag = 0;
  std::vector<TComponent*> FComponents;
  std::vector<TComponent*> FFreeNotifies;
  TComponentState FComponentState;
  IUnknown* FVCLComObject = nullptr;
};

using TComponentClass = TClassRef<TComponent>;
using TPersistentClass = TClassRef<TPersistent>;

// True for a Pascal identifier: a letter or '_', then letters, digits or '_'.
bool IsValidIdent(const std::string& Ident);

// ---- Class registry -----------------------------------------------------------------------------
// Classes that form resources and by-name lookups may create. Names compare without regard to
// case. Registering a class again does nothing; another class of a registered name raises
// EFilerError "A class named X already exists".

#undef RegisterClass  // the Win32 macro; call RegisterClassA for window classes
void RegisterClass(TClass AClass);
void RegisterClasses(std::initializer_list<TClass> Classes);
void UnRegisterClass(TClass AClass);
// nil when the name is not registered.
TClass GetClass(const std::string& ClassName);
// EClassNotFound "Class X not found" when the name is not registered.
TClass FindClass(const std::string& ClassName);

// ---- TCollection --------------------------------------------------------------------------------

class TCollection;

// An item of a collection. Create items with TCollection::Add / Insert (or T::Create(Collection));
// free them with Free(), which takes them out of their collection.
class TCollectionItem : public TPersistent {
  VD_CLASS(TCollectionItem, TPersistent);

public:
  using TCreateArg = TCollection*;

  explicit TCollectionItem(TCollection* Collection);
  void AfterConstruction() override;
  void BeforeDestruction() override;

  TCollection* Collection() const noexcept { return FCollection; }
  // Moves the item to another collection (nil: to none).
  void SetCollection(TCollection* Value);
  // A number unique within the collection, kept when the item moves inside it.
  int ID() const noexcept { return FID; }
  int Index() const;
  virtual void SetIndex(int Value);
  // What editors show for the item; the base: the class name.
  virtual std::string GetDisplayName() const { return ClassName(); }
  virtual void SetDisplayName(const std::string& Value) { Changed(false); }
  std::string DisplayName() const { return GetDisplayName(); }
  // "Owner.Property[Index]".
  std::string GetNamePath() override;
  TPersistent* GetOwner() override;

protected:
  ~TCollectionItem() override;
  // Tells the collection that this item (AllItems: every item) changed.
  void Changed(bool AllItems);

private:
  friend class TCollection;
  TCollection* FCollection = nullptr;
  int FID = 0;
};
using TCollectionItemClass = TClassRef<TCollectionItem>;

enum TCollectionNotification { cnAdded, cnExtracting, cnDeleting };
VD_ENUM_INFO(TCollectionNotification, "cnAdded", "cnExtracting", "cnDeleting")

// An owned list of items of one item class. Changes end in the virtual Update (item or nil for
// all), held back while updates are open.
class TCollection : public TPersistent {
  VD_CLASS(TCollection, TPersistent);

public:
  explicit TCollection(TCollectionItemClass ItemClass);
  ~TCollection() override;
  void BeforeDestruction() override;

  TCollectionItem* Add();
  TCollectionItem* Insert(int Index);
  void Delete(int Index);
  void Clear();
  void BeginUpdate();
  void EndUpdate();
  int UpdateCount() const noexcept { return FUpdateCount; }

  int Count() const noexcept { return static_cast<int>(FItems.size()); }
  TCollectionItem* Items(int Index) const;  // EListError when out of range
  TCollectionItem* GetItem(int Index) const { return Items(Index); }
  void SetItem(int Index, TCollectionItem* Value) { Items(Index)->Assign(Value); }
  TCollectionItem* FindItemID(int ID) const;
  TCollectionItemClass ItemClass() const noexcept { return FItemClass; }

  // From another collection: its items, each copied with Assign into a new item.
  void Assign(TPersistent* Source) override;
  // The owner's path and the name of the owner's property that holds this collection.
  std::string GetNamePath() override;

protected:
  virtual void Update(TCollectionItem* Item) {}
  // Added: after the item entered; Extracting / Deleting: before it leaves.
  virtual void Notify(TCollectionItem* Item, TCollectionNotification Action) {}
  void Changed();

private:
  friend class TCollectionItem;
  void InsertItem(TCollectionItem* Item);
  void RemoveItem(TCollectionItem* Item, TCollectionNotification Action);

  TCollectionItemClass FItemClass;
  std::vector<TCollectionItem*> FItems;
  int FUpdateCount = 0;
  int FNextID = 0;
};

// A collection that names its owner (for property editors and name paths).
class TOwnedCollection : public TCollection {
  VD_CLASS(TOwnedCollection, TCollection);

public:
  TOwnedCollection(TPersistent* AOwner, TCollectionItemClass ItemClass)
      : TCollection(ItemClass), FOwner(AOwner) {}
  TPersistent* GetOwner() override { return FOwner; }

private:
  TPersistent* FOwner;
};
