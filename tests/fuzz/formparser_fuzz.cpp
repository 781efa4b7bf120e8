// Fuzz target for the form text parser (tools/fuzz.sh formparser): what it accepts prints back to
// text that parses again and prints the same.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "classlib/FormParser.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* Data, size_t Size) {
  const std::string Text(reinterpret_cast<const char*>(Data), Size);
  std::string Printed;
  try {
    Printed = FormObjectToText(ParseFormText(Text));
  } catch (const EReadError&) {
    return 0;
  }
  try {
    if (FormObjectToText(ParseFormText(Printed)) != Printed) std::abort();
  } catch (const EReadError&) {
    std::abort();  // printed text that does not parse
  }
  return 0;
}
