#include <algorithm>
#include <climits>

#include "classlib/FormStream.h"
#include "classlib/FormStreamInternal.h"

VD_DEFINE_CLASS(TReader) {}

namespace {

// A fault in one value; ReadProperty adds the property path and the line.
VD_DECLARE_EXCEPTION(EBadValue, Exception);

[[noreturn]] void Bad(const std::string& Msg) { throw EBadValue(Msg); }

std::string LineText(int Line) { return " on line " + std::to_string(Line); }

std::vector<std::string> SplitPath(const std::string& Path) {
  std::vector<std::string> Parts;
  size_t Start = 0;
  for (;;) {
    size_t Dot = Path.find('.', Start);
    Parts.push_back(Path.substr(Start, Dot == std::string::npos ? std::string::npos : Dot - Start));
    if (Dot == std::string::npos) return Parts;
    Start = Dot + 1;
  }
}

const char* KindName(TFormValueKind Kind) {
  switch (Kind) {
    case fvInteger: return "an integer";
    case fvFloat: return "a floating-point number";
    case fvString: return "a string";
    case fvIdent: return "an identifier";
    case fvSet: return "a set";
    case fvList: return "a list";
    case fvCollection: return "a collection";
    case fvBinary: return "binary data";
  }
  return "a value";
}

}  // namespace

using formstream_detail::TFixup;
using formstream_detail::TLoadSession;

// ---- The reading of one description -------------------------------------------------------------

struct TReader::TImpl {
  TReader& R;
  TStream& Stream;
  TLoadSession* Session;
  TComponent* Root = nullptr;
  TComponent* Owner = nullptr;
  TComponent* Parent = nullptr;
  int Line = 0;
  // Collections being read, outermost first: the fixups made inside them carry this chain.
  std::vector<TCollection*> Collections;

  // The defined property DefineProperties is asked for.
  const std::string* PendingName = nullptr;
  const TFormValue* PendingValue = nullptr;
  bool Handled = false;

  // Values of the defined property being read: [Pos, End) of the innermost list.
  struct TCursor {
    const TFormValue* Pos;
    const TFormValue* End;
  };
  std::vector<TCursor> Cursors;
  size_t CursorBase = 0;

  TImpl(TReader& Reader, TStream& S, TLoadSession* Sess) : R(Reader), Stream(S), Session(Sess) {}

  std::string ReadText() {
    int64_t Size = Stream.Size() - Stream.Position();
    if (Size < 0) Size = 0;
    if (Size > INT_MAX) throw EReadError("Form description too large");
    std::string Text(static_cast<size_t>(Size), '\0');
    if (Size) Stream.ReadBuffer(Text.data(), static_cast<int32_t>(Size));
    return Text;
  }

  // ---- Root and components ----

  static bool IsOfClass(TComponent* C, const std::string& ClassName) {
    for (TClass K = C->ClassType(); K; K = K->ClassParent())
      if (SameText(K->ClassName(), ClassName)) return true;
    return false;
  }

  // The described name, made unique among the components of Root's owner.
  static std::string UniqueRootName(TComponent* Root, const std::string& Name) {
    TComponent* RootOwner = Root->Owner();
    if (!RootOwner) return Name;
    std::string Candidate = Name;
    for (int I = 1;; ++I) {
      TComponent* Other = RootOwner->FindComponent(Candidate);
      if (!Other || Other == Root) return Candidate;
      Candidate = Name + "_" + std::to_string(I);
    }
  }

