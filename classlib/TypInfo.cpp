#include "classlib/TypInfo.h"

namespace {

[[noreturn]] void RaisePropError(const std::string& Msg) { throw EPropertyError(Msg); }

[[noreturn]] void RaiseWrongKind(PPropInfo P) {
  RaisePropError("Invalid property type: " + P->Name + " is of type " + P->PropType->Name);
}

// The property must be of one of Kinds and belong to Instance's class.
void CheckKind(TObject* Instance, PPropInfo P, std::initializer_list<TTypeKind> Kinds) {
  if (!Instance || !Instance->InheritsFrom(P->DeclaringClass))
    RaisePropError("Property " + P->Name + " does not belong to " +
                   (Instance ? Instance->ClassName() : std::string("nil")));
  for (TTypeKind K : Kinds)
    if (P->Kind() == K) return;
  RaiseWrongKind(P);
}

void CheckWritable(PPropInfo P) {
  if (!P->IsWritable()) RaisePropError("Property " + P->Name + " is read-only");
}

// The bit mask of every element a set type can hold.
int64_t SetMask(const TTypeInfo* SetType) {
  int64_t Max = SetType->CompType->MaxValue;
  return Max >= 31 ? int64_t{0xFFFFFFFF} : ((int64_t{1} << (Max + 1)) - 1);
}

void CheckRange(PPropInfo P, int64_t Value) {
  bool Ok = P->Kind() == tkSet ? (Value & ~SetMask(P->PropType)) == 0
                               : Value >= P->PropType->MinValue && Value <= P->PropType->MaxValue;
  if (!Ok) RaisePropError("Value " + std::to_string(Value) + " is out of range for property " + P->Name);
}

}  // namespace

namespace typinfo_detail {
void RaiseBadObject(TClass Expected, TObject* Value) {
  RaisePropError("Invalid property value: a " + Value->ClassName() + " is not a " +
                 Expected->ClassName());
}
void RaiseDefinition(const char* ClassName, const char* PropName, const char* What) {
  RaisePropError(std::string("Bad published ") + What + " for " + ClassName + "." + PropName);
}
}  // namespace typinfo_detail

// ---- TPropAccessor defaults: reached only through a kind the property does not have -----------

int64_t TPropAccessor::GetOrd(TObject*) const { RaisePropError("Invalid property type"); }
void TPropAccessor::SetOrd(TObject*, int64_t) const { RaisePropError("Invalid property type"); }
long double TPropAccessor::GetFloat(TObject*) const { RaisePropError("Invalid property type"); }
void TPropAccessor::SetFloat(TObject*, long double) const { RaisePropError("Invalid property type"); }
std::string TPropAccessor::GetStr(TObject*) const { RaisePropError("Invalid property type"); }
void TPropAccessor::SetStr(TObject*, const std::string&) const {
  RaisePropError("Invalid property type");
}
TObject* TPropAccessor::GetObject(TObject*) const { RaisePropError("Invalid property type"); }
void TPropAccessor::SetObject(TObject*, TObject*) const { RaisePropError("Invalid property type"); }
TMethod TPropAccessor::GetMethod(TObject*) const { RaisePropError("Invalid property type"); }
void TPropAccessor::SetMethod(TObject*, const TMethod&) const {
  RaisePropError("Invalid property type");
}

// ---- Lookup -------------------------------------------------------------------------------------

PPropInfo GetPropInfo(TClass AClass, const std::string& PropName) {
  if (!AClass) return nullptr;
  for (const auto& P : AClass->TypeData().Props)
    if (SameText(P->Name, PropName)) return P.get();
  return nullptr;
}

PPropInfo GetPropInfo(const TObject* Instance, const std::string& PropName) {
  return Instance ? GetPropInfo(Instance->ClassType(), PropName) : nullptr;
}

TPropList GetPropList(TClass AClass) {
  TPropList List;
  if (!AClass) return List;
  for (const auto& P : AClass->TypeData().Props) List.push_back(P.get());
  return List;
}

TPropList GetPropList(const TObject* Instance) {
  return Instance ? GetPropList(Instance->ClassType()) : TPropList();
}

bool IsPublishedProp(const TObject* Instance, const std::string& PropName) {
  return GetPropInfo(Instance, PropName) != nullptr;
}

PPropInfo FindPropInfo(const TObject* Instance, const std::string& PropName) {
  PPropInfo P = GetPropInfo(Instance, PropName);
  if (!P) RaisePropError("Property " + PropName + " does not exist");
  return P;
}

// ---- Ordinal, enumeration, set ------------------------------------------------------------------

