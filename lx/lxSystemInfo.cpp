#include "lx/lxSystemInfo.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <iterator>
#include <limits>
#include <stdexcept>

#include "classlib/Forms.h"
#include "classlib/IniFiles.h"
#include "classlib/SysUtils.h"
#include "classlib/TypInfo.h"
#include "lx/lxInet.h"

namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNTCurrentVersion = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kVNetSup = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
constexpr const char* kProcessor = "\\hardware\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr const char* kDesktop = "Control Panel\\Desktop";
constexpr const char* kNotOnNT = "(not available on NT)";
constexpr const char* kReadOnlyText = "This property is READ-ONLY.\r\nYou could not change this value.";

std::atomic<lxsysteminfo_detail::TChangeDisplaySettingsFunc> g_ChangeDisplaySettings{&ChangeDisplaySettingsA};
std::atomic<lxsysteminfo_detail::TCPUSpeedFunc> g_CPUSpeed{&GetCPUSpeed};

// The resolution table, in the order of TlxScreenResolution.
constexpr uint16_t kWidths[] = {640, 800, 1024, 1152, 1280, 1280, 1600, 1920, 1920,
                                480, 600, 768, 864, 960, 1024, 1200, 1080, 1200};
constexpr uint16_t kHeights[] = {480, 600, 768, 864, 960, 1024, 1200, 1080, 1200,
                                 640, 800, 1024, 1152, 1280, 1280, 1600, 1920, 1920};
static_assert(std::size(kWidths) == sr1200x1920 + 1 && std::size(kHeights) == std::size(kWidths));
constexpr DWORD kBitsPerPixel[] = {4, 8, 16, 24, 32};  // in the order of TlxScreenColorMode
static_assert(sizeof(DEVMODEA) == 156, "the display calls take the 156-byte mode record");

std::string ComputerNameOfWindows() {
  char Name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD Size = sizeof Name;
  return GetComputerNameA(Name, &Size) ? std::string(Name, Size) : std::string();
}

std::string UserNameOfWindows() {
  char Name[256] = {};
  DWORD Size = sizeof Name;
  return GetUserNameA(Name, &Size) ? std::string(Name) : std::string();
}

struct TProcessorFacts {
  TlxCPUArchitecture Architecture;
  TlxCPUType Type;
  int Count;
};

// Read once, on first use (never at load).
const TProcessorFacts& ProcessorFacts() {
  static const TProcessorFacts Facts = [] {
    SYSTEM_INFO Info{};
    GetSystemInfo(&Info);
    TProcessorFacts F{};
    lxsysteminfo_detail::ClassifyProcessor(Info.wProcessorArchitecture, Info.dwProcessorType, F.Architecture,
                                           F.Type);
    F.Count = static_cast<int>(Info.dwNumberOfProcessors);
    return F;
  }();
  return Facts;
}

MEMORYSTATUSEX MemoryStatus() {
  MEMORYSTATUSEX Status{};
  Status.dwLength = sizeof Status;
  if (!GlobalMemoryStatusEx(&Status)) std::memset(&Status, 0, sizeof Status);
  return Status;
}

uint32_t Clamped(DWORDLONG Bytes) {
  return Bytes > std::numeric_limits<uint32_t>::max() ? std::numeric_limits<uint32_t>::max()
                                                      : static_cast<uint32_t>(Bytes);
}

// Tests each mode with CDS_TEST, from the first on, and applies the first one that passes for
// good (CDS_UPDATEREGISTRY); nothing changes when none does.
template <class TFill> void ChangeDisplayMode(int First, TFill Fill) {
  for (int I = First; I >= 0; --I) {
    DEVMODEA Mode;
    std::memset(&Mode, 0, sizeof Mode);
    Mode.dmSize = sizeof Mode;
    Fill(Mode, I);
    auto Change = g_ChangeDisplaySettings.load();
    if (Change(&Mode, CDS_TEST) == DISP_CHANGE_SUCCESSFUL) {
      Change(&Mode, CDS_UPDATEREGISTRY);
      return;
    }
  }
}

}  // namespace

// ---- The registry facts -------------------------------------------------------------------------