  void ReadRoot(TComponent* ARoot, const TFormObject& Obj) {
    Root = ARoot;
    Owner = ARoot;
    R.SetRoot(ARoot);
    Line = Obj.Line;
    if (!IsOfClass(ARoot, Obj.ClassName))
      throw EReadError("The description of a " + Obj.ClassName + " cannot be read into a " +
                       ARoot->ClassName() + LineText(Obj.Line));
    SetLoadingState(ARoot, csLoading, true);
    Session->AddLoaded(ARoot);
    if (!Obj.Name.empty() && !SameText(ARoot->Name(), Obj.Name)) {
      try {
        ARoot->SetName(UniqueRootName(ARoot, Obj.Name));
      } catch (const Exception& E) {
        throw EReadError("Error reading " + Obj.Name + LineText(Obj.Line) + ": " + E.Message());
      }
    }
    std::string Path = ARoot->Name().empty() ? ARoot->ClassName() : ARoot->Name();
    SetLoadingState(ARoot, csReading, true);
    ReadProperties(ARoot, Path, Obj.Properties);
    ReadChildren(CallGetChildParent(ARoot), Path, Obj.Children);
    SetLoadingState(ARoot, csReading, false);
  }

  void ReadChildren(TComponent* ChildParent, const std::string& Path,
                    const std::vector<TFormObject>& Children) {
    for (const auto& Child : Children) {
      TComponent* SavedParent = Parent;
      Parent = ChildParent;
      ReadComponent(Child, Path);
      Parent = SavedParent;
    }
  }

  TClass FindComponentClass(const std::string& ClassName) const {
    if (TClass C = GetClass(ClassName)) return C;
    // The classes of the root's published fields need no registration.
    for (TClass K = Root->ClassType(); K; K = K->ClassParent())
      for (const auto& Field : K->TypeData().Fields)
        if (SameText(Field.FieldClass->ClassName(), ClassName)) return Field.FieldClass;
    return nullptr;
  }

  // True when Parent is C or lies inside C (a reused component named again in its own body).
  static bool WouldContainItself(TComponent* C, TComponent* Parent) {
    int Steps = 0;
    for (TComponent* P = Parent; P; P = P->GetParentComponent())
      if (P == C || ++Steps > 10000) return true;
    return false;
  }

  void ReadComponent(const TFormObject& Obj, const std::string& ParentPath) {
    Line = Obj.Line;
    std::string Shown = Obj.Name.empty() ? Obj.ClassName : Obj.Name;
    auto Fail = [&](const std::string& Msg) -> void {
      throw EReadError("Error reading " + ParentPath + "." + Shown + LineText(Obj.Line) + ": " + Msg);
    };
    TComponent* C = Root->FindComponent(Obj.Name);
    bool Created = false;
    if (C) {
      if (!SameText(C->ClassName(), Obj.ClassName))
        Fail("A component named " + Obj.Name + " already exists");
      if (C == Root) Fail("A component cannot hold its own root");
    } else if (Obj.Inherited) {
      Fail("Inherited component " + Obj.Name + " not found");
    } else {
      TClass Class = FindComponentClass(Obj.ClassName);
      if (!Class) Fail("Class " + Obj.ClassName + " not found");
      if (!Class->InheritsFrom(ClassOf<TComponent>())) Fail(Obj.ClassName + " is not a component class");
      try {
        C = TComponentClass(Class).Create(Root);
      } catch (const EReadError&) {
        throw;
      } catch (const Exception& E) {
        Fail(E.Message());
      }
      if (!C) Fail("Cannot create a " + Obj.ClassName);
      Created = true;
      Session->Created.push_back(C);
    }
    try {
      SetLoadingState(C, csLoading, true);
      Session->AddLoaded(C);
      try {
        if (Created && !Obj.Name.empty()) C->SetName(Obj.Name);
        if (!C->Name().empty())
          if (const TFieldInfo* Field = FindPublishedField(Root->ClassType(), C->Name()))
            Field->Set(Root, C);
        if (WouldContainItself(C, Parent)) Fail("A component cannot contain itself");
        CallSetParentComponent(C, Parent);
      } catch (const EReadError&) {
        throw;
      } catch (const Exception& E) {
        Fail(E.Message());
      }
      std::string Path = ParentPath + "." + Shown;
      SetLoadingState(C, csReading, true);
      ReadProperties(C, Path, Obj.Properties);
      ReadChildren(CallGetChildParent(C), Path, Obj.Children);
      SetLoadingState(C, csReading, false);
    } catch (...) {
      if (Created) DiscardComponent(C);
      throw;
    }
  }

