// The object model: TObject with class references (metaclasses), sets, method pointers (events)
// and the type descriptors that the published-property tables (TypInfo.h) are built from.
//
// Every class of the model carries VD_CLASS(ThisClass, ParentClass) in its body and
// VD_DEFINE_CLASS(ThisClass) { ...published members... } in one source file (TypInfo.h).
// Objects are created with T::Create(...) (or the class reference's Create) and destroyed with
// Free(): Free runs the virtual BeforeDestruction while the object is still whole, then deletes it.
#pragma once

#include <atomic>
#include <cstdint>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "classlib/SysUtils.h"

VD_DECLARE_EXCEPTION(EInvalidCast, Exception);

class TObject;
class TMetaClass;
struct TClassTypeData;
template <class T> class TClassBuilder;

// A class reference: the metaclass object of a class. Compare with ==; nullptr is "no class".
using TClass = const TMetaClass*;

template <class T, class... A> T* NewObject(A&&... Args);

// ---- VD_CLASS -----------------------------------------------------------------------------------
// Goes first in the body of every class derived from TObject. Gives the class its metaclass,
// ClassType(), `inherited` (the parent class) and T::Create(...), which constructs and then runs
// AfterConstruction. Access is private after the macro.
#define VD_CLASS(ThisClass, ParentClass)                                              \
public:                                                                               \
  using TThisClass = ThisClass;                                                       \
  using inherited = ParentClass;                                                      \
  static TClass StaticClass() noexcept;                                               \
  TClass ClassType() const noexcept override { return StaticClass(); }                \
  template <class... A> static ThisClass* Create(A&&... Args) {                       \
    return NewObject<ThisClass>(std::forward<A>(Args)...);                            \
  }                                                                                   \
                                                                                      \
private:                                                                              \
  friend class TClassBuilder<ThisClass>;                                              \
  static void DefinePublished(TClassBuilder<ThisClass>& C)

// ---- TObject ------------------------------------------------------------------------------------

class TObject {
public:
  using TThisClass = TObject;
  // The argument of the class's virtual constructor (TMetaClass::CreateInstance): void means the
  // class is created without one. TComponent sets it to TComponent* (the owner); descendants
  // inherit the choice and may redeclare it.
  using TCreateArg = void;

  TObject() noexcept = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject();

  static TClass StaticClass() noexcept;
  virtual TClass ClassType() const noexcept;
  const std::string& ClassName() const noexcept;
  TClass ClassParent() const noexcept;
  bool InheritsFrom(TClass AClass) const noexcept;
  // True when this object is a T or a descendant of T.
  template <class T> bool Is() const noexcept;

  // Runs after the most derived constructor (T::Create and class references call it), so virtual
  // calls reach the overrides: forms stream their resource here.
  virtual void AfterConstruction() {}
  // Runs at the start of Free, while the object is whole; components release their owned
  // components and send their notifications here. Overrides call the inherited one last.
  virtual void BeforeDestruction() {}
  // BeforeDestruction, then delete. The one way to destroy a component.
  void Free();

  // The published method of this object's class (or an ancestor) named Name: the code address
  // of its event thunk, nullptr when there is none (see TypInfo.h). MethodName is the reverse.
  void* MethodAddress(const std::string& Name) const;
  std::string MethodName(const void* Code) const;

private:
  static void DefinePublished(TClassBuilder<TObject>& C);
  friend class TClassBuilder<TObject>;
};

// Free, then nil. Does nothing for nil.
template <class T> void FreeAndNil(T*& Obj) {
  T* Tmp = Obj;
  Obj = nullptr;
  if (Tmp) Tmp->Free();
}

// unique_ptr that destroys through Free().
struct TFreeDeleter {
  void operator()(TObject* Obj) const {
    if (Obj) Obj->Free();
  }
};
template <class T> using TObjectPtr = std::unique_ptr<T, TFreeDeleter>;

// ---- Metaclass ----------------------------------------------------------------------------------

class TMetaClass {
public:
  using TCreateFunc = TObject* (*)(TObject* Arg);
  using TParentFunc = TClass (*)() noexcept;
  using TBuildFunc = void (*)(TClassTypeData& Data);

  TMetaClass(const char* Name, TParentFunc Parent, TCreateFunc Create, TBuildFunc Build);
  ~TMetaClass();
  TMetaClass(const TMetaClass&) = delete;
  TMetaClass& operator=(const TMetaClass&) = delete;

  const std::string& ClassName() const noexcept { return FName; }
  TClass ClassParent() const noexcept { return FParent ? FParent() : nullptr; }
  bool InheritsFrom(TClass AClass) const noexcept;
  // False for abstract classes and classes whose constructor does not take the class's TCreateArg.
  bool CanCreate() const noexcept { return FCreate != nullptr; }
  // The virtual constructor: a new instance of exactly this class, constructed with Arg (the
  // owner of a component; ignored by classes created without argument), AfterConstruction run.
  // Raises EInvalidOperation when the class can't be created this way and EInvalidCast when Arg
  // is not of the constructor's argument class.
  TObject* CreateInstance(TObject* Arg = nullptr) const;