namespace lxsysteminfo_detail {

enum TRoot : uint8_t { rLocalMachine, rCurrentUser };
enum TKeyChoice : uint8_t {
  kcFixed,    // Key everywhere
  kcNT,       // NT CurrentVersion on the NT family, Key (CurrentVersion) on 9x
  kcNotOnNT,  // Key on 9x; the NT family has no such fact
};

struct TFactRow {
  const char* Name;
  TRoot Root;
  const char* Key;
  const char* Value;
  TKeyChoice Choice;
  bool Writable;
  std::string (*Fallback)();  // asked when the value reads empty
  const char* WrittenFirst;   // another value written with the same text before Value
};

constexpr TFactRow kFacts[] = {
    {"ComputerDescription", rLocalMachine, kVNetSup, "Comment", kcNotOnNT, true, nullptr, nullptr},
    {"ComputerName", rLocalMachine, "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName",
     "ComputerName", kcFixed, true, &ComputerNameOfWindows, nullptr},
    {"ComputerWorkgroup", rLocalMachine, kVNetSup, "Workgroup", kcNotOnNT, true, nullptr, nullptr},
    {"CurrentUserName", rLocalMachine, "System\\CurrentControlSet\\Control", "Current User", kcFixed, true,
     &UserNameOfWindows, nullptr},
    {"WinDirectXVersion", rLocalMachine, "Software\\Microsoft\\DirectX", "Version", kcFixed, false, nullptr, nullptr},
    {"DirAppData", rCurrentUser, kShellFolders, "AppData", kcFixed, true, nullptr, nullptr},
    {"DirAppDataAll", rLocalMachine, kShellFolders, "Common AppData", kcFixed, true, nullptr, nullptr},
    {"DirCache", rCurrentUser, kShellFolders, "Cache", kcFixed, true, nullptr, nullptr},
    {"DirCookies", rCurrentUser, kShellFolders, "Cookies", kcFixed, true, nullptr, nullptr},
    {"DirCommonFiles", rLocalMachine, kCurrentVersion, "CommonFilesDir", kcFixed, true, nullptr, nullptr},
    {"DirDesktop", rCurrentUser, kShellFolders, "Desktop", kcFixed, true, nullptr, nullptr},
    {"DirFavorites", rCurrentUser, kShellFolders, "Favorites", kcFixed, true, nullptr, nullptr},
    {"DirFavoritesAll", rLocalMachine, kShellFolders, "Common Favorites", kcFixed, true, nullptr, nullptr},
    {"DirFonts", rCurrentUser, kShellFolders, "Fonts", kcFixed, true, nullptr, nullptr},
    {"DirHistory", rCurrentUser, kShellFolders, "History", kcFixed, true, nullptr, nullptr},
    {"DirMedia", rLocalMachine, kCurrentVersion, "MediaPath", kcFixed, true, nullptr, nullptr},
    {"DirMyPictures", rCurrentUser, kShellFolders, "My Pictures", kcFixed, true, nullptr, nullptr},
    {"DirNetHood", rCurrentUser, kShellFolders, "NetHood", kcFixed, true, nullptr, nullptr},
    {"DirPersonal", rCurrentUser, kShellFolders, "Personal", kcFixed, true, nullptr, nullptr},
    {"DirPrintHood", rCurrentUser, kShellFolders, "PrintHood", kcFixed, true, nullptr, nullptr},
    {"DirProgramFiles", rLocalMachine, kCurrentVersion, "ProgramFilesDir", kcFixed, true, nullptr,
     "ProgramFilesPath"},
    {"DirPrograms", rCurrentUser, kShellFolders, "Programs", kcFixed, true, nullptr, nullptr},
    {"DirProgramsAll", rLocalMachine, kShellFolders, "Common Programs", kcFixed, true, nullptr, nullptr},
    {"DirRecent", rCurrentUser, kShellFolders, "Recent", kcFixed, true, nullptr, nullptr},
    {"DirSendTo", rCurrentUser, kShellFolders, "SendTo", kcFixed, true, nullptr, nullptr},
    {"DirStartMenu", rCurrentUser, kShellFolders, "Start Menu", kcFixed, true, nullptr, nullptr},
    {"DirStartMenuAll", rLocalMachine, kShellFolders, "Common Start Menu", kcFixed, true, nullptr, nullptr},
    {"DirStartup", rCurrentUser, kShellFolders, "Startup", kcFixed, true, nullptr, nullptr},
    {"DirStartupAll", rLocalMachine, kShellFolders, "Common Startup", kcFixed, true, nullptr, nullptr},
    {"DirTemplates", rCurrentUser, kShellFolders, "Templates", kcFixed, true, nullptr, nullptr},
    {"DirTemplatesAll", rLocalMachine, kShellFolders, "Common Templates", kcFixed, true, nullptr, nullptr},
    {"OwnerName", rLocalMachine, kCurrentVersion, "RegisteredOwner", kcNT, true, nullptr, nullptr},
    {"OwnerCompany", rLocalMachine, kCurrentVersion, "RegisteredOrganization", kcNT, true, nullptr, nullptr},
    {"CPUIdentifier", rLocalMachine, kProcessor, "Identifier", kcFixed, false, nullptr, nullptr},
    {"CPUVendor", rLocalMachine, kProcessor, "VendorIdentifier", kcFixed, false, nullptr, nullptr},
    {"WinProductID", rLocalMachine, kCurrentVersion, "ProductId", kcNT, false, nullptr, nullptr},
    {"WinProductName", rLocalMachine, kCurrentVersion, "ProductName", kcNT, false, nullptr, nullptr},
    {"WinVersionSubNumber", rLocalMachine, kCurrentVersion, "SubVersionNumber", kcFixed, false, nullptr, nullptr},
    // Read by the computed facts (not published under these names).
    {"Version9x", rLocalMachine, kCurrentVersion, "Version", kcFixed, false, nullptr, nullptr},
    {"VersionNumber", rLocalMachine, kCurrentVersion, "VersionNumber", kcFixed, false, nullptr, nullptr},
    {"ScreenSaverNT", rCurrentUser, kDesktop, "SCRNSAVE.EXE", kcFixed, true, nullptr, nullptr},
};

namespace {
const TFactRow& Fact(const char* Name) {
  for (const TFactRow& Row : kFacts)
    if (std::strcmp(Row.Name, Name) == 0) return Row;
  throw std::logic_error(std::string("no system fact ") + Name);
}
HKEY RootKey(const TFactRow& Row) { return Row.Root == rLocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER; }
const char* KeyOf(const TFactRow& Row, bool NT) { return Row.Choice == kcNT && NT ? kNTCurrentVersion : Row.Key; }
}  // namespace

TChangeDisplaySettingsFunc SetChangeDisplaySettingsFunc(TChangeDisplaySettingsFunc Func) noexcept {
  return g_ChangeDisplaySettings.exchange(Func ? Func : &ChangeDisplaySettingsA);
}

TCPUSpeedFunc SetCPUSpeedFunc(TCPUSpeedFunc Func) noexcept { return g_CPUSpeed.exchange(Func ? Func : &GetCPUSpeed); }

TlxScreenResolution ResolutionOf(int Width, int Height) noexcept {
  TlxScreenResolution Found = sr640x480;
  for (int I = 0; I <= sr1200x1920; ++I)
    if (kWidths[I] == Width && kHeights[I] == Height) Found = static_cast<TlxScreenResolution>(I);
  return Found;
}

int ResolutionWidth(TlxScreenResolution Value) noexcept { return kWidths[Value]; }
int ResolutionHeight(TlxScreenResolution Value) noexcept { return kHeights[Value]; }

std::string SerialNumberText(uint32_t Serial) {
  std::string Text = DWordToHex(Serial);
  return Text.substr(0, 4) + "-" + Text.substr(std::min<size_t>(4, Text.size()));
}

void ClassifyProcessor(WORD Architecture, DWORD Type, TlxCPUArchitecture& Arch, TlxCPUType& CPUType) noexcept {
  Arch = paINTEL;
  CPUType = ptUNKNOWN;
  switch (Architecture) {
    case PROCESSOR_ARCHITECTURE_INTEL:
      CPUType = Type == 386 ? ptIntel386 : Type == 486 ? ptIntel486 : Type == 586 ? ptPentium : ptUNKNOWN;
      break;
    case PROCESSOR_ARCHITECTURE_MIPS: Arch = paMIPS; break;
    case PROCESSOR_ARCHITECTURE_ALPHA: Arch = paALPHA; break;
    case PROCESSOR_ARCHITECTURE_PPC: Arch = paPPC; break;
    case PROCESSOR_ARCHITECTURE_UNKNOWN: Arch = paUNKNOWN; break;
    default: break;  // any other code (AMD64 among them) leaves the Intel default
  }
}

}  // namespace lxsysteminfo_detail