  // Frees a component made by this read whose reading failed, with what was read inside it, and
  // leaves no trace of them: not in the session, not in a published field of the root, not as
  // the parent of a component that stays. Everything the session took in after C was read inside
  // C; a component the root had before may have been moved into C too (named again inside it).
  void DiscardComponent(TComponent* C) noexcept {
    auto& Loaded = Session->Loaded;
    const auto At = std::find(Loaded.begin(), Loaded.end(), C);
    std::vector<TComponent*> Made;  // created while C was read: they go with it
    for (auto I = At == Loaded.end() ? Loaded.end() : At + 1; I != Loaded.end(); ++I)
      if (Session->WasCreated(*I)) Made.push_back(*I);
    // Everything leaves C's subtree first, so that no component frees another as its child (a
    // component may have been moved between parents while C was read): those that stay keep
    // living without a parent, the others go one by one.
    std::vector<TComponent*> Subtree;
    for (int I = 0; I < Root->ComponentCount(); ++I)
      if (Root->Components(I) != C && LiesInside(Root->Components(I), C)) Subtree.push_back(Root->Components(I));
    for (auto I = Subtree.rbegin(); I != Subtree.rend(); ++I) Detach(*I);
    for (auto I = Made.rbegin(); I != Made.rend(); ++I) {
      Forget(*I);
      (*I)->Free();
    }
    Forget(C);
    C->Free();
  }

  void Detach(TComponent* C) noexcept {
    try {
      CallSetParentComponent(C, nullptr);
    } catch (...) {
    }
  }

  // True when C's chain of parents reaches Ancestor.
  static bool LiesInside(TComponent* C, TComponent* Ancestor) {
    int Steps = 0;
    for (TComponent* P = C->GetParentComponent(); P && ++Steps < 10000; P = P->GetParentComponent())
      if (P == Ancestor) return true;
    return false;
  }

  void Forget(TComponent* C) noexcept {
    Session->RemoveLoaded(C);
    Session->Created.erase(std::remove(Session->Created.begin(), Session->Created.end(), C), Session->Created.end());
    if (!C->Name().empty())
      if (const TFieldInfo* Field = FindPublishedField(Root->ClassType(), C->Name()))
        if (Field->Get(Root) == C) Field->Set(Root, nullptr);
  }

  // ---- Properties ----

  void ReadProperties(TPersistent* Instance, const std::string& Path,
                      const std::vector<TFormProperty>& Props) {
    for (const auto& P : Props) ReadProperty(Instance, Path, P);
  }

  void ReadProperty(TPersistent* Instance, const std::string& Path, const TFormProperty& P) {
    int SavedLine = Line;
    Line = P.Line;
    try {
      std::vector<std::string> Parts = SplitPath(P.Name);
      TPersistent* Obj = Instance;
      for (size_t I = 0; I + 1 < Parts.size(); ++I) {
        PPropInfo Info = GetPropInfo(Obj, Parts[I]);
        if (!Info) Bad("Property " + Parts[I] + " does not exist");
        if (Info->Kind() != tkClass) Bad("Property " + Parts[I] + " is no object");
        auto* Sub = dynamic_cast<TPersistent*>(GetObjectProp(Obj, Info));
        if (!Sub) Bad("Property " + Parts[I] + " holds no object");
        Obj = Sub;
      }
      const std::string& Name = Parts.back();
      if (PPropInfo Info = GetPropInfo(Obj, Name)) {
        ReadPropValue(Obj, Info, P.Value, Path + "." + P.Name);
      } else if (!ReadDefinedProperty(Obj, Name, P.Value)) {
        Bad("Property " + Name + " does not exist");
      }
    } catch (const EReadError&) {
      throw;
    } catch (const EAbort&) {
      throw;
    } catch (const Exception& E) {
      throw EReadError("Error reading " + Path + "." + P.Name + LineText(P.Line) + ": " + E.Message());
    }
    Line = SavedLine;
  }

