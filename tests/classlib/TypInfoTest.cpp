// Published-property tables: lookup, inheritance, default overrides, access of every kind with
// kind and range checks, stored flags, published methods and fields.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/TypInfo.h"

namespace {

enum TTestMode { tmA, tmB, tmC };
VD_ENUM_INFO(TTestMode, "tmA", "tmB", "tmC")
enum TTestStyle { tsBold, tsItalic, tsUnderline };
VD_ENUM_INFO(TTestStyle, "tsBold", "tsItalic", "tsUnderline")
using TTestStyles = TSet<TTestStyle>;

const TTypeInfo ColorInfo = MakeOrdTypeInfo(tkInteger, "TColor", INT_MIN, INT_MAX);

class TFontLike : public TPersistent {
  VD_CLASS(TFontLike, TPersistent);

public:
  std::string FName = "Arial";
  void Assign(TPersistent* Source) override {
    if (auto* F = dynamic_cast<TFontLike*>(Source)) FName = F->FName;
    else inherited::Assign(Source);
  }
};
VD_DEFINE_CLASS(TFontLike) { C.Property("Name", &TFontLike::FName, &TFontLike::FName); }

class TWidget : public TComponent {
  VD_CLASS(TWidget, TComponent);

public:
  explicit TWidget(TComponent* AOwner) : TComponent(AOwner) {}
  ~TWidget() override { Font->Free(); }

  int CaptionSets = 0;
  int FCount = 5;
  bool FFlag = false;
  char FLetter = 'a';
  uint8_t FLevel = 0;
  TTestMode FMode = tmB;
  TTestStyles FStyles;
  std::string FCaption;
  double FRatio = 0;
  long long FBig = 0;
  int FColor = 0;
  TComponent* FPartner = nullptr;
  TFontLike* Font = TFontLike::Create();
  TNotifyEvent FOnPing;
  bool FKeep = true;

