// Published members of a class: properties (with kind, range, accessors, default and stored
// flag), methods (event handlers bound by name) and fields (component slots filled by name).
// Form-resource readers and writers, property editors and "set property by name" helpers work on
// these tables; they never need to know the C++ class.
//
// A class publishes its members in the body of VD_DEFINE_CLASS:
//
//   VD_DEFINE_CLASS(TlxAddon) {
//     C.Property("Enabled", &TlxAddon::FEnabled, &TlxAddon::SetEnabled).Default(false);
//   }
//   VD_DEFINE_CLASS(TForm1) {
//     C.Field("Button1", &TForm1::Button1);
//     C.Method<&TForm1::Button1Click>("Button1Click");
//   }
//
// A class inherits its parent's properties; Property("Name") alone redeclares an inherited one
// (to change its default or stored flag). Names are compared without regard to case.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "classlib/System.h"

VD_DECLARE_EXCEPTION(EPropertyError, Exception);

// ---- VD_DEFINE_CLASS ----------------------------------------------------------------------------
// Defines the metaclass of ThisClass (name, parent, virtual constructor) and opens the body that
// publishes its members through the builder `C`. Use it once, in the class's source file, in the
// namespace of the class.
#define VD_DEFINE_CLASS(ThisClass)                                                          \
  TClass ThisClass::StaticClass() noexcept {                                                \
    static const TMetaClass Meta(#ThisClass, &inherited::StaticClass,                       \
                                 CreateFuncOf<ThisClass>(), &TClassBuilder<ThisClass>::Build); \
    return &Meta;                                                                           \
  }                                                                                         \
  void ThisClass::DefinePublished([[maybe_unused]] TClassBuilder<ThisClass>& C)

// ---- Tables -------------------------------------------------------------------------------------

// Type-erased access to one property of one class. The kind decides which pair is served:
// ordinal kinds and Int64 GetOrd/SetOrd (sets as their bit mask), tkFloat GetFloat/SetFloat,
// tkString GetStr/SetStr, tkClass GetObject/SetObject, tkMethod GetMethod/SetMethod.
class TPropAccessor {
public:
  virtual ~TPropAccessor() = default;
  virtual bool CanWrite() const noexcept = 0;
  virtual int64_t GetOrd(TObject* Instance) const;
  virtual void SetOrd(TObject* Instance, int64_t Value) const;
  virtual long double GetFloat(TObject* Instance) const;
  virtual void SetFloat(TObject* Instance, long double Value) const;
  virtual std::string GetStr(TObject* Instance) const;
  virtual void SetStr(TObject* Instance, const std::string& Value) const;
  virtual TObject* GetObject(TObject* Instance) const;
  virtual void SetObject(TObject* Instance, TObject* Value) const;
  virtual TMethod GetMethod(TObject* Instance) const;
  virtual void SetMethod(TObject* Instance, const TMethod& Value) const;
};

struct TPropInfo {
  std::string Name;
  const TTypeInfo* PropType = nullptr;
  TClass DeclaringClass = nullptr;  // the class that declared or last redeclared it
  std::shared_ptr<const TPropAccessor> Access;
  // Ordinal kinds: the value that form resources leave out. None: the value is always written.
  std::optional<int64_t> Default;
  // Whether the value is written at all; StoredFunc, when set, decides instead of StoredValue.
  bool StoredValue = true;
  std::function<bool(TObject*)> StoredFunc;

  TTypeKind Kind() const noexcept { return PropType->Kind; }
  bool IsWritable() const noexcept { return Access->CanWrite(); }
};
using PPropInfo = const TPropInfo*;
using TPropList = std::vector<PPropInfo>;

// A published method: the code address of its event thunk and the signature it was made for.
struct TMethodInfo {
  std::string Name;
  void* Code = nullptr;
  const void* Signature = nullptr;
};