  bool ReadDefinedProperty(TPersistent* Obj, const std::string& Name, const TFormValue& Value) {
    const std::string* SavedName = PendingName;
    const TFormValue* SavedValue = PendingValue;
    bool SavedHandled = Handled;
    PendingName = &Name;
    PendingValue = &Value;
    Handled = false;
    auto Restore = [&] {
      PendingName = SavedName;
      PendingValue = SavedValue;
      bool Was = Handled;
      Handled = SavedHandled;
      return Was;
    };
    try {
      Obj->DefineProperties(&R);
      if (!Handled) {
        if (auto* Strings = dynamic_cast<TStrings*>(Obj); Strings && SameText(Name, "Strings")) {
          Handled = true;
          ReadStrings(Strings, Value);
        }
      }
    } catch (...) {
      Restore();
      throw;
    }
    return Restore();
  }

  void ReadStrings(TStrings* Strings, const TFormValue& Value) {
    if (Value.Kind != fvList) Bad("A list of strings expected");
    for (const auto& Item : Value.Items)
      if (Item.Kind != fvString) Bad("A list of strings expected");
    Strings->BeginUpdate();
    try {
      Strings->Clear();
      for (const auto& Item : Value.Items) Strings->Add(Item.Text);
    } catch (...) {
      Strings->EndUpdate();
      throw;
    }
    Strings->EndUpdate();
  }

  static void ExpectKind(const TFormValue& V, TFormValueKind Kind, PPropInfo Info) {
    if (V.Kind != Kind)
      Bad(std::string("Invalid property value: ") + KindName(V.Kind) + " for a property of type " +
          Info->PropType->Name);
  }

  void ReadPropValue(TPersistent* Obj, PPropInfo Info, const TFormValue& V, const std::string& Path) {
    switch (Info->Kind()) {
      case tkInteger:
      case tkInt64:
        if (V.Kind == fvIdent) {
          int Value = 0;
          TIdentToInt Map = FindIdentToInt(Info->PropType);
          if (!Map || !Map(V.Text, Value)) Bad("Invalid property value " + V.Text);
          SetOrdProp(Obj, Info, Value);
          return;
        }
        ExpectKind(V, fvInteger, Info);
        SetOrdProp(Obj, Info, V.Integer);
        return;
      case tkChar:
        if (V.Kind == fvString) {
          if (V.Text.size() != 1) Bad("A single character expected");
          SetOrdProp(Obj, Info, static_cast<unsigned char>(V.Text[0]));
          return;
        }
        ExpectKind(V, fvInteger, Info);
        SetOrdProp(Obj, Info, V.Integer);
        return;
      case tkEnumeration:
        ExpectKind(V, fvIdent, Info);
        SetEnumProp(Obj, Info, V.Text);
        return;
      case tkSet: {
        ExpectKind(V, fvSet, Info);
        int64_t Bits = 0;
        for (const auto& El : V.Elements) {
          int64_t Ord = Info->PropType->CompType->EnumValue(El);
          if (Ord < 0 || Ord >= 32) Bad("Invalid set element " + El);
          Bits |= int64_t{1} << Ord;
        }
        SetOrdProp(Obj, Info, Bits);
        return;
      }
      case tkFloat:
        if (V.Kind == fvInteger) SetFloatProp(Obj, Info, static_cast<long double>(V.Integer));
        else {
          ExpectKind(V, fvFloat, Info);
          SetFloatProp(Obj, Info, V.Float);
        }
        return;
      case tkString:
        ExpectKind(V, fvString, Info);
        SetStrProp(Obj, Info, V.Text);
        return;
      case tkClass:
        if (V.Kind == fvCollection) {
          auto* Coll = dynamic_cast<TCollection*>(GetObjectProp(Obj, Info));
          if (!Coll) Bad("Property " + Info->Name + " holds no collection");
          ReadCollection(Coll, V, Path);
          return;
        }
        ExpectKind(V, fvIdent, Info);
        if (SameText(V.Text, "nil")) {
          SetObjectProp(Obj, Info, nullptr);
          return;
        }
        Session->Fixups.push_back(TFixup{Root, Obj, Info, V.Text, Line, Path, Collections});
        return;
      case tkMethod: {
        ExpectKind(V, fvIdent, Info);
        if (SameText(V.Text, "nil")) {
          SetMethodProp(Obj, Info, TMethod{});
          return;
        }
        const TMethodInfo* M = FindPublishedMethod(Root->ClassType(), V.Text);
        if (!M) Bad("Method " + V.Text + " not found in " + Root->ClassName());
        if (Info->PropType->Signature && M->Signature != Info->PropType->Signature)
          Bad("Method " + V.Text + " does not fit event " + Info->Name);
        SetMethodProp(Obj, Info, TMethod{M->Code, static_cast<void*>(static_cast<TObject*>(Root))});
        return;
      }
      default: Bad("Property " + Info->Name + " cannot be read");
    }
  }