  // Published properties, methods and fields; built on first use (TypInfo.cpp).
  const TClassTypeData& TypeData() const;

private:
  std::string FName;
  TParentFunc FParent;
  TCreateFunc FCreate;
  TBuildFunc FBuild;
  mutable std::atomic<const TClassTypeData*> FBuilt{nullptr};
  mutable std::unique_ptr<TClassTypeData> FData;
};

template <class T> TClass ClassOf() noexcept {
  static_assert(std::is_same_v<typename T::TThisClass, T>, "the class lacks VD_CLASS");
  return T::StaticClass();
}

template <class T> bool TObject::Is() const noexcept { return InheritsFrom(ClassOf<T>()); }

// Constructs a T and runs AfterConstruction; when that raises, the object is freed again.
template <class T, class... A> T* NewObject(A&&... Args) {
  static_assert(std::is_same_v<typename T::TThisClass, T>, "the class lacks VD_CLASS");
  T* Obj = new T(std::forward<A>(Args)...);
  try {
    Obj->AfterConstruction();
  } catch (...) {
    Obj->Free();
    throw;
  }
  return Obj;
}

namespace system_detail {
[[noreturn]] void RaiseBadCreateArg(TClass Expected, const TObject* Arg);
}

// The creation routine behind a class's virtual constructor, or nullptr when the class has no
// accessible constructor taking its TCreateArg (abstract classes among them).
template <class T> constexpr TMetaClass::TCreateFunc CreateFuncOf() noexcept {
  using A = typename T::TCreateArg;
  if constexpr (std::is_void_v<A>) {
    if constexpr (requires { new T(); })
      return [](TObject*) -> TObject* { return NewObject<T>(); };
    else
      return nullptr;
  } else {
    static_assert(std::is_pointer_v<A>, "TCreateArg must be void or a pointer to a class");
    if constexpr (requires(A Arg) { new T(Arg); }) {
      return [](TObject* Arg) -> TObject* {
        A Typed = nullptr;
        if (Arg) {
          Typed = dynamic_cast<A>(Arg);
          if (!Typed) system_detail::RaiseBadCreateArg(ClassOf<std::remove_pointer_t<A>>(), Arg);
        }
        return NewObject<T>(Typed);
      };
    } else {
      return nullptr;
    }
  }
}

// A class reference restricted to TBase and its descendants ("class of TBase"), with the virtual
// constructor typed: TComponentClass(FindClass("TButton1")).Create(Owner).
template <class TBase> class TClassRef {
public:
  constexpr TClassRef() noexcept = default;
  constexpr TClassRef(std::nullptr_t) noexcept {}
  // Raises EInvalidCast when AClass is neither nil nor TBase or a descendant.
  explicit TClassRef(TClass AClass) : FClass(AClass) {
    if (AClass && !AClass->InheritsFrom(ClassOf<TBase>()))
      throw EInvalidCast("Invalid class typecast: " + AClass->ClassName() + " is not a " +
                         ClassOf<TBase>()->ClassName());
  }
  template <class T> static TClassRef Of() noexcept {
    static_assert(std::is_base_of_v<TBase, T>);
    TClassRef R;
    R.FClass = ClassOf<T>();
    return R;
  }

  TClass Class() const noexcept { return FClass; }
  operator TClass() const noexcept { return FClass; }
  explicit operator bool() const noexcept { return FClass != nullptr; }
  const TMetaClass* operator->() const noexcept { return FClass; }

  // The virtual constructor (TMetaClass::CreateInstance); EInvalidOperation for a nil reference.
  TBase* Create() const
    requires std::is_void_v<typename TBase::TCreateArg>
  {
    return dynamic_cast<TBase*>(Checked()->CreateInstance(nullptr));
  }
  template <class A = typename TBase::TCreateArg>
    requires(!std::is_void_v<A>)
  TBase* Create(A Arg) const {
    return dynamic_cast<TBase*>(Checked()->CreateInstance(Arg));
  }

private:
  TClass Checked() const {
    if (!FClass) throw EInvalidOperation("Cannot create an object through a nil class reference");
    return FClass;
  }
  TClass FClass = nullptr;
};

// ---- Sets ---------------------------------------------------------------------------------------

