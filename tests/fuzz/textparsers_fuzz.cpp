// Fuzz target for the small text parsers (tools/fuzz.sh textparsers): integers, command lines,
// date-time text, GUID text, PropertySheets lines and string-list text. The first byte picks the
// parser; each parser's own round trip must hold.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "classlib/Classes.h"
#include "classlib/ComObj.h"
#include "classlib/SysDateTime.h"
#include "classlib/SysParams.h"
#include "classlib/SysUtils.h"
#include "nx/NxPropertySheetLines.h"

namespace {

void Integers(const std::string& Text) {
  int Value = 0;
  if (TryStrToInt(Text, Value) && StrToInt(IntToStr(Value)) != Value) std::abort();
  if (StrToIntDef(Text, 7) != (TryStrToInt(Text, Value) ? Value : 7)) std::abort();
}

void CommandLine(const std::string& Text) {
  const std::vector<std::string> Tokens = SplitCommandLine(Text);
  const int Count = ParamCount(Text);
  for (int I = 0; I <= Count + 1; ++I) ParamStr(Text, I);
  if (Count < 0 || (!Tokens.empty() && static_cast<size_t>(Count) + 1 != Tokens.size())) std::abort();
}

void DateTime(const std::string& Text) {
  TDateTime Value;
  if (!TryStrToDateTime(Text, Value)) return;
  const std::string Shown = DateTimeToStr(Value);
  TDateTime Again;
  if (!TryStrToDateTime(Shown, Again)) std::abort();
}

void GuidText(const std::string& Text) {
  GUID Guid;
  if (!TryStringToGUID(Text, Guid)) return;
  if (!SameText(GUIDToString(Guid), Text)) std::abort();
}

void SheetLine(const std::string& Text) {
  const size_t Equals = Text.find('=');
  const std::string Name = Text.substr(0, Equals), Value = Equals == std::string::npos ? "" : Text.substr(Equals + 1);
  if (GetPropSheetClassName(Name).size() > Name.size() || GetPropSheetName(Value).size() > Value.size()) std::abort();
  GetPropSheetIcon(Value);
}

void StringList(const std::string& Text) {
  TStringList List;
  List.SetText(Text);
  TStringList Again;
  Again.SetCommaText(List.CommaText());
  if (Again.Count() != List.Count()) std::abort();
  for (int I = 0; I < List.Count(); ++I) {
    if (Again.Get(I) != List.Get(I)) std::abort();
    List.Names(I);
    List.ValueFromIndex(I);
  }
  TStringList Lines;
  Lines.SetText(List.Text());
  if (Lines.Text() != List.Text()) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  if (Size < 1) return 0;
  const std::string Text(reinterpret_cast<const char*>(Data + 1), Size - 1);
  switch (Data[0] % 6) {
    case 0: Integers(Text); break;
    case 1: CommandLine(Text); break;
    case 2: DateTime(Text); break;
    case 3: GuidText(Text); break;
    case 4: SheetLine(Text); break;
    case 5: StringList(Text); break;
  }
  return 0;
}
