// TComponent: ownership and destruction order, notifications, names, virtual construction by
// class name, Assign errors, COM forwarding.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/TypInfo.h"

namespace {

std::vector<std::string> Log;

// A component that logs its life and remembers one referenced component.
class TLogged : public TComponent {
  VD_CLASS(TLogged, TComponent);

public:
  explicit TLogged(TComponent* AOwner) : TComponent(AOwner) {}
  TComponent* Ref = nullptr;
  bool Constructed = false;

  void AfterConstruction() override { Constructed = true; }
  void SetRef(TComponent* Value) {
    if (Ref && Ref != Value) Ref->RemoveFreeNotification(this);
    Ref = Value;
    if (Ref) Ref->FreeNotification(this);
  }
  void BeforeDestruction() override {
    Log.push_back(Name() + ".BeforeDestruction");
    inherited::BeforeDestruction();
  }

protected:
  ~TLogged() override { Log.push_back(Name() + ".~"); }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == Ref) {
      Log.push_back(Name() + ".lost " + AComponent->Name());
      Ref = nullptr;
    }
  }
};
VD_DEFINE_CLASS(TLogged) {}

// Stands for a windowed control: its "window" goes in BeforeDestroyComponents.
class TWindowed : public TLogged {
  VD_CLASS(TWindowed, TLogged);

public:
  explicit TWindowed(TComponent* AOwner) : TLogged(AOwner) {}

protected:
  void BeforeDestroyComponents() override {
    std::string Seen = Name() + ".window gone; children:";
    for (int I = 0; I < ComponentCount(); ++I) {
      TComponent* C = Components(I);
      Seen += " " + C->Name() + (C->ComponentState().Contains(csDestroying) ? "(destroying)" : "");
    }
    Log.push_back(Seen);
    inherited::BeforeDestroyComponents();
  }
};
VD_DEFINE_CLASS(TWindowed) {}

TEST(Component, DestructionOrder) {
  Log.clear();
  auto* Form = TWindowed::Create(nullptr);
  Form->SetName("Form");
  auto* Panel = TWindowed::Create(Form);
  Panel->SetName("Panel");
  auto* Edit = TLogged::Create(Panel);
  Edit->SetName("Edit");
  auto* Label = TLogged::Create(Form);
  Label->SetName("Label");
  EXPECT_EQ(Form->ComponentCount(), 2);
  EXPECT_EQ(Panel->Owner(), Form);

  Form->Free();
  std::vector<std::string> Expected = {
      "Form.BeforeDestruction",
      "Form.window gone; children: Panel(destroying) Label(destroying)",
      "Label.BeforeDestruction",  // owned components go last first
      "Label.~",
      "Panel.BeforeDestruction",
      "Panel.window gone; children: Edit(destroying)",
      "Edit.BeforeDestruction",
      "Edit.~",
      "Panel.~",
      "Form.~",
  };
  EXPECT_EQ(Log, Expected);
}

TEST(Component, FreeNotificationWorksBothWays) {
  Log.clear();
  auto* FormA = TLogged::Create(nullptr);
  auto* FormB = TLogged::Create(nullptr);
  auto* A = TLogged::Create(FormA);
  A->SetName("A");
  auto* B = TLogged::Create(FormB);
  B->SetName("B");

  A->SetRef(B);
  B->SetRef(A);
  EXPECT_TRUE(A->ComponentState().Contains(csFreeNotification));
  B->Free();  // A hears of it; B's own reference to A must not be notified later
  EXPECT_EQ(A->Ref, nullptr);
  EXPECT_EQ(Log, (std::vector<std::string>{"B.BeforeDestruction", "A.lost B", "B.~"}));
  EXPECT_FALSE(A->ComponentState().Contains(csFreeNotification)) << "the link is gone";

  auto* C = TLogged::Create(FormB);
  C->SetName("C");
  C->SetRef(A);
  C->SetRef(nullptr);  // RemoveFreeNotification: no notification for C any more
  Log.clear();
  FormA->Free();
  for (const auto& Line : Log) EXPECT_NE(Line, "C.lost A");
  FormB->Free();
}

TEST(Component, SiblingsHearOfEachOtherThroughTheirOwner) {
  Log.clear();
  auto* Form = TLogged::Create(nullptr);
  auto* List = TLogged::Create(Form);
  List->SetName("ImageList");
  auto* User = TLogged::Create(Form);
  User->SetName("User");
  User->SetRef(List);  // same owner: no link needed
  EXPECT_FALSE(User->ComponentState().Contains(csFreeNotification));
  List->Free();
  EXPECT_EQ(User->Ref, nullptr);
  EXPECT_EQ(Form->ComponentCount(), 1);
  Form->Free();
}