using namespace lxsysteminfo_detail;

std::string TlxSystemInfo::ReadFact(const TFactRow& Row) const {
  bool NT = IsNTVersion();
  if (Row.Choice == kcNotOnNT && NT) return kNotOnNT;
  std::string Value;
  GetRegString(KeyOf(Row, NT), Row.Value, RootKey(Row), Value);
  if (Value.empty() && Row.Fallback) Value = Row.Fallback();
  return Value;
}

void TlxSystemInfo::WriteFact(const TFactRow& Row, const std::string& Value) {
  if (!Row.Writable) return ReadOnlyAssigned();
  if (!CanWrite()) return;
  bool NT = IsNTVersion();
  if (Row.Choice == kcNotOnNT && NT) return;
  if (Row.WrittenFirst) WriteRegString(KeyOf(Row, NT), Row.WrittenFirst, Value, RootKey(Row));
  WriteRegString(KeyOf(Row, NT), Row.Value, Value, RootKey(Row));
}

bool TlxSystemInfo::CanWrite() const { return FAllowEdit && !ComponentState().Contains(csLoading); }

void TlxSystemInfo::ReadOnlyAssigned() {
  TComponentState State = ComponentState();
  if (State.Contains(csDesigning) && !State.Contains(csLoading) && FAllowEdit)
    Application->MessageBox(kReadOnlyText, Name(), MB_ICONINFORMATION);
}

