#include "wizard/CB_Experts_NP.h"

#include "wizard/CB_LibIntf.h"

std::string TCBIExpert::ExpertLabel() const { return Trim(ExpertName).empty() ? ClassName() : ExpertName; }

void TCBIExpert::Register() {
  if (Trim(ExpertName).empty())
    throw Exception("Expert \"" + ExpertLabel() + "\" : Invalid value of \"ExpertName\" property");
  if (Style == esMenu && Trim(MenuText).empty())
    throw Exception("Expert \"" + ExpertLabel() + "\" : Invalid value of \"MenuText\" property");
  AddExpertToIDE(this);
}

const char* TCBIExpert::GetPage() { return Trim(Page).empty() ? "New" : Page.c_str(); }

void TCBIExpert::Execute() {
  CallGuarded([this] { OnExecute(this); });
}

void TCBIExpert::LastReleased() { RemoveExpertFromIDE(this); }

TCBIAdvancedExpert::TCBIAdvancedExpert() : Glyph(TIcon::Create()) { Style = esRepository; }

TCBIAdvancedExpert::~TCBIAdvancedExpert() { Glyph->Free(); }

HICON TCBIAdvancedExpert::GetGlyph() {
  HICON Icon = Glyph->Handle();
  return Icon ? CopyIcon(Icon) : nullptr;
}

void TCBIAdvancedExpert::SetGlyph(TGraphic* Graphic) { Glyph->Assign(Graphic); }

namespace {
int HexDigit(char Ch) {
  if (Ch >= '0' && Ch <= '9') return Ch - '0';
  if (Ch >= 'A' && Ch <= 'F') return Ch - 'A' + 10;
  if (Ch >= 'a' && Ch <= 'f') return Ch - 'a' + 10;
  throw Exception("\"" + std::string(1, Ch) + "\" not a hex digit");
}
}  // namespace

std::string HexToBin(const std::string& Text) {
  std::string Bytes;
  Bytes.reserve(Text.size() / 2);
  for (size_t At = 0; At + 1 < Text.size(); At += 2) {
    const int High = HexDigit(Text[At]);
    Bytes += static_cast<char>(High << 4 | HexDigit(Text[At + 1]));
  }
  return Bytes;
}