  void ReadCollection(TCollection* Coll, const TFormValue& V, const std::string& Path) {
    // Items about to go may hold pending references.
    Session->DropFixupsIn(Coll);
    Collections.push_back(Coll);
    Coll->BeginUpdate();
    try {
      Coll->Clear();
      for (size_t I = 0; I < V.Collection.size(); ++I) {
        TCollectionItem* Item = Coll->Add();
        ReadProperties(Item, Path + "[" + std::to_string(I) + "]", V.Collection[I].Properties);
      }
    } catch (...) {
      Collections.pop_back();
      Coll->EndUpdate();
      throw;
    }
    Collections.pop_back();
    Coll->EndUpdate();
  }

  // ---- Defined-property values ----

  const TFormValue& Take(const char* What) {
    if (Cursors.size() <= CursorBase || Cursors.back().Pos == Cursors.back().End)
      Bad(std::string(What) + " expected");
    return *Cursors.back().Pos++;
  }
  const TFormValue* PeekValue() const {
    if (Cursors.size() <= CursorBase || Cursors.back().Pos == Cursors.back().End) return nullptr;
    return Cursors.back().Pos;
  }
  const TFormValue& TakeKind(TFormValueKind Kind, const char* What) {
    const TFormValue& V = Take(What);
    if (V.Kind != Kind) Bad(std::string(What) + " expected instead of " + KindName(V.Kind));
    return V;
  }

  // Runs ReadData over Value; it must take exactly that value.
  template <class F> void WithValue(const TFormValue& Value, F ReadData) {
    size_t SavedBase = CursorBase;
    size_t SavedSize = Cursors.size();
    Cursors.push_back(TCursor{&Value, &Value + 1});
    CursorBase = Cursors.size() - 1;
    try {
      ReadData();
      if (Cursors.size() != CursorBase + 1) Bad("Unbalanced list in property value");
      if (Cursors.back().Pos != Cursors.back().End) Bad("Property value not read");
    } catch (...) {
      Cursors.resize(SavedSize);
      CursorBase = SavedBase;
      throw;
    }
    Cursors.resize(SavedSize);
    CursorBase = SavedBase;
  }
};

// ---- Session ------------------------------------------------------------------------------------