// ---- Computed facts -----------------------------------------------------------------------------

std::string TlxSystemInfo::DefaultBrowser() const { return GetAssociatedProgram(".html"); }
std::string TlxSystemInfo::DirSystem() const { return ExcludeTrailingBackslash(GetSystemDir()); }
std::string TlxSystemInfo::DirTemp() const { return ExcludeTrailingBackslash(GetTempDir()); }
std::string TlxSystemInfo::DirWindows() const { return GetWindowsDir(); }

int TlxSystemInfo::DiskCSerialNumber() const {
  DWORD Serial = 0;
  if (!GetVolumeInformationA("C:\\", nullptr, 0, &Serial, nullptr, nullptr, nullptr, 0)) return 0;
  return static_cast<int>(Serial);
}

std::string TlxSystemInfo::DiskCSerialNumberStr() const {
  return SerialNumberText(static_cast<uint32_t>(DiskCSerialNumber()));
}

TlxInternetStatus TlxSystemInfo::InternetStatus() const { return IsInternetConnected() ? iOnline : iOffline; }

uint32_t TlxSystemInfo::MemAvailPhisical() const { return Clamped(MemoryStatus().ullAvailPhys); }
uint32_t TlxSystemInfo::MemTotalPhisical() const { return Clamped(MemoryStatus().ullTotalPhys); }
uint32_t TlxSystemInfo::MemAvailVirtual() const { return Clamped(MemoryStatus().ullAvailVirtual); }
uint32_t TlxSystemInfo::MemTotalVirtual() const { return Clamped(MemoryStatus().ullTotalVirtual); }
int TlxSystemInfo::MemLoad() const { return static_cast<int>(MemoryStatus().dwMemoryLoad); }

TlxOSVersion TlxSystemInfo::OSVersion() const { return GetOSVersion(); }
TlxCPUArchitecture TlxSystemInfo::CPUArchitecture() const { return ProcessorFacts().Architecture; }
int TlxSystemInfo::CPUsNumber() const { return ProcessorFacts().Count; }
TlxCPUType TlxSystemInfo::CPUType() const { return ProcessorFacts().Type; }
int TlxSystemInfo::CPUFrequency() const { return static_cast<int>(g_CPUSpeed.load()()); }

