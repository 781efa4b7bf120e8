#include <algorithm>

#include "classlib/FormStream.h"

VD_DEFINE_CLASS(TWriter) {}

namespace {
// Sub-objects that lead back to themselves stop here.
constexpr int MaxSubObjectDepth = 16;
}  // namespace

struct TWriter::TImpl {
  TWriter& W;
  TComponent* Root = nullptr;
  // Where DefineProperties of the object being written puts its properties.
  std::vector<TFormProperty>* Target = nullptr;
  std::string Prefix;
  // Values written by a defined property: the outermost list collects them, inner lists nest.
  std::vector<TFormValue> Values;

  explicit TImpl(TWriter& Writer) : W(Writer) {}

  // Where K is described: inside its parent component when that is the root or one of the
  // root's components, otherwise directly inside the root.
  TComponent* NestParent(TComponent* K) const {
    TComponent* P = K->GetParentComponent();
    if (P && P != K && (P == Root || P->Owner() == Root)) return P;
    return Root;
  }

  TFormObject WriteComponent(TComponent* C, int Depth) {
    TFormObject Obj;
    Obj.Name = C->Name();
    Obj.ClassName = C->ClassName();
    SetWritingState(C, true);
    try {
      WriteProperties(C, "", Obj.Properties, 0);
      if (Depth < MaxFormNesting) {
        for (int I = 0; I < Root->ComponentCount(); ++I) {
          TComponent* K = Root->Components(I);
          if (K != C && NestParent(K) == C) Obj.Children.push_back(WriteComponent(K, Depth + 1));
        }
      }
    } catch (...) {
      SetWritingState(C, false);
      throw;
    }
    SetWritingState(C, false);
    return Obj;
  }

  // How a reference to K is written; "" when it cannot be.
  std::string ReferenceName(TComponent* K) const {
    if (K == Root) return Root->Name();
    if (K->Name().empty()) return {};
    if (K->Owner() == Root) return K->Name();
    if (K->Owner() && !K->Owner()->Name().empty()) return K->Owner()->Name() + "." + K->Name();
    return {};
  }

  static TFormValue SetValue(PPropInfo Info, int64_t Bits) {
    std::vector<std::string> Elements;
    const TTypeInfo* El = Info->PropType->CompType;
    for (int64_t V = std::max<int64_t>(El->MinValue, 0); V <= El->MaxValue && V < 32; ++V)
      if (Bits & (int64_t{1} << V)) Elements.push_back(El->EnumName(V));
    return TFormValue::OfSet(std::move(Elements));
  }

  void WriteProperties(TPersistent* Instance, const std::string& Path,
                       std::vector<TFormProperty>& Out, int Depth) {
    for (PPropInfo Info : GetPropList(Instance)) {
      if (!IsStoredProp(Instance, Info)) continue;
      std::string Name = Path + Info->Name;
      if (Info->Kind() == tkClass) {
        WriteObjectProperty(Instance, Info, Name, Out, Depth);
        continue;
      }
      if (!Info->IsWritable() || IsDefaultPropValue(Instance, Info)) continue;
      TFormValue V;
      switch (Info->Kind()) {
        case tkInteger: {
          int64_t Ord = GetOrdProp(Instance, Info);
          std::string Ident;
          TIntToIdent Map = FindIntToIdent(Info->PropType);
          if (Map && Ord >= INT32_MIN && Ord <= INT32_MAX && Map(static_cast<int>(Ord), Ident))
            V = TFormValue::OfIdent(Ident);
          else
            V = TFormValue::OfInteger(Ord);
          break;
        }
        case tkInt64: V = TFormValue::OfInteger(GetOrdProp(Instance, Info)); break;
        case tkChar:
          V = TFormValue::OfString(std::string(1, static_cast<char>(GetOrdProp(Instance, Info))));
          break;
        case tkEnumeration: V = TFormValue::OfIdent(GetEnumProp(Instance, Info)); break;
        case tkSet: V = SetValue(Info, GetOrdProp(Instance, Info)); break;
        case tkFloat: V = TFormValue::OfFloat(static_cast<double>(GetFloatProp(Instance, Info))); break;
        case tkString: V = TFormValue::OfString(GetStrProp(Instance, Info)); break;
        case tkMethod: {
          TMethod M = GetMethodProp(Instance, Info);
          if (M.Data != static_cast<void*>(static_cast<TObject*>(Root))) continue;
          std::string Method = Root->MethodName(M.Code);
          if (Method.empty()) continue;
          V = TFormValue::OfIdent(Method);
          break;
        }
        default: continue;
      }
      Out.push_back(TFormProperty{Name, std::move(V), 0});
    }
    WriteDefinedProperties(Instance, Path, Out);
    if (auto* Strings = dynamic_cast<TStrings*>(Instance); Strings && Strings->Count() > 0) {
      TFormValue List = TFormValue::OfKind(fvList);
      for (int I = 0; I < Strings->Count(); ++I) List.Items.push_back(TFormValue::OfString(Strings->Get(I)));
      Out.push_back(TFormProperty{Path + "Strings", std::move(List), 0});
    }
  }

