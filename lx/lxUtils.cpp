#include "lx/lxUtils.h"

#include <intrin.h>
#include <shellapi.h>

#include <atomic>
#include <cctype>
#include <cstring>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/Controls.h"
#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"

static_assert(sizeof(OSVERSIONINFOA) == 148);

namespace {

// ---- 1-based string primitives (the command-line rules count from 1) ---------------------------

// 1-based position of Sub in S; 0 when absent or Sub is empty.
size_t Pos(const std::string& Sub, const std::string& S) {
  if (Sub.empty()) return 0;
  size_t P = S.find(Sub);
  return P == std::string::npos ? 0 : P + 1;
}
size_t Pos(char C, const std::string& S) {
  size_t P = S.find(C);
  return P == std::string::npos ? 0 : P + 1;
}
// Count characters from 1-based Index (an Index below 1 counts from 1; past the end gives '').
std::string Copy(const std::string& S, ptrdiff_t Index, ptrdiff_t Count) {
  if (Index < 1) {
    Count += Index - 1;
    Index = 1;
  }
  if (Count <= 0 || static_cast<size_t>(Index) > S.size()) return {};
  return S.substr(static_cast<size_t>(Index - 1), static_cast<size_t>(Count));
}
std::string CopyFrom(const std::string& S, ptrdiff_t Index) {
  return Copy(S, Index, static_cast<ptrdiff_t>(S.size()) + 1);
}
void Delete(std::string& S, size_t Index, size_t Count) {
  if (Index >= 1 && Index <= S.size()) S.erase(Index - 1, Count);
}
// Removes the first C and, when there was one, the next C too.
void DeleteQuotePair(std::string& S, char C) {
  size_t P = Pos(C, S);
  if (P == 0) return;
  Delete(S, P, 1);
  Delete(S, Pos(C, S), 1);
}

std::atomic<TShellExecuteFunc> g_ShellExecute{&ShellExecuteA};

HINSTANCE ShellOpen(LPCSTR File, LPCSTR Parameters, int ShowCmd) {
  return g_ShellExecute.load()(GetDesktopWindow(), "open", File, Parameters, nullptr, ShowCmd);
}

// Arg as one argument of a command line by the Windows rules (CommandLineToArgvW and the C
// runtime read it back whole): quoted when it is empty or holds a blank, a tab or a quote, with
// each quote and the backslashes in front of a quote escaped.
std::string CommandLineArgument(const std::string& Arg) {
  if (!Arg.empty() && Arg.find_first_of(" \t\n\v\"") == std::string::npos) return Arg;
  std::string Out = "\"";
  for (size_t I = 0;; ++I) {
    size_t Backslashes = 0;
    for (; I < Arg.size() && Arg[I] == '\\'; ++I) ++Backslashes;
    if (I == Arg.size()) {
      Out.append(2 * Backslashes, '\\');  // doubled: the closing quote must stay a quote
      break;
    }
    if (Arg[I] == '"') Out.append(2 * Backslashes + 1, '\\');  // doubled, and one for the quote
    else Out.append(Backslashes, '\\');
    Out += Arg[I];
  }
  return Out + '"';
}

std::string StripKeyPath(const std::string& SubKey) { return StripLeadingChars(SubKey, '\\'); }

// A key opened for reading (empty when it doesn't open).
ScopedRegKey OpenForReading(HKEY Root, const std::string& SubKey) {
  HKEY Key = Root;
  if (!OpenRegKey(Key, SubKey, false, KEY_READ)) return ScopedRegKey();
  return ScopedRegKey(Key);
}

// The subkey names of a key, in the order the registry gives them.
std::vector<std::string> SubKeyNames(HKEY Root, const std::string& SubKey) {
  std::vector<std::string> Names;
  ScopedRegKey Key = OpenForReading(Root, SubKey);
  if (!Key) return Names;
  std::vector<char> Name(256);  // key names are limited to 255 characters
  for (DWORD Index = 0;; ++Index) {
    DWORD Len = static_cast<DWORD>(Name.size());
    if (RegEnumKeyExA(Key.get(), Index, Name.data(), &Len, nullptr, nullptr, nullptr, nullptr) !=
        ERROR_SUCCESS)
      break;
    Names.emplace_back(Name.data(), Len);
  }
  return Names;
}

// The default value of Root\SubKey ('' when missing).
std::string DefaultValue(HKEY Root, const std::string& SubKey, bool* Opened = nullptr) {
  std::string Value;
  bool Ok = ReadRegKeyString(Root, SubKey, "", Value);
  if (Opened) *Opened = Ok;
  return Value;
}

// Raises the process and thread to the top priorities; restores both, thread first, when it ends.
class TTopPriority {
public:
  TTopPriority() noexcept : FThread(GetCurrentThread()), FOldPriority(GetThreadPriority(FThread)) {
    SetThreadPriority(FThread, THREAD_PRIORITY_TIME_CRITICAL);
  }
  ~TTopPriority() {
    if (FOldPriority != THREAD_PRIORITY_ERROR_RETURN) SetThreadPriority(FThread, FOldPriority);
  }
  TTopPriority(const TTopPriority&) = delete;
  TTopPriority& operator=(const TTopPriority&) = delete;

private:
  TlxPriorityClassScope FClass{REALTIME_PRIORITY_CLASS};  // set first, restored last
  HANDLE FThread;
  int FOldPriority;
};

// A folder from one of the GetXxxDirectory calls (Call returns the length, as they do).
template <class F> std::string FolderFrom(F Call) {
  char Buffer[MAX_PATH];
  DWORD Len = Call(Buffer, MAX_PATH);
  if (Len == 0 || Len >= MAX_PATH) return {};
  return IncludeTrailingBackslash(std::string(Buffer, Len));
}

}  // namespace

