// Standard controls: label, edit, group box, push button, check box.
#pragma once

#include "classlib/Controls.h"

enum TTextLayout { tlTop, tlCenter, tlBottom };
VD_ENUM_INFO(TTextLayout, "tlTop", "tlCenter", "tlBottom")

// ---- Label --------------------------------------------------------------------------------------

// A window-less control that draws its caption.
class TCustomLabel : public TGraphicControl {
  VD_CLASS(TCustomLabel, TGraphicControl);

public:
  explicit TCustomLabel(TComponent* AOwner);

  TAlignment Alignment() const noexcept { return FAlignment; }
  void SetAlignment(TAlignment Value);
  // The label takes the size of its text (with WordWrap: the height for its width).
  bool AutoSize() const noexcept { return FAutoSize; }
  void SetAutoSize(bool Value);
  bool WordWrap() const noexcept { return FWordWrap; }
  void SetWordWrap(bool Value);
  // Without csOpaque: the parent shows through the label's background.
  bool Transparent() const noexcept { return !FControlStyle.Contains(csOpaque); }
  void SetTransparent(bool Value);
  bool ShowAccelChar() const noexcept { return FShowAccelChar; }
  void SetShowAccelChar(bool Value);
  TTextLayout Layout() const noexcept { return FLayout; }
  void SetLayout(TTextLayout Value);
  // The control focused by the label's accelerator (not owned; cleared when freed).
  TWinControl* FocusControl() const noexcept { return FFocusControl; }
  void SetFocusControl(TWinControl* Value);

protected:
  void Paint() override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  // Draws (or with DT_CALCRECT measures) the label text in Rect on Canvas.
  virtual void DoDrawText(TRect& Rect, UINT Flags);
  virtual std::string GetLabelText() { return GetText(); }
  // Fits the size to the text when AutoSize.
  virtual void AdjustBounds();
  UINT DrawTextFlags() const;

private:
  TAlignment FAlignment = taLeftJustify;
  bool FAutoSize = true;
  bool FWordWrap = false;
  bool FShowAccelChar = true;
  TTextLayout FLayout = tlTop;
  TWinControl* FFocusControl = nullptr;
};

class TLabel : public TCustomLabel {
  VD_CLASS(TLabel, TCustomLabel);

public:
  using TCustomLabel::TCustomLabel;
};

// ---- Edit ---------------------------------------------------------------------------------------

// A one-line edit box over the system EDIT class.
class TCustomEdit : public TWinControl {
  VD_CLASS(TCustomEdit, TWinControl);

public:
  explicit TCustomEdit(TComponent* AOwner);

  bool ReadOnly() const noexcept { return FReadOnly; }
  void SetReadOnly(bool Value);
  // Characters at most (0: no limit of ours).
  int MaxLength() const noexcept { return FMaxLength; }
  void SetMaxLength(int Value);
  TBorderStyle BorderStyle() const noexcept { return FBorderStyle; }
  void SetBorderStyle(TBorderStyle Value);
  // The whole text is selected when the edit gets the focus from the keyboard.
  bool AutoSelect() const noexcept { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  bool Modified();
  void SetModified(bool Value);
  int SelStart();
  void SetSelStart(int Value);
  int SelLength();
  void SetSelLength(int Value);
  void SelectAll();
  void Clear() { SetText(""); }

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;
  virtual void Change();

private:
  bool FReadOnly = false;
  int FMaxLength = 0;
  TBorderStyle FBorderStyle = bsSingle;
  bool FAutoSelect = true;
  bool FModified = false;
};

class TEdit : public TCustomEdit {
  VD_CLASS(TEdit, TCustomEdit);

public:
  using TCustomEdit::TCustomEdit;
};

// ---- Memo ---------------------------------------------------------------------------------------

enum TScrollStyle { ssNone, ssHorizontal, ssVertical, ssBoth };
VD_ENUM_INFO(TScrollStyle, "ssNone", "ssHorizontal", "ssVertical", "ssBoth")

// A multi-line edit box. Lines reads and writes the text itself: the lines split at CR LF (or a
// lone CR or LF), a final line break adding no line, as TStrings::SetText splits.
class TCustomMemo : public TCustomEdit {
  VD_CLASS(TCustomMemo, TCustomEdit);

public:
  explicit TCustomMemo(TComponent* AOwner);
  void BeforeDestruction() override;

  TStrings* Lines() const noexcept { return FLines; }
  void SetLines(TStrings* Value) { FLines->Assign(Value); }
  TScrollStyle ScrollBars() const noexcept { return FScrollBars; }
  void SetScrollBars(TScrollStyle Value);
  // Long lines wrap at the right edge (no horizontal scrolling).
  bool WordWrap() const noexcept { return FWordWrap; }
  void SetWordWrap(bool Value);

protected:
  void CreateParams(TCreateParams& Params) override;

private:
  TStrings* FLines;
  TScrollStyle FScrollBars = ssNone;
  bool FWordWrap = true;
};

class TMemo : public TCustomMemo {
  VD_CLASS(TMemo, TCustomMemo);

public:
  using TCustomMemo::TCustomMemo;
};

// ---- List box and combo box ---------------------------------------------------------------------

// A list of strings over the system LISTBOX class; one line can be selected. Items are kept by
// the control and shown by its window. A change of the selection by the user fires OnClick.
class TCustomListBox : public TWinControl {
  VD_CLASS(TCustomListBox, TWinControl);

public:
  explicit TCustomListBox(TComponent* AOwner);
  void BeforeDestruction() override;

