// Reading descriptions into components and writing them back: nested components with owner and
// parent, sub-objects, collections, lists, sets, identifier maps, binary and other defined
// properties, events, references and published fields; the order of name, parent, properties
// and Loaded; faults with their line; round trips through the writer.
#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <vector>

#include "classlib/FormStream.h"
#include "tests/support/WindowedTestClasses.h"

namespace {

std::vector<std::string> Log;

enum TTestAnchor { akLeft, akTop, akRight, akBottom };
VD_ENUM_INFO(TTestAnchor, "akLeft", "akTop", "akRight", "akBottom")
using TTestAnchors = TSet<TTestAnchor>;
enum TTestAlign { alNone, alTop, alClient };
VD_ENUM_INFO(TTestAlign, "alNone", "alTop", "alClient")

const TTypeInfo ColorInfo = MakeOrdTypeInfo(tkInteger, "TTestColor", INT_MIN, INT_MAX);
const TIdentMapEntry Colors[] = {{0x0000FF, "clRed"}, {int(0x8000000F), "clBtnFace"}};

class TTestFont : public TPersistent {
  VD_CLASS(TTestFont, TPersistent);

public:
  std::string FName = "MS Sans Serif";
  int FHeight = -11;
  int FColor = 0;
};
VD_DEFINE_CLASS(TTestFont) {
  C.Property("Name", &TTestFont::FName, &TTestFont::FName);
  C.Property("Height", &TTestFont::FHeight, &TTestFont::FHeight).Default(-11);
  C.Property("Color", &TTestFont::FColor, &TTestFont::FColor).Type(&ColorInfo).Default(0);
}

class TTestPage : public TCollectionItem {
  VD_CLASS(TTestPage, TCollectionItem);

public:
  explicit TTestPage(TCollection* Collection) : TCollectionItem(Collection) {}
  std::string FCaption;
  TComponent* FTarget = nullptr;
  TNotifyEvent FOnShow;
};
VD_DEFINE_CLASS(TTestPage) {
  C.Property("Caption", &TTestPage::FCaption, &TTestPage::FCaption);
  C.Property("Target", &TTestPage::FTarget, &TTestPage::FTarget);
  C.Property("OnShow", &TTestPage::FOnShow, &TTestPage::FOnShow);
}

class TTestPages : public TOwnedCollection {
  VD_CLASS(TTestPages, TOwnedCollection);

public:
  explicit TTestPages(TPersistent* AOwner) : TOwnedCollection(AOwner, TCollectionItemClass::Of<TTestPage>()) {}
  int Updates = 0;

protected:
  void Update(TCollectionItem*) override { ++Updates; }
};
VD_DEFINE_CLASS(TTestPages) {}

// Stands for a control: records the order of what the reader does to it.
class TTestControl : public TComponent {
  VD_CLASS(TTestControl, TComponent);

public:
  explicit TTestControl(TComponent* AOwner) : TComponent(AOwner) {}

  int FLeft = 0;
  std::string FCaption;
  int FColor = 0;
  TTestAnchors FAnchors{akLeft, akTop};
  TTestAlign FAlign = alNone;
  bool FVisible = true;
  double FRatio = 0;
  char FLetter = 0;
  long long FBig = 0;
  TTestFont* Font = TTestFont::Create();
  TStringList* Lines = TStringList::Create();
  TTestPages* Pages = TTestPages::Create(this);
  TComponent* FBuddy = nullptr;
  TNotifyEvent FOnClick;
  TEvent<TObject*, int> FOnKey;
  std::string Icons;  // binary, through DefineProperties
  std::vector<int> Stops;  // a list of integers, through DefineProperties
  TTestControl* FParent = nullptr;
  std::string SeenLoadedBuddy;