// A published field: an object slot of the instance, filled by name after loading.
struct TFieldInfo {
  std::string Name;
  TClass FieldClass = nullptr;
  std::function<TObject*(TObject*)> Get;
  // Raises EInvalidCast when Value is not of FieldClass (nil is accepted).
  std::function<void(TObject*, TObject*)> Set;
};

struct TClassTypeData {
  TClass Class = nullptr;
  std::vector<std::shared_ptr<const TPropInfo>> Props;  // inherited first, in declaration order
  std::vector<TMethodInfo> Methods;                     // this class's own
  std::vector<TFieldInfo> Fields;                       // this class's own
};

// ---- Builder ------------------------------------------------------------------------------------

namespace typinfo_detail {
template <class T> constexpr bool IsEnumSet = false;
template <class E> constexpr bool IsEnumSet<TSet<E>> = true;
template <class T> constexpr bool IsEvent = false;
template <class... A> constexpr bool IsEvent<TEvent<A...>> = true;
template <class T>
constexpr bool IsOrdinal = (std::is_integral_v<T> && sizeof(T) <= 4) || std::is_enum_v<T> ||
                           IsEnumSet<T>;
template <class T> constexpr bool IsObjectPtr = false;
template <class T>
constexpr bool IsObjectPtr<T*> = std::is_base_of_v<TObject, T>;

template <class T> int64_t ToOrd(const T& V) {
  if constexpr (IsEnumSet<T>) return V.Bits();
  else if constexpr (std::is_same_v<T, char>) return static_cast<unsigned char>(V);
  else return static_cast<int64_t>(V);
}
template <class T> T FromOrd(int64_t V) {
  if constexpr (IsEnumSet<T>) return T::FromBits(static_cast<uint32_t>(V));
  else if constexpr (std::is_same_v<T, bool>) return V != 0;
  else return static_cast<T>(V);
}
[[noreturn]] void RaiseBadObject(TClass Expected, TObject* Value);
[[noreturn]] void RaiseDefinition(const char* ClassName, const char* PropName, const char* What);

template <class C, class T> class TPropAccessorOf final : public TPropAccessor {
public:
  std::function<T(C&)> Get;
  std::function<void(C&, const T&)> Set;

  bool CanWrite() const noexcept override { return static_cast<bool>(Set); }
  int64_t GetOrd(TObject* I) const override {
    if constexpr (IsOrdinal<T> || std::is_same_v<T, long long>) return ToOrd(Get(Self(I)));
    else return TPropAccessor::GetOrd(I);
  }
  void SetOrd(TObject* I, int64_t V) const override {
    if constexpr (IsOrdinal<T> || std::is_same_v<T, long long>) Set(Self(I), FromOrd<T>(V));
    else TPropAccessor::SetOrd(I, V);
  }
  long double GetFloat(TObject* I) const override {
    if constexpr (std::is_floating_point_v<T>) return Get(Self(I));
    else return TPropAccessor::GetFloat(I);
  }
  void SetFloat(TObject* I, long double V) const override {
    if constexpr (std::is_floating_point_v<T>) Set(Self(I), static_cast<T>(V));
    else TPropAccessor::SetFloat(I, V);
  }
  std::string GetStr(TObject* I) const override {
    if constexpr (std::is_same_v<T, std::string>) return Get(Self(I));
    else return TPropAccessor::GetStr(I);
  }
  void SetStr(TObject* I, const std::string& V) const override {
    if constexpr (std::is_same_v<T, std::string>) Set(Self(I), V);
    else TPropAccessor::SetStr(I, V);
  }
  TObject* GetObject(TObject* I) const override {
    if constexpr (IsObjectPtr<T>) return Get(Self(I));
    else return TPropAccessor::GetObject(I);
  }
  void SetObject(TObject* I, TObject* V) const override {
    if constexpr (IsObjectPtr<T>) {
      using TTarget = std::remove_pointer_t<T>;
      T Typed = V ? dynamic_cast<T>(V) : nullptr;
      if (V && !Typed) RaiseBadObject(ClassOf<TTarget>(), V);
      Set(Self(I), Typed);
    } else {
      TPropAccessor::SetObject(I, V);
    }
  }
  TMethod GetMethod(TObject* I) const override {
    if constexpr (IsEvent<T>) return Get(Self(I)).Method();
    else return TPropAccessor::GetMethod(I);
  }
  void SetMethod(TObject* I, const TMethod& V) const override {
    if constexpr (IsEvent<T>) Set(Self(I), T::FromMethod(V));
    else TPropAccessor::SetMethod(I, V);
  }

private:
  static C& Self(TObject* I) { return *static_cast<C*>(I); }
};
}  // namespace typinfo_detail