int64_t GetOrdProp(TObject* Instance, PPropInfo P) {
  CheckKind(Instance, P, {tkInteger, tkChar, tkEnumeration, tkSet, tkInt64});
  return P->Access->GetOrd(Instance);
}

void SetOrdProp(TObject* Instance, PPropInfo P, int64_t Value) {
  CheckKind(Instance, P, {tkInteger, tkChar, tkEnumeration, tkSet, tkInt64});
  CheckWritable(P);
  CheckRange(P, Value);
  P->Access->SetOrd(Instance, Value);
}

std::string GetEnumProp(TObject* Instance, PPropInfo P) {
  CheckKind(Instance, P, {tkEnumeration});
  return P->PropType->EnumName(P->Access->GetOrd(Instance));
}

void SetEnumProp(TObject* Instance, PPropInfo P, const std::string& Value) {
  CheckKind(Instance, P, {tkEnumeration});
  int64_t V = P->PropType->EnumValue(Value);
  if (V < 0) RaisePropError("Invalid enumeration name " + Value + " for property " + P->Name);
  SetOrdProp(Instance, P, V);
}

std::string GetSetProp(TObject* Instance, PPropInfo P, bool Brackets) {
  CheckKind(Instance, P, {tkSet});
  return SetToString(P->PropType, P->Access->GetOrd(Instance), Brackets);
}

void SetSetProp(TObject* Instance, PPropInfo P, const std::string& Value) {
  CheckKind(Instance, P, {tkSet});
  SetOrdProp(Instance, P, StringToSet(P->PropType, Value));
}

int64_t GetInt64Prop(TObject* Instance, PPropInfo P) {
  CheckKind(Instance, P, {tkInt64, tkInteger, tkChar, tkEnumeration, tkSet});
  return P->Access->GetOrd(Instance);
}

void SetInt64Prop(TObject* Instance, PPropInfo P, int64_t Value) { SetOrdProp(Instance, P, Value); }

// ---- Other kinds --------------------------------------------------------------------------------

std::string GetStrProp(TObject* Instance, PPropInfo P) {
  CheckKind(Instance, P, {tkString});
  return P->Access->GetStr(Instance);
}

void SetStrProp(TObject* Instance, PPropInfo P, const std::string& Value) {
  CheckKind(Instance, P, {tkString});
  CheckWritable(P);
  P->Access->SetStr(Instance, Value);
}

long double GetFloatProp(TObject* Instance, PPropInfo P) {
  CheckKind(Instance, P, {tkFloat});
  return P->Access->GetFloat(Instance);
}

void SetFloatProp(TObject* Instance, PPropInfo P, long double Value) {
  CheckKind(Instance, P, {tkFloat});
  CheckWritable(P);
  P->Access->SetFloat(Instance, Value);
}

TObject* GetObjectProp(TObject* Instance, PPropInfo P) {
  CheckKind(Instance, P, {tkClass});
  return P->Access->GetObject(Instance);
}

void SetObjectProp(TObject* Instance, PPropInfo P, TObject* Value) {
  CheckKind(Instance, P, {tkClass});
  CheckWritable(P);
  P->Access->SetObject(Instance, Value);
}

TMethod GetMethodProp(TObject* Instance, PPropInfo P) {
  CheckKind(Instance, P, {tkMethod});
  return P->Access->GetMethod(Instance);
}

void SetMethodProp(TObject* Instance, PPropInfo P, const TMethod& Value) {
  CheckKind(Instance, P, {tkMethod});
  CheckWritable(P);
  P->Access->SetMethod(Instance, Value);
}

// ---- By name ------------------------------------------------------------------------------------

#define VD_BY_NAME(Ret, Get, Set, ValueType)                                          \
  Ret Get(TObject* Instance, const std::string& PropName) {                           \
    return Get(Instance, FindPropInfo(Instance, PropName));                           \
  }                                                                                   \
  void Set(TObject* Instance, const std::string& PropName, ValueType Value) {         \
    Set(Instance, FindPropInfo(Instance, PropName), Value);                           \
  }

VD_BY_NAME(int64_t, GetOrdProp, SetOrdProp, int64_t)
VD_BY_NAME(std::string, GetEnumProp, SetEnumProp, const std::string&)
VD_BY_NAME(std::string, GetStrProp, SetStrProp, const std::string&)
VD_BY_NAME(long double, GetFloatProp, SetFloatProp, long double)
VD_BY_NAME(int64_t, GetInt64Prop, SetInt64Prop, int64_t)
VD_BY_NAME(TObject*, GetObjectProp, SetObjectProp, TObject*)
VD_BY_NAME(TMethod, GetMethodProp, SetMethodProp, const TMethod&)
#undef VD_BY_NAME