// A Pascal-style set of an enumeration with at most 32 elements (ordinals 0..31).
template <class E> class TSet {
  static_assert(std::is_enum_v<E>);

public:
  using TElement = E;
  constexpr TSet() noexcept = default;
  constexpr TSet(std::initializer_list<E> Elements) noexcept {
    for (E El : Elements) FBits |= Bit(El);
  }
  static constexpr TSet FromBits(uint32_t Bits) noexcept {
    TSet S;
    S.FBits = Bits;
    return S;
  }
  constexpr uint32_t Bits() const noexcept { return FBits; }
  constexpr bool Contains(E El) const noexcept { return (FBits & Bit(El)) != 0; }
  constexpr bool Empty() const noexcept { return FBits == 0; }
  constexpr TSet& Include(E El) noexcept {
    FBits |= Bit(El);
    return *this;
  }
  constexpr TSet& Exclude(E El) noexcept {
    FBits &= ~Bit(El);
    return *this;
  }
  friend constexpr TSet operator+(TSet A, TSet B) noexcept { return FromBits(A.FBits | B.FBits); }
  friend constexpr TSet operator-(TSet A, TSet B) noexcept { return FromBits(A.FBits & ~B.FBits); }
  friend constexpr TSet operator*(TSet A, TSet B) noexcept { return FromBits(A.FBits & B.FBits); }
  friend constexpr bool operator==(const TSet&, const TSet&) noexcept = default;

private:
  static constexpr uint32_t Bit(E El) noexcept {
    auto Ord = static_cast<unsigned>(El);
    return Ord < 32 ? (uint32_t{1} << Ord) : 0;
  }
  uint32_t FBits = 0;
};

// ---- Method pointers and events -----------------------------------------------------------------

// A method pointer as raw data: the code of a thunk and the object it runs on.
struct TMethod {
  void* Code = nullptr;
  void* Data = nullptr;
  friend bool operator==(const TMethod&, const TMethod&) = default;
};

// An event: a {Code, Data} closure whose Code is a thunk of this exact signature. Bound to an
// object method with Bind<&TForm1::Button1Click>(Form) or MakeEvent<&TForm1::Button1Click>(Form).
// For TObject descendants Data is the TObject* of the object (so it compares with instances).
// Calling an unassigned event does nothing.
template <class... A> class TEvent {
public:
  using TCode = void (*)(void* Data, A... Args);

  constexpr TEvent() noexcept = default;
  constexpr TEvent(std::nullptr_t) noexcept {}
  constexpr TEvent(TCode Code, void* Data) noexcept : FCode(Code), FData(Data) {}

  template <auto M, class C> static TEvent Bind(C* Obj) noexcept {
    if constexpr (std::is_base_of_v<TObject, C>)
      return TEvent(&Thunk<C, M>, static_cast<void*>(static_cast<TObject*>(Obj)));
    else
      return TEvent(&Thunk<C, M>, static_cast<void*>(Obj));
  }
  // The thunk that calls method M of class C; its address is the Code of such a binding.
  template <class C, auto M> static void Thunk(void* Data, A... Args) {
    C* Obj;
    if constexpr (std::is_base_of_v<TObject, C>)
      Obj = static_cast<C*>(static_cast<TObject*>(Data));
    else
      Obj = static_cast<C*>(Data);
    (Obj->*M)(std::forward<A>(Args)...);
  }

  static TEvent FromMethod(const TMethod& M) noexcept {
    return TEvent(reinterpret_cast<TCode>(M.Code), M.Data);
  }
  TMethod Method() const noexcept { return TMethod{reinterpret_cast<void*>(FCode), FData}; }
  TCode Code() const noexcept { return FCode; }
  void* Data() const noexcept { return FData; }

  // The signature tag shared by every event, property and published method of this signature.
  static const void* Signature() noexcept {
    static const char Tag = 0;
    return &Tag;
  }

  explicit operator bool() const noexcept { return FCode != nullptr; }
  void operator()(A... Args) const {
    if (FCode) FCode(FData, std::forward<A>(Args)...);
  }
  friend bool operator==(const TEvent&, const TEvent&) = default;

private:
  TCode FCode = nullptr;
  void* FData = nullptr;
};

namespace system_detail {
template <class M> struct TMemberTraits;
template <class C, class... A> struct TMemberTraits<void (C::*)(A...)> {
  using TClassType = C;
  using TEventType = TEvent<A...>;
};
template <class C, class... A>
struct TMemberTraits<void (C::*)(A...) const> : TMemberTraits<void (C::*)(A...)> {};
template <class C, class... A>
struct TMemberTraits<void (C::*)(A...) noexcept> : TMemberTraits<void (C::*)(A...)> {};
template <class C, class... A>
struct TMemberTraits<void (C::*)(A...) const noexcept> : TMemberTraits<void (C::*)(A...)> {};
}  // namespace system_detail

