// Published properties by name on test classes: every kind, unknown names, wrong kinds, values out
// of range, handlers of another signature and setters that raise, none of which may escape.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "classlib/Classes.h"
#include "classlib/Menus.h"
#include "lx/lxPropUtils.h"

namespace {

enum TTestStyle { tsFlat, tsRaised, tsSunken };
VD_ENUM_INFO(TTestStyle, "tsFlat", "tsRaised", "tsSunken")
enum TTestOption { toA, toB, toC };
VD_ENUM_INFO(TTestOption, "toA", "toB", "toC")
using TTestOptions = TSet<TTestOption>;

using TVetoEvent = TEvent<TObject*, bool&>;

class TTestFont : public TPersistent {
  VD_CLASS(TTestFont, TPersistent);

public:
  int Size = 8;
  void Assign(TPersistent* Source) override {
    if (auto* F = dynamic_cast<TTestFont*>(Source)) Size = F->Size;
    else inherited::Assign(Source);
  }
};
VD_DEFINE_CLASS(TTestFont) { C.Property("Size", &TTestFont::Size, &TTestFont::Size); }

// A tool button: Down, GroupIndex, AllowAllUp, OnClick and one property of every other kind.
class TTestButton : public TComponent {
  VD_CLASS(TTestButton, TComponent);

public:
  using TComponent::TComponent;
  bool FDown = false;
  int FGroupIndex = 0;
  bool FAllowAllUp = false;
  uint8_t FLevel = 0;
  TTestStyle FStyle = tsFlat;
  TTestOptions FOptions;
  std::string FCaption;
  TComponent* FBuddy = nullptr;
  TTestFont* FFont = TTestFont::Create();
  TNotifyEvent OnClick;
  TVetoEvent OnCanClick;
  int Changes = 0;
  void BeforeDestruction() override {
    FreeAndNil(FFont);
    inherited::BeforeDestruction();
  }
  void SetDown(bool Value) {
    FDown = Value;
    ++Changes;
  }
  void SetFont(TTestFont* Value) { FFont->Assign(Value); }
  void Click(TObject* Sender) { ++Changes; }
  void CanClick(TObject* Sender, bool& Allow) { Allow = false; }
};
VD_DEFINE_CLASS(TTestButton) {
  C.Property("Down", &TTestButton::FDown, &TTestButton::SetDown).Default(false);
  C.Property("GroupIndex", &TTestButton::FGroupIndex, &TTestButton::FGroupIndex).Default(0);
  C.Property("AllowAllUp", &TTestButton::FAllowAllUp, &TTestButton::FAllowAllUp).Default(false);
  C.Property("Level", &TTestButton::FLevel, &TTestButton::FLevel);
  C.Property("Style", &TTestButton::FStyle, &TTestButton::FStyle);
  C.Property("Options", &TTestButton::FOptions, &TTestButton::FOptions);
  C.Property("Caption", &TTestButton::FCaption, &TTestButton::FCaption);
  C.Property("Buddy", &TTestButton::FBuddy, &TTestButton::FBuddy);
  C.Property("Font", &TTestButton::FFont, &TTestButton::SetFont);
  C.Property("ReadOnlyCaption", [](TTestButton& B) { return B.FCaption; });
  C.Property("OnClick", &TTestButton::OnClick, &TTestButton::OnClick);
  C.Property("OnCanClick", &TTestButton::OnCanClick, &TTestButton::OnCanClick);
}

// A menu item: Checked, no Down.
class TTestMenuItem : public TComponent {
  VD_CLASS(TTestMenuItem, TComponent);

public:
  using TComponent::TComponent;
  bool FChecked = false;
  TNotifyEvent OnClick;
};
VD_DEFINE_CLASS(TTestMenuItem) {
  C.Property("Checked", &TTestMenuItem::FChecked, &TTestMenuItem::FChecked);
  C.Property("OnClick", &TTestMenuItem::OnClick, &TTestMenuItem::OnClick);
}

// "Down" of another kind, and a Checked next to it.
class TIntDown : public TComponent {
  VD_CLASS(TIntDown, TComponent);

public:
  using TComponent::TComponent;
  int FDown = 5;
  bool FChecked = false;
};
VD_DEFINE_CLASS(TIntDown) {
  C.Property("Down", &TIntDown::FDown, &TIntDown::FDown);
  C.Property("Checked", &TIntDown::FChecked, &TIntDown::FChecked);
}

// Setters that raise.
class TRaising : public TComponent {
  VD_CLASS(TRaising, TComponent);

public:
  using TComponent::TComponent;
  bool FDown = false;
  bool FChecked = false;
  void SetDown(bool) { throw EInvalidOperation("no"); }
  void SetCount(int) { throw std::runtime_error("not an Exception either"); }
  int Count() const { return 0; }
};
VD_DEFINE_CLASS(TRaising) {
  C.Property("Down", &TRaising::FDown, &TRaising::SetDown);
  C.Property("Checked", &TRaising::FChecked, &TRaising::FChecked);
  C.Property("Count", &TRaising::Count, &TRaising::SetCount);
}

template <class T> struct TOwned {
  TObjectPtr<T> Obj{T::Create(nullptr)};
  T* operator->() const { return Obj.get(); }
  T* get() const { return Obj.get(); }
};

TEST(LxPropByName, IntegerProperties) {
  TOwned<TTestButton> B;
  EXPECT_TRUE(SetIntPropByName(B.get(), "GroupIndex", 21357));
  EXPECT_EQ(B->FGroupIndex, 21357);
  EXPECT_TRUE(SetIntPropByName(B.get(), "groupindex", -1));  // names ignore case
  EXPECT_EQ(GetIntPropByName(B.get(), "GROUPINDEX"), -1);
  EXPECT_TRUE(SetIntPropByName(B.get(), "Level", 255));
  EXPECT_FALSE(SetIntPropByName(B.get(), "Level", 256));  // Byte: out of range, unchanged
  EXPECT_FALSE(SetIntPropByName(B.get(), "Level", -1));
  EXPECT_EQ(B->FLevel, 255);
  EXPECT_FALSE(SetIntPropByName(B.get(), "Down", 1));  // an enumeration
  EXPECT_FALSE(SetIntPropByName(B.get(), "NoSuchProperty", 1));
  EXPECT_FALSE(SetIntPropByName(nullptr, "GroupIndex", 1));
  EXPECT_EQ(GetIntPropByName(B.get(), "Caption"), std::nullopt);
  EXPECT_EQ(GetIntPropByName(nullptr, "GroupIndex"), std::nullopt);
}

TEST(LxPropByName, EnumerationsAndBooleans) {
  TOwned<TTestButton> B;
  EXPECT_TRUE(SetEnumPropByName(B.get(), "Down", uint8_t{1}));
  EXPECT_TRUE(B->FDown);
  EXPECT_EQ(B->Changes, 1);  // through the setter
  EXPECT_FALSE(SetEnumPropByName(B.get(), "Down", uint8_t{2}));  // Boolean is 0..1
  EXPECT_TRUE(B->FDown);
  EXPECT_TRUE(SetEnumPropByName(B.get(), "Style", uint8_t{tsSunken}));
  EXPECT_EQ(B->FStyle, tsSunken);
  EXPECT_FALSE(SetEnumPropByName(B.get(), "Style", uint8_t{3}));
  EXPECT_TRUE(SetEnumPropByName(B.get(), "style", std::string("TSRAISED")));
  EXPECT_EQ(GetEnumPropByName(B.get(), "Style"), "tsRaised");
  EXPECT_FALSE(SetEnumPropByName(B.get(), "Style", std::string("tsNone")));
  EXPECT_EQ(GetEnumPropByName(B.get(), "Down"), "True");
  EXPECT_FALSE(SetEnumPropByName(B.get(), "GroupIndex", uint8_t{1}));  // an integer
  EXPECT_EQ(GetEnumPropByName(B.get(), "GroupIndex"), std::nullopt);
}

TEST(LxPropByName, SetsStringsAndObjects) {
  TOwned<TTestButton> B, Other;
  EXPECT_TRUE(SetSetPropByName(B.get(), "Options", "[toA,toC]"));
  EXPECT_EQ(B->FOptions, (TTestOptions{toA, toC}));
  EXPECT_EQ(GetSetPropByName(B.get(), "Options"), "[toA,toC]");
  EXPECT_FALSE(SetSetPropByName(B.get(), "Options", "[toZ]"));
  EXPECT_EQ(B->FOptions, (TTestOptions{toA, toC}));

  EXPECT_TRUE(SetStrPropByName(B.get(), "Caption", "&Help"));
  EXPECT_EQ(GetStrPropByName(B.get(), "caption"), "&Help");
  EXPECT_FALSE(SetStrPropByName(B.get(), "ReadOnlyCaption", "x"));
  EXPECT_EQ(GetStrPropByName(B.get(), "ReadOnlyCaption"), "&Help");
  EXPECT_FALSE(SetStrPropByName(B.get(), "Style", "tsFlat"));

  EXPECT_TRUE(SetObjectPropByName(B.get(), "Buddy", Other.get()));
  EXPECT_EQ(GetObjectPropByName(B.get(), "Buddy"), Other.get());
  EXPECT_TRUE(SetObjectPropByName(B.get(), "Buddy", nullptr));
  EXPECT_EQ(GetObjectPropByName(B.get(), "Buddy"), std::optional<TObject*>(nullptr));
  TObjectPtr<TTestFont> Big(TTestFont::Create());
  Big->Size = 20;
  EXPECT_TRUE(SetObjectPropByName(B.get(), "Font", Big.get()));  // a sub-object: copied
  EXPECT_EQ(B->FFont->Size, 20);
  EXPECT_NE(GetObjectPropByName(B.get(), "Font"), std::optional<TObject*>(Big.get()));
  EXPECT_FALSE(SetObjectPropByName(B.get(), "Font", Other.get()));  // not a TTestFont
  EXPECT_EQ(GetObjectPropByName(B.get(), "Caption"), std::nullopt);
}

TEST(LxPropByName, EventsCheckTheSignature) {
  TOwned<TTestButton> B, Target;
  TNotifyEvent Click = MakeEvent<&TTestButton::Click>(Target.get());
  EXPECT_TRUE(SetMethodPropByName(B.get(), "OnClick", Click));
  ASSERT_TRUE(B->OnClick);
  B->OnClick(B.get());
  EXPECT_EQ(Target->Changes, 1);
  EXPECT_EQ(GetMethodPropByName(B.get(), "OnClick", TNotifyEvent::Signature()), Click.Method());
  EXPECT_EQ(GetMethodPropByName(B.get(), "OnClick", TVetoEvent::Signature()), std::nullopt);

  // A handler of another signature is refused, raw or typed.
  TVetoEvent Veto = MakeEvent<&TTestButton::CanClick>(Target.get());
  EXPECT_FALSE(SetMethodPropByName(B.get(), "OnClick", Veto));
  TMethod Raw = Veto.Method();
  EXPECT_FALSE(SetMethodPropByName(B.get(), "OnClick", Raw.Code, Raw.Data, nullptr));
  EXPECT_FALSE(SetMethodPropByName(B.get(), "OnClick", Raw.Code, Raw.Data, TVetoEvent::Signature()));
  EXPECT_EQ(B->OnClick, Click);
  EXPECT_TRUE(SetMethodPropByName(B.get(), "OnCanClick", Veto));
  // Clearing needs no signature; a non-event property is no event.
  EXPECT_TRUE(SetMethodPropByName(B.get(), "OnClick", nullptr, nullptr, nullptr));
  EXPECT_FALSE(B->OnClick);
  EXPECT_FALSE(SetMethodPropByName(B.get(), "Caption", Click));
  EXPECT_FALSE(SetMethodPropByName(B.get(), "OnMissing", Click));
}

TEST(LxPropByName, DownOrChecked) {
  TOwned<TTestButton> Button;
  TOwned<TTestMenuItem> Item;
  TOwned<TIntDown> IntDown;
  EXPECT_TRUE(SetDownOrChecked(Button.get(), true));
  EXPECT_TRUE(Button->FDown);
  EXPECT_TRUE(SetDownOrChecked(Item.get(), true));
  EXPECT_TRUE(Item->FChecked);
  EXPECT_TRUE(SetDownOrChecked(Item.get(), false));
  EXPECT_FALSE(Item->FChecked);
  // "Down" as an integer is left alone; Checked is set instead.
  EXPECT_TRUE(SetDownOrChecked(IntDown.get(), true));
  EXPECT_EQ(IntDown->FDown, 5);
  EXPECT_TRUE(IntDown->FChecked);
  EXPECT_FALSE(SetDownOrChecked(nullptr, true));
  TObjectPtr<TTestFont> None(TTestFont::Create());  // neither property
  EXPECT_FALSE(SetDownOrChecked(None.get(), true));
}

TEST(LxPropByName, RaisingSettersGiveFalse) {
  TOwned<TRaising> R;
  EXPECT_FALSE(SetEnumPropByName(R.get(), "Down", uint8_t{1}));
  EXPECT_FALSE(SetIntPropByName(R.get(), "Count", 1));  // not even an Exception escapes
  EXPECT_EQ(GetIntPropByName(R.get(), "Count"), 0);
  // Down raises, so Checked is set.
  EXPECT_TRUE(SetDownOrChecked(R.get(), true));
  EXPECT_TRUE(R->FChecked);
}

TEST(LxPropByName, ClassLibraryMenuItem) {
  TObjectPtr<TMenuItem> Item(TMenuItem::Create(nullptr));
  TOwned<TTestButton> Target;
  EXPECT_TRUE(SetDownOrChecked(Item.get(), true));
  EXPECT_TRUE(Item->Checked());
  EXPECT_TRUE(SetMethodPropByName(Item.get(), "OnClick", MakeEvent<&TTestButton::Click>(Target.get())));
  // GroupIndex is a Byte here: a larger group number is refused, the old one kept.
  EXPECT_TRUE(SetIntPropByName(Item.get(), "GroupIndex", 7));
  EXPECT_FALSE(SetIntPropByName(Item.get(), "GroupIndex", 21357));
  EXPECT_EQ(Item->GroupIndex(), 7);
}

}  // namespace
