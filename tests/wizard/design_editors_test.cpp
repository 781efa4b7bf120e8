// The IDE's design-time package and the editor bases: the exception report, the registration rows
// and their removal with the registering library, and property and component editors behind the
// IDE's slots.
#include <windows.h>

#include <gtest/gtest.h>

#include "classlib/TypInfo.h"
#include "ide/DesignEditors.h"
#include "tests/support/TempTree.h"
#include "tests/wizard/EditorTestSupport.h"

namespace {

class TProbe : public TComponent {
  VD_CLASS(TProbe, TComponent);

public:
  using TComponent::TComponent;
  std::string FCaption;
  int FCount = 0;
  uint8_t FSmall = 0;
};

// A string property with a value list, and a component editor with one verb after the base's.
class TListedProperty : public TStringProperty {
  VD_CLASS(TListedProperty, TStringProperty);

public:
  TPropertyAttributes GetAttributes() override { return inherited::GetAttributes() | paValueList; }
  void GetValues(const TGetStrProc& Proc) override {
    Proc("TForm1");
    Proc("TForm2");
  }
};

class TProbeEditor : public TComponentEditor {
  VD_CLASS(TProbeEditor, TComponentEditor);

public:
  int GetVerbCount() override { return inherited::GetVerbCount() + 1; }
  std::string GetVerb(int Index) override {
    return Index == inherited::GetVerbCount() ? "Probe Editor..." : inherited::GetVerb(Index);
  }
  void ExecuteVerb(int Index) override {
    if (Index != inherited::GetVerbCount()) return inherited::ExecuteVerb(Index);
    if (Component()->Tag() < 0) throw Exception("negative tag");
    Modified();
  }
};

VD_DEFINE_CLASS(TProbe) {
  C.Property("Caption", &TProbe::FCaption, &TProbe::FCaption);
  C.Property("Count", &TProbe::FCount, &TProbe::FCount);
  C.Property("Small", &TProbe::FSmall, &TProbe::FSmall);
}
VD_DEFINE_CLASS(TListedProperty) {}
VD_DEFINE_CLASS(TProbeEditor) {}

// The last registration row.
TIdeEditorRegistration LastRow() {
  TIdeEditorRegistration Row{};
  EXPECT_TRUE(IdeEditorRegistration(IdeEditorRegistrationCount() - 1, &Row));
  return Row;
}

TEST(IdeDesign, KeepsTheLastReportedException) {
  IdeClearException();
  EXPECT_EQ(IdeLastException(), nullptr);
  IdeHandleException("EConvertError", "first");
  IdeHandleException("Exception", "second");
  EXPECT_EQ(LastIdeException(), "second");
  IdeClearException();
  EXPECT_EQ(IdeLastException(), nullptr);
}

TEST(IdeDesign, RecordsRegistrationsAndDropsALibrarysOnesWithIt) {
  const int32_t Before = IdeEditorRegistrationCount();
  RegisterPropertyEditor(TypeInfoOf<std::string>(), ClassOf<TProbe>(), "Caption",
                         TPropertyEditorClass::Of<TStringProperty>());
  TIdeEditorRegistration Row = LastRow();
  EXPECT_EQ(Row.Kind, irkPropertyEditor);
  EXPECT_STREQ(Row.PropertyType, "string");
  EXPECT_STREQ(Row.ComponentClass, "TProbe");
  EXPECT_STREQ(Row.PropertyName, "Caption");
  EXPECT_STREQ(Row.EditorClass, "TStringProperty");
  EXPECT_EQ(Row.Module, GetModuleHandleA(nullptr)) << "the factory is this program's code";

  HMODULE Probe = LoadLibraryA(WindowsPathOfUnix(EDITOR_PROBE_DLL).c_str());
  ASSERT_NE(Probe, nullptr);
  using TRegister = void (*)();
  reinterpret_cast<TRegister>(GetProcAddress(Probe, "RegisterProbeEditors"))();
  ASSERT_EQ(IdeEditorRegistrationCount(), Before + 3);
  Row = LastRow();
  EXPECT_EQ(Row.Kind, irkComponentEditor);
  EXPECT_STREQ(Row.ComponentClass, "TComponent");
  EXPECT_STREQ(Row.EditorClass, "TComponentEditor");
  EXPECT_STREQ(Row.PropertyType, "");
  EXPECT_EQ(Row.Module, Probe);

  EXPECT_TRUE(IdeUnloadLibrary(Probe));
  EXPECT_EQ(IdeEditorRegistrationCount(), Before + 1) << "the probe's two rows went with it";
  EXPECT_STREQ(LastRow().PropertyName, "Caption");
  EXPECT_FALSE(IdeEditorRegistration(Before + 1, &Row));
}

TEST(IdeDesign, StringAndIntegerPropertiesReadAndWriteThroughTheSlots) {
  TObjectPtr<TProbe> A(TProbe::Create(nullptr)), B(TProbe::Create(nullptr));
  A->FCaption = "first";
  TCountingDesigner Designer;
  RegisterPropertyEditor(TypeInfoOf<std::string>(), ClassOf<TProbe>(), "Caption",
                         TPropertyEditorClass::Of<TStringProperty>());
  IIdePropertyEditor* Text = CreateIdePropertyEditor(LastRow(), &Designer, {A.get(), B.get()}, "Caption");
  ASSERT_NE(Text, nullptr);
  EXPECT_EQ(Text->GetAttributes(), paMultiSelect);
  EXPECT_STREQ(Text->GetValue(), "first") << "the first component's";
  EXPECT_TRUE(Text->SetValue("both"));
  EXPECT_EQ(A->FCaption, "both");
  EXPECT_EQ(B->FCaption, "both");
  EXPECT_EQ(Designer.Count, 1);
  Text->Release();

  RegisterPropertyEditor(TypeInfoOf<int>(), ClassOf<TProbe>(), "", TPropertyEditorClass::Of<TIntegerProperty>());
  IIdePropertyEditor* Count = CreateIdePropertyEditor(LastRow(), &Designer, {A.get()}, "Count");
  EXPECT_TRUE(Count->SetValue("12"));
  EXPECT_STREQ(Count->GetValue(), "12");
  IdeClearException();
  EXPECT_FALSE(Count->SetValue("12-x"));
  EXPECT_EQ(LastIdeException(), "'12-x' is not a valid integer value");
  EXPECT_EQ(A->FCount, 12);
  Count->Release();
  IIdePropertyEditor* Small = CreateIdePropertyEditor(LastRow(), &Designer, {A.get()}, "Small");
  IdeClearException();
  EXPECT_FALSE(Small->SetValue("300")) << "out of the property's range";
  EXPECT_NE(IdeLastException(), nullptr);
  EXPECT_EQ(A->FSmall, 0);
  Small->Release();
  EXPECT_EQ(Designer.Count, 2);
}

TEST(IdeDesign, AValueListReachesTheIdesSink) {
  RegisterPropertyEditor(TypeInfoOf<std::string>(), ClassOf<TProbe>(), "Caption",
                         TPropertyEditorClass::Of<TListedProperty>());
  TObjectPtr<TProbe> A(TProbe::Create(nullptr));
  IIdePropertyEditor* Editor = CreateIdePropertyEditor(LastRow(), nullptr, {A.get()}, "Caption");
  EXPECT_EQ(Editor->GetAttributes(), paMultiSelect | paValueList);
  TValueSink Values;
  EXPECT_TRUE(Editor->GetValues(&Values));
  EXPECT_EQ(Values.Lines, (std::vector<std::string>{"TForm1", "TForm2"}));
  EXPECT_TRUE(Editor->Edit()) << "the base opens nothing";
  Editor->Release();
}

TEST(IdeDesign, AComponentEditorsVerbsFollowTheBaseVerbs) {
  RegisterComponentEditor(ClassOf<TProbe>(), TComponentEditorClass::Of<TProbeEditor>());
  TObjectPtr<TProbe> A(TProbe::Create(nullptr));
  TCountingDesigner Designer;
  IIdeComponentEditor* Editor = CreateIdeComponentEditor(LastRow(), &Designer, A.get());
  ASSERT_NE(Editor, nullptr);
  EXPECT_EQ(Editor->GetVerbCount(), 1);
  EXPECT_STREQ(Editor->GetVerb(0), "Probe Editor...");
  EXPECT_STREQ(Editor->GetVerb(1), "");
  EXPECT_TRUE(Editor->ExecuteVerb(0));
  EXPECT_TRUE(Editor->Edit()) << "a double click runs the first verb";
  EXPECT_EQ(Designer.Count, 2);
  A->SetTag(-1);
  IdeClearException();
  EXPECT_FALSE(Editor->ExecuteVerb(0));
  EXPECT_EQ(LastIdeException(), "negative tag");
  Editor->Release();
}

}  // namespace