// ---- Text helpers -------------------------------------------------------------------------------

std::string EnsureLeadingChar(const std::string& S, char C) {
  if (!S.empty() && S[0] == C) return S;
  return C + S;
}

std::string StripLeadingChars(const std::string& S, char C) {
  size_t I = S.find_first_not_of(C);
  return I == std::string::npos ? std::string() : S.substr(I);
}

void SplitAtSeparator(const std::string& Sep, const std::string& S, std::string& Left, int Flags,
                      bool MissingToRight, std::string& Right) {
  size_t P = Pos(Sep, S);
  std::string L, R;
  if (P > 0) {
    L = Copy(S, 1, static_cast<ptrdiff_t>(P) - 1);
    R = CopyFrom(S, static_cast<ptrdiff_t>(P + Sep.size()));
    if (Flags & sfSepToLeft) L += Sep;
    if (Flags & sfSepToRight) R = Sep + R;
  } else if (MissingToRight) {
    R = S;
  } else {
    L = S;
  }
  Left = std::move(L);
  Right = std::move(R);
}

std::string ByteToHex(uint8_t B) {
  static const char Digits[] = "0123456789ABCDEF";
  return {Digits[B >> 4], Digits[B & 15]};
}

std::string WordToHex(uint16_t W) {
  return ByteToHex(static_cast<uint8_t>(W >> 8)) + ByteToHex(static_cast<uint8_t>(W));
}

std::string DWordToHex(uint32_t D) {
  std::string S = WordToHex(static_cast<uint16_t>(D >> 16)) + WordToHex(static_cast<uint16_t>(D));
  size_t First = S.find_first_not_of('0');
  return First == std::string::npos ? std::string("0") : S.substr(First);
}

// ---- Launching ----------------------------------------------------------------------------------

TShellExecuteFunc SetShellExecuteFunc(TShellExecuteFunc Func) noexcept {
  return g_ShellExecute.exchange(Func ? Func : &ShellExecuteA);
}

