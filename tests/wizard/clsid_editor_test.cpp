// The CLSID editor: only the braced registry form enables OK, "New GUID" makes fresh identifiers;
// OK writes once, Cancel nothing; typed text goes through the component's setter, whose error
// reaches the IDE's report.
#include <gtest/gtest.h>

#include "classlib/ComServ.h"
#include "classlib/SysUtils.h"
#include "nx/NxCustShlObj.h"
#include "tests/wizard/EditorTestSupport.h"
#include "wizard/Nx_Property_GUID.h"

using namespace testsupport;

namespace {

constexpr char kClsid[] = "{6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C3}";
constexpr char kOther[] = "{00112233-4455-6677-8899-AABBCCDDEEFF}";
constexpr char kOtherLowerCase[] = "{00112233-4455-6677-8899-aabbccddeeff}";

TEST(ClsIdEditorForm, OnlyTheBracedRegistryFormEnablesOkAndNewGuidMakesFreshOnes) {
  TObjectPtr<TClsIdEditorForm> Form(TClsIdEditorForm::Create(nullptr));
  EXPECT_FALSE(Form->BnOK->Enabled()) << "disabled at start";
  Form->Show();
  GUID Start{};
  ASSERT_TRUE(TryStringToGUID(kClsid, Start));
  Form->SetGUID(Start);
  EXPECT_EQ(Form->EdGUID->Text(), kClsid);
  EXPECT_TRUE(Form->BnOK->Enabled());
  for (const char* Bad : {"6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C3", "{6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C}",
                          "{6A1EGB3C-0D4F-4A5B-9C6D-7E8F90A1B2C3}", "{6A1E2B3C-0D4F-4A5B-9C6D-7E8F90A1B2C3} ",
                          "CLSID_Something"}) {
    Type(Form->EdGUID, Bad);
    EXPECT_FALSE(Form->BnOK->Enabled()) << Bad;
    EXPECT_EQ(GUIDToString(Form->Value()), kClsid) << "the last good one is kept";
  }
  Type(Form->EdGUID, kOtherLowerCase);
  EXPECT_TRUE(Form->BnOK->Enabled());
  EXPECT_EQ(GUIDToString(Form->Value()), kOther);

  ClickButton(Form->BnNewGuid);
  const std::string First = Form->EdGUID->Text();
  ClickButton(Form->BnNewGuid);
  EXPECT_NE(Form->EdGUID->Text(), First);
  EXPECT_EQ(Form->EdGUID->Text(), GUIDToString(Form->Value()));
}

TEST(ClsIdEditor, OkWritesOnceCancelNothingAndTypedTextGoesThroughTheSetter) {
  TObjectPtr<TNxBaseShellObject> Object(TNxBaseShellObject::Create(nullptr));
  Object->SetCLSID(kClsid);
  TCountingDesigner Designer;
  TFakeUIServices Fake;
  TIdePropertyEditorPtr Editor = MakePropertyEditor("TNxBaseShellObject", "CLSID", &Designer, Object.get());
  EXPECT_EQ(Editor->GetAttributes(), static_cast<uint32_t>(paDialog));
  EXPECT_STREQ(Editor->GetValue(), kClsid);
  for (bool Confirm : {false, true})
    Fake.OnModal<TClsIdEditorForm>([Confirm](TClsIdEditorForm& F) {
      EXPECT_EQ(F.EdGUID->Text(), kClsid) << "opens on the current identifier";
      Type(F.EdGUID, kOtherLowerCase);
      ClickButton(Confirm ? F.BnOK : F.Button1);
    });
  EXPECT_TRUE(Editor->Edit());
  EXPECT_EQ(Object->GetCLSID(), kClsid);
  EXPECT_EQ(Designer.Count, 0);
  EXPECT_TRUE(Editor->Edit());
  EXPECT_EQ(Object->GetCLSID(), kOther);
  EXPECT_EQ(Designer.Count, 1);

  IdeClearException();
  EXPECT_TRUE(Editor->SetValue(kClsid));
  EXPECT_EQ(Designer.Count, 2);
  EXPECT_FALSE(Editor->SetValue(kOther + 1)) << "no opening brace";
  EXPECT_EQ(LastIdeException(), SysErrorMessage(static_cast<DWORD>(CO_E_CLASSSTRING)));
  EXPECT_EQ(Object->GetCLSID(), kClsid);
  EXPECT_EQ(Designer.Count, 2);
}

TEST(ClsIdEditorForm, RunsModallyAndCloses) {
  TObjectPtr<TClsIdEditorForm> Form(TClsIdEditorForm::Create(nullptr));
  bool WatchdogFired = false;
  TModalResult Result = RunRealModal(
      *Form,
      [](TCustomForm& F) {
        auto& Dialog = static_cast<TClsIdEditorForm&>(F);
        PostMessageA(Dialog.BnNewGuid->Handle(), BM_CLICK, 0, 0);
        PostMessageA(Dialog.BnOK->Handle(), BM_CLICK, 0, 0);  // enabled by then
      },
      WatchdogFired);
  EXPECT_FALSE(WatchdogFired);
  EXPECT_EQ(Result, mrOk);
}

}  // namespace