TEST(Component, NamesAndFindComponent) {
  TObjectPtr<TComponent> Form(TComponent::Create(nullptr));
  auto* A = TComponent::Create(Form.get());
  A->SetName("Button1");
  auto* B = TComponent::Create(Form.get());
  auto* C = TComponent::Create(Form.get());  // several unnamed components are fine
  EXPECT_EQ(Form->FindComponent("BUTTON1"), A);
  EXPECT_EQ(Form->FindComponent(""), nullptr);
  EXPECT_EQ(Form->FindComponent("Nope"), nullptr);

  try {
    B->SetName("button1");
    FAIL();
  } catch (const EComponentError& E) {
    EXPECT_EQ(E.Message(), "A component named button1 already exists");
  }
  EXPECT_EQ(B->Name(), "");
  for (const char* Bad : {"1st", "two words", "a-b", "\xE4"}) {
    try {
      B->SetName(Bad);
      FAIL() << Bad;
    } catch (const EComponentError& E) {
      EXPECT_EQ(E.Message(), std::string("Component name \"") + Bad + "\" is not valid");
    }
  }
  A->SetName("BUTTON1");  // a change of case is no clash with itself
  EXPECT_EQ(A->Name(), "BUTTON1");
  B->SetName("_x2");
  EXPECT_EQ(B->ComponentIndex(), 1);
  B->SetComponentIndex(0);
  EXPECT_EQ(Form->Components(0), B);
  EXPECT_THROW(Form->Components(3), EListError);

  // Moving a component into an owner that holds its name fails and leaves it where it was.
  TObjectPtr<TComponent> Other(TComponent::Create(nullptr));
  auto* D = TComponent::Create(Other.get());
  D->SetName("_X2");
  EXPECT_THROW(Form->InsertComponent(D), EComponentError);
  EXPECT_EQ(D->Owner(), Other.get());
  D->SetName("D");
  Form->InsertComponent(D);
  EXPECT_EQ(D->Owner(), Form.get());
  EXPECT_EQ(Other->ComponentCount(), 0);
  C->SetTag(7);
  EXPECT_EQ(GetOrdProp(C, "tag"), 7);
}

TEST(Component, DesigningStatePassesToOwnedComponents) {
  TObjectPtr<TComponent> Form(TComponent::Create(nullptr));
  Form->SetDesigning(true);
  auto* A = TComponent::Create(Form.get());
  EXPECT_TRUE(A->ComponentState().Contains(csDesigning)) << "inserted into a designing owner";
  Form->SetDesigning(false);
  EXPECT_FALSE(A->ComponentState().Contains(csDesigning));
}

// ---- virtual construction ----

class TTestButton : public TLogged {
  VD_CLASS(TTestButton, TLogged);

public:
  explicit TTestButton(TComponent* AOwner) : TLogged(AOwner), Caption("made by TTestButton") {}
  std::string Caption;
};
VD_DEFINE_CLASS(TTestButton) {}

class TAbstractThing : public TComponent {
  VD_CLASS(TAbstractThing, TComponent);

public:
  explicit TAbstractThing(TComponent* AOwner) : TComponent(AOwner) {}
  virtual void Run() = 0;
};
VD_DEFINE_CLASS(TAbstractThing) {}

TEST(Component, VirtualConstructionByClassName) {
  RegisterClasses({ClassOf<TTestButton>(), ClassOf<TLogged>()});
  RegisterClass(ClassOf<TTestButton>());  // again: nothing happens
  TObjectPtr<TComponent> Form(TComponent::Create(nullptr));

  TComponentClass Cls(FindClass("ttestbutton"));
  TComponent* Made = Cls.Create(Form.get());
  ASSERT_NE(Made, nullptr);
  EXPECT_EQ(Made->ClassName(), "TTestButton");
  EXPECT_EQ(Made->ClassParent(), ClassOf<TLogged>());
  EXPECT_EQ(Made->Owner(), Form.get());
  auto* Button = dynamic_cast<TTestButton*>(Made);
  ASSERT_NE(Button, nullptr);
  EXPECT_EQ(Button->Caption, "made by TTestButton") << "the most derived constructor ran";
  EXPECT_TRUE(Button->Constructed) << "and AfterConstruction";
  EXPECT_TRUE(Made->InheritsFrom(ClassOf<TComponent>()));
  EXPECT_TRUE(Made->Is<TLogged>());
  EXPECT_FALSE(Made->Is<TStringList>());

  try {
    FindClass("TNoSuchClass");
    FAIL();
  } catch (const EClassNotFound& E) {
    EXPECT_EQ(E.Message(), "Class TNoSuchClass not found");
  }
  EXPECT_EQ(GetClass("TNoSuchClass"), nullptr);
  EXPECT_THROW(TComponentClass(ClassOf<TStringList>()), EInvalidCast);
  EXPECT_FALSE(ClassOf<TAbstractThing>()->CanCreate());
  EXPECT_THROW(TComponentClass::Of<TAbstractThing>().Create(nullptr), EInvalidOperation);
  TStringList NotAnOwner;
  EXPECT_THROW(ClassOf<TComponent>()->CreateInstance(&NotAnOwner), EInvalidCast);

  // A class reference without owner: TStringList is created without argument.
  TObjectPtr<TPersistent> List(TPersistentClass(ClassOf<TStringList>()).Create());
  EXPECT_EQ(List->ClassName(), "TStringList");
  UnRegisterClass(ClassOf<TTestButton>());
  EXPECT_EQ(GetClass("TTestButton"), nullptr);
}

