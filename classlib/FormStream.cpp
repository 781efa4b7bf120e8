#include "classlib/FormStream.h"

#include <algorithm>
#include <mutex>

#include "classlib/FormStreamInternal.h"

extern "C" IMAGE_DOS_HEADER __ImageBase;

// ---- Identifier maps ----------------------------------------------------------------------------

bool IdentToInt(const std::string& Ident, int& Value, const TIdentMapEntry* Map, size_t Count) {
  for (size_t I = 0; I < Count; ++I) {
    if (SameText(Map[I].Name, Ident)) {
      Value = Map[I].Value;
      return true;
    }
  }
  return false;
}

bool IntToIdent(int Value, std::string& Ident, const TIdentMapEntry* Map, size_t Count) {
  for (size_t I = 0; I < Count; ++I) {
    if (Map[I].Value == Value) {
      Ident = Map[I].Name;
      return true;
    }
  }
  return false;
}

namespace {

struct TIntConsts {
  const TTypeInfo* Type;
  TIdentToInt ToInt;
  TIntToIdent ToIdent;
};

struct TIntConstRegistry {
  TCriticalSection Lock;
  std::vector<TIntConsts> Entries;

  const TIntConsts* Find(const TTypeInfo* Type) const {
    for (const auto& E : Entries)
      if (E.Type == Type) return &E;
    for (const auto& E : Entries)
      if (SameText(E.Type->Name, Type->Name)) return &E;
    return nullptr;
  }
};

TIntConstRegistry& IntConsts() {
  static TIntConstRegistry R;
  return R;
}

struct TGlobalFinders {
  TCriticalSection Lock;
  std::vector<TFindGlobalComponent> Procs;
};

TGlobalFinders& GlobalFinders() {
  static TGlobalFinders R;
  return R;
}

}  // namespace

void RegisterIntegerConsts(const TTypeInfo* IntegerType, TIdentToInt ToInt, TIntToIdent ToIdent) {
  if (!IntegerType) return;
  auto& R = IntConsts();
  std::lock_guard Guard(R.Lock);
  for (auto& E : R.Entries) {
    if (E.Type == IntegerType) {
      E.ToInt = std::move(ToInt);
      E.ToIdent = std::move(ToIdent);
      return;
    }
  }
  R.Entries.push_back(TIntConsts{IntegerType, std::move(ToInt), std::move(ToIdent)});
}

void UnRegisterIntegerConsts(const TTypeInfo* IntegerType) {
  auto& R = IntConsts();
  std::lock_guard Guard(R.Lock);
  R.Entries.erase(std::remove_if(R.Entries.begin(), R.Entries.end(),
                                 [IntegerType](const TIntConsts& E) { return E.Type == IntegerType; }),
                  R.Entries.end());
}

TIdentToInt FindIdentToInt(const TTypeInfo* IntegerType) {
  if (!IntegerType) return {};
  auto& R = IntConsts();
  std::lock_guard Guard(R.Lock);
  const TIntConsts* E = R.Find(IntegerType);
  return E ? E->ToInt : TIdentToInt();
}

TIntToIdent FindIntToIdent(const TTypeInfo* IntegerType) {
  if (!IntegerType) return {};
  auto& R = IntConsts();
  std::lock_guard Guard(R.Lock);
  const TIntConsts* E = R.Find(IntegerType);
  return E ? E->ToIdent : TIntToIdent();
}

// ---- Roots of other descriptions ----------------------------------------------------------------

void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
  if (!Proc) return;
  auto& R = GlobalFinders();
  std::lock_guard Guard(R.Lock);
  if (std::find(R.Procs.begin(), R.Procs.end(), Proc) == R.Procs.end()) R.Procs.push_back(Proc);
}

void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
  auto& R = GlobalFinders();
  std::lock_guard Guard(R.Lock);
  R.Procs.erase(std::remove(R.Procs.begin(), R.Procs.end(), Proc), R.Procs.end());
}

TComponent* FindGlobalComponent(const std::string& Name) {
  std::vector<TFindGlobalComponent> Procs;
  {
    auto& R = GlobalFinders();
    std::lock_guard Guard(R.Lock);
    Procs = R.Procs;
  }
  for (TFindGlobalComponent Proc : Procs)
    if (TComponent* C = Proc(Name)) return C;
  return nullptr;
}

// ---- Resources ----------------------------------------------------------------------------------

HINSTANCE FormResourceModule() noexcept { return reinterpret_cast<HINSTANCE>(&__ImageBase); }

std::string FormResourceName(TClass AClass) { return AClass ? UpperCase(AClass->ClassName()) : std::string(); }

namespace {
const char* const RcData = MAKEINTRESOURCEA(10);  // RT_RCDATA

bool HasFormResource(const std::string& Name) {
  return FindResourceA(FormResourceModule(), Name.c_str(), RcData) != nullptr;
}
}  // namespace

bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor) {
  if (!Instance) return false;
  std::vector<TClass> Chain;
  for (TClass C = Instance->ClassType(); C && C != RootAncestor && C != ClassOf<TComponent>();
       C = C->ClassParent())
    Chain.push_back(C);
  std::reverse(Chain.begin(), Chain.end());

  formstream_detail::TLoadSession Session;
  bool Any = false;
  try {
    for (TClass C : Chain) {
      std::string Name = FormResourceName(C);
      if (!HasFormResource(Name)) continue;
      TResourceStream Stream(FormResourceModule(), Name, RcData);
      TReader Reader(Stream, &Session);
      Reader.ReadRootComponent(Instance);
      Any = true;
    }
    if (Any) TReader::FinishSession(Session);
  } catch (...) {
    TReader::FailSession(Session);
    throw;
  }
  return Any;
}

TComponent* ReadComponentRes(const std::string& ResName, TComponent* Instance) {
  TResourceStream Stream(FormResourceModule(), ResName, RcData);
  return TReader(Stream).ReadRootComponent(Instance);
}

TComponent* ReadComponentFromText(const std::string& Text, TComponent* Instance) {
  TStringStream Stream(Text);
  return TReader(Stream).ReadRootComponent(Instance);
}

std::string WriteComponentToText(TComponent* Root) {
  TStringStream Stream;
  TWriter(Stream).WriteRootComponent(Root);
  return Stream.DataString();
}
