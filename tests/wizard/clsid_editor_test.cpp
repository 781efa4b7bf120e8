// The CLSID editor: the dialog accepts only the braced registry form and makes new identifiers;
// Edit writes the identifier chosen once, Cancel nothing; typed text goes through the component's
// own setter, whose error reaches the IDE's report.
#include <gtest/gtest.h>

#include "classlib/ComServ.h"
#include "classlib/SysUtils.h"
#include "nx/NxCustShlObj.h"
#include "tests/wizard/EditorTestSupport.h"

using namespace testsupport;

namespace {

constexpr char kClsid[] = "{6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C3}";
constexpr char kOther[] = "{00112233-4455-6677-8899-AABBCCDDEEFF}";

GUID Guid(const char* Text) {
  GUID Result{};
  EXPECT_TRUE(TryStringToGUID(Text, Result)) << Text;
  return Result;
}

TEST(ClsIdEditorForm, OnlyTheBracedRegistryFormEnablesOkAndTheLastGoodOneIsKept) {
  TObjectPtr<TClsIdEditorForm> Form(TClsIdEditorForm::Create(nullptr));
  EXPECT_FALSE(Form->BnOK->Enabled()) << "disabled at start";
  Form->Show();
  Form->SetGUID(Guid(kClsid));
  EXPECT_EQ(Form->EdGUID->Text(), kClsid);
  EXPECT_TRUE(Form->BnOK->Enabled());

  for (const char* Bad : {"6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C3", "{6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C}",
                          "{6A1EGB3C-0D4F-4A5B-9C6D-7E8F90A1B2C3}", "{6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C3} ",
                          "CLSID_Something"}) {
    Type(Form->EdGUID, Bad);
    EXPECT_FALSE(Form->BnOK->Enabled()) << Bad;
    EXPECT_EQ(GUIDToString(Form->Value()), kClsid) << "kept: " << Bad;
  }
  Type(Form->EdGUID, "{00112233-4455-6677-8899-aabbccddeeff}");
  EXPECT_TRUE(Form->BnOK->Enabled()) << "lower case";
  EXPECT_EQ(GUIDToString(Form->Value()), kOther);
}

TEST(ClsIdEditorForm, NewGuidShowsAFreshIdentifierEachTime) {
  TObjectPtr<TClsIdEditorForm> Form(TClsIdEditorForm::Create(nullptr));
  Form->Show();
  ClickButton(Form->BnNewGuid);
  const std::string First = Form->EdGUID->Text();
  ClickButton(Form->BnNewGuid);
  EXPECT_NE(Form->EdGUID->Text(), First);
  EXPECT_EQ(Form->EdGUID->Text(), GUIDToString(Form->Value()));
  EXPECT_TRUE(Form->BnOK->Enabled());
}

class ClsIdEditor : public ::testing::Test {
protected:
  void SetUp() override {
    Object->SetCLSID(kClsid);
    IdeClearException();
  }
  TObjectPtr<TNxBaseShellObject> Object{TNxBaseShellObject::Create(nullptr)};
  TCountingDesigner Designer;
  TFakeUIServices Fake;
  TIdePropertyEditorPtr Editor{IdePropertyEditor("TNxBaseShellObject", "CLSID", Object.get(), &Designer)};
};

TEST_F(ClsIdEditor, OkWritesTheIdentifierOnceCancelWritesNothing) {
  EXPECT_EQ(Editor->GetAttributes(), static_cast<uint32_t>(paDialog));
  EXPECT_STREQ(Editor->GetValue(), kClsid);
  Fake.OnModal<TClsIdEditorForm>([](TClsIdEditorForm& F) {
    Type(F.EdGUID, kOther);
    ClickButton(F.Button1);
  });
  EXPECT_TRUE(Editor->Edit());
  EXPECT_EQ(Object->GetCLSID(), kClsid);
  EXPECT_EQ(Designer.Count, 0);

  std::string Shown;
  bool Enabled = false;
  Fake.OnModal<TClsIdEditorForm>([&](TClsIdEditorForm& F) {
    Shown = F.EdGUID->Text();
    Enabled = F.BnOK->Enabled();
    Type(F.EdGUID, "{00112233-4455-6677-8899-aabbccddeeff}");
    ClickButton(F.BnOK);
  });
  EXPECT_TRUE(Editor->Edit());
  EXPECT_EQ(Shown, kClsid) << "the dialog opens on the current identifier";
  EXPECT_TRUE(Enabled);
  EXPECT_EQ(Object->GetCLSID(), kOther);
  EXPECT_EQ(Designer.Count, 1);
  EXPECT_TRUE(Fake.Unscripted.empty());
  EXPECT_TRUE(Fake.Unfinished.empty());
}

TEST_F(ClsIdEditor, TypedTextGoesThroughTheComponentsSetterAndItsErrorToTheIdesReport) {
  EXPECT_TRUE(Editor->SetValue(kOther));
  EXPECT_EQ(Object->GetCLSID(), kOther);
  EXPECT_EQ(Designer.Count, 1);
  EXPECT_FALSE(Editor->SetValue("00112233-4455-6677-8899-AABBCCDDEEFF"));
  EXPECT_EQ(IdeReport(), SysErrorMessage(static_cast<DWORD>(CO_E_CLASSSTRING)));
  EXPECT_EQ(Object->GetCLSID(), kOther);
  EXPECT_EQ(Designer.Count, 1);
}

TEST_F(ClsIdEditor, AnotherComponentHasNoValueAndNoDialog) {
  TObjectPtr<TComponent> Plain(TComponent::Create(nullptr));
  TIdePropertyEditorPtr Other = IdePropertyEditor("TNxBaseShellObject", "CLSID", Plain.get(), &Designer);
  EXPECT_STREQ(Other->GetValue(), "");
  EXPECT_TRUE(Other->Edit());
  EXPECT_TRUE(Fake.ModalForms.empty());
}

TEST(ClsIdEditorForm, RunsModallyAndCloses) {
  TObjectPtr<TClsIdEditorForm> Form(TClsIdEditorForm::Create(nullptr));
  bool WatchdogFired = false;
  TModalResult Result = RunRealModal(
      *Form,
      [](TCustomForm& F) {
        auto& Dialog = static_cast<TClsIdEditorForm&>(F);
        PostMessageA(Dialog.BnNewGuid->Handle(), BM_CLICK, 0, 0);
        PostMessageA(Dialog.BnOK->Handle(), BM_CLICK, 0, 0);
      },
      WatchdogFired);
  EXPECT_FALSE(WatchdogFired);
  EXPECT_EQ(Result, mrOk);
  EXPECT_NE(GUIDToString(Form->Value()), GUIDToString(GUID{}));
}

}  // namespace