template <class C> class TClassBuilder {
public:
  // Modifiers of the property just declared.
  class TPropDecl {
  public:
    explicit TPropDecl(std::shared_ptr<TPropInfo> Info) : FInfo(std::move(Info)) {}
    // The value form resources leave out (ordinal kinds: integers, enumerations, sets...).
    template <class V> TPropDecl& Default(const V& Value) {
      if (!IsOrdinalKind()) typinfo_detail::RaiseDefinition(Cls(), FInfo->Name.c_str(), "default");
      FInfo->Default = typinfo_detail::ToOrd(Value);
      return *this;
    }
    TPropDecl& NoDefault() {
      FInfo->Default.reset();
      return *this;
    }
    TPropDecl& Stored(bool Value) {
      FInfo->StoredValue = Value;
      FInfo->StoredFunc = nullptr;
      return *this;
    }
    // Stored decided by a member predicate of the class (bool IsXStored() const).
    template <class B> TPropDecl& Stored(bool (B::*Pred)() const) {
      FInfo->StoredFunc = [Pred](TObject* I) { return (static_cast<C*>(I)->*Pred)(); };
      return *this;
    }
    // A type of the same kind in place of the one deduced from the C++ type (TColor, TCursor,
    // a subrange).
    TPropDecl& Type(const TTypeInfo* Info) {
      if (Info->Kind != FInfo->PropType->Kind)
        typinfo_detail::RaiseDefinition(Cls(), FInfo->Name.c_str(), "type");
      FInfo->PropType = Info;
      return *this;
    }

  private:
    bool IsOrdinalKind() const {
      TTypeKind K = FInfo->PropType->Kind;
      return K == tkInteger || K == tkChar || K == tkEnumeration || K == tkSet || K == tkInt64;
    }
    static const char* Cls() { return ClassOf<C>()->ClassName().c_str(); }
    std::shared_ptr<TPropInfo> FInfo;
  };

  explicit TClassBuilder(TClassTypeData& Data) : FData(Data) {}
  static void Build(TClassTypeData& Data) {
    TClassBuilder B(Data);
    C::DefinePublished(B);
  }

  // Publishes a property. Getter: a data member, a member function or a callable taking C&.
  // Setter: the same, or omitted (read-only). The kind follows from the value type.
  template <class G, class S = std::nullptr_t>
  TPropDecl Property(const char* Name, G Getter, S Setter = nullptr) {
    using T = std::remove_cvref_t<std::invoke_result_t<G, C&>>;
    auto Access = std::make_shared<typinfo_detail::TPropAccessorOf<C, T>>();
    if constexpr (std::is_member_object_pointer_v<G>)
      Access->Get = [Getter](C& Obj) -> T { return Obj.*Getter; };
    else
      Access->Get = [Getter](C& Obj) -> T { return std::invoke(Getter, Obj); };
    if constexpr (std::is_member_object_pointer_v<S>)
      Access->Set = [Setter](C& Obj, const T& V) { Obj.*Setter = V; };
    else if constexpr (!std::is_null_pointer_v<S>)
      Access->Set = [Setter](C& Obj, const T& V) { std::invoke(Setter, Obj, V); };
    auto Info = std::make_shared<TPropInfo>();
    Info->Name = Name;
    Info->PropType = TypeInfoOf<T>();
    Info->DeclaringClass = ClassOf<C>();
    Info->Access = std::move(Access);
    Put(Info);
    return TPropDecl(Info);
  }
  // Redeclares an inherited property, keeping its type and accessors.
  TPropDecl Property(const char* Name) {
    for (auto& P : FData.Props) {
      if (SameText(P->Name, Name)) {
        auto Info = std::make_shared<TPropInfo>(*P);
        Info->DeclaringClass = ClassOf<C>();
        P = Info;
        return TPropDecl(Info);
      }
    }
    typinfo_detail::RaiseDefinition(ClassOf<C>()->ClassName().c_str(), Name, "inherited property");
  }
  // Publishes method M (an event handler) under Name.
  template <auto M> void Method(const char* Name) {
    using Traits = system_detail::TMemberTraits<decltype(M)>;
    using E = typename Traits::TEventType;
    TMethodInfo Info;
    Info.Name = Name;
    Info.Code = reinterpret_cast<void*>(&E::template Thunk<typename Traits::TClassType, M>);
    Info.Signature = E::Signature();
    FData.Methods.push_back(std::move(Info));
  }
  // Publishes an object field (normally a component the class's form resource creates).
  template <class F> void Field(const char* Name, F* C::*Member) {
    static_assert(std::is_base_of_v<TObject, F>);
    TFieldInfo Info;
    Info.Name = Name;
    Info.FieldClass = ClassOf<F>();
    Info.Get = [Member](TObject* I) -> TObject* { return static_cast<C*>(I)->*Member; };
    Info.Set = [Member](TObject* I, TObject* V) {
      F* Typed = V ? dynamic_cast<F*>(V) : nullptr;
      if (V && !Typed) typinfo_detail::RaiseBadObject(ClassOf<F>(), V);
      static_cast<C*>(I)->*Member = Typed;
    };
    FData.Fields.push_back(std::move(Info));
  }

private:
  void Put(const std::shared_ptr<TPropInfo>& Info) {
    for (auto& P : FData.Props) {
      if (SameText(P->Name, Info->Name)) {
        P = Info;
        return;
      }
    }
    FData.Props.push_back(Info);
  }
  TClassTypeData& FData;
};

