#include <cstdio>

#include "classlib/ComObj.h"

namespace {

int HexDigit(char C) {
  if (C >= '0' && C <= '9') return C - '0';
  if (C >= 'a' && C <= 'f') return C - 'a' + 10;
  if (C >= 'A' && C <= 'F') return C - 'A' + 10;
  return -1;
}

// Reads Digits hexadecimal digits at Text[Pos].
bool ReadHex(const std::string& Text, size_t Pos, int Digits, unsigned long long& Value) {
  Value = 0;
  for (int i = 0; i < Digits; ++i) {
    int D = HexDigit(Text[Pos + i]);
    if (D < 0) return false;
    Value = (Value << 4) | static_cast<unsigned>(D);
  }
  return true;
}

}  // namespace

std::string GUIDToString(const GUID& Guid) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}",
                static_cast<unsigned long>(Guid.Data1), Guid.Data2, Guid.Data3, Guid.Data4[0], Guid.Data4[1],
                Guid.Data4[2], Guid.Data4[3], Guid.Data4[4], Guid.Data4[5], Guid.Data4[6], Guid.Data4[7]);
  return buf;
}

bool TryStringToGUID(const std::string& Text, GUID& Guid) {
  // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
  if (Text.size() != 38 || Text[0] != '{' || Text[37] != '}' || Text[9] != '-' || Text[14] != '-' ||
      Text[19] != '-' || Text[24] != '-')
    return false;
  GUID G{};
  unsigned long long V;
  if (!ReadHex(Text, 1, 8, V)) return false;
  G.Data1 = static_cast<unsigned long>(V);
  if (!ReadHex(Text, 10, 4, V)) return false;
  G.Data2 = static_cast<unsigned short>(V);
  if (!ReadHex(Text, 15, 4, V)) return false;
  G.Data3 = static_cast<unsigned short>(V);
  static constexpr size_t kBytePos[8] = {20, 22, 25, 27, 29, 31, 33, 35};
  for (int i = 0; i < 8; ++i) {
    if (!ReadHex(Text, kBytePos[i], 2, V)) return false;
    G.Data4[i] = static_cast<unsigned char>(V);
  }
  Guid = G;
  return true;
}
