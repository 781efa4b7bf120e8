#include "classlib/SysUtils.h"

#include <climits>
#include <cstdint>

// ---- Exceptions -------------------------------------------------------------------------------

std::string SysErrorMessage(DWORD ErrorCode) {
  char* buffer = nullptr;
  DWORD n = FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                               FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ARGUMENT_ARRAY,
                           nullptr, ErrorCode, 0, reinterpret_cast<LPSTR>(&buffer), 0, nullptr);
  std::string text;
  if (n != 0 && buffer != nullptr) text.assign(buffer, n);
  if (buffer != nullptr) LocalFree(buffer);
  return TrimRight(text);
}

void RaiseLastOSError(DWORD ErrorCode) {
  std::string msg = "System error " + IntToStr(ErrorCode);
  std::string text = SysErrorMessage(ErrorCode);
  if (!text.empty()) msg += ": " + text;
  throw EOSError(msg, ErrorCode);
}

void RaiseLastOSError() { RaiseLastOSError(GetLastError()); }

void AssertionFailed(const std::string& Message, const char* Unit, int Line) {
  throw EAssertionFailed(Message + " (" + (Unit ? Unit : "") + ", line " + std::to_string(Line) + ")");
}

// ---- Strings ----------------------------------------------------------------------------------

namespace {
bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' '; }
char AsciiUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
char AsciiLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}
}  // namespace

std::string TrimLeft(const std::string& S) {
  size_t i = 0;
  while (i < S.size() && IsBlank(S[i])) ++i;
  return S.substr(i);
}

std::string TrimRight(const std::string& S) {
  size_t n = S.size();
  while (n > 0 && IsBlank(S[n - 1])) --n;
  return S.substr(0, n);
}

std::string Trim(const std::string& S) { return TrimLeft(TrimRight(S)); }

std::string UpperCase(const std::string& S) {
  std::string r = S;
  for (char& c : r) c = AsciiUpper(c);
  return r;
}

std::string LowerCase(const std::string& S) {
  std::string r = S;
  for (char& c : r) c = AsciiLower(c);
  return r;
}

std::string AnsiUpperCase(const std::string& S) {
  std::string r = S;
  if (!r.empty()) CharUpperBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

std::string AnsiLowerCase(const std::string& S) {
  std::string r = S;
  if (!r.empty()) CharLowerBuffA(r.data(), static_cast<DWORD>(r.size()));
  return r;
}

int CompareText(const std::string& S1, const std::string& S2) {
  size_t n = S1.size() < S2.size() ? S1.size() : S2.size();
  for (size_t i = 0; i < n; ++i) {
    int a = static_cast<unsigned char>(AsciiUpper(S1[i]));
    int b = static_cast<unsigned char>(AsciiUpper(S2[i]));
    if (a != b) return a - b;
  }
  if (S1.size() == S2.size()) return 0;
  return S1.size() < S2.size() ? -1 : 1;
}

bool SameText(const std::string& S1, const std::string& S2) {
  return S1.size() == S2.size() && CompareText(S1, S2) == 0;
}

int AnsiCompareText(const std::string& S1, const std::string& S2) {
  int r = CompareStringA(LOCALE_USER_DEFAULT, NORM_IGNORECASE, S1.data(), static_cast<int>(S1.size()),
                         S2.data(), static_cast<int>(S2.size()));
  return r == 0 ? CompareText(S1, S2) : r - CSTR_EQUAL;
}

bool AnsiSameText(const std::string& S1, const std::string& S2) { return AnsiCompareText(S1, S2) == 0; }

std::wstring AnsiToWide(const std::string& S) {
  if (S.empty()) return {};
  int Size = MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), nullptr, 0);
  std::wstring Result(static_cast<size_t>(Size > 0 ? Size : 0), L'\0');
  if (Size > 0) MultiByteToWideChar(CP_ACP, 0, S.data(), static_cast<int>(S.size()), Result.data(), Size);
  return Result;
}

std::string WideToAnsi(const std::wstring& S) {
  if (S.empty()) return {};
  int Size = WideCharToMultiByte(CP_ACP, 0, S.data(), static_cast<int>(S.size()), nullptr, 0, nullptr, nullptr);
  std::string Result(static_cast<size_t>(Size > 0 ? Size : 0), '\0');
  if (Size > 0)
    WideCharToMultiByte(CP_ACP, 0, S.data(), static_cast<int>(S.size()), Result.data(), Size, nullptr, nullptr);
  return Result;
}

std::string IntToStr(long long Value) { return std::to_string(Value); }

std::string IntToHex(unsigned long long Value, int Digits) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string r;
  do {
    r.insert(r.begin(), kDigits[Value & 0xF]);
    Value >>= 4;
  } while (Value != 0);
  if (Digits > 0 && r.size() < static_cast<size_t>(Digits)) r.insert(0, Digits - r.size(), '0');
  return r;
}