std::string GetSetProp(TObject* Instance, const std::string& PropName, bool Brackets) {
  return GetSetProp(Instance, FindPropInfo(Instance, PropName), Brackets);
}
void SetSetProp(TObject* Instance, const std::string& PropName, const std::string& Value) {
  SetSetProp(Instance, FindPropInfo(Instance, PropName), Value);
}

// ---- Stored and default -------------------------------------------------------------------------

bool IsStoredProp(TObject* Instance, PPropInfo P) {
  return P->StoredFunc ? P->StoredFunc(Instance) : P->StoredValue;
}

bool IsDefaultPropValue(TObject* Instance, PPropInfo P) {
  switch (P->Kind()) {
    case tkInteger:
    case tkChar:
    case tkEnumeration:
    case tkSet:
    case tkInt64:
      return P->Default && P->Access->GetOrd(Instance) == *P->Default;
    case tkFloat: return P->Access->GetFloat(Instance) == 0;
    case tkString: return P->Access->GetStr(Instance).empty();
    case tkClass: return P->Access->GetObject(Instance) == nullptr;
    case tkMethod: return P->Access->GetMethod(Instance).Code == nullptr;
    default: return false;
  }
}

// ---- Enumeration and set texts ------------------------------------------------------------------

std::string GetEnumName(const TTypeInfo* TypeInfo, int64_t Value) { return TypeInfo->EnumName(Value); }

int64_t GetEnumValue(const TTypeInfo* TypeInfo, const std::string& Name) {
  return TypeInfo->EnumValue(Name);
}

std::string SetToString(const TTypeInfo* SetType, int64_t Value, bool Brackets) {
  std::string S;
  const TTypeInfo* El = SetType->CompType;
  for (int64_t V = El->MinValue; V <= El->MaxValue && V < 32; ++V) {
    if (V < 0 || !(Value & (int64_t{1} << V))) continue;
    if (!S.empty()) S += ',';
    S += El->EnumName(V);
  }
  return Brackets ? "[" + S + "]" : S;
}

int64_t StringToSet(const TTypeInfo* SetType, const std::string& Value) {
  std::string Text = Trim(Value);
  if (!Text.empty() && Text.front() == '[') Text.erase(0, 1);
  if (!Text.empty() && Text.back() == ']') Text.pop_back();
  int64_t Result = 0;
  size_t Pos = 0;
  while (Pos <= Text.size()) {
    size_t Comma = Text.find(',', Pos);
    if (Comma == std::string::npos) Comma = Text.size();
    std::string Name = Trim(Text.substr(Pos, Comma - Pos));
    if (!Name.empty()) {
      int64_t V = SetType->CompType->EnumValue(Name);
      if (V < 0 || V >= 32) RaisePropError("Invalid set element name " + Name);
      Result |= int64_t{1} << V;
    }
    Pos = Comma + 1;
  }
  return Result;
}

// ---- Published methods and fields ---------------------------------------------------------------

const TMethodInfo* FindPublishedMethod(TClass AClass, const std::string& Name) {
  for (TClass C = AClass; C; C = C->ClassParent())
    for (const auto& M : C->TypeData().Methods)
      if (SameText(M.Name, Name)) return &M;
  return nullptr;
}

const TMethodInfo* FindPublishedMethodByCode(TClass AClass, const void* Code) {
  if (!Code) return nullptr;
  for (TClass C = AClass; C; C = C->ClassParent())
    for (const auto& M : C->TypeData().Methods)
      if (M.Code == Code) return &M;
  return nullptr;
}

const TFieldInfo* FindPublishedField(TClass AClass, const std::string& Name) {
  for (TClass C = AClass; C; C = C->ClassParent())
    for (const auto& F : C->TypeData().Fields)
      if (SameText(F.Name, Name)) return &F;
  return nullptr;
}

TMethod GetPublishedMethod(TObject* Instance, const std::string& Name, const void* Signature) {
  if (!Instance) return {};
  const TMethodInfo* M = FindPublishedMethod(Instance->ClassType(), Name);
  if (!M || (Signature && M->Signature != Signature)) return {};
  return TMethod{M->Code, static_cast<void*>(Instance)};
}

void* TObject::MethodAddress(const std::string& Name) const {
  const TMethodInfo* M = FindPublishedMethod(ClassType(), Name);
  return M ? M->Code : nullptr;
}

std::string TObject::MethodName(const void* Code) const {
  const TMethodInfo* M = FindPublishedMethodByCode(ClassType(), Code);
  return M ? M->Name : std::string();
}
