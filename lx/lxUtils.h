// The lx toolbox: free routines over the Windows interfaces. Text and hex helpers, opening a web
// address or a mail message, the program registered for a file type, the Windows version, the
// processor clock, system folders and environment variables, registry access, the window under a
// screen point, window class names and clipboard text. All strings are ANSI.
//
// None of these routines raises: failure shows in the result ('', false or 0).
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <type_traits>

#include "classlib/System.h"

class TStrings;
class TWinControl;

// ---- Text helpers -------------------------------------------------------------------------------

// S when it is not empty and begins with C; otherwise C + S.
std::string EnsureLeadingChar(const std::string& S, char C);
// S without all of its leading characters C.
std::string StripLeadingChars(const std::string& S, char C);

// Flags of SplitAtSeparator.
enum : int {
  sfSepToLeft = 1,   // Left ends with the separator
  sfSepToRight = 2,  // Right begins with the separator
};
// Cuts S at the first occurrence of Sep: Left the text before it, Right the text after it (the
// separator added as Flags say). When Sep does not occur (or is empty): Left '' and Right S when
// MissingToRight, else Left S and Right ''. Left and Right may be the same string as S.
void SplitAtSeparator(const std::string& Sep, const std::string& S, std::string& Left, int Flags,
                      bool MissingToRight, std::string& Right);

// Upper-case hexadecimal: two digits; four digits; and the 32-bit value without leading zeros
// (at least one digit).
std::string ByteToHex(uint8_t B);
std::string WordToHex(uint16_t W);
std::string DWordToHex(uint32_t D);

// ---- Launching ----------------------------------------------------------------------------------

// The shell call behind OpenURL and SendMail (ShellExecuteA unless replaced). Tests install their
// own to see the call without launching anything; nullptr restores ShellExecuteA. Returns the
// function that was installed before.
using TShellExecuteFunc = HINSTANCE(WINAPI*)(HWND Wnd, LPCSTR Operation, LPCSTR File,
                                             LPCSTR Parameters, LPCSTR Directory, INT ShowCmd);
TShellExecuteFunc SetShellExecuteFunc(TShellExecuteFunc Func) noexcept;

// Opens URL ("http://" put in front when it holds no "://"), with the program registered for
// "html" when UseAssociatedProgram and there is one (URL as its one argument, ShowCmd), otherwise
// through the shell (SW_SHOWNORMAL). The shell's result.
HINSTANCE OpenURL(const std::string& URL, bool UseAssociatedProgram, int ShowCmd);

// One part of a mailto line with every byte percent-encoded ("%2C" ...) but letters, digits and
// - . _ ~ @ ! $ ' ( ) * : / - so that no text can end the part, add a recipient (comma,
// semicolon) or a header, or break the shell's "%1" quoting; 8-bit bytes are encoded too.
std::string MailToPart(const std::string& Part);
// "mailto:" + (Name <Address> or Address) + "?Subject=...&Body=...&CC=...&BCC=...", every part
// present, each through MailToPart.
std::string MailToText(const std::string& Address, const std::string& Name,
                       const std::string& Subject, const std::string& Body, const std::string& CC,
                       const std::string& BCC);
// Opens MailToText through the shell (SW_SHOWNORMAL); the shell's result.
HINSTANCE SendMail(const std::string& Address, const std::string& Name, const std::string& Subject,
                   const std::string& Body, const std::string& CC, const std::string& BCC);

// The program registered for files with extension Ext ("txt" or ".txt"), without its parameters;
// '' when there is none.
std::string GetAssociatedProgram(const std::string& Ext);
// The same below another classes root (a key laid out like HKEY_CLASSES_ROOT).
std::string GetAssociatedProgramIn(HKEY ClassesRoot, const std::string& Ext);

// Splits a registered command line into the program (Cmd) and its parameters (Params): a quoted
// program path, a quoted parameter, the separators " -", " /", " \", ",", " %" and RUNDLL lines.
// An empty Cmd leaves Params as it is.
void SplitCommandLine(std::string& Cmd, std::string& Params);

// ---- System -------------------------------------------------------------------------------------

enum TlxOSVersion {
  osUnknown,
  os95,
  os95OSR2,
  os98,
  os98SE,
  osNT3,
  osNT4,
  os2K,
  osME,
  osXP,
  os2003Server,
};
VD_ENUM_INFO(TlxOSVersion, "osUnknown", "os95", "os95OSR2", "os98", "os98SE", "osNT3", "osNT4",
             "os2K", "osME", "osXP", "os2003Server")

// The classification of a version answer (Windows Vista and later: osUnknown).
TlxOSVersion ClassifyOSVersion(const OSVERSIONINFOA& Info) noexcept;
// True on the NT platform from version 5.1 on.
bool IsXPOrLaterVersion(const OSVERSIONINFOA& Info) noexcept;