  TStrings* Items() const noexcept { return FItems; }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  // The selected line, -1 when none.
  int ItemIndex();
  void SetItemIndex(int Value);
  void Clear() { FItems->Clear(); }

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;

private:
  TStrings* FItems;
};

class TListBox : public TCustomListBox {
  VD_CLASS(TListBox, TCustomListBox);

public:
  using TCustomListBox::TCustomListBox;
};

enum TComboBoxStyle { csDropDown, csSimple, csDropDownList };
VD_ENUM_INFO(TComboBoxStyle, "csDropDown", "csSimple", "csDropDownList")

// A combo box over the system COMBOBOX class; with csDropDownList only the items can be chosen.
// A choice by the user (or, editable, a typed change) fires OnChange.
class TCustomComboBox : public TWinControl {
  VD_CLASS(TCustomComboBox, TWinControl);

public:
  explicit TCustomComboBox(TComponent* AOwner);
  void BeforeDestruction() override;

  TStrings* Items() const noexcept { return FItems; }
  void SetItems(TStrings* Value) { FItems->Assign(Value); }
  // The chosen item, -1 when none.
  int ItemIndex();
  void SetItemIndex(int Value);
  TComboBoxStyle Style() const noexcept { return FStyle; }
  void SetStyle(TComboBoxStyle Value);
  // Lines shown when the list drops down.
  int DropDownCount() const noexcept { return FDropDownCount; }
  void SetDropDownCount(int Value);
  // Height is the closed box's; the window is made taller by the dropped-down list.
  void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
  void Clear() { FItems->Clear(); }

  TNotifyEvent OnChange;

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void DestroyWnd() override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;

private:
  int ListHeight();
  TStrings* FItems;
  TComboBoxStyle FStyle = csDropDown;
  int FDropDownCount = 8;
};

class TComboBox : public TCustomComboBox {
  VD_CLASS(TComboBox, TCustomComboBox);

public:
  using TCustomComboBox::TCustomComboBox;
};

// ---- Group box ----------------------------------------------------------------------------------

// A frame with a caption around other controls.
class TCustomGroupBox : public TCustomControl {
  VD_CLASS(TCustomGroupBox, TCustomControl);

public:
  explicit TCustomGroupBox(TComponent* AOwner);

protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;
  void Dispatch(TMessage& Message) override;
};

class TGroupBox : public TCustomGroupBox {
  VD_CLASS(TGroupBox, TCustomGroupBox);

public:
  using TCustomGroupBox::TCustomGroupBox;
};

// ---- Buttons ------------------------------------------------------------------------------------

// A push button over the system BUTTON class. A click sets the form's ModalResult to the
// button's own when that is not mrNone.
class TButton : public TWinControl {
  VD_CLASS(TButton, TWinControl);

public:
  explicit TButton(TComponent* AOwner);

  void Click() override;
  int ModalResult() const noexcept { return FModalResult; }
  void SetModalResult(int Value) { FModalResult = Value; }
  bool Default() const noexcept { return FDefault; }
  void SetDefault(bool Value);
  bool Cancel() const noexcept { return FCancel; }
  void SetCancel(bool Value) { FCancel = Value; }

protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;

private:
  int FModalResult = 0;
  bool FDefault = false;
  bool FCancel = false;
};

// ---- Static text --------------------------------------------------------------------------------

// A caption in a window of its own, over the system STATIC class. With AutoSize the control takes
// the size of its one-line text.
class TCustomStaticText : public TWinControl {
  VD_CLASS(TCustomStaticText, TWinControl);

public:
  explicit TCustomStaticText(TComponent* AOwner);

  bool AutoSize() const noexcept { return FAutoSize; }
  void SetAutoSize(bool Value);

protected:
  void CreateParams(TCreateParams& Params) override;
  void Dispatch(TMessage& Message) override;
  void Loaded() override;

private:
  void AdjustBounds();
  bool FAutoSize = true;
};

class TStaticText : public TCustomStaticText {
  VD_CLASS(TStaticText, TCustomStaticText);

public:
  using TCustomStaticText::TCustomStaticText;
};

enum TCheckBoxState { cbUnchecked, cbChecked, cbGrayed };
VD_ENUM_INFO(TCheckBoxState, "cbUnchecked", "cbChecked", "cbGrayed")

// A check box over the system BUTTON class.
class TCheckBox : public TWinControl {
  VD_CLASS(TCheckBox, TWinControl);

public:
  explicit TCheckBox(TComponent* AOwner);

  bool Checked() const noexcept { return FState == cbChecked; }
  void SetChecked(bool Value) { SetState(Value ? cbChecked : cbUnchecked); }
  TCheckBoxState State() const noexcept { return FState; }
  void SetState(TCheckBoxState Value);
  bool AllowGrayed() const noexcept { return FAllowGrayed; }
  void SetAllowGrayed(bool Value) { FAllowGrayed = Value; }

protected:
  void CreateParams(TCreateParams& Params) override;
  void CreateWnd() override;
  void Dispatch(TMessage& Message) override;

private:
  TCheckBoxState FState = cbUnchecked;
  bool FAllowGrayed = false;
};