  void WriteObjectProperty(TPersistent* Instance, PPropInfo Info, const std::string& Name,
                           std::vector<TFormProperty>& Out, int Depth) {
    TObject* Value = GetObjectProp(Instance, Info);
    if (!Value) return;
    if (auto* K = dynamic_cast<TComponent*>(Value)) {
      std::string Ref = Info->IsWritable() ? ReferenceName(K) : std::string();
      if (!Ref.empty()) Out.push_back(TFormProperty{Name, TFormValue::OfIdent(Ref), 0});
      return;
    }
    if (Depth >= MaxSubObjectDepth) return;
    if (auto* Coll = dynamic_cast<TCollection*>(Value)) {
      if (Coll->Count() == 0) return;
      TFormValue V = TFormValue::OfKind(fvCollection);
      for (int I = 0; I < Coll->Count(); ++I) {
        TFormItem Item;
        WriteProperties(Coll->Items(I), "", Item.Properties, Depth + 1);
        V.Collection.push_back(std::move(Item));
      }
      Out.push_back(TFormProperty{Name, std::move(V), 0});
      return;
    }
    if (auto* Sub = dynamic_cast<TPersistent*>(Value))
      WriteProperties(Sub, Name + ".", Out, Depth + 1);
  }

  void WriteDefinedProperties(TPersistent* Instance, const std::string& Path,
                              std::vector<TFormProperty>& Out) {
    std::vector<TFormProperty>* SavedTarget = Target;
    std::string SavedPrefix = Prefix;
    Target = &Out;
    Prefix = Path;
    try {
      Instance->DefineProperties(&W);
    } catch (...) {
      Target = SavedTarget;
      Prefix = SavedPrefix;
      throw;
    }
    Target = SavedTarget;
    Prefix = SavedPrefix;
  }

  void Put(TFormValue V) {
    if (Values.empty()) throw EWriteError("Values can only be written for a defined property");
    Values.back().Items.push_back(std::move(V));
  }

  // Runs WriteData and takes the one value it wrote (none: the property is left out).
  template <class F> void Capture(const std::string& Name, F WriteData) {
    std::vector<TFormValue> Saved;
    Saved.swap(Values);
    Values.push_back(TFormValue::OfKind(fvList));
    try {
      WriteData();
      if (Values.size() != 1) throw EWriteError("Unbalanced list in property " + Name);
      if (Values[0].Items.size() > 1) throw EWriteError("Property " + Name + " wrote more than one value");
    } catch (...) {
      Values.swap(Saved);
      throw;
    }
    std::vector<TFormValue> Written;
    Written.swap(Values[0].Items);
    Values.swap(Saved);
    if (!Written.empty()) Target->push_back(TFormProperty{Prefix + Name, std::move(Written[0]), 0});
  }
};

TWriter::TWriter(TStream& Stream) : TFiler(Stream), F(std::make_unique<TImpl>(*this)) {}

TWriter::~TWriter() = default;

void TWriter::SetWritingState(TComponent* C, bool On) {
  if (On) C->IncludeState(csWriting);
  else C->ExcludeState(csWriting);
}

void TWriter::WriteRootComponent(TComponent* Root) {
  F->Root = Root;
  SetRoot(Root);
  std::string Text = FormObjectToText(F->WriteComponent(Root, 0));
  Stream().WriteBuffer(Text.data(), static_cast<int32_t>(Text.size()));
}

void TWriter::DefineProperty(const std::string& Name, TReaderProc, TWriterProc WriteData, bool HasData) {
  if (!F->Target || !HasData || !WriteData) return;
  F->Capture(Name, [&] { WriteData(*this); });
}

void TWriter::DefineBinaryProperty(const std::string& Name, TStreamProc, TStreamProc WriteData,
                                   bool HasData) {
  if (!F->Target || !HasData || !WriteData) return;
  TMemoryStream Data;
  WriteData(Data);
  std::string Bytes(static_cast<const char*>(Data.Memory()), static_cast<size_t>(Data.Size()));
  F->Target->push_back(TFormProperty{F->Prefix + Name, TFormValue::OfBinary(std::move(Bytes)), 0});
}

void TWriter::WriteListBegin() {
  if (F->Values.empty()) throw EWriteError("Values can only be written for a defined property");
  F->Values.push_back(TFormValue::OfKind(fvList));
}

void TWriter::WriteListEnd() {
  if (F->Values.size() < 2) throw EWriteError("End of list without a list");
  TFormValue List = std::move(F->Values.back());
  F->Values.pop_back();
  F->Values.back().Items.push_back(std::move(List));
}

void TWriter::WriteInteger(int64_t Value) { F->Put(TFormValue::OfInteger(Value)); }
void TWriter::WriteBoolean(bool Value) { F->Put(TFormValue::OfIdent(Value ? "True" : "False")); }
void TWriter::WriteFloat(double Value) { F->Put(TFormValue::OfFloat(Value)); }
void TWriter::WriteString(const std::string& Value) { F->Put(TFormValue::OfString(Value)); }
void TWriter::WriteChar(char Value) { F->Put(TFormValue::OfString(std::string(1, Value))); }
void TWriter::WriteIdent(const std::string& Value) {
  if (!IsValidIdent(Value)) throw EWriteError("Invalid identifier " + Value);
  F->Put(TFormValue::OfIdent(Value));
}
