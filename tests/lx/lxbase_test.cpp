// The lx component base: ownership and notification rules of the lists, the add-on and
// text-style setters, and the owner-component bookkeeping of TlxComponent.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "lx/lxBase.h"

namespace {

std::vector<std::string> Log;

// An item that reports when it is freed.
class TItem : public TObject {
  VD_CLASS(TItem, TObject);

public:
  explicit TItem(std::string AName = "") : Name(std::move(AName)) {}
  ~TItem() override { Log.push_back("free " + Name); }
  std::string Name;
};
VD_DEFINE_CLASS(TItem) {}

std::string NameOf(void* Item) { return static_cast<TItem*>(Item)->Name; }

class TRecorder {
public:
  void Added(TObject*, void* Item) { Log.push_back("added " + NameOf(Item)); }
  void Removed(TObject*, void* Item) { Log.push_back("removed " + NameOf(Item)); }
  // The item may be freed already: only its address is used.
  void Changed(TObject*, void*, TListNotification Action) {
    Log.push_back(std::string("changed ") + (Action == lnAdded ? "added" : Action == lnDeleted ? "deleted" : "extracted"));
  }
  void Attach(TlxObjectList* List) {
    List->OnItemAdded = MakeEvent<&TRecorder::Added>(this);
    List->OnItemRemoved = MakeEvent<&TRecorder::Removed>(this);
    List->OnListChanged = MakeEvent<&TRecorder::Changed>(this);
  }
};

class TPickyList : public TlxObjectList {
  VD_CLASS(TPickyList, TlxObjectList);

public:
  using TlxObjectList::TlxObjectList;
  int ReadCalls = 0;
  int InitCalls = 0;

protected:
  bool CanAdd(void* Item) override { return Item == nullptr || NameOf(Item) != "refused"; }
  void ReadItem(TStream&) override { ++ReadCalls; }
  void Init() override { ++InitCalls; }
};
VD_DEFINE_CLASS(TPickyList) {}

class ListTest : public ::testing::Test {
protected:
  void SetUp() override { Log.clear(); }
};

}  // namespace

TEST_F(ListTest, UniqueListRefusesNilAndDuplicates) {
  TObjectPtr<TlxUniqueList> List(TlxUniqueList::Create());
  int A = 1, B = 2;
  EXPECT_EQ(List->Add(&A), 0);
  EXPECT_EQ(List->Add(&B), 1);
  EXPECT_EQ(List->Add(&A), -1);
  EXPECT_EQ(List->Add(nullptr), -1);
  EXPECT_EQ(List->Count(), 2);
}

TEST_F(ListTest, AdditionAndDeletionReportInOrderAndTheOwningListFreesInBetween) {
  TRecorder Rec;
  TObjectPtr<TlxObjectList> List(TlxObjectList::Create(true, 0));
  Rec.Attach(List.get());
  List->Add(new TItem("a"));
  List->Delete(0, true);
  EXPECT_EQ(Log, (std::vector<std::string>{"added a", "changed added", "removed a", "free a", "changed deleted"}));
}

TEST_F(ListTest, RemoveFreesOnlyWhenAskedAndKeepsOwnsObjects) {
  TObjectPtr<TlxObjectList> List(TlxObjectList::Create(true, 0));
  auto* Kept = new TItem("kept");
  auto* Gone = new TItem("gone");
  List->Add(Kept);
  List->Add(Gone);
  EXPECT_EQ(List->Remove(Kept, false), 0);
  EXPECT_TRUE(List->OwnsObjects());
  EXPECT_EQ(List->Remove(Gone, true), 0);
  EXPECT_TRUE(List->OwnsObjects());
  EXPECT_EQ(List->Remove(Gone, true), -1);
  EXPECT_EQ(Log, (std::vector<std::string>{"free gone"}));
  delete Kept;

  // A non-owning list frees when told to for that one deletion.
  TObjectPtr<TlxObjectList> Loose(TlxObjectList::Create(false, 0));
  Loose->Add(new TItem("once"));
  Loose->Delete(0, true);
  EXPECT_FALSE(Loose->OwnsObjects());
  EXPECT_EQ(Log.back(), "free once");
}