bool TryStrToInt(const std::string& S, int& Value) {
  size_t i = 0;
  bool negative = false;
  if (i < S.size() && (S[i] == '+' || S[i] == '-')) negative = S[i++] == '-';

  bool hex = false;
  if (i < S.size() && S[i] == '$') {
    hex = true;
    ++i;
  } else if (i + 1 < S.size() && S[i] == '0' && (S[i + 1] == 'x' || S[i + 1] == 'X')) {
    hex = true;
    i += 2;
  }
  if (i >= S.size()) return false;

  uint64_t magnitude = 0;
  const uint64_t limit = hex ? 0xFFFFFFFFull : (negative ? 0x80000000ull : 0x7FFFFFFFull);
  for (; i < S.size(); ++i) {
    int d = hex ? HexDigit(S[i]) : ((S[i] >= '0' && S[i] <= '9') ? S[i] - '0' : -1);
    if (d < 0) return false;
    magnitude = magnitude * (hex ? 16 : 10) + static_cast<uint64_t>(d);
    if (magnitude > limit) return false;
  }
  uint32_t bits = static_cast<uint32_t>(magnitude);
  if (negative) bits = 0u - bits;
  Value = static_cast<int32_t>(bits);
  return true;
}

int StrToIntDef(const std::string& S, int Default) {
  int v;
  return TryStrToInt(S, v) ? v : Default;
}

int StrToInt(const std::string& S) {
  int v;
  if (!TryStrToInt(S, v)) throw EConvertError("'" + S + "' is not a valid integer value");
  return v;
}

// ---- Paths ------------------------------------------------------------------------------------

namespace sysutils_detail {

namespace {
// Length in bytes of the character that starts at S[i].
size_t CharLength(const std::string& S, size_t i, UINT CodePage) {
  if (i + 1 < S.size() && IsDBCSLeadByteEx(CodePage, static_cast<BYTE>(S[i]))) return 2;
  return 1;
}
}  // namespace

size_t LastDelimiterCP(const std::string& Delimiters, const std::string& S, UINT CodePage) {
  size_t last = 0;
  for (size_t i = 0; i < S.size(); i += CharLength(S, i, CodePage)) {
    if (CharLength(S, i, CodePage) == 1 && S[i] != '\0' && Delimiters.find(S[i]) != std::string::npos)
      last = i + 1;
  }
  return last;
}

bool IsSingleByteAtCP(const std::string& S, size_t Index, UINT CodePage) {
  for (size_t i = 0; i < S.size(); i += CharLength(S, i, CodePage)) {
    if (i == Index) return CharLength(S, i, CodePage) == 1;
    if (i > Index) return false;
  }
  return false;
}

std::string ExtractFileDirCP(const std::string& FileName, UINT CodePage) {
  size_t i = LastDelimiterCP("\\:", FileName, CodePage);  // 1-based
  // Drop the last backslash unless it belongs to the root: "C:\", "\" or the "\\" of a UNC name.
  if (i > 1 && FileName[i - 1] == '\\') {
    bool afterRootMark = IsSingleByteAtCP(FileName, i - 2, CodePage) &&
                         (FileName[i - 2] == '\\' || FileName[i - 2] == ':');
    if (!afterRootMark) --i;
  }
  return FileName.substr(0, i);
}

std::string ExtractFileNameCP(const std::string& FileName, UINT CodePage) {
  return FileName.substr(LastDelimiterCP("\\:", FileName, CodePage));
}

std::string IncludeTrailingBackslashCP(const std::string& S, UINT CodePage) {
  if (!S.empty() && S.back() == '\\' && IsSingleByteAtCP(S, S.size() - 1, CodePage)) return S;
  return S + '\\';
}

}  // namespace sysutils_detail

using namespace sysutils_detail;

size_t LastDelimiter(const std::string& Delimiters, const std::string& S) {
  return LastDelimiterCP(Delimiters, S, CP_ACP);
}

bool IsPathDelimiter(const std::string& S, size_t Index) {
  return Index < S.size() && S[Index] == '\\' && IsSingleByteAtCP(S, Index, CP_ACP);
}

std::string ExtractFileDir(const std::string& FileName) { return ExtractFileDirCP(FileName, CP_ACP); }

std::string ExtractFilePath(const std::string& FileName) {
  return FileName.substr(0, LastDelimiter("\\:", FileName));
}

std::string ExtractFileName(const std::string& FileName) { return ExtractFileNameCP(FileName, CP_ACP); }

std::string ExtractFileExt(const std::string& FileName) {
  size_t i = LastDelimiter(".\\:", FileName);
  if (i > 0 && FileName[i - 1] == '.') return FileName.substr(i - 1);
  return std::string();
}

std::string ChangeFileExt(const std::string& FileName, const std::string& Extension) {
  size_t i = LastDelimiter(".\\:", FileName);
  if (i == 0 || FileName[i - 1] != '.') i = FileName.size() + 1;
  return FileName.substr(0, i - 1) + Extension;
}

std::string IncludeTrailingBackslash(const std::string& S) { return IncludeTrailingBackslashCP(S, CP_ACP); }

std::string ExcludeTrailingBackslash(const std::string& S) {
  if (!S.empty() && IsPathDelimiter(S, S.size() - 1)) return S.substr(0, S.size() - 1);
  return S;
}

bool FileExists(const std::string& FileName) {
  DWORD attr = GetFileAttributesA(FileName.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool DirectoryExists(const std::string& Name) {
  DWORD attr = GetFileAttributesA(Name.c_str());
  return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