namespace formstream_detail {

void TLoadSession::AddLoaded(TComponent* C) {
  if (std::find(Loaded.begin(), Loaded.end(), C) == Loaded.end()) Loaded.push_back(C);
}

bool TLoadSession::WasCreated(TComponent* C) const {
  return std::find(Created.begin(), Created.end(), C) != Created.end();
}

void TLoadSession::RemoveLoaded(TComponent* C) {
  Loaded.erase(std::remove(Loaded.begin(), Loaded.end(), C), Loaded.end());
}

void TLoadSession::DropFixupsIn(TCollection* Coll) {
  Fixups.erase(std::remove_if(Fixups.begin(), Fixups.end(),
                              [Coll](const TFixup& F) {
                                return std::find(F.Collections.begin(), F.Collections.end(), Coll) !=
                                       F.Collections.end();
                              }),
               Fixups.end());
}

// The component Name refers to from Root; Local false when it lies in another root.
TComponent* ResolveReference(TComponent* Root, const std::string& Name, bool& Local) {
  Local = true;
  size_t Dot = Name.find('.');
  if (Dot == std::string::npos) {
    if (TComponent* C = Root->FindComponent(Name)) return C;
    return SameText(Root->Name(), Name) ? Root : nullptr;
  }
  std::string RootName = Name.substr(0, Dot);
  std::string Rest = Name.substr(Dot + 1);
  if (SameText(Root->Name(), RootName)) return Root->FindComponent(Rest);
  Local = false;
  TComponent* Other = FindGlobalComponent(RootName);
  if (!Other) return nullptr;
  Local = true;  // the other root exists: the component must be there
  return Other->FindComponent(Rest);
}

}  // namespace formstream_detail

// ---- TReader ------------------------------------------------------------------------------------

TReader::TReader(TStream& Stream) : TReader(Stream, nullptr) {}

TReader::TReader(TStream& Stream, TLoadSession* Session)
    : TFiler(Stream), F(std::make_unique<TImpl>(*this, Stream, Session)) {}

TReader::~TReader() = default;

void TReader::SetLoadingState(TComponent* C, TComponentStateItem Item, bool On) {
  if (On) C->IncludeState(Item);
  else C->ExcludeState(Item);
}
void TReader::CallLoaded(TComponent* C) { C->Loaded(); }
void TReader::CallSetParentComponent(TComponent* C, TComponent* Parent) { C->SetParentComponent(Parent); }
TComponent* TReader::CallGetChildParent(TComponent* C) { return C->GetChildParent(); }

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  TFormObject Obj = ParseFormText(F->ReadText());
  TComponent* Created = nullptr;
  if (!Root) {
    TClass Class = GetClass(Obj.ClassName);
    if (!Class) throw EReadError("Class " + Obj.ClassName + " not found" + LineText(Obj.Line));
    if (!Class->InheritsFrom(ClassOf<TComponent>()))
      throw EReadError(Obj.ClassName + " is not a component class" + LineText(Obj.Line));
    Root = Created = TComponentClass(Class).Create(nullptr);
  }
  TLoadSession OwnSession;
  bool Own = F->Session == nullptr;
  if (Own) F->Session = &OwnSession;
  try {
    F->ReadRoot(Root, Obj);
    if (Own) FinishSession(OwnSession);
  } catch (...) {
    if (Own) FailSession(OwnSession);
    if (Own) F->Session = nullptr;
    if (Created) Created->Free();
    throw;
  }
  if (Own) F->Session = nullptr;
  return Root;
}

void TReader::FinishSession(TLoadSession& Session) {
  // References first, so that Loaded sees them.
  std::vector<TFixup> Fixups;
  Fixups.swap(Session.Fixups);
  for (const TFixup& Fix : Fixups) {
    bool Local = true;
    TComponent* Target = formstream_detail::ResolveReference(Fix.Root, Fix.Name, Local);
    if (!Target && !Local) continue;  // another root that does not exist (yet)
    try {
      if (!Target) Bad("Unresolved reference to " + Fix.Name);
      SetObjectProp(Fix.Instance, Fix.Prop, Target);
    } catch (const Exception& E) {
      throw EReadError("Error reading " + Fix.Path + LineText(Fix.Line) + ": " + E.Message());
    }
  }
  Session.Created.clear();
  std::vector<TComponent*> Loaded;
  Loaded.swap(Session.Loaded);
  for (size_t I = 0; I < Loaded.size(); ++I) {
    try {
      CallLoaded(Loaded[I]);
    } catch (...) {
      for (size_t J = I; J < Loaded.size(); ++J) SetLoadingState(Loaded[J], csLoading, false);
      throw;
    }
    SetLoadingState(Loaded[I], csReading, false);
  }
}