TEST_F(ListTest, ARefusedItemIsFreedOnlyByAnOwningList) {
  TObjectPtr<TPickyList> Owning(TPickyList::Create(true, 0));
  EXPECT_EQ(Owning->InitCalls, 1);
  EXPECT_EQ(Owning->Add(new TItem("refused")), -1);
  EXPECT_EQ(Log, (std::vector<std::string>{"free refused"}));
  TObjectPtr<TPickyList> Loose(TPickyList::Create(false, 0));
  TItem Refused("refused");
  EXPECT_EQ(Loose->Add(&Refused), -1);
  EXPECT_EQ(Log.size(), 1u);
  Log.clear();
}

TEST_F(ListTest, ExtractReportsARemovalWithoutFreeing) {
  TRecorder Rec;
  TObjectPtr<TlxObjectList> List(TlxObjectList::Create(true, 0));
  TItem Item("x");
  List->Add(&Item);
  Rec.Attach(List.get());
  EXPECT_EQ(List->Extract(&Item), &Item);
  EXPECT_EQ(Log, (std::vector<std::string>{"removed x", "changed extracted"}));
  Log.clear();
}

TEST_F(ListTest, FreeingAnOwningListFreesWhatIsLeftAndTheLimitDropsTheOldest) {
  TObjectPtr<TlxObjectList> List(TlxObjectList::Create(true, 0));
  List->SetItemLimit(2);
  List->Add(new TItem("1"));
  List->Add(new TItem("2"));
  List->Add(new TItem("3"));
  EXPECT_EQ(Log, (std::vector<std::string>{"free 1"}));
  EXPECT_EQ(List->Count(), 2);
  List.reset();
  EXPECT_EQ(Log, (std::vector<std::string>{"free 1", "free 3", "free 2"}));
}

TEST_F(ListTest, StreamsHoldALittleEndianCountThenTheItems) {
  TObjectPtr<TPickyList> List(TPickyList::Create(false, 0));
  TItem A, B, C;
  List->Add(&A);
  List->Add(&B);
  List->Add(&C);
  TMemoryStream Stream;
  List->SaveToStream(Stream);
  ASSERT_EQ(Stream.Size(), 4);
  const auto* Bytes = static_cast<const unsigned char*>(Stream.Memory());
  EXPECT_EQ(std::vector<int>(Bytes, Bytes + 4), (std::vector<int>{3, 0, 0, 0}));
  Stream.SetPosition(0);
  List->LoadFromStream(Stream, true);
  EXPECT_EQ(List->Count(), 0) << "cleared first";
  EXPECT_EQ(List->ReadCalls, 3);
  Stream.SetPosition(0);
  Stream.SetSize(2);
  EXPECT_THROW(List->LoadFromStream(Stream, false), EReadError);
  Log.clear();
}

namespace {

class TCountingAddon : public TlxAddon {
  VD_CLASS(TCountingAddon, TlxAddon);

public:
  using TlxAddon::TlxAddon;
  int ChangedCalls = 0;

protected:
  void Changed() override { ++ChangedCalls; }
};
VD_DEFINE_CLASS(TCountingAddon) {}

// A control that counts the requests to repaint it.
class TRepaintSpy : public TControl {
  VD_CLASS(TRepaintSpy, TControl);

public:
  using TControl::TControl;
  int Invalidated = 0;
  void Invalidate() override { ++Invalidated; }
};
VD_DEFINE_CLASS(TRepaintSpy) {}

}  // namespace

TEST(lxAddon, ChangesOnlyOnADifferentValueAndAssignsOnlyFromAddons) {
  TObjectPtr<TComponent> Owner(TComponent::Create(nullptr));
  TObjectPtr<TCountingAddon> Addon(TCountingAddon::Create(Owner.get()));
  TObjectPtr<TlxAddon> Source(TlxAddon::Create(Owner.get()));
  EXPECT_FALSE(Addon->Enabled());
  Addon->SetEnabled(false);
  EXPECT_EQ(Addon->ChangedCalls, 0);
  Source->SetEnabled(true);
  Addon->Assign(Source.get());
  EXPECT_TRUE(Addon->Enabled());
  EXPECT_EQ(Addon->ChangedCalls, 1);
  TStringList Other;
  EXPECT_THROW(Addon->Assign(&Other), EConvertError);
  EXPECT_EQ(GetPropInfo(Addon.get(), "Enabled")->Default, 0);
  EXPECT_FALSE(Addon->IsDesigning());
  Owner->SetDesigning(true);
  EXPECT_TRUE(Addon->IsDesigning());
}