  void SetName(const std::string& Value) override {
    Log.push_back("name " + Value);
    inherited::SetName(Value);
  }
  void SetCaption(const std::string& Value) {
    bool Reading = ComponentState().Contains(csReading), Loading = ComponentState().Contains(csLoading);
    Log.push_back(Name() + " caption" + (Reading ? " reading" : "") + (Loading ? " loading" : ""));
    FCaption = Value;
  }
  void SetFont(TTestFont* Value) { Font->FName = Value->FName; }
  TComponent* GetParentComponent() const override { return FParent; }
  void DefineProperties(TFiler* Filer) override {
    inherited::DefineProperties(Filer);
    Filer->DefineBinaryProperty(
        "Icons", [this](TStream& S) {
          Icons.assign(static_cast<size_t>(S.Size()), '\0');
          S.ReadBuffer(Icons.data(), static_cast<int32_t>(Icons.size()));
        },
        [this](TStream& S) { S.WriteBuffer(Icons.data(), static_cast<int32_t>(Icons.size())); },
        !Icons.empty());
    Filer->DefineProperty(
        "Stops",
        [this](TReader& R) {
          Stops.clear();
          R.ReadListBegin();
          while (!R.EndOfList()) Stops.push_back(R.ReadInteger());
          R.ReadListEnd();
        },
        [this](TWriter& W) {
          W.WriteListBegin();
          for (int S : Stops) W.WriteInteger(S);
          W.WriteListEnd();
        },
        !Stops.empty());
  }

protected:
  ~TTestControl() override {
    Font->Free();
    Lines->Free();
    Pages->Free();
  }
  void SetParentComponent(TComponent* Value) override {
    Log.push_back(Name() + " parent " + (Value ? Value->Name() : "nil"));
    FParent = dynamic_cast<TTestControl*>(Value);
  }
  void Loaded() override {
    inherited::Loaded();
    Log.push_back(Name() + " loaded");
    SeenLoadedBuddy = FBuddy ? FBuddy->Name() : "";
  }
};
VD_DEFINE_CLASS(TTestControl) {
  C.Property("Left", &TTestControl::FLeft, &TTestControl::FLeft).Default(0);
  C.Property("Caption", &TTestControl::FCaption, &TTestControl::SetCaption);
  C.Property("Color", &TTestControl::FColor, &TTestControl::FColor).Type(&ColorInfo).Default(0);
  C.Property("Anchors", &TTestControl::FAnchors, &TTestControl::FAnchors).Default(TTestAnchors{akLeft, akTop});
  C.Property("Align", &TTestControl::FAlign, &TTestControl::FAlign).Default(alNone);
  C.Property("Visible", &TTestControl::FVisible, &TTestControl::FVisible).Default(true);
  C.Property("Ratio", &TTestControl::FRatio, &TTestControl::FRatio);
  C.Property("Letter", &TTestControl::FLetter, &TTestControl::FLetter).Default(char(0));
  C.Property("Big", &TTestControl::FBig, &TTestControl::FBig).Default(0LL);
  C.Property("Font", &TTestControl::Font, &TTestControl::SetFont);
  C.Property("Lines", &TTestControl::Lines);
  C.Property("Pages", &TTestControl::Pages);
  C.Property("Buddy", &TTestControl::FBuddy, &TTestControl::FBuddy);
  C.Property("OnClick", &TTestControl::FOnClick, &TTestControl::FOnClick);
  C.Property("OnKey", &TTestControl::FOnKey, &TTestControl::FOnKey);
}

// Never registered: found through the form's published field.
class TTestEdit : public TTestControl {
  VD_CLASS(TTestEdit, TTestControl);

public:
  explicit TTestEdit(TComponent* AOwner) : TTestControl(AOwner) {}
};
VD_DEFINE_CLASS(TTestEdit) {}

class TTestForm : public TTestControl {
  VD_CLASS(TTestForm, TTestControl);

public:
  explicit TTestForm(TComponent* AOwner) : TTestControl(AOwner) {}
  TTestControl* Panel1 = nullptr;
  TTestEdit* Edit1 = nullptr;
  int Clicks = 0;
  void FormClick(TObject* Sender) { ++Clicks; }
  void KeyHandler(TObject*, int Key) { Clicks += Key; }
};
VD_DEFINE_CLASS(TTestForm) {
  C.Field("Panel1", &TTestForm::Panel1);
  C.Field("Edit1", &TTestForm::Edit1);
  C.Method<&TTestForm::FormClick>("FormClick");
  C.Method<&TTestForm::KeyHandler>("KeyHandler");
}

class FormStream : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    RegisterClasses({ClassOf<TTestControl>(), ClassOf<TTestForm>()});
    RegisterIntegerConsts(
        &ColorInfo, [](const std::string& S, int& V) { return IdentToInt(S, V, Colors); },
        [](int V, std::string& S) { return IntToIdent(V, S, Colors); });
  }
  void SetUp() override { Log.clear(); }
  void TearDown() override {
    if (Form) Form->Free();
  }
  TTestForm* Form = TTestForm::Create(nullptr);
};