TlxScreenColorMode TlxSystemInfo::ScreenColorMode() const { return GetColorDepth(); }

void TlxSystemInfo::SetScreenColorMode(TlxScreenColorMode Value) {
  if (!CanWrite()) return;
  ChangeDisplayMode(Value, [](DEVMODEA& Mode, int I) {
    Mode.dmFields = DM_BITSPERPEL;
    Mode.dmBitsPerPel = kBitsPerPixel[I];
  });
}

TlxScreenResolution TlxSystemInfo::ScreenResolution() const {
  return ResolutionOf(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
}

void TlxSystemInfo::SetScreenResolution(TlxScreenResolution Value) {
  if (!CanWrite()) return;
  ChangeDisplayMode(Value, [](DEVMODEA& Mode, int I) {
    Mode.dmFields = DM_PELSWIDTH | DM_PELSHEIGHT;
    Mode.dmPelsWidth = kWidths[I];
    Mode.dmPelsHeight = kHeights[I];
  });
}

std::string TlxSystemInfo::ScreenSaver() const {
  if (IsNTVersion()) return ReadFact(Fact("ScreenSaverNT"));
  try {
    TIniFile Ini(DirWindows() + "system.ini");
    return Ini.ReadString("boot", "scrnsave.exe", DirWindows() + "FLYING~1.SCR");
  } catch (...) {
    return "";
  }
}

void TlxSystemInfo::SetScreenSaver(const std::string& Value) {
  if (!CanWrite()) return;
  if (IsNTVersion()) return WriteFact(Fact("ScreenSaverNT"), Value);
  try {
    TIniFile Ini(DirWindows() + "system.ini");
    Ini.WriteString("boot", "scrnsave.exe", Value);
  } catch (...) {
  }
}

int TlxSystemInfo::SystemUpTime() const { return static_cast<int>(GetTickCount() / 1000u); }
std::string TlxSystemInfo::SystemPathes() const { return GetEnvVar("PATH"); }
bool TlxSystemInfo::WinNT() const { return IsNTVersion(); }

std::string TlxSystemInfo::WinVersion() const {
  if (!IsNTVersion()) return ReadFact(Fact("Version9x"));
  std::string Product = ReadFact(Fact("WinProductName"));
  size_t At = Product.find("Microsoft ");
  if (At != std::string::npos) Product.erase(At, 10);
  return Product;
}

int TlxSystemInfo::WinVersionBuild() const {
  OSVERSIONINFOA Info;
  return GetVersionInfo(Info) ? static_cast<int>(Info.dwBuildNumber & 0xFFFF) : -1;
}

int TlxSystemInfo::WinVersionMajor() const {
  OSVERSIONINFOA Info;
  return GetVersionInfo(Info) ? static_cast<int>(Info.dwMajorVersion) : -1;
}

int TlxSystemInfo::WinVersionMinor() const {
  OSVERSIONINFOA Info;
  return GetVersionInfo(Info) ? static_cast<int>(Info.dwMinorVersion) : -1;
}

std::string TlxSystemInfo::WinVersionNumber() const {
  std::string Number = ReadFact(Fact("VersionNumber"));
  if (!Number.empty()) return Number;
  return IntToStr(WinVersionMajor()) + "." + IntToStr(WinVersionMinor()) + "." + IntToStr(WinVersionBuild());
}

// ---- Published members --------------------------------------------------------------------------

VD_DEFINE_CLASS(TlxSystemInfo) {
  // Every fact is computed when read and never stored; a read-only one answers an assignment
  // with ReadOnlyAssigned.
  auto ReadOnly = [](TlxSystemInfo& Self, const auto&) { Self.ReadOnlyAssigned(); };
  auto Registry = [&C](const char* Name) {
    const TFactRow* Row = &Fact(Name);
    C.Property(
         Name, [Row](TlxSystemInfo& Self) { return Self.ReadFact(*Row); },
         [Row](TlxSystemInfo& Self, const std::string& Value) { Self.WriteFact(*Row, Value); })
        .Stored(false);
  };
  auto Computed = [&C](const char* Name, auto Getter, auto Setter) { C.Property(Name, Getter, Setter).Stored(false); };

  C.Property("ALLOW_EDIT", &TlxSystemInfo::FAllowEdit, &TlxSystemInfo::SetALLOW_EDIT).Default(false);
  for (const char* Name : {"ComputerDescription", "ComputerName", "ComputerWorkgroup", "CurrentUserName",
                           "WinDirectXVersion"})
    Registry(Name);
  Computed("DefaultBrowser", &TlxSystemInfo::DefaultBrowser, ReadOnly);
  for (const char* Name : {"DirAppData", "DirAppDataAll", "DirCache", "DirCookies", "DirCommonFiles", "DirDesktop",
                           "DirFavorites", "DirFavoritesAll", "DirFonts", "DirHistory", "DirMedia", "DirMyPictures",
                           "DirNetHood", "DirPersonal", "DirPrintHood", "DirProgramFiles", "DirPrograms",
                           "DirProgramsAll", "DirRecent", "DirSendTo", "DirStartMenu", "DirStartMenuAll",
                           "DirStartup", "DirStartupAll"})
    Registry(Name);
  Computed("DirSystem", &TlxSystemInfo::DirSystem, ReadOnly);
  Computed("DirTemp", &TlxSystemInfo::DirTemp, ReadOnly);
  Registry("DirTemplates");
  Registry("DirTemplatesAll");
  Computed("DirWindows", &TlxSystemInfo::DirWindows, ReadOnly);
  Computed("DiskCSerialNumber", &TlxSystemInfo::DiskCSerialNumber, ReadOnly);
  Computed("DiskCSerialNumberStr", &TlxSystemInfo::DiskCSerialNumberStr, ReadOnly);
  Computed("InternetStatus", &TlxSystemInfo::InternetStatus, ReadOnly);
  Computed("MemAvailPhisical", &TlxSystemInfo::MemAvailPhisical, ReadOnly);
  Computed("MemTotalPhisical", &TlxSystemInfo::MemTotalPhisical, ReadOnly);
  Computed("MemAvailVirtual", &TlxSystemInfo::MemAvailVirtual, ReadOnly);
  Computed("MemTotalVirtual", &TlxSystemInfo::MemTotalVirtual, ReadOnly);
  Computed("MemLoad", &TlxSystemInfo::MemLoad, ReadOnly);
  Computed("OSVersion", &TlxSystemInfo::OSVersion, ReadOnly);
  Registry("OwnerName");
  Registry("OwnerCompany");
  Registry("CPUIdentifier");
  Registry("CPUVendor");
  Computed("CPUArchitecture", &TlxSystemInfo::CPUArchitecture, ReadOnly);
  Computed("CPUsNumber", &TlxSystemInfo::CPUsNumber, ReadOnly);
  Computed("CPUType", &TlxSystemInfo::CPUType, ReadOnly);
  Computed("CPUFrequency", &TlxSystemInfo::CPUFrequency, ReadOnly);
  Computed("ScreenColorMode", &TlxSystemInfo::ScreenColorMode, &TlxSystemInfo::SetScreenColorMode);
  Computed("ScreenResolution", &TlxSystemInfo::ScreenResolution, &TlxSystemInfo::SetScreenResolution);
  Computed("ScreenSaver", &TlxSystemInfo::ScreenSaver, &TlxSystemInfo::SetScreenSaver);
  Computed("SystemUpTime", &TlxSystemInfo::SystemUpTime, ReadOnly);
  Computed("SystemPathes", &TlxSystemInfo::SystemPathes, ReadOnly);
  Computed("WinNT", &TlxSystemInfo::WinNT, ReadOnly);
  Registry("WinProductID");
  Registry("WinProductName");
  Computed("WinVersion", &TlxSystemInfo::WinVersion, ReadOnly);
  Computed("WinVersionBuild", &TlxSystemInfo::WinVersionBuild, ReadOnly);
  Computed("WinVersionMajor", &TlxSystemInfo::WinVersionMajor, ReadOnly);
  Computed("WinVersionMinor", &TlxSystemInfo::WinVersionMinor, ReadOnly);
  Computed("WinVersionNumber", &TlxSystemInfo::WinVersionNumber, ReadOnly);
  Registry("WinVersionSubNumber");
}