HINSTANCE OpenURL(const std::string& URL, bool UseAssociatedProgram, int ShowCmd) {
  std::string Target = Pos("://", URL) > 0 ? URL : "http://" + URL;
  if (UseAssociatedProgram) {
    std::string Program = GetAssociatedProgram("html");
    if (!Program.empty()) {
      return g_ShellExecute.load()(GetDesktopWindow(), "open", Program.c_str(),
                                   CommandLineArgument(Target).c_str(), nullptr, ShowCmd);
    }
  }
  return ShellOpen(Target.c_str(), nullptr, SW_SHOWNORMAL);
}

std::string MailToPart(const std::string& Part) {
  static const char Digits[] = "0123456789ABCDEF";
  // What a mailto part may hold as it is; everything else could end the part, separate
  // recipients, be read as a blank or start an escape.
  static const std::string Plain = "-._~@!$'()*:/";
  std::string Out;
  Out.reserve(Part.size());
  for (unsigned char C : Part) {
    if ((C < 0x80 && std::isalnum(C)) || Plain.find(static_cast<char>(C)) != std::string::npos) {
      Out += static_cast<char>(C);
    } else {
      Out += '%';
      Out += Digits[C >> 4];
      Out += Digits[C & 15];
    }
  }
  return Out;
}

std::string MailToText(const std::string& Address, const std::string& Name,
                       const std::string& Subject, const std::string& Body, const std::string& CC,
                       const std::string& BCC) {
  std::string To = Name.empty() ? MailToPart(Address) : MailToPart(Name) + " <" + MailToPart(Address) + ">";
  return "mailto:" + To + "?Subject=" + MailToPart(Subject) + "&Body=" + MailToPart(Body) +
         "&CC=" + MailToPart(CC) + "&BCC=" + MailToPart(BCC);
}

HINSTANCE SendMail(const std::string& Address, const std::string& Name, const std::string& Subject,
                   const std::string& Body, const std::string& CC, const std::string& BCC) {
  std::string Text = MailToText(Address, Name, Subject, Body, CC, BCC);
  return ShellOpen(Text.c_str(), nullptr, SW_SHOWNORMAL);
}

std::string GetAssociatedProgram(const std::string& Ext) {
  return GetAssociatedProgramIn(HKEY_CLASSES_ROOT, Ext);
}

std::string GetAssociatedProgramIn(HKEY ClassesRoot, const std::string& Ext) {
  if (Ext.empty() || Ext == ".") return {};
  std::string Class = DefaultValue(ClassesRoot, EnsureLeadingChar(Ext, '.'));
  if (Class.empty()) return {};
  bool ClassOpened = false;
  DefaultValue(ClassesRoot, Class, &ClassOpened);
  if (!ClassOpened) return {};

  std::string Result;
  bool OpenVerb = false;
  Result = DefaultValue(ClassesRoot, Class + "\\shell\\open\\command", &OpenVerb);
  if (!OpenVerb) {
    // No "open" verb: the first verb whose name holds "open", else the first verb with a command.
    std::vector<std::string> Verbs = SubKeyNames(ClassesRoot, Class + "\\shell");
    const std::string* Kept = nullptr;
    for (const std::string& Verb : Verbs) {
      if (LowerCase(Verb).find("open") != std::string::npos) {
        Kept = &Verb;
        break;
      }
    }
    if (Kept) {
      Result = DefaultValue(ClassesRoot, Class + "\\shell\\" + *Kept + "\\command");
    } else {
      for (const std::string& Verb : Verbs) {
        bool Opened = false;
        Result = DefaultValue(ClassesRoot, Class + "\\shell\\" + Verb + "\\command", &Opened);
        if (Opened && !Result.empty()) break;
      }
    }
  }
  std::string Params;
  SplitCommandLine(Result, Params);
  return Result;
}

