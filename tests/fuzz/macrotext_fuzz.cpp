// Fuzz target for the template syntax (tools/fuzz.sh macrotext).
// Parameters expand to their own name in brackets, the flags F and G are set. Every ~ or | of the
// output must come from an escape (~~, ||) of the input; the scan must name only text of the input.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "wizard/CB_MacroTextCore.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Text(reinterpret_cast<const char*>(Data), Size);
  const std::string Out = macrotext::Expand(
      Text, [](const std::string& Name) { return "[" + std::to_string(Name.size()) + "]"; },
      [](const std::string& Flag) { return Flag == "F" || Flag == "G"; });
  size_t Escapes = 0;
  for (size_t I = 0; I + 1 < Text.size(); ++I)
    if ((Text[I] == '~' || Text[I] == '|') && Text[I + 1] == Text[I]) ++Escapes, ++I;
  size_t Marks = 0;
  for (char Ch : Out) Marks += Ch == '~' || Ch == '|';
  if (Marks > Escapes) std::abort();
  size_t Named = 0;
  for (const std::string& Name : macrotext::ScanNames(Text)) Named += Name.size() + 2;
  if (Named > Text.size()) std::abort();
  return 0;
}
