// Fuzz target for reading form descriptions into components (tools/fuzz.sh formreader): a root
// whose components own their child components as windowed controls do, items with references and
// the value kinds. A read either loads or raises EReadError; either way the root can be written
// and freed, and nothing freed stays reachable (the sanitizers see any use after free).
#include <cstdint>
#include <string>

#include "classlib/FormStream.h"
#include "tests/support/WindowedTestClasses.h"

namespace {

class TFuzzItem : public TTestWin {
  VD_CLASS(TFuzzItem, TTestWin);

public:
  using TTestWin::TTestWin;
  std::string FCaption;
  double FRatio = 0;
  long long FBig = 0;
  bool FFlag = false;
  TStringList* Lines = TStringList::Create();
  TNotifyEvent FOnClick;

protected:
  ~TFuzzItem() override { Lines->Free(); }
};
VD_DEFINE_CLASS(TFuzzItem) {
  C.Property("Caption", &TFuzzItem::FCaption, &TFuzzItem::FCaption);
  C.Property("Ratio", &TFuzzItem::FRatio, &TFuzzItem::FRatio);
  C.Property("Big", &TFuzzItem::FBig, &TFuzzItem::FBig);
  C.Property("Flag", &TFuzzItem::FFlag, &TFuzzItem::FFlag).Default(false);
  C.Property("Lines", &TFuzzItem::Lines, [](TFuzzItem& I, TStringList* V) { I.Lines->Assign(V); });
  C.Property("OnClick", &TFuzzItem::FOnClick, &TFuzzItem::FOnClick);
}

const bool kRegistered = [] {
  RegisterClass(ClassOf<TTestWin>());
  RegisterClass(ClassOf<TFuzzItem>());
  return true;
}();

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  (void)kRegistered;
  const std::string Text(reinterpret_cast<const char*>(Data), Size);
  TTestWinForm* Root = TTestWinForm::Create(nullptr);
  try {
    ReadComponentFromText(Text, Root);
  } catch (const EReadError&) {
  }
  try {
    WriteComponentToText(Root);
  } catch (const EWriteError&) {
  }
  Root->Free();
  return 0;
}