void SplitCommandLine(std::string& Cmd, std::string& Params) {
  Cmd = Trim(Cmd);
  if (Cmd.empty()) return;
  size_t First = Pos('"', Cmd);
  if (First > 0) Delete(Cmd, First, 1);
  size_t Second = First > 0 ? Pos('"', Cmd) : 0;
  if (First > 0 && Second > 0) {
    Delete(Cmd, Second, 1);
    if (First == 1) {
      // "program" params: the blank after the closing quote goes, so does one quoted pair.
      Params = Trim(CopyFrom(Cmd, static_cast<ptrdiff_t>(Second) + 1));
      DeleteQuotePair(Params, '"');
      Cmd = Copy(Cmd, 1, static_cast<ptrdiff_t>(Second) - 1);
    } else {
      // program "param": the blank in front of the quoted part goes.
      Params = CopyFrom(Cmd, static_cast<ptrdiff_t>(First));
      Cmd = Copy(Cmd, 1, static_cast<ptrdiff_t>(First) - 2);
    }
  } else {
    Params.clear();
    const std::string Whole = Cmd;
    static const struct {
      const char* Sep;
      int Flags;
    } Separators[] = {{" -", sfSepToRight}, {" /", sfSepToRight}, {" \\", sfSepToRight}, {",", 0},
                      {" %", sfSepToRight}};
    bool FirstTry = true;
    for (const auto& S : Separators) {
      if (!FirstTry && !Params.empty()) break;
      FirstTry = false;
      std::string Left, Right;
      SplitAtSeparator(S.Sep, Cmd, Left, S.Flags, false, Right);
      // A cut inside the program's path (the whole has an extension, the left part none) is
      // undone.
      if (!ExtractFileExt(Cmd).empty() && ExtractFileExt(Left).empty()) continue;
      Cmd = Left;
      Params = Right;
    }
    if (UpperCase(ExtractFileExt(Cmd)) == ".DLL" && Pos("RUNDLL", UpperCase(Cmd)) > 0) {
      std::string Name;
      SplitAtSeparator(" ", ExtractFileName(Whole), Name, 0, false, Params);
      Cmd = ExtractFilePath(Whole) + Name;
    }
  }
  Cmd = Trim(Cmd);
  Params = Trim(Params);
}

// ---- System -------------------------------------------------------------------------------------

TlxOSVersion ClassifyOSVersion(const OSVERSIONINFOA& Info) noexcept {
  if (Info.dwPlatformId == VER_PLATFORM_WIN32_NT) {
    switch (Info.dwMajorVersion) {
      case 3: return osNT3;
      case 4: return osNT4;
      case 5: return Info.dwMinorVersion == 0 ? os2K : Info.dwMinorVersion == 1 ? osXP : os2003Server;
      default: return osUnknown;
    }
  }
  if (Info.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && Info.dwMajorVersion == 4) {
    char CSD[sizeof Info.szCSDVersion + 1] = {};
    std::memcpy(CSD, Info.szCSDVersion, sizeof Info.szCSDVersion);
    std::string ServicePack;
    try {
      ServicePack = Trim(CSD);
    } catch (...) {
      return osUnknown;
    }
    switch (Info.dwMinorVersion) {
      case 0: return ServicePack == "B" ? os95OSR2 : os95;
      case 10: return ServicePack == "A" ? os98SE : os98;
      case 90: return osME;
      default: return osUnknown;
    }
  }
  return osUnknown;
}

bool IsXPOrLaterVersion(const OSVERSIONINFOA& Info) noexcept {
  return Info.dwPlatformId == VER_PLATFORM_WIN32_NT &&
         (Info.dwMajorVersion > 5 || (Info.dwMajorVersion == 5 && Info.dwMinorVersion != 0));
}

bool GetVersionInfo(OSVERSIONINFOA& Info) noexcept {
  InitSizedRecord(Info);
  return GetVersionExA(&Info) != FALSE;
}

TlxOSVersion GetOSVersion() noexcept {
  OSVERSIONINFOA Info;
  return GetVersionInfo(Info) ? ClassifyOSVersion(Info) : osUnknown;
}