const char* const Description =
    "object Form1: TTestForm\n"                                  // 1
    "  Caption = 'Script Info'#13#10'x'\n"                       // 2
    "  Color = clBtnFace\n"                                      // 3
    "  Anchors = [akLeft, akRight]\n"                            // 4
    "  Font.Name = 'Tahoma'\n"                                   // 5
    "  Font.Color = clRed\n"                                     // 6
    "  Font.Height = -13\n"                                      // 7
    "  Lines.Strings = (\n"                                      // 8
    "    'TNxShellPropSheetForm1[0]=Script Info,0'\n"            // 9
    "    'second')\n"                                            // 10
    "  Buddy = Edit1\n"                                          // 11
    "  OnClick = FormClick\n"                                    // 12
    "  OnKey = KeyHandler\n"                                     // 13
    "  Icons = {00FF7F}\n"                                       // 14
    "  Stops = (1 2 3)\n"                                        // 15
    "  Pages = <\n"                                              // 16
    "    item\n"                                                 // 17
    "      Caption = 'First'\n"                                  // 18
    "      Target = Panel1\n"                                    // 19
    "      OnShow = FormClick\n"                                 // 20
    "    end\n"                                                  // 21
    "    item\n"                                                 // 22
    "      Caption = 'Second'\n"                                 // 23
    "    end>\n"                                                 // 24
    "  object Panel1: TTestControl\n"                            // 25
    "    Caption = 'Panel'\n"                                    // 26
    "    Align = alClient\n"                                     // 27
    "    Visible = False\n"                                      // 28
    "    Ratio = 0.25\n"                                         // 29
    "    Letter = 'x'\n"                                         // 30
    "    Big = 12345678901\n"                                    // 31
    "    object Edit1: TTestEdit\n"                              // 32
    "      Left = 88\n"                                          // 33
    "      Caption = 'Edit'\n"                                   // 34
    "      Buddy = Form1\n"                                      // 35
    "    end\n"                                                  // 36
    "  end\n"                                                    // 37
    "  object Extra: TTestControl\n"                             // 38
    "    Buddy = Panel1\n"                                       // 39
    "  end\n"                                                    // 40
    "end\n";

TEST_F(FormStream, ReadsEveryKindOfValue) {
  ReadComponentFromText(Description, Form);
  EXPECT_EQ(Form->Name(), "Form1");
  EXPECT_EQ(Form->FCaption, "Script Info\r\nx");
  EXPECT_EQ(Form->FColor, int(0x8000000F));
  EXPECT_EQ(Form->FAnchors, (TTestAnchors{akLeft, akRight}));
  EXPECT_EQ(Form->Font->FName, "Tahoma");
  EXPECT_EQ(Form->Font->FColor, 0xFF);
  EXPECT_EQ(Form->Font->FHeight, -13);
  ASSERT_EQ(Form->Lines->Count(), 2);
  EXPECT_EQ(Form->Lines->Values("TNxShellPropSheetForm1[0]"), "Script Info,0");
  EXPECT_EQ(Form->Icons, std::string("\x00\xFF\x7F", 3));
  EXPECT_EQ(Form->Stops, (std::vector<int>{1, 2, 3}));

  // Components: owned by the root, parented by the enclosing object, bound to the fields.
  ASSERT_EQ(Form->ComponentCount(), 3);
  ASSERT_NE(Form->Panel1, nullptr);
  ASSERT_NE(Form->Edit1, nullptr);
  EXPECT_EQ(Form->Panel1->Owner(), Form);
  EXPECT_EQ(Form->Edit1->Owner(), Form);
  EXPECT_EQ(Form->Panel1->FParent, Form);
  EXPECT_EQ(Form->Edit1->FParent, Form->Panel1);
  EXPECT_EQ(Form->Panel1->FAlign, alClient);
  EXPECT_FALSE(Form->Panel1->FVisible);
  EXPECT_EQ(Form->Panel1->FRatio, 0.25);
  EXPECT_EQ(Form->Panel1->FLetter, 'x');
  EXPECT_EQ(Form->Panel1->FBig, 12345678901LL);
  EXPECT_EQ(Form->Edit1->FLeft, 88);

  // References, forward ones included, and to the root itself.
  EXPECT_EQ(Form->FBuddy, Form->Edit1);
  EXPECT_EQ(Form->Edit1->FBuddy, Form);
  EXPECT_EQ(Form->FindComponent("Extra")->ClassType(), ClassOf<TTestControl>());

  // Events run the root's methods.
  Form->FOnClick(Form);
  Form->FOnKey(Form, 10);
  EXPECT_EQ(Form->Clicks, 11);

  // The collection: items, their references and events; one update for the whole read.
  ASSERT_EQ(Form->Pages->Count(), 2);
  auto* First = static_cast<TTestPage*>(Form->Pages->Items(0));
  EXPECT_EQ(First->FCaption, "First");
  EXPECT_EQ(First->FTarget, Form->Panel1);
  First->FOnShow(First);
  EXPECT_EQ(Form->Clicks, 12);
  EXPECT_EQ(static_cast<TTestPage*>(Form->Pages->Items(1))->FCaption, "Second");
  EXPECT_EQ(Form->Pages->Updates, 1);

  for (TComponent* C : {static_cast<TComponent*>(Form), Form->FindComponent("Extra")})
    EXPECT_FALSE(C->ComponentState().Contains(csLoading) || C->ComponentState().Contains(csReading));
}