  void SetCaption(const std::string& Value) {
    ++CaptionSets;
    FCaption = Value;
  }
  void SetFont(TFontLike* Value) { Font->Assign(Value); }
  std::string Version() const { return "1.0"; }
  bool KeepIt() const { return FKeep; }
};
VD_DEFINE_CLASS(TWidget) {
  C.Property("Count", &TWidget::FCount, &TWidget::FCount).Default(5);
  C.Property("Flag", &TWidget::FFlag, &TWidget::FFlag).Default(false);
  C.Property("Letter", &TWidget::FLetter, &TWidget::FLetter);
  C.Property("Level", &TWidget::FLevel, &TWidget::FLevel);
  C.Property("Mode", &TWidget::FMode, &TWidget::FMode).Default(tmB);
  C.Property("Styles", &TWidget::FStyles, &TWidget::FStyles).Default(TTestStyles{});
  C.Property("Caption", &TWidget::FCaption, &TWidget::SetCaption);
  C.Property("Ratio", &TWidget::FRatio, &TWidget::FRatio);
  C.Property("Big", &TWidget::FBig, &TWidget::FBig);
  C.Property("Color", &TWidget::FColor, &TWidget::FColor).Type(&ColorInfo);
  C.Property("Partner", &TWidget::FPartner, &TWidget::FPartner);
  C.Property("Font", &TWidget::Font, &TWidget::SetFont);
  C.Property("OnPing", &TWidget::FOnPing, &TWidget::FOnPing);
  C.Property("Version", &TWidget::Version);
  C.Property("Kept", &TWidget::FKeep, &TWidget::FKeep).Stored(&TWidget::KeepIt);
}

// Redeclares Flag with another default and adds a property.
class TFancyWidget : public TWidget {
  VD_CLASS(TFancyWidget, TWidget);

public:
  explicit TFancyWidget(TComponent* AOwner) : TWidget(AOwner) { FFlag = true; }
  std::string FExtra;
};
VD_DEFINE_CLASS(TFancyWidget) {
  C.Property("Flag").Default(true);
  C.Property("Extra", &TFancyWidget::FExtra, &TFancyWidget::FExtra);
}

std::vector<std::string> Names(const TPropList& List) {
  std::vector<std::string> V;
  for (PPropInfo P : List) V.push_back(P->Name);
  return V;
}

TEST(TypInfo, LookupInheritanceAndDefaultOverrides) {
  TObjectPtr<TFancyWidget> W(TFancyWidget::Create(nullptr));
  ASSERT_NE(GetPropInfo(W.get(), "caption"), nullptr);
  EXPECT_EQ(GetPropInfo(W.get(), "CAPTION")->Name, "Caption");
  EXPECT_EQ(GetPropInfo(W.get(), "Nope"), nullptr);
  EXPECT_TRUE(IsPublishedProp(W.get(), "tag"));
  try {
    GetOrdProp(W.get(), "Nope");
    FAIL();
  } catch (const EPropertyError& E) {
    EXPECT_EQ(E.Message(), "Property Nope does not exist");
  }

  std::vector<std::string> Expected = {"Name",   "Tag",   "Count",   "Flag",  "Letter",
                                       "Level",  "Mode",  "Styles",  "Caption", "Ratio",
                                       "Big",    "Color", "Partner", "Font",  "OnPing",
                                       "Version", "Kept", "Extra"};
  EXPECT_EQ(Names(GetPropList(W.get())), Expected) << "inherited first, a redeclaration in place";

  PPropInfo Derived = GetPropInfo(ClassOf<TFancyWidget>(), "Flag");
  PPropInfo Base = GetPropInfo(ClassOf<TWidget>(), "Flag");
  EXPECT_EQ(Derived->Default, 1);
  EXPECT_EQ(Base->Default, 0) << "the base class keeps its own default";
  EXPECT_EQ(Derived->DeclaringClass, ClassOf<TFancyWidget>());
  EXPECT_EQ(GetPropInfo(ClassOf<TFancyWidget>(), "Count")->DeclaringClass, ClassOf<TWidget>());
  EXPECT_TRUE(IsDefaultPropValue(W.get(), Derived));
  EXPECT_EQ(GetPropInfo(ClassOf<TComponent>(), "Extra"), nullptr);
  TObjectPtr<TWidget> Plain(TWidget::Create(nullptr));
  EXPECT_THROW(GetOrdProp(Plain.get(), Derived), EPropertyError) << "not a property of a TWidget";
  TStringList Stranger;
  EXPECT_THROW(GetOrdProp(&Stranger, GetPropInfo(W.get(), "Count")), EPropertyError);

  EXPECT_EQ(GetPropInfo(W.get(), "Flag")->PropType->Name, "Boolean");
  EXPECT_EQ(GetPropInfo(W.get(), "Level")->PropType->Name, "Byte");
  EXPECT_EQ(GetPropInfo(W.get(), "Color")->PropType->Name, "TColor");
  EXPECT_EQ(GetPropInfo(W.get(), "Styles")->PropType->CompType->Name, "TTestStyle");
  EXPECT_EQ(GetPropInfo(W.get(), "Partner")->PropType->ClassType(), ClassOf<TComponent>());
  EXPECT_EQ(GetPropInfo(W.get(), "Font")->Kind(), tkClass);
}

TEST(TypInfo, OrdinalEnumerationAndSetAccess) {
  TObjectPtr<TWidget> W(TWidget::Create(nullptr));
  SetOrdProp(W.get(), "Count", -7);
  EXPECT_EQ(W->FCount, -7);
  EXPECT_EQ(GetOrdProp(W.get(), "count"), -7);
  SetOrdProp(W.get(), "Letter", 0xE4);
  EXPECT_EQ(static_cast<unsigned char>(W->FLetter), 0xE4);
  EXPECT_EQ(GetOrdProp(W.get(), "Letter"), 0xE4) << "characters are 0..255";

  SetOrdProp(W.get(), "Level", 255);
  EXPECT_THROW(SetOrdProp(W.get(), "Level", 256), EPropertyError) << "Byte range";
  EXPECT_THROW(SetOrdProp(W.get(), "Level", -1), EPropertyError);
  EXPECT_EQ(W->FLevel, 255) << "a refused value changes nothing";
  EXPECT_THROW(SetOrdProp(W.get(), "Flag", 2), EPropertyError);
  EXPECT_THROW(SetOrdProp(W.get(), "Mode", 3), EPropertyError);

  SetEnumProp(W.get(), "Mode", "TMC");
  EXPECT_EQ(W->FMode, tmC);
  EXPECT_EQ(GetEnumProp(W.get(), "Mode"), "tmC");
  SetEnumProp(W.get(), "Flag", "true");
  EXPECT_TRUE(W->FFlag);
  EXPECT_EQ(GetEnumProp(W.get(), "Flag"), "True");
  EXPECT_THROW(SetEnumProp(W.get(), "Mode", "tmZ"), EPropertyError);
  EXPECT_THROW(SetEnumProp(W.get(), "Count", "tmA"), EPropertyError) << "not an enumeration";

  SetSetProp(W.get(), "Styles", "[tsBold, TSUNDERLINE]");
  EXPECT_TRUE(W->FStyles.Contains(tsBold));
  EXPECT_FALSE(W->FStyles.Contains(tsItalic));
  EXPECT_EQ(GetSetProp(W.get(), "Styles", true), "[tsBold,tsUnderline]");
  EXPECT_EQ(GetOrdProp(W.get(), "Styles"), 5);
  EXPECT_THROW(SetSetProp(W.get(), "Styles", "tsBold,tsStrike"), EPropertyError);
  EXPECT_THROW(SetOrdProp(W.get(), "Styles", 8), EPropertyError) << "no fourth element";
  SetSetProp(W.get(), "Styles", "[]");
  EXPECT_TRUE(W->FStyles.Empty());
  EXPECT_TRUE(IsDefaultPropValue(W.get(), GetPropInfo(W.get(), "Styles")));

  SetInt64Prop(W.get(), "Big", -(1LL << 40));
  EXPECT_EQ(GetInt64Prop(W.get(), "Big"), -(1LL << 40));
  SetOrdProp(W.get(), "Color", static_cast<int>(0x80000005));
  EXPECT_EQ(W->FColor, static_cast<int>(0x80000005));
}

TEST(TypInfo, StringFloatObjectAndKindChecks) {
  TObjectPtr<TWidget> W(TWidget::Create(nullptr));
  SetStrProp(W.get(), "Caption", "Script Info");
  EXPECT_EQ(W->CaptionSets, 1) << "the setter runs";
  EXPECT_EQ(GetStrProp(W.get(), "caption"), "Script Info");
  EXPECT_EQ(GetStrProp(W.get(), "Version"), "1.0");
  try {
    SetStrProp(W.get(), "Version", "2.0");
    FAIL();
  } catch (const EPropertyError& E) {
    EXPECT_EQ(E.Message(), "Property Version is read-only");
  }
  EXPECT_THROW(GetStrProp(W.get(), "Count"), EPropertyError);
  EXPECT_THROW(GetOrdProp(W.get(), "Caption"), EPropertyError);
  EXPECT_THROW(GetFloatProp(W.get(), "Big"), EPropertyError);

  SetFloatProp(W.get(), "Ratio", 0.25L);
  EXPECT_EQ(W->FRatio, 0.25);
  EXPECT_EQ(GetFloatProp(W.get(), "Ratio"), 0.25L);

  // A component reference stores the object; a sub-object's setter copies it.
  TObjectPtr<TComponent> Other(TComponent::Create(nullptr));
  SetObjectProp(W.get(), "Partner", Other.get());
  EXPECT_EQ(W->FPartner, Other.get());
  TStringList NotAComponent;
  EXPECT_THROW(SetObjectProp(W.get(), "Partner", &NotAComponent), EPropertyError);
  EXPECT_EQ(W->FPartner, Other.get());
  SetObjectProp(W.get(), "Partner", nullptr);
  EXPECT_EQ(W->FPartner, nullptr);

  TFontLike Courier;
  Courier.FName = "Courier";
  TFontLike* Own = W->Font;
  SetObjectProp(W.get(), "Font", &Courier);
  EXPECT_EQ(W->Font, Own);
  EXPECT_EQ(W->Font->FName, "Courier");
  // A sub-object's own properties through the object it returns ("Font.Name").
  SetStrProp(GetObjectProp(W.get(), "Font"), "Name", "Tahoma");
  EXPECT_EQ(W->Font->FName, "Tahoma");
}

TEST(TypInfo, StoredFlags) {
  TObjectPtr<TWidget> W(TWidget::Create(nullptr));
  EXPECT_FALSE(IsStoredProp(W.get(), GetPropInfo(W.get(), "Name"))) << "names go in the header";
  EXPECT_TRUE(IsStoredProp(W.get(), GetPropInfo(W.get(), "Tag")));
  PPropInfo Kept = GetPropInfo(W.get(), "Kept");
  EXPECT_TRUE(IsStoredProp(W.get(), Kept));
  W->FKeep = false;
  EXPECT_FALSE(IsStoredProp(W.get(), Kept)) << "the class's predicate decides";
  EXPECT_FALSE(IsDefaultPropValue(W.get(), Kept)) << "no default: always a value to write";
  EXPECT_TRUE(IsDefaultPropValue(W.get(), GetPropInfo(W.get(), "Count")));
  SetOrdProp(W.get(), "Count", 6);
  EXPECT_FALSE(IsDefaultPropValue(W.get(), GetPropInfo(W.get(), "Count")));
}

// ---- published methods and fields ----

class TPingForm : public TComponent {
  VD_CLASS(TPingForm, TComponent);

public:
  explicit TPingForm(TComponent* AOwner) : TComponent(AOwner) {}
  TWidget* Widget1 = nullptr;
  std::vector<std::string> Pings;

