// Run-time basics of the class library: exceptions, string and number helpers, path helpers.
// Strings are single-byte (ANSI) std::string; path helpers are safe for DBCS code pages.
#pragma once

#include <windows.h>

#include <exception>
#include <string>

// ---- Exceptions -------------------------------------------------------------------------------

class Exception : public std::exception {
public:
  explicit Exception(std::string Msg) : message_(std::move(Msg)) {}
  const std::string& Message() const noexcept { return message_; }
  const char* what() const noexcept override { return message_.c_str(); }
  virtual const char* ClassName() const noexcept { return "Exception"; }

private:
  std::string message_;
};

#define VD_DECLARE_EXCEPTION(Name, Base)                                          \
  class Name : public Base {                                                      \
  public:                                                                         \
    using Base::Base;                                                             \
    const char* ClassName() const noexcept override { return #Name; }             \
  }

// Silent exception: stops an operation without a report.
VD_DECLARE_EXCEPTION(EAbort, Exception);
VD_DECLARE_EXCEPTION(EConvertError, Exception);
VD_DECLARE_EXCEPTION(EInvalidOperation, Exception);
VD_DECLARE_EXCEPTION(EOutOfResources, Exception);
VD_DECLARE_EXCEPTION(EIniFileException, Exception);
VD_DECLARE_EXCEPTION(EInOutError, Exception);

class EOSError : public Exception {
public:
  EOSError(std::string Msg, DWORD Code) : Exception(std::move(Msg)), ErrorCode(Code) {}
  const char* ClassName() const noexcept override { return "EOSError"; }
  DWORD ErrorCode;
};

// A failed check of a unit: the text is the check's message, then the unit and the line, as in
// "Icon parameter is invalid (NxIconList, line 120)".
VD_DECLARE_EXCEPTION(EAssertionFailed, Exception);
[[noreturn]] void AssertionFailed(const std::string& Message, const char* Unit, int Line);
// Always on (NDEBUG does not remove it); Unit names the source unit.
#define VD_ASSERT(Condition, Message, Unit) \
  do {                                       \
    if (!(Condition)) ::AssertionFailed((Message), (Unit), __LINE__); \
  } while (0)

// The system's text for an error code, without the trailing line break ('' when there is none).
std::string SysErrorMessage(DWORD ErrorCode);
// Raises EOSError for GetLastError().
[[noreturn]] void RaiseLastOSError();
[[noreturn]] void RaiseLastOSError(DWORD ErrorCode);

// ---- Strings ----------------------------------------------------------------------------------

// Trim* remove characters <= ' ' (blanks and control characters).
std::string Trim(const std::string& S);
std::string TrimLeft(const std::string& S);
std::string TrimRight(const std::string& S);

// ASCII letters only.
std::string UpperCase(const std::string& S);
std::string LowerCase(const std::string& S);
// Letters of the ANSI code page (CharUpperBuffA / CharLowerBuffA).
std::string AnsiUpperCase(const std::string& S);
std::string AnsiLowerCase(const std::string& S);

// ASCII case-insensitive comparison: < 0, 0 or > 0.
int CompareText(const std::string& S1, const std::string& S2);
bool SameText(const std::string& S1, const std::string& S2);
// Case-insensitive comparison by the user locale (CompareStringA).
int AnsiCompareText(const std::string& S1, const std::string& S2);
bool AnsiSameText(const std::string& S1, const std::string& S2);
// Text of the ANSI code page as UTF-16 and back (what the code page lacks becomes '?').
std::wstring AnsiToWide(const std::string& S);
std::string WideToAnsi(const std::wstring& S);

std::string IntToStr(long long Value);
// Upper-case hexadecimal, at least Digits digits.
std::string IntToHex(unsigned long long Value, int Digits);

// Strict integer parsing: an optional sign, then decimal digits or a hexadecimal number
// with a "0x", "0X" or "$" prefix. Nothing else is accepted (no blanks, no trailing text).
// Hexadecimal values up to 0xFFFFFFFF are taken as the 32-bit pattern (0xFFFFFFFF is -1).
bool TryStrToInt(const std::string& S, int& Value);
int StrToIntDef(const std::string& S, int Default);
int StrToInt(const std::string& S);  // raises EConvertError

// ---- Paths ------------------------------------------------------------------------------------

// 1-based index of the last character of S that is one of Delimiters, 0 when there is none.
// Trail bytes of double-byte characters are never taken for delimiters.
size_t LastDelimiter(const std::string& Delimiters, const std::string& S);
// True when the byte at 0-based Index is a whole single-byte character (not part of a DBCS pair)
// equal to '\'.
bool IsPathDelimiter(const std::string& S, size_t Index);

// "C:\dir\x.exe" -> "C:\dir"; keeps the root: "C:\x.exe" -> "C:\", "C:x.exe" -> "C:",
// "x.exe" -> "", "\\server\share\x" -> "\\server\share".
std::string ExtractFileDir(const std::string& FileName);
// Everything up to and including the last '\' or ':'.
std::string ExtractFilePath(const std::string& FileName);
std::string ExtractFileName(const std::string& FileName);
// The extension with its dot ("" when there is none; a dot in a folder name does not count).
std::string ExtractFileExt(const std::string& FileName);
// FileName with its extension (see ExtractFileExt) replaced by Extension, or Extension appended.
std::string ChangeFileExt(const std::string& FileName, const std::string& Extension);
std::string IncludeTrailingBackslash(const std::string& S);
std::string ExcludeTrailingBackslash(const std::string& S);

// True for an existing file; false for folders and missing names.
bool FileExists(const std::string& FileName);
bool DirectoryExists(const std::string& Name);

namespace sysutils_detail {
// The DBCS walk behind the path helpers, for an explicit code page (CP_ACP in the public helpers).
size_t LastDelimiterCP(const std::string& Delimiters, const std::string& S, UINT CodePage);
bool IsSingleByteAtCP(const std::string& S, size_t Index, UINT CodePage);
std::string ExtractFileDirCP(const std::string& FileName, UINT CodePage);
std::string ExtractFileNameCP(const std::string& FileName, UINT CodePage);
std::string IncludeTrailingBackslashCP(const std::string& S, UINT CodePage);
}  // namespace sysutils_detail