TEST_F(FormStream, NameParentPropertiesThenLoadedInReadingOrder) {
  ReadComponentFromText(Description, Form);
  std::vector<std::string> Expected = {
      "name Form1",
      "Form1 caption reading loading",
      "name Panel1",
      "Panel1 parent Form1",
      "Panel1 caption reading loading",
      "name Edit1",
      "Edit1 parent Panel1",
      "Edit1 caption reading loading",
      "name Extra",
      "Extra parent Form1",
      "Form1 loaded",
      "Panel1 loaded",
      "Edit1 loaded",
      "Extra loaded",
  };
  EXPECT_EQ(Log, Expected);
  // References are resolved before Loaded.
  EXPECT_EQ(Form->SeenLoadedBuddy, "Edit1");
  EXPECT_EQ(static_cast<TTestControl*>(Form->FindComponent("Extra"))->SeenLoadedBuddy, "Panel1");
}

TEST_F(FormStream, WriterRoundTrip) {
  ReadComponentFromText(Description, Form);
  std::string Text = WriteComponentToText(Form);
  for (const char* Line :
       {"object Form1: TTestForm\r\n", "  Color = clBtnFace\r\n", "  Anchors = [akLeft, akRight]\r\n",
        "  Font.Color = clRed\r\n", "  OnClick = FormClick\r\n", "  Icons = {\r\n    00FF7F}\r\n",
        "  Stops = (\r\n    1\r\n    2\r\n    3)\r\n", "    object Edit1: TTestEdit\r\n",
        "      Buddy = Form1\r\n", "      Target = Panel1\r\n", "    Letter = 'x'\r\n",
        "  Lines.Strings = (\r\n"})
    EXPECT_NE(Text.find(Line), std::string::npos) << Line << "\n" << Text;
  // Defaults are left out.
  EXPECT_EQ(Text.find("Left = 0"), std::string::npos);
  EXPECT_EQ(Text.find("Visible = True"), std::string::npos);
  EXPECT_EQ(Text.find("Tag ="), std::string::npos);
  EXPECT_EQ(Text.find("Pages = <>"), std::string::npos) << "empty collections are left out";

  TTestForm* Copy = TTestForm::Create(nullptr);
  ReadComponentFromText(Text, Copy);
  EXPECT_EQ(WriteComponentToText(Copy), Text);
  EXPECT_EQ(Copy->Edit1->FParent, Copy->Panel1);
  EXPECT_EQ(Copy->FBuddy, Copy->Edit1);
  Copy->Free();
}