// GetVersionExA into a zeroed record with its size set; false when the call fails.
bool GetVersionInfo(OSVERSIONINFOA& Info) noexcept;
// The running Windows, from GetVersionExA (osUnknown when the call fails).
TlxOSVersion GetOSVersion() noexcept;
// True on every Windows of the NT family (by the platform id, so Vista and later too).
bool IsNTVersion() noexcept;
bool IsWinXPOrLater() noexcept;

// Sets the process's priority class for a scope and gives it back the previous one on every way
// out.
class TlxPriorityClassScope {
public:
  explicit TlxPriorityClassScope(DWORD Class) noexcept;
  ~TlxPriorityClassScope();
  TlxPriorityClassScope(const TlxPriorityClassScope&) = delete;
  TlxPriorityClassScope& operator=(const TlxPriorityClassScope&) = delete;

private:
  DWORD FOldClass;
};

// The processor clock in MHz, a multiple of 10: the time-stamp counter over 40 ms with the
// process and thread at top priority (both restored afterwards). Takes about 50 ms.
uint32_t GetCPUSpeed() noexcept;
// GetCPUSpeed measured once, on the first call (never at load), and remembered.
uint32_t GetCachedCPUSpeed() noexcept;
// The MHz for a counter difference over 40 ms: low 32 bits div 400000 * 10.
constexpr uint32_t CPUSpeedFromCycles(uint64_t Cycles) noexcept {
  return static_cast<uint32_t>(Cycles) / 400000u * 10u;
}

// The folders with a trailing backslash; '' when the system can't tell (or the path is longer
// than MAX_PATH - 1).
std::string GetTempDir();
std::string GetSystemDir();
std::string GetWindowsDir();
// The variable's value; '' when it is not set.
std::string GetEnvVar(const std::string& Name);
// Zero-fills Size bytes and stores Size in the first 32-bit word (records with a size field).
void InitSizedRecord(void* Record, uint32_t Size) noexcept;
template <class T> void InitSizedRecord(T& Record) noexcept {
  static_assert(sizeof(T) >= 4 && std::is_trivially_copyable_v<T>);
  InitSizedRecord(&Record, static_cast<uint32_t>(sizeof(T)));
}

// ---- Registry -----------------------------------------------------------------------------------
// Roots are predefined keys (HKEY_CURRENT_USER, ...) or open keys; key paths are relative to them
// (leading backslashes are ignored).

// Create: opens or creates SubKey with KEY_ALL_ACCESS; else opens it with Access. On success Key
// is replaced by the opened key, which the caller closes (RegCloseKey).
bool OpenRegKey(HKEY& Key, const std::string& SubKey, bool Create, REGSAM Access);
// RegQueryValueExA into Buffer (Size: its size in, the value's size out). True when the call
// succeeded, for a REG_SZ value only when it is not empty either.
bool QueryRegValue(HKEY Key, const std::string& ValueName, DWORD& Type, DWORD& Size, void* Buffer);
// Value := the text of a string value (up to its first zero; '' for a missing value, a value that
// is no string, or one longer than 1023 characters). The result says whether the key opened.
bool ReadRegKeyString(HKEY Root, const std::string& SubKey, const std::string& ValueName,
                      std::string& Value);
bool GetRegString(const std::string& SubKey, const std::string& ValueName, HKEY Root,
                  std::string& Value);
// Stores Value as REG_SZ with its terminating zero, creating the key when needed. True when it
// was stored.
bool WriteRegString(const std::string& SubKey, const std::string& ValueName,
                    const std::string& Value, HKEY Root);
// Clears List and fills it with the value names of the key; whether the key opened.
bool ReadRegValueNames(const std::string& SubKey, TStrings& List, HKEY Root);

// ---- Windows and clipboard ----------------------------------------------------------------------

// The innermost window at screen point P: WindowFromPoint, then down the children that contain the
// point (skipping invisible, disabled or transparent ones as asked); 0 when there is none.
HWND FindWindowAtPoint(POINT P, bool SkipInvisible, bool SkipDisabled, bool SkipTransparent) noexcept;
// The control of this module at screen point P: the window FindWindowAtPoint finds, or the
// nearest window above it in its parent chain, that belongs to a class-library control; nil when
// none does.
TWinControl* FindControlAtPoint(POINT P, bool SkipInvisible, bool SkipDisabled, bool SkipTransparent);
// The class name (at most 255 characters; '' when it can't be read).
std::string GetWindowClassName(HWND Wnd);
// Replaces the clipboard's content with Text in Format (CF_TEXT and the like). True when it was
// put there.
bool CopyTextToClipboard(UINT Format, const std::string& Text) noexcept;