  void Widget1Ping(TObject* Sender) { Pings.push_back(static_cast<TComponent*>(Sender)->Name()); }
  void Widget1Veto(TObject* Sender, bool& Allow) { Allow = false; }
};
VD_DEFINE_CLASS(TPingForm) {
  C.Field("Widget1", &TPingForm::Widget1);
  C.Method<&TPingForm::Widget1Ping>("Widget1Ping");
  C.Method<&TPingForm::Widget1Veto>("Widget1Veto");
}

class TPingForm2 : public TPingForm {
  VD_CLASS(TPingForm2, TPingForm);

public:
  explicit TPingForm2(TComponent* AOwner) : TPingForm(AOwner) {}
};
VD_DEFINE_CLASS(TPingForm2) {}

TEST(TypInfo, EventsBindToPublishedMethodsByName) {
  TObjectPtr<TPingForm2> Form(TPingForm2::Create(nullptr));
  auto* W = TWidget::Create(Form.get());
  W->SetName("Widget1");

  // What a form reader does: fill the field of each named component, bind events by name.
  const TFieldInfo* Field = FindPublishedField(Form->ClassType(), "widget1");
  ASSERT_NE(Field, nullptr) << "fields are inherited";
  Field->Set(Form.get(), W);
  EXPECT_EQ(Form->Widget1, W);
  EXPECT_EQ(Field->Get(Form.get()), W);
  TStringList NotAWidget;
  EXPECT_THROW(Field->Set(Form.get(), &NotAWidget), EPropertyError);

  PPropInfo OnPing = GetPropInfo(W, "OnPing");
  TMethod Handler = GetPublishedMethod(Form.get(), "WIDGET1PING", OnPing->PropType->Signature);
  ASSERT_NE(Handler.Code, nullptr);
  EXPECT_EQ(Handler.Data, static_cast<void*>(static_cast<TObject*>(Form.get())));
  SetMethodProp(W, OnPing, Handler);
  W->FOnPing(W);
  EXPECT_EQ(Form->Pings, (std::vector<std::string>{"Widget1"}));
  EXPECT_EQ(GetMethodProp(W, "OnPing"), Handler);
  EXPECT_EQ(Form->MethodName(Handler.Code), "Widget1Ping") << "what a writer needs";
  EXPECT_EQ(Form->MethodAddress("widget1ping"), Handler.Code);

  TMethod Wrong = GetPublishedMethod(Form.get(), "Widget1Veto", OnPing->PropType->Signature);
  EXPECT_EQ(Wrong.Code, nullptr) << "another signature does not bind";
  EXPECT_EQ(GetPublishedMethod(Form.get(), "Missing").Code, nullptr);

  // The same code is produced by binding in code.
  EXPECT_EQ(MakeEvent<&TPingForm::Widget1Ping>(Form.get()).Method(), Handler);
  SetMethodProp(W, OnPing, TMethod{});
  W->FOnPing(W);  // unassigned: nothing happens
  EXPECT_EQ(Form->Pings.size(), 1u);
}

}  // namespace