TEST(lxTextStyle, DefaultsAndRepaintOnChange) {
  TObjectPtr<TRepaintSpy> Control(TRepaintSpy::Create(nullptr));
  TObjectPtr<TlxTextStyle> Style(TlxTextStyle::Create(Control.get()));
  EXPECT_FALSE(Style->PlainText());
  EXPECT_EQ(Style->TagOpen(), '[');
  EXPECT_EQ(Style->TagClose(), ']');
  Style->SetTagOpen('[');
  Style->SetPlainText(false);
  EXPECT_EQ(Control->Invalidated, 0);
  Style->SetTagOpen('<');
  Style->SetTagClose('>');
  Style->SetPlainText(true);
  EXPECT_EQ(Control->Invalidated, 3);
  TObjectPtr<TlxTextStyle> Loose(TlxTextStyle::Create(nullptr));
  Loose->SetPlainText(true);  // no control: nothing to repaint, and no crash
  EXPECT_EQ(GetPropInfo(Style.get(), "TagOpen")->Default, 91);
  EXPECT_EQ(GetPropInfo(Style.get(), "TagClose")->Default, 93);
}

namespace {

class TMainForm : public TForm {
  VD_CLASS(TMainForm, TForm);

public:
  using TForm::TForm;
};
VD_DEFINE_CLASS(TMainForm) {}

class TWatchingComponent : public TlxComponent {
  VD_CLASS(TWatchingComponent, TlxComponent);

public:
  using TlxComponent::TlxComponent;
  std::vector<TComponent*> Moves;

protected:
  void SetOwnerComponent(TComponent* AComponent) override {
    Moves.push_back(AComponent);
    inherited::SetOwnerComponent(AComponent);
  }
};
VD_DEFINE_CLASS(TWatchingComponent) {}

}  // namespace

TEST(lxComponent, OwnerFormIsTheOwnerWhenItIsAForm) {
  TObjectPtr<TMainForm> Form(TMainForm::Create(nullptr, CreateNewForm));
  TPanel* Panel = TPanel::Create(Form.get());
  TlxComponent* OnForm = TlxComponent::Create(Form.get());
  TlxComponent* OnPanel = TlxComponent::Create(Panel);
  EXPECT_EQ(OnForm->OwnerComponent(), Form.get());
  EXPECT_EQ(OnForm->GetOwnerForm(), static_cast<TForm*>(Form.get()));
  EXPECT_EQ(OnPanel->GetOwnerForm(), nullptr);
  TObjectPtr<TlxComponent> Alone(TlxComponent::Create(nullptr));
  EXPECT_EQ(Alone->GetOwnerForm(), nullptr);
  PPropInfo About = GetPropInfo(Alone.get(), "About");
  ASSERT_NE(About, nullptr);
  EXPECT_FALSE(IsStoredProp(Alone.get(), About));
}

TEST(lxComponent, ChangeOwnerComponentGoesThroughTheVirtualSetterAndForgetsAFreedTarget) {
  TObjectPtr<TMainForm> Form(TMainForm::Create(nullptr, CreateNewForm));
  TWatchingComponent* Watch = TWatchingComponent::Create(Form.get());
  TForm* Other = TForm::Create(nullptr, CreateNewForm);
  Watch->ChangeOwnerComponent(Other);
  EXPECT_EQ(Watch->OwnerComponent(), Other);
  EXPECT_EQ(Watch->GetOwnerForm(), Other);
  Watch->ChangeOwnerComponent(Other);
  EXPECT_EQ(Watch->Moves, (std::vector<TComponent*>{Other, Other}));
  Other->Free();
  EXPECT_EQ(Watch->OwnerComponent(), nullptr);
}

// Last in this program: the application's shutdown cannot be undone.
TEST(lxObjectListAtShutdown, NoEventsOnceTheApplicationIsBeingDestroyed) {
  Log.clear();
  TRecorder Rec;
  TObjectPtr<TlxObjectList> List(TlxObjectList::Create(true, 0));
  Rec.Attach(List.get());
  List->Add(new TItem("early"));
  Application->ShuttingDown();
  List->Add(new TItem("late"));
  List.reset();
  EXPECT_EQ(Log, (std::vector<std::string>{"added early", "changed added", "free late", "free early"}));
}