// ---- Property access ----------------------------------------------------------------------------
// Lookups return nullptr when there is no such member. The accessors raise EPropertyError for a
// property of another kind, a read-only property, a value out of the property's range and an
// unknown enumeration or set element name; a property's setter may raise anything.

PPropInfo GetPropInfo(TClass AClass, const std::string& PropName);
PPropInfo GetPropInfo(const TObject* Instance, const std::string& PropName);
// Every published property, inherited ones first.
TPropList GetPropList(TClass AClass);
TPropList GetPropList(const TObject* Instance);
bool IsPublishedProp(const TObject* Instance, const std::string& PropName);
// The property or EPropertyError "Property X does not exist".
PPropInfo FindPropInfo(const TObject* Instance, const std::string& PropName);

// Ordinal kinds (Integer, Char, Enumeration, Set) and Int64.
int64_t GetOrdProp(TObject* Instance, PPropInfo PropInfo);
void SetOrdProp(TObject* Instance, PPropInfo PropInfo, int64_t Value);
int64_t GetOrdProp(TObject* Instance, const std::string& PropName);
void SetOrdProp(TObject* Instance, const std::string& PropName, int64_t Value);
// Enumerations by value name ("alClient", "True").
std::string GetEnumProp(TObject* Instance, PPropInfo PropInfo);
void SetEnumProp(TObject* Instance, PPropInfo PropInfo, const std::string& Value);
std::string GetEnumProp(TObject* Instance, const std::string& PropName);
void SetEnumProp(TObject* Instance, const std::string& PropName, const std::string& Value);
// Sets as element names: "fsBold,fsItalic" (or "[fsBold,fsItalic]" with Brackets).
std::string GetSetProp(TObject* Instance, PPropInfo PropInfo, bool Brackets = false);
void SetSetProp(TObject* Instance, PPropInfo PropInfo, const std::string& Value);
std::string GetSetProp(TObject* Instance, const std::string& PropName, bool Brackets = false);
void SetSetProp(TObject* Instance, const std::string& PropName, const std::string& Value);
std::string GetStrProp(TObject* Instance, PPropInfo PropInfo);
void SetStrProp(TObject* Instance, PPropInfo PropInfo, const std::string& Value);
std::string GetStrProp(TObject* Instance, const std::string& PropName);
void SetStrProp(TObject* Instance, const std::string& PropName, const std::string& Value);
long double GetFloatProp(TObject* Instance, PPropInfo PropInfo);
void SetFloatProp(TObject* Instance, PPropInfo PropInfo, long double Value);
long double GetFloatProp(TObject* Instance, const std::string& PropName);
void SetFloatProp(TObject* Instance, const std::string& PropName, long double Value);
int64_t GetInt64Prop(TObject* Instance, PPropInfo PropInfo);
void SetInt64Prop(TObject* Instance, PPropInfo PropInfo, int64_t Value);
int64_t GetInt64Prop(TObject* Instance, const std::string& PropName);
void SetInt64Prop(TObject* Instance, const std::string& PropName, int64_t Value);
// Class kind: the object (a sub-object's setter normally copies with Assign; a reference's
// setter stores it). A value not of the property's class raises EPropertyError.
TObject* GetObjectProp(TObject* Instance, PPropInfo PropInfo);
void SetObjectProp(TObject* Instance, PPropInfo PropInfo, TObject* Value);
TObject* GetObjectProp(TObject* Instance, const std::string& PropName);
void SetObjectProp(TObject* Instance, const std::string& PropName, TObject* Value);
// Method kind: the raw {Code, Data}; SetMethodProp does not check the signature.
TMethod GetMethodProp(TObject* Instance, PPropInfo PropInfo);
void SetMethodProp(TObject* Instance, PPropInfo PropInfo, const TMethod& Value);
TMethod GetMethodProp(TObject* Instance, const std::string& PropName);
void SetMethodProp(TObject* Instance, const std::string& PropName, const TMethod& Value);

