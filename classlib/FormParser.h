// The text form of component descriptions: a parser from text into a tree of objects,
// properties and values, and a printer from such a tree back into text. No Win32 calls here, so
// the pair can be exercised with arbitrary input.
//
//   object Form1: TForm1               (or "inherited Form1: TForm1": the component exists already)
//     Left = 10                        integers: -12, $FF
//     Ratio = 1.5                      floats
//     Caption = 'It''s'#13#10'x' +     strings: quoted parts, #nn / #$hh codes, joined by +
//       ' more'
//     Color = clBtnFace                identifiers (also dotted: Module1.ImageList1)
//     Anchors = [akLeft, akTop]        sets
//     Lines.Strings = ('a' 'b')        lists of values
//     Items = <item Name = 'x' end>    collections
//     Icons = {0A0B}                   binary data in hexadecimal
//     object Edit1: TEdit ... end      nested components
//   end
//
// Every fault raises EParserError with the line it was found on.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "classlib/Streams.h"

class EParserError : public EReadError {
public:
  EParserError(const std::string& Msg, int Line);
  const char* ClassName() const noexcept override { return "EParserError"; }
  int LineNumber() const noexcept { return FLine; }

private:
  int FLine;
};

enum TFormValueKind {
  fvInteger,
  fvFloat,
  fvString,
  fvIdent,
  fvSet,
  fvList,
  fvCollection,
  fvBinary,
};

struct TFormProperty;

// One item of a collection value.
struct TFormItem {
  int Line = 0;
  std::vector<TFormProperty> Properties;
};

struct TFormValue {
  TFormValueKind Kind = fvInteger;
  int Line = 0;
  int64_t Integer = 0;                 // fvInteger
  double Float = 0;                    // fvFloat
  std::string Text;                    // fvString, fvIdent; fvBinary: the bytes
  std::vector<std::string> Elements;   // fvSet
  std::vector<TFormValue> Items;       // fvList
  std::vector<TFormItem> Collection;   // fvCollection

  static TFormValue OfInteger(int64_t V);
  static TFormValue OfFloat(double V);
  static TFormValue OfString(std::string V);
  static TFormValue OfIdent(std::string V);
  static TFormValue OfSet(std::vector<std::string> Elements);
  static TFormValue OfBinary(std::string Bytes);
  static TFormValue OfKind(TFormValueKind Kind);
};

struct TFormProperty {
  std::string Name;  // dotted for properties of sub-objects: "Font.Name"
  TFormValue Value;
  int Line = 0;
};

struct TFormObject {
  bool Inherited = false;
  std::string Name;  // may be empty
  std::string ClassName;
  int Line = 0;
  std::vector<TFormProperty> Properties;
  std::vector<TFormObject> Children;
};

// Nesting of objects, lists and collections is limited to this depth.
inline constexpr int MaxFormNesting = 100;

// The one object the text describes; nothing but blanks may follow its "end".
TFormObject ParseFormText(const std::string& Text);
// The text of Obj, indented by two blanks per level, lines ending in CR LF.
std::string FormObjectToText(const TFormObject& Obj);
// One value as it stands after "Name = " at the given indentation.
std::string FormValueToText(const TFormValue& Value, int Indent = 0);