namespace other {
class TTestButton : public TComponent {
  VD_CLASS(TTestButton, TComponent);

public:
  explicit TTestButton(TComponent* AOwner) : TComponent(AOwner) {}
};
VD_DEFINE_CLASS(TTestButton) {}
}  // namespace other

TEST(Component, RegisteringAnotherClassOfATakenNameFails) {
  RegisterClass(ClassOf<TTestButton>());
  try {
    RegisterClass(ClassOf<other::TTestButton>());
    FAIL();
  } catch (const EFilerError& E) {
    EXPECT_EQ(E.Message(), "A class named TTestButton already exists");
  }
  UnRegisterClass(ClassOf<TTestButton>());
}

// ---- Assign ----

class TPoint2 : public TPersistent {
  VD_CLASS(TPoint2, TPersistent);

public:
  int X = 0;
  void Assign(TPersistent* Source) override {
    if (auto* P = dynamic_cast<TPoint2*>(Source)) X = P->X;
    else inherited::Assign(Source);
  }

protected:
  // Knows how to copy itself into a string list.
  void AssignTo(TPersistent* Dest) override {
    if (auto* L = dynamic_cast<TStrings*>(Dest)) {
      L->SetText(std::to_string(X));
      return;
    }
    inherited::AssignTo(Dest);
  }
};
VD_DEFINE_CLASS(TPoint2) {}

TEST(Component, AssignErrorsNameBothClasses) {
  TPoint2 P, Q;
  Q.X = 3;
  P.Assign(&Q);
  EXPECT_EQ(P.X, 3);

  TStringList L;
  try {
    P.Assign(&L);
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), "Cannot assign a TStringList to a TPoint2");
  }
  try {
    P.Assign(nullptr);
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), "Cannot assign a nil to a TPoint2");
  }
  L.Assign(&P);  // the source's AssignTo knows the destination
  EXPECT_EQ(L.Text(), "3\r\n");
  TObjectPtr<TComponent> C(TComponent::Create(nullptr));
  try {
    C->Assign(&L);
    FAIL();
  } catch (const EConvertError& E) {
    EXPECT_EQ(E.Message(), "Cannot assign a TStringList to a TComponent");
  }
}

// ---- COM forwarding ----

struct TCountingUnknown : IUnknown {
  ULONG Refs = 1;
  int Queries = 0;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** Obj) override {
    ++Queries;
    *Obj = this;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++Refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --Refs; }
};

TEST(Component, ComHelpersForwardToTheBoundObject) {
  TObjectPtr<TComponent> C(TComponent::Create(nullptr));
  void* Obj = reinterpret_cast<void*>(1);
  EXPECT_EQ(C->ComQueryInterface(IID_IUnknown, &Obj), E_NOINTERFACE);
  EXPECT_EQ(Obj, nullptr);
  EXPECT_EQ(C->ComAddRef(), ULONG(-1)) << "no counting while unbound";

  TCountingUnknown Bound;
  C->SetVCLComObject(&Bound);
  EXPECT_EQ(C->ComAddRef(), 2u);
  EXPECT_EQ(C->ComRelease(), 1u);
  EXPECT_EQ(C->ComQueryInterface(IID_IUnknown, &Obj), S_OK);
  EXPECT_EQ(Obj, static_cast<IUnknown*>(&Bound));
  EXPECT_EQ(Bound.Refs, 2u);
  C->SetVCLComObject(nullptr);
}

}  // namespace