void TReader::FailSession(TLoadSession& Session) noexcept {
  for (TComponent* C : Session.Loaded) {
    SetLoadingState(C, csLoading, false);
    SetLoadingState(C, csReading, false);
  }
  Session.Loaded.clear();
  Session.Created.clear();
  Session.Fixups.clear();
}

void TReader::DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc,
                             bool) {
  if (!F->PendingName || F->Handled || !SameText(Name, *F->PendingName)) return;
  F->Handled = true;
  if (!ReadData) Bad("Property " + Name + " cannot be read");
  F->WithValue(*F->PendingValue, [&] { ReadData(*this); });
}

void TReader::DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc,
                                   bool) {
  if (!F->PendingName || F->Handled || !SameText(Name, *F->PendingName)) return;
  F->Handled = true;
  if (!ReadData) Bad("Property " + Name + " cannot be read");
  if (F->PendingValue->Kind != fvBinary) Bad("Binary value expected for " + Name);
  const std::string& Bytes = F->PendingValue->Text;
  TMemoryStream Data;
  if (!Bytes.empty()) Data.WriteBuffer(Bytes.data(), static_cast<int32_t>(Bytes.size()));
  Data.SetPosition(0);
  ReadData(Data);
}

TValueType TReader::NextValue() const {
  const TFormValue* V = F->PeekValue();
  if (!V) return vaNull;
  switch (V->Kind) {
    case fvInteger: return vaInteger;
    case fvFloat: return vaExtended;
    case fvString: return vaString;
    case fvIdent:
      if (SameText(V->Text, "True")) return vaTrue;
      if (SameText(V->Text, "False")) return vaFalse;
      if (SameText(V->Text, "nil")) return vaNil;
      return vaIdent;
    case fvSet: return vaSet;
    case fvList: return vaList;
    case fvCollection: return vaCollection;
    case fvBinary: return vaBinary;
  }
  return vaNull;
}

bool TReader::EndOfList() const { return F->PeekValue() == nullptr; }

void TReader::ReadListBegin() {
  const TFormValue& V = F->TakeKind(fvList, "A list");
  F->Cursors.push_back(TImpl::TCursor{V.Items.data(), V.Items.data() + V.Items.size()});
}

void TReader::ReadListEnd() {
  if (F->Cursors.size() <= F->CursorBase + 1) Bad("End of list without a list");
  if (F->Cursors.back().Pos != F->Cursors.back().End) Bad("End of list expected");
  F->Cursors.pop_back();
}

int TReader::ReadInteger() {
  int64_t V = F->TakeKind(fvInteger, "An integer").Integer;
  if (V < INT_MIN || V > INT_MAX) Bad("Integer out of range");
  return static_cast<int>(V);
}

int64_t TReader::ReadInt64() { return F->TakeKind(fvInteger, "An integer").Integer; }

bool TReader::ReadBoolean() {
  const TFormValue& V = F->TakeKind(fvIdent, "A Boolean");
  if (SameText(V.Text, "True")) return true;
  if (SameText(V.Text, "False")) return false;
  Bad("A Boolean expected instead of " + V.Text);
}

double TReader::ReadFloat() {
  const TFormValue& V = F->Take("A number");
  if (V.Kind == fvInteger) return static_cast<double>(V.Integer);
  if (V.Kind != fvFloat) Bad(std::string("A number expected instead of ") + KindName(V.Kind));
  return V.Float;
}

std::string TReader::ReadString() { return F->TakeKind(fvString, "A string").Text; }

char TReader::ReadChar() {
  const std::string& S = F->TakeKind(fvString, "A character").Text;
  if (S.size() != 1) Bad("A single character expected");
  return S[0];
}

std::string TReader::ReadIdent() { return F->TakeKind(fvIdent, "An identifier").Text; }

TComponent* TReader::Owner() const noexcept { return F->Owner; }
TComponent* TReader::Parent() const noexcept { return F->Parent; }
int TReader::Line() const noexcept { return F->Line; }
