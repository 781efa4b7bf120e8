// The memo and the static text.
#include "classlib/StdCtrls.h"

#include "classlib/ControlsPublish.h"
#include "classlib/GraphicsInternal.h"
#include "classlib/TypInfo.h"

using namespace controls_publish;

namespace {
// Form resources create these by class name. Registering only records the classes.
struct TTextControlsRegistration {
  TTextControlsRegistration() { RegisterClasses({ClassOf<TMemo>(), ClassOf<TStaticText>()}); }
} const g_TextControlsClasses;

// CR LF at every line break, as the multi-line edit wants them.
std::string WithCrLf(const std::string& Text) {
  std::string Result;
  Result.reserve(Text.size());
  for (size_t I = 0; I < Text.size(); ++I) {
    char C = Text[I];
    if (C == '\r' || C == '\n') {
      Result += "\r\n";
      if (C == '\r' && I + 1 < Text.size() && Text[I + 1] == '\n') ++I;
    } else {
      Result += C;
    }
  }
  return Result;
}
}  // namespace

// The lines of a memo, read from and written to its text.
class TMemoStrings : public TStrings {
  VD_CLASS(TMemoStrings, TStrings);

public:
  explicit TMemoStrings(TCustomMemo* Memo) : FMemo(Memo) {}

  std::string Get(int Index) const override {
    TStringList Lines;
    Split(Lines);
    return Lines.Get(Index);
  }
  int GetCount() const override {
    TStringList Lines;
    Split(Lines);
    return Lines.GetCount();
  }
  void Put(int Index, const std::string& S) override { Change([&](TStringList& L) { L.Put(Index, S); }); }
  void Insert(int Index, const std::string& S) override { Change([&](TStringList& L) { L.Insert(Index, S); }); }
  void Delete(int Index) override { Change([&](TStringList& L) { L.Delete(Index); }); }
  void Clear() override { FMemo->SetText(""); }
  void SetText(const std::string& Value) override { FMemo->SetText(WithCrLf(Value)); }

private:
  void Split(TStringList& Lines) const { Lines.SetText(FMemo->Text()); }
  template <class F> void Change(F Edit) {
    TStringList Lines;
    Split(Lines);
    Edit(Lines);
    // Joined with line breaks between the lines; a last empty line needs one more to be there.
    std::string Text;
    for (int I = 0; I < Lines.Count(); ++I) Text += (I ? "\r\n" : "") + Lines[I];
    if (Lines.Count() > 0 && Lines[Lines.Count() - 1].empty()) Text += "\r\n";
    FMemo->SetText(Text);
  }
  TCustomMemo* FMemo;
};

VD_DEFINE_CLASS(TMemoStrings) {}

// ---- TCustomMemo --------------------------------------------------------------------------------

TCustomMemo::TCustomMemo(TComponent* AOwner) : TCustomEdit(AOwner), FLines(TMemoStrings::Create(this)) {
  FControlStyle.Exclude(csFixedHeight);
  StoreBounds(0, 0, 185, 89);
}

void TCustomMemo::BeforeDestruction() {
  inherited::BeforeDestruction();
  FLines->Free();
  FLines = nullptr;
}

void TCustomMemo::CreateParams(TCreateParams& Params) {
  TCustomEdit::CreateParams(Params);
  Params.Style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
  if (FWordWrap) Params.Style &= ~static_cast<DWORD>(ES_AUTOHSCROLL);
  if (FScrollBars == ssVertical || FScrollBars == ssBoth) Params.Style |= WS_VSCROLL;
  if (FScrollBars == ssHorizontal || FScrollBars == ssBoth) Params.Style |= WS_HSCROLL;
}

void TCustomMemo::SetScrollBars(TScrollStyle Value) {
  if (FScrollBars == Value) return;
  FScrollBars = Value;
  RecreateWnd();
}

void TCustomMemo::SetWordWrap(bool Value) {
  if (FWordWrap == Value) return;
  FWordWrap = Value;
  RecreateWnd();  // the edit control decides about wrapping only when it is made
}

// ---- TCustomStaticText --------------------------------------------------------------------------

TCustomStaticText::TCustomStaticText(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csReplicatable,
                                csDoubleClicks};
  StoreBounds(0, 0, 65, 17);
}

void TCustomStaticText::CreateParams(TCreateParams& Params) {
  TWinControl::CreateParams(Params);
  CreateSubClass(Params, "STATIC");
  Params.Style |= SS_LEFT | SS_NOTIFY;
}

void TCustomStaticText::SetAutoSize(bool Value) {
  if (FAutoSize == Value) return;
  FAutoSize = Value;
  AdjustBounds();
}

void TCustomStaticText::AdjustBounds() {
  TComponentState State = ComponentState();
  if (!FAutoSize || State.Contains(csLoading) || State.Contains(csDestroying)) return;
  std::string Text = GetText();
  RECT R{0, 0, 0, 0};
  {
    graphics_detail::TScreenDC DC;
    graphics_detail::TSelectObject Selected(DC.Get(), Font()->Handle());
    DrawTextA(DC.Get(), Text.empty() ? " " : Text.c_str(), -1, &R, DT_SINGLELINE | DT_CALCRECT);
  }
  SetBounds(Left(), Top(), R.right - R.left, R.bottom - R.top);
}

void TCustomStaticText::Loaded() {
  TWinControl::Loaded();
  AdjustBounds();
}

void TCustomStaticText::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
      TWinControl::Dispatch(Message);
      AdjustBounds();
      return;
  }
  TWinControl::Dispatch(Message);
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TCustomMemo) {}

VD_DEFINE_CLASS(TMemo) {
  PublishControl(C, clWindow, false);
  PublishWinControl(C, true);
  PublishKeyEvents(C);
  C.Property("Lines", &TMemo::Lines, &TMemo::SetLines);
  C.Property("MaxLength", &TMemo::MaxLength, &TMemo::SetMaxLength).Default(0);
  C.Property("ReadOnly", &TMemo::ReadOnly, &TMemo::SetReadOnly).Default(false);
  C.Property("ScrollBars", &TMemo::ScrollBars, &TMemo::SetScrollBars).Default(ssNone);
  C.Property("WordWrap", &TMemo::WordWrap, &TMemo::SetWordWrap).Default(true);
  C.Property("OnChange", &TMemo::OnChange, &TMemo::OnChange);
  // A memo shows its lines; it has no caption of its own.
  C.Property("Caption").Stored(false);
}

VD_DEFINE_CLASS(TCustomStaticText) {}

VD_DEFINE_CLASS(TStaticText) {
  PublishControl(C, clBtnFace, true);
  PublishWinControl(C, false);
  C.Property("AutoSize", &TStaticText::AutoSize, &TStaticText::SetAutoSize).Default(true);
}