bool IsNTVersion() noexcept {
  OSVERSIONINFOA Info;
  return GetVersionInfo(Info) && Info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

bool IsWinXPOrLater() noexcept {
  OSVERSIONINFOA Info;
  return GetVersionInfo(Info) && IsXPOrLaterVersion(Info);
}

TlxPriorityClassScope::TlxPriorityClassScope(DWORD Class) noexcept : FOldClass(GetPriorityClass(GetCurrentProcess())) {
  SetPriorityClass(GetCurrentProcess(), Class);
}

TlxPriorityClassScope::~TlxPriorityClassScope() {
  if (FOldClass != 0) SetPriorityClass(GetCurrentProcess(), FOldClass);
}

uint32_t GetCPUSpeed() noexcept {
  uint64_t Start, Stop;
  {
    TTopPriority Boost;
    Sleep(10);
    Start = __rdtsc();
    Sleep(40);
    Stop = __rdtsc();
  }
  return CPUSpeedFromCycles(Stop - Start);
}

uint32_t GetCachedCPUSpeed() noexcept {
  static const uint32_t Speed = GetCPUSpeed();
  return Speed;
}

std::string GetTempDir() {
  return FolderFrom([](char* B, DWORD N) { return GetTempPathA(N, B); });
}

std::string GetSystemDir() {
  return FolderFrom([](char* B, DWORD N) -> DWORD { return GetSystemDirectoryA(B, N); });
}

std::string GetWindowsDir() {
  return FolderFrom([](char* B, DWORD N) -> DWORD { return GetWindowsDirectoryA(B, N); });
}

std::string GetEnvVar(const std::string& Name) {
  DWORD Size = GetEnvironmentVariableA(Name.c_str(), nullptr, 0);
  // The value may change between the two calls; a second round copes with a longer one.
  for (int Round = 0; Round < 2 && Size > 0; ++Round) {
    std::vector<char> Buffer(Size);
    DWORD Len = GetEnvironmentVariableA(Name.c_str(), Buffer.data(), Size);
    if (Len < Size) return std::string(Buffer.data(), Len);
    Size = Len;
  }
  return {};
}

void InitSizedRecord(void* Record, uint32_t Size) noexcept {
  if (!Record || Size == 0) return;
  std::memset(Record, 0, Size);
  if (Size >= sizeof(uint32_t)) std::memcpy(Record, &Size, sizeof Size);
}

// ---- Registry -----------------------------------------------------------------------------------

bool OpenRegKey(HKEY& Key, const std::string& SubKey, bool Create, REGSAM Access) {
  std::string Path = StripKeyPath(SubKey);
  HKEY Opened = nullptr;
  LONG Rc = Create ? RegCreateKeyExA(Key, Path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                     KEY_ALL_ACCESS, nullptr, &Opened, nullptr)
                   : RegOpenKeyExA(Key, Path.c_str(), 0, Access, &Opened);
  if (Rc != ERROR_SUCCESS) return false;
  Key = Opened;
  return true;
}

bool QueryRegValue(HKEY Key, const std::string& ValueName, DWORD& Type, DWORD& Size, void* Buffer) {
  LONG Rc = RegQueryValueExA(Key, ValueName.c_str(), nullptr, &Type, static_cast<BYTE*>(Buffer), &Size);
  // A value that did not fit is no success, whatever its type.
  if (Rc != ERROR_SUCCESS) return false;
  return Type == REG_SZ ? Size != 0 : true;
}

bool ReadRegKeyString(HKEY Root, const std::string& SubKey, const std::string& ValueName,
                      std::string& Value) {
  Value.clear();
  try {
    ScopedRegKey Key = OpenForReading(Root, SubKey);
    if (!Key) return false;
    constexpr DWORD kBufferSize = 1024;
    char Buffer[kBufferSize];
    DWORD Type = REG_NONE;
    DWORD Size = kBufferSize;
    if (RegQueryValueExA(Key.get(), ValueName.c_str(), nullptr, &Type,
                         reinterpret_cast<BYTE*>(Buffer), &Size) == ERROR_SUCCESS &&
        (Type == REG_SZ || Type == REG_EXPAND_SZ || Type == REG_MULTI_SZ) && Size <= kBufferSize) {
      const void* Zero = std::memchr(Buffer, 0, Size);
      size_t Len = Zero ? static_cast<const char*>(Zero) - Buffer : Size;
      if (Len < kBufferSize) Value.assign(Buffer, Len);
    }
    return true;
  } catch (...) {
    Value.clear();
    return false;
  }
}

bool GetRegString(const std::string& SubKey, const std::string& ValueName, HKEY Root,
                  std::string& Value) {
  return ReadRegKeyString(Root, SubKey, ValueName, Value);
}

bool WriteRegString(const std::string& SubKey, const std::string& ValueName,
                    const std::string& Value, HKEY Root) {
  HKEY Opened = Root;
  if (!OpenRegKey(Opened, SubKey, true, KEY_ALL_ACCESS)) return false;
  ScopedRegKey Key(Opened);
  return RegSetValueExA(Key.get(), ValueName.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(Value.c_str()),
                        static_cast<DWORD>(Value.size() + 1)) == ERROR_SUCCESS;
}

bool ReadRegValueNames(const std::string& SubKey, TStrings& List, HKEY Root) {
  try {
    List.Clear();
    ScopedRegKey Key = OpenForReading(Root, SubKey);
    if (!Key) return false;
    // Value names are limited to 16383 characters; a buffer that size holds any (DBCS ones too).
    std::vector<char> Name(16384);
    for (DWORD Index = 0;; ++Index) {
      DWORD Len = static_cast<DWORD>(Name.size());
      if (RegEnumValueA(Key.get(), Index, Name.data(), &Len, nullptr, nullptr, nullptr, nullptr) !=
          ERROR_SUCCESS)
        break;
      List.Add(std::string(Name.data(), Len));
    }
    return true;
  } catch (...) {
    return false;
  }
}

// ---- Windows and clipboard ----------------------------------------------------------------------

HWND FindWindowAtPoint(POINT P, bool SkipInvisible, bool SkipDisabled, bool SkipTransparent) noexcept {
  HWND Wnd = WindowFromPoint(P);
  if (!Wnd) return nullptr;
  UINT Flags = (SkipInvisible ? CWP_SKIPINVISIBLE : 0) | (SkipDisabled ? CWP_SKIPDISABLED : 0) |
               (SkipTransparent ? CWP_SKIPTRANSPARENT : 0);
  for (;;) {
    // Each level converts the screen point itself: client points of the level above are no
    // screen points.
    POINT Client = P;
    ScreenToClient(Wnd, &Client);
    HWND Child = ChildWindowFromPointEx(Wnd, Client, Flags);
    if (!Child || Child == Wnd) return Wnd;
    Wnd = Child;
  }
}

TWinControl* FindControlAtPoint(POINT P, bool SkipInvisible, bool SkipDisabled, bool SkipTransparent) {
  for (HWND Wnd = FindWindowAtPoint(P, SkipInvisible, SkipDisabled, SkipTransparent); Wnd;
       Wnd = GetParent(Wnd)) {
    if (TWinControl* Control = FindControl(Wnd)) return Control;
  }
  return nullptr;
}

std::string GetWindowClassName(HWND Wnd) {
  char Buffer[256];
  int Len = GetClassNameA(Wnd, Buffer, sizeof Buffer);
  return Len > 0 ? std::string(Buffer, static_cast<size_t>(Len)) : std::string();
}

bool CopyTextToClipboard(UINT Format, const std::string& Text) noexcept {
  if (Format == 0 || !OpenClipboard(nullptr)) return false;
  struct TCloser {
    ~TCloser() { CloseClipboard(); }
  } Closer;
  // Emptying first drops the other formats too: a Unicode reader would see older text otherwise.
  EmptyClipboard();
  HGLOBAL Block = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, Text.size() + 1);
  if (!Block) return false;
  void* Data = GlobalLock(Block);
  if (!Data) {
    GlobalFree(Block);
    return false;
  }
  std::memcpy(Data, Text.c_str(), Text.size() + 1);
  GlobalUnlock(Block);
  if (!SetClipboardData(Format, Block)) {
    GlobalFree(Block);
    return false;
  }
  return true;
}