// The event for method M of Obj; the event type follows from M's parameters.
template <auto M>
auto MakeEvent(typename system_detail::TMemberTraits<decltype(M)>::TClassType* Obj) noexcept {
  using Traits = system_detail::TMemberTraits<decltype(M)>;
  return Traits::TEventType::template Bind<M>(Obj);
}

using TNotifyEvent = TEvent<TObject* /*Sender*/>;

// ---- Type descriptors ---------------------------------------------------------------------------

enum TTypeKind {
  tkUnknown,
  tkInteger,      // every integer subrange up to 32 bits (Byte, Word, Integer, Cardinal, TColor...)
  tkChar,         // one ANSI character, 0..255
  tkEnumeration,  // named values MinValue..MaxValue, Boolean included
  tkFloat,
  tkString,
  tkSet,          // set of an enumeration (CompType)
  tkClass,        // an object: a sub-object or a component reference
  tkMethod,       // an event
  tkInt64,
};

// Describes one type. One instance per type, compared by address.
struct TTypeInfo {
  TTypeKind Kind = tkUnknown;
  std::string Name;
  int64_t MinValue = 0;  // ordinal kinds; for sets the range of the element type
  int64_t MaxValue = 0;
  std::vector<std::string> EnumNames;  // tkEnumeration: the names of MinValue..MaxValue
  const TTypeInfo* CompType = nullptr;  // tkSet: the element type
  TClass (*ClassFunc)() noexcept = nullptr;  // tkClass: the declared class
  const void* Signature = nullptr;  // tkMethod: the signature tag (TEvent::Signature)

  TClass ClassType() const noexcept { return ClassFunc ? ClassFunc() : nullptr; }
  // Enumerations: the name of Value ("" when out of range); the value of a name, compared
  // without regard to case (-1 when there is none).
  std::string EnumName(int64_t Value) const;
  int64_t EnumValue(const std::string& Name) const;
};

TTypeInfo MakeOrdTypeInfo(TTypeKind Kind, const char* Name, int64_t Min, int64_t Max);
TTypeInfo MakeEnumTypeInfo(const char* Name, std::initializer_list<const char*> Names);

// Type descriptors are found through an overload VdTypeInfo(T*), looked up by argument-dependent
// lookup; VD_ENUM_INFO declares one for an enumeration, next to its declaration.
#define VD_ENUM_INFO(Enum, ...)                                                  \
  inline const TTypeInfo* VdTypeInfo(Enum*) {                                    \
    static const TTypeInfo Info = MakeEnumTypeInfo(#Enum, {__VA_ARGS__});        \
    return &Info;                                                                \
  }

const TTypeInfo* VdTypeInfo(bool*);            // Boolean
const TTypeInfo* VdTypeInfo(char*);            // Char
const TTypeInfo* VdTypeInfo(signed char*);     // ShortInt
const TTypeInfo* VdTypeInfo(unsigned char*);   // Byte
const TTypeInfo* VdTypeInfo(short*);           // SmallInt
const TTypeInfo* VdTypeInfo(unsigned short*);  // Word
const TTypeInfo* VdTypeInfo(int*);             // Integer
const TTypeInfo* VdTypeInfo(long*);            // Integer (32 bits on Windows)
const TTypeInfo* VdTypeInfo(unsigned int*);    // Cardinal
const TTypeInfo* VdTypeInfo(unsigned long*);   // Cardinal
const TTypeInfo* VdTypeInfo(long long*);       // Int64
const TTypeInfo* VdTypeInfo(float*);           // Single
const TTypeInfo* VdTypeInfo(double*);          // Double
const TTypeInfo* VdTypeInfo(long double*);     // Extended
const TTypeInfo* VdTypeInfo(std::string*);     // String

namespace system_detail {
TTypeInfo MakeSetTypeInfo(const TTypeInfo* Element);
TTypeInfo MakeClassTypeInfo(TClass (*ClassFunc)() noexcept);
TTypeInfo MakeMethodTypeInfo(const void* Signature);
}  // namespace system_detail

template <class C>
  requires std::is_base_of_v<TObject, C>
const TTypeInfo* VdTypeInfo(C**) {
  static const TTypeInfo Info = system_detail::MakeClassTypeInfo(&C::StaticClass);
  return &Info;
}
template <class E> const TTypeInfo* VdTypeInfo(TSet<E>*);
template <class... A> const TTypeInfo* VdTypeInfo(TEvent<A...>*) {
  static const TTypeInfo Info = system_detail::MakeMethodTypeInfo(TEvent<A...>::Signature());
  return &Info;
}

template <class T> const TTypeInfo* TypeInfoOf() { return VdTypeInfo(static_cast<T*>(nullptr)); }

template <class E> const TTypeInfo* VdTypeInfo(TSet<E>*) {
  static const TTypeInfo Info = system_detail::MakeSetTypeInfo(TypeInfoOf<E>());
  return &Info;
}
