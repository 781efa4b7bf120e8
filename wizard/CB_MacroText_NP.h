// The template macro engine: a template text with parameters (~Name~) and flag directives
// (|+Flag| ... |-Flag|), expanded with the values and flags a wizard sets (syntax: CB_MacroTextCore.h).
//
// Use: create; assign the template to Source; ScanParams; then for each generation SetFlags, set
// the values through ParamByName, Expand, and take the text of the list Expand returns (owned by the
// macro text: the caller never frees it).
#pragma once

#include <string>

#include "classlib/Classes.h"

// One parameter: a name, set only when ParamByName creates it, and a value.
class TCBMacroParam : public TCollectionItem {
  VD_CLASS(TCBMacroParam, TCollectionItem);

public:
  using TCollectionItem::TCollectionItem;
  const std::string& Name() const noexcept { return FName; }
  // Does nothing: a parameter keeps the name it was created with.
  void SetName(const std::string&) {}
  const std::string& Value() const noexcept { return FValue; }
  void SetValue(const std::string& Value) { FValue = Value; }
  // From another parameter: its Value only.
  void Assign(TPersistent* Source) override;
  std::string GetDisplayName() const override { return FName; }

private:
  friend class TCBMacroText;
  std::string FName;
  std::string FValue;
};

class TCBMacroParams : public TCollection {
  VD_CLASS(TCBMacroParams, TCollection);

public:
  TCBMacroParams() : TCollection(TCollectionItemClass::Of<TCBMacroParam>()) {}
  TCBMacroParam* Add() { return static_cast<TCBMacroParam*>(TCollection::Add()); }
  TCBMacroParam* Items(int Index) const { return static_cast<TCBMacroParam*>(TCollection::Items(Index)); }
};

class TCBMacroText : public TObject {
  VD_CLASS(TCBMacroText, TObject);

public:
  TCBMacroText();
  ~TCBMacroText() override;

  // Each line the exact name of one set flag.
  TStringList* Flags() const { return FFlags; }
  // The template, read as its lines each followed by CR LF.
  TStringList* Source() const { return FSource; }
  // The last expansion.
  TStringList* Result() const { return FResult; }
  TCBMacroParams* Params() const { return FParams; }

  // Params becomes one empty parameter per distinct name of Source, in order of first appearance.
  void ScanParams();
  // The first parameter so named, ignoring case (by the user locale); a new empty one when none is.
  TCBMacroParam* ParamByName(const std::string& Name);
  // Flags becomes a copy of List's lines.
  void SetFlags(const TStrings& List);
  // Whether a line of Flags equals Name exactly (case-sensitive).
  bool HasFlag(const std::string& Name) const;
  // Expands Source into Result and returns Result.
  TStringList* Expand();

private:
  TStringList* FFlags;
  TStringList* FSource;
  TStringList* FResult;
  TCBMacroParams* FParams;
};