TEST_F(FormStream, RootNamesAreUniqueAmongTheOwnersComponents) {
  auto* Owner = TComponent::Create(nullptr);
  auto* A = TTestForm::Create(Owner);
  auto* B = TTestForm::Create(Owner);
  ReadComponentFromText("object Form1: TTestForm\nend", A);
  ReadComponentFromText("object Form1: TTestForm\nend", B);
  EXPECT_EQ(A->Name(), "Form1");
  EXPECT_EQ(B->Name(), "Form1_1");
  ReadComponentFromText("object Form1: TTestForm\nend", B);  // reading again keeps it
  EXPECT_EQ(B->Name(), "Form1_1");
  Owner->Free();
}

TEST_F(FormStream, ExistingComponentsAreReusedAndNilClears) {
  ReadComponentFromText(Description, Form);
  TTestControl* Panel = Form->Panel1;
  ReadComponentFromText(
      "object Form1: TTestForm\n  Buddy = nil\n  OnClick = nil\n  Pages = <>\n"
      "  inherited Panel1: TTestControl\n    Caption = 'Again'\n  end\nend",
      Form);
  EXPECT_EQ(Form->Panel1, Panel);
  EXPECT_EQ(Panel->FCaption, "Again");
  EXPECT_EQ(Form->FBuddy, nullptr);
  EXPECT_FALSE(Form->FOnClick);
  EXPECT_EQ(Form->Pages->Count(), 0);
}

TEST_F(FormStream, ReadsNewRootOfRegisteredClass) {
  TComponent* Root = ReadComponentFromText("object Made: TTestControl\n  Left = 5\nend", nullptr);
  ASSERT_NE(Root, nullptr);
  EXPECT_EQ(Root->Name(), "Made");
  EXPECT_EQ(static_cast<TTestControl*>(Root)->FLeft, 5);
  Root->Free();
  EXPECT_THROW(ReadComponentFromText("object Made: TTestControl\n  Nope = 5\nend", nullptr), EReadError);
}

TComponent* OtherRoot = nullptr;
TComponent* FindOther(const std::string& Name) {
  return OtherRoot && SameText(Name, OtherRoot->Name()) ? OtherRoot : nullptr;
}

TEST_F(FormStream, ReferencesIntoOtherRoots) {
  OtherRoot = TTestControl::Create(nullptr);
  OtherRoot->SetName("Module2");
  auto* Thing = TTestControl::Create(OtherRoot);
  Thing->SetName("Thing");
  RegisterFindGlobalComponentProc(&FindOther);
  ReadComponentFromText("object Form1: TTestForm\n  Buddy = Module2.Thing\nend", Form);
  EXPECT_EQ(Form->FBuddy, Thing);
  EXPECT_NE(WriteComponentToText(Form).find("Buddy = Module2.Thing"), std::string::npos);
  // A root that does not exist leaves the reference nil; a missing component of a live root fails.
  Form->FBuddy = nullptr;
  ReadComponentFromText("object Form1: TTestForm\n  Buddy = Module9.Thing\nend", Form);
  EXPECT_EQ(Form->FBuddy, nullptr);
  EXPECT_THROW(ReadComponentFromText("object Form1: TTestForm\n  Buddy = Module2.None\nend", Form),
               EReadError);
  UnregisterFindGlobalComponentProc(&FindOther);
  OtherRoot->Free();
  OtherRoot = nullptr;
}

struct TFault {
  const char* Text;
  int Line;
  const char* Message;
};