// The stored flag (constant or the class's predicate).
bool IsStoredProp(TObject* Instance, PPropInfo PropInfo);
// True when the value equals what a form resource may leave out: the default of an ordinal
// property, an empty string, 0.0, nil object, unassigned event. Ordinals without default: false.
bool IsDefaultPropValue(TObject* Instance, PPropInfo PropInfo);

// Enumeration and set texts of a type.
std::string GetEnumName(const TTypeInfo* TypeInfo, int64_t Value);
int64_t GetEnumValue(const TTypeInfo* TypeInfo, const std::string& Name);  // -1: unknown
std::string SetToString(const TTypeInfo* SetType, int64_t Value, bool Brackets = false);
int64_t StringToSet(const TTypeInfo* SetType, const std::string& Value);  // EPropertyError

// ---- Published methods and fields ---------------------------------------------------------------

// Searched in the class, then its ancestors.
const TMethodInfo* FindPublishedMethod(TClass AClass, const std::string& Name);
const TMethodInfo* FindPublishedMethodByCode(TClass AClass, const void* Code);
const TFieldInfo* FindPublishedField(TClass AClass, const std::string& Name);
// The event {Code, Instance} for published method Name of Instance's class when it exists and
// has Signature (nullptr: any); an empty TMethod otherwise.
TMethod GetPublishedMethod(TObject* Instance, const std::string& Name, const void* Signature = nullptr);
