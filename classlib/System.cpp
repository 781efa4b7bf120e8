#include "classlib/System.h"

#include <climits>

#include "classlib/SyncObjs.h"
#include "classlib/TypInfo.h"

// ---- TObject ------------------------------------------------------------------------------------

TObject::~TObject() = default;

TClass TObject::StaticClass() noexcept {
  static const TMetaClass Meta("TObject", nullptr, CreateFuncOf<TObject>(),
                               &TClassBuilder<TObject>::Build);
  return &Meta;
}

void TObject::DefinePublished(TClassBuilder<TObject>&) {}

TClass TObject::ClassType() const noexcept { return StaticClass(); }

const std::string& TObject::ClassName() const noexcept { return ClassType()->ClassName(); }

TClass TObject::ClassParent() const noexcept { return ClassType()->ClassParent(); }

bool TObject::InheritsFrom(TClass AClass) const noexcept {
  return ClassType()->InheritsFrom(AClass);
}

void TObject::Free() {
  try {
    BeforeDestruction();
  } catch (...) {
    delete this;
    throw;
  }
  delete this;
}

// ---- TMetaClass ---------------------------------------------------------------------------------

TMetaClass::TMetaClass(const char* Name, TParentFunc Parent, TCreateFunc Create, TBuildFunc Build)
    : FName(Name), FParent(Parent), FCreate(Create), FBuild(Build) {}

TMetaClass::~TMetaClass() = default;

bool TMetaClass::InheritsFrom(TClass AClass) const noexcept {
  if (!AClass) return false;
  for (TClass C = this; C; C = C->ClassParent())
    if (C == AClass) return true;
  return false;
}

TObject* TMetaClass::CreateInstance(TObject* Arg) const {
  if (!FCreate)
    throw EInvalidOperation("Class " + FName + " cannot be created through its class reference");
  return FCreate(Arg);
}

namespace {
// One lock for building every class's table: a table is built inside its parent's building.
TCriticalSection& TypeDataLock() {
  static TCriticalSection Lock;
  return Lock;
}
}  // namespace

const TClassTypeData& TMetaClass::TypeData() const {
  if (const TClassTypeData* Built = FBuilt.load(std::memory_order_acquire)) return *Built;
  std::lock_guard<TCriticalSection> Guard(TypeDataLock());
  if (!FData) {
    auto Data = std::make_unique<TClassTypeData>();
    Data->Class = this;
    if (TClass Parent = ClassParent()) Data->Props = Parent->TypeData().Props;
    if (FBuild) FBuild(*Data);
    FData = std::move(Data);
    FBuilt.store(FData.get(), std::memory_order_release);
  }
  return *FData;
}

namespace system_detail {
void RaiseBadCreateArg(TClass Expected, const TObject* Arg) {
  throw EInvalidCast("Invalid class typecast: " + Arg->ClassName() + " is not a " +
                     Expected->ClassName());
}
}  // namespace system_detail

// ---- Type descriptors ---------------------------------------------------------------------------

std::string TTypeInfo::EnumName(int64_t Value) const {
  if (Value < MinValue || Value > MaxValue) return {};
  auto Index = static_cast<size_t>(Value - MinValue);
  return Index < EnumNames.size() ? EnumNames[Index] : std::string();
}

int64_t TTypeInfo::EnumValue(const std::string& Name) const {
  for (size_t I = 0; I < EnumNames.size(); ++I)
    if (SameText(EnumNames[I], Name)) return MinValue + static_cast<int64_t>(I);
  return -1;
}

TTypeInfo MakeOrdTypeInfo(TTypeKind Kind, const char* Name, int64_t Min, int64_t Max) {
  TTypeInfo Info;
  Info.Kind = Kind;
  Info.Name = Name;
  Info.MinValue = Min;
  Info.MaxValue = Max;
  return Info;
}

TTypeInfo MakeEnumTypeInfo(const char* Name, std::initializer_list<const char*> Names) {
  TTypeInfo Info = MakeOrdTypeInfo(tkEnumeration, Name, 0, static_cast<int64_t>(Names.size()) - 1);
  Info.EnumNames.assign(Names.begin(), Names.end());
  return Info;
}

namespace system_detail {
TTypeInfo MakeSetTypeInfo(const TTypeInfo* Element) {
  TTypeInfo Info = MakeOrdTypeInfo(tkSet, ("set of " + Element->Name).c_str(), Element->MinValue,
                                   Element->MaxValue);
  Info.CompType = Element;
  return Info;
}

TTypeInfo MakeClassTypeInfo(TClass (*ClassFunc)() noexcept) {
  TTypeInfo Info;
  Info.Kind = tkClass;
  Info.Name = ClassFunc()->ClassName();
  Info.ClassFunc = ClassFunc;
  return Info;
}

TTypeInfo MakeMethodTypeInfo(const void* Signature) {
  TTypeInfo Info;
  Info.Kind = tkMethod;
  Info.Name = "TMethod";
  Info.Signature = Signature;
  return Info;
}
}  // namespace system_detail

#define VD_BUILTIN_TYPE(CType, ...)                      \
  const TTypeInfo* VdTypeInfo(CType*) {                  \
    static const TTypeInfo Info = __VA_ARGS__;           \
    return &Info;                                        \
  }

VD_BUILTIN_TYPE(bool, MakeEnumTypeInfo("Boolean", {"False", "True"}))
VD_BUILTIN_TYPE(char, MakeOrdTypeInfo(tkChar, "Char", 0, 255))
VD_BUILTIN_TYPE(signed char, MakeOrdTypeInfo(tkInteger, "ShortInt", -128, 127))
VD_BUILTIN_TYPE(unsigned char, MakeOrdTypeInfo(tkInteger, "Byte", 0, 255))
VD_BUILTIN_TYPE(short, MakeOrdTypeInfo(tkInteger, "SmallInt", -32768, 32767))
VD_BUILTIN_TYPE(unsigned short, MakeOrdTypeInfo(tkInteger, "Word", 0, 65535))
// string and integer are spelt as the IDE lists the property types of its editor registrations.
VD_BUILTIN_TYPE(int, MakeOrdTypeInfo(tkInteger, "integer", INT_MIN, INT_MAX))
VD_BUILTIN_TYPE(long, MakeOrdTypeInfo(tkInteger, "integer", LONG_MIN, LONG_MAX))
VD_BUILTIN_TYPE(unsigned int, MakeOrdTypeInfo(tkInteger, "Cardinal", 0, UINT_MAX))
VD_BUILTIN_TYPE(unsigned long, MakeOrdTypeInfo(tkInteger, "Cardinal", 0, ULONG_MAX))
VD_BUILTIN_TYPE(long long, MakeOrdTypeInfo(tkInt64, "Int64", LLONG_MIN, LLONG_MAX))
VD_BUILTIN_TYPE(float, MakeOrdTypeInfo(tkFloat, "Single", 0, 0))
VD_BUILTIN_TYPE(double, MakeOrdTypeInfo(tkFloat, "Double", 0, 0))
VD_BUILTIN_TYPE(long double, MakeOrdTypeInfo(tkFloat, "Extended", 0, 0))
VD_BUILTIN_TYPE(std::string, MakeOrdTypeInfo(tkString, "string", 0, 0))