TEST_F(FormStream, FaultsRaiseReadErrorsWithTheirLine) {
  const TFault Faults[] = {
      {"object Form1: TTestForm\n  Caption = 'open\nend", 2, "Unterminated string"},
      {"object Form1: TTestForm\n  Anchors = [akLeft akTop]\nend", 2, "',' or ']'"},
      {"object Form1: TTestForm\n  Anchors = [akNowhere]\nend", 2, "Invalid set element akNowhere"},
      {"object Form1: TTestForm\n  Colour = 1\nend", 2, "Property Colour does not exist"},
      {"object Form1: TTestForm\n  Font.Size = 1\nend", 2, "Property Size does not exist"},
      {"object Form1: TTestForm\n  Left.X = 1\nend", 2, "Property Left is no object"},
      {"object Form1: TTestForm\n\n  object B: TNoSuchClass\n  end\nend", 3, "Class TNoSuchClass not found"},
      {"object Form1: TTestForm\n  object B: TTestFont\n  end\nend", 2, "not found"},
      {"object Form1: TTestForm\n  object B: TTestControl\n", 3, "'end' expected"},
      {"object Form1: TTestForm\n  Icons = {0F0}\nend", 2, "Odd number of hexadecimal digits"},
      {"object Form1: TTestForm\n  Icons = {XY}\nend", 2, "Invalid character in binary value"},
      {"object Form1: TTestForm\n  Icons = 'text'\nend", 2, "Binary value expected"},
      {"object Form1: TTestForm\n  Stops = (1 'two')\nend", 2, "An integer expected"},
      {"object Form1: TTestForm\n  Stops = 1\nend", 2, "A list expected"},
      {"object Form1: TTestForm\n  Left = 'ten'\nend", 2, "Invalid property value"},
      {"object Form1: TTestForm\n  Left = 4294967296\nend", 2, "out of range"},
      {"object Form1: TTestForm\n  Color = clNoSuchColour\nend", 2, "Invalid property value clNoSuchColour"},
      {"object Form1: TTestForm\n  Align = alSideways\nend", 2, "alSideways"},
      {"object Form1: TTestForm\n  Visible = 1\nend", 2, "Invalid property value"},
      {"object Form1: TTestForm\n  Letter = 'xy'\nend", 2, "A single character expected"},
      {"object Form1: TTestForm\n  OnClick = NoSuchMethod\nend", 2, "Method NoSuchMethod not found"},
      {"object Form1: TTestForm\n  OnClick = KeyHandler\nend", 2, "does not fit event OnClick"},
      {"object Form1: TTestForm\n  Buddy = Nobody\nend", 2, "Unresolved reference to Nobody"},
      {"object Form1: TTestForm\n  Lines.Strings = ('a' 1)\nend", 2, "A list of strings expected"},
      {"object Form1: TTestForm\n  Lines = <>\nend", 2, "holds no collection"},
      {"object Form1: TTestForm\n  Pages = <\n    item\n      Nope = 1\n    end>\nend", 4,
       "Form1.Pages[0].Nope"},
      {"object Form1: TTestForm\n  object A: TTestControl\n  end\n  object A: TTestEdit\n  end\nend", 4,
       "A component named A already exists"},
      {"object Form1: TTestForm\n  object 1A: TTestControl\n  end\nend", 2, "Component name or class name expected"},
      {"object Form1: TTestForm\n  inherited Ghost: TTestControl\n  end\nend", 2, "Inherited component Ghost not found"},
      {"object Form1: TTestFont\nend", 1, "cannot be read into a TTestForm"},
      {"object Form1: TTestForm\n  object P: TTestControl\n    object P: TTestControl\n    end\n  end\nend",
       3, "A component cannot contain itself"},
  };
  for (const auto& F : Faults) {
    TTestForm* Target = TTestForm::Create(nullptr);
    try {
      ReadComponentFromText(F.Text, Target);
      ADD_FAILURE() << "accepted: " << F.Text;
    } catch (const EReadError& E) {
      EXPECT_NE(E.Message().find("line " + std::to_string(F.Line)), std::string::npos)
          << F.Text << "\n -> " << E.Message();
      EXPECT_NE(E.Message().find(F.Message), std::string::npos) << E.Message();
    }
    EXPECT_FALSE(Target->ComponentState().Contains(csLoading)) << F.Text;
    EXPECT_FALSE(Target->ComponentState().Contains(csReading)) << F.Text;
    Target->Free();
  }
}

TEST_F(FormStream, ComponentOfAFailedReadIsFreed) {
  EXPECT_THROW(ReadComponentFromText(
                   "object Form1: TTestForm\n  object Edit1: TTestEdit\n    Nope = 1\n  end\nend", Form),
               EReadError);
  EXPECT_EQ(Form->ComponentCount(), 0);
  EXPECT_EQ(Form->Edit1, nullptr) << "the field it was bound to is cleared";
}

// A component that fails takes what was read inside it along; a control frees its children, so
// none of them may stay in a field, in the session or as a parent. A component the root had
// before is not freed with the failed one: it leaves it.
TEST_F(FormStream, FailedWindowedComponentLeavesNoFreedObjectReachable) {
  const char* Text =
      "object F: TTestWinForm\n"
      "  object P: TTestWin\n"
      "    object Q: TTestWin\n"
      "      Buddy = F\n"
      "    end\n"
      "    object R: TTestWin\n"
      "    end\n"
      "    object Z: TNoSuchClass\n"
      "    end\n"
      "  end\n"
      "end\n";
  TTestWinForm* Win = TTestWinForm::Create(nullptr);
  TTestWin* Kept = TTestWin::Create(Win);
  Kept->SetName("R");
  EXPECT_THROW(ReadComponentFromText(Text, Win), EReadError);
  EXPECT_EQ(Win->P, nullptr);
  EXPECT_EQ(Win->Q, nullptr);
  ASSERT_EQ(Win->ComponentCount(), 1);
  EXPECT_EQ(Win->Components(0), Kept);
  EXPECT_EQ(Kept->ParentWin(), nullptr);
  EXPECT_FALSE(Kept->ComponentState().Contains(csLoading));
  EXPECT_EQ(WriteComponentToText(Win), "object F: TTestWinForm\r\n  object R: TTestWin\r\n  end\r\nend\r\n");
  Win->Free();

  // A component read earlier and named again inside the failing one stays too.
  Win = TTestWinForm::Create(nullptr);
  EXPECT_THROW(ReadComponentFromText("object F: TTestWinForm\n"
                                     "  object Q: TTestWin\n  end\n"
                                     "  object P: TTestWin\n    object Q: TTestWin\n      Nope = 1\n    end\n  end\n"
                                     "end\n",
                                     Win),
               EReadError);
  EXPECT_EQ(Win->P, nullptr);
  ASSERT_EQ(Win->ComponentCount(), 1);
  EXPECT_EQ(Win->Components(0), Win->Q);
  EXPECT_EQ(Win->Q->ParentWin(), nullptr);
  Win->Free();
}

// A collection read twice drops the references its first items were waiting for.
TEST_F(FormStream, CollectionReadTwiceHasNoStaleReferences) {
  ReadComponentFromText(
      "object Form1: TTestForm\n"
      "  Pages = <item Target = Panel1 end item Target = Panel1 end>\n"
      "  Pages = <item Caption = 'only' end>\n"
      "  object Panel1: TTestControl\n  end\nend",
      Form);
  ASSERT_EQ(Form->Pages->Count(), 1);
  EXPECT_EQ(static_cast<TTestPage*>(Form->Pages->Items(0))->FTarget, nullptr);
}

// Damaged descriptions read into a fresh form either load or raise EReadError.
TEST_F(FormStream, DamagedDescriptionsNeverEscape) {
  const std::string Text = Description;
  std::mt19937 Rng(1234);
  const std::string Alphabet = "'#=()[]<>{}:,. \n0aZ_";
  auto Survives = [](const std::string& T) {
    TTestForm* Target = TTestForm::Create(nullptr);
    try {
      ReadComponentFromText(T, Target);
    } catch (const EReadError&) {
    }
    Target->Free();
  };
  for (size_t Len = 0; Len < Text.size(); Len += 3) Survives(Text.substr(0, Len));
  for (int Round = 0; Round < 1500; ++Round) {
    std::string T = Text;
    for (int K = 0; K < 2; ++K) T[Rng() % T.size()] = Alphabet[Rng() % Alphabet.size()];
    Survives(T);
  }
}

TEST_F(FormStream, IdentifierMaps) {
  int V = 0;
  EXPECT_TRUE(FindIdentToInt(&ColorInfo)("CLRED", V));
  EXPECT_EQ(V, 0xFF);
  // Another descriptor of the same type name finds the same map.
  static const TTypeInfo Twin = MakeOrdTypeInfo(tkInteger, "TTestColor", INT_MIN, INT_MAX);
  std::string S;
  EXPECT_TRUE(FindIntToIdent(&Twin)(int(0x8000000F), S));
  EXPECT_EQ(S, "clBtnFace");
  EXPECT_FALSE(FindIdentToInt(TypeInfoOf<int>()));
  // Values without a name are written as numbers.
  Form->FColor = 0x123456;
  Form->SetName("Form1");
  EXPECT_NE(WriteComponentToText(Form).find("Color = 1193046"), std::string::npos);
}

}  // namespace
