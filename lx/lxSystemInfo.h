// System information: TlxSystemInfo, a non-visual component whose published properties each read
// one fact about the machine, the user or the Windows installation at the moment they are read -
// registry values, shell folders, memory, the screen mode, the processor, the Windows version.
// Nothing but the ALLOW_EDIT switch is stored:
//
//   object lxSystemInfo1: TlxSystemInfo
//     ALLOW_EDIT = True            (the writable facts may then be assigned)
//   end
//
// Most text facts are rows of one registry table (property, root, key, value, the key used on the
// NT family, whether it may be written); they are reached by property name (GetStrProp(Info,
// "DirDesktop"), SetStrProp). The other facts have accessors below. Facts of the NT family apply
// on every NT-family Windows (IsNTVersion, by platform id); the 9x branches on platform 1.
//
// Writing: a writable fact is written only while ALLOW_EDIT is set and the component is not being
// read from a form resource; otherwise the assignment is ignored. Assigning a read-only fact changes
// nothing; in a designer, with ALLOW_EDIT set, it says so in a message box.
//
// Nothing here raises to its caller: a fact that can't be read reads as '' or 0.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "lx/lxBase.h"
#include "lx/lxGraphics.h"
#include "lx/lxUtils.h"

enum TlxInternetStatus { iOffline, iOnline };
VD_ENUM_INFO(TlxInternetStatus, "iOffline", "iOnline")
enum TlxCPUArchitecture { paINTEL, paMIPS, paALPHA, paPPC, paUNKNOWN };
VD_ENUM_INFO(TlxCPUArchitecture, "paINTEL", "paMIPS", "paALPHA", "paPPC", "paUNKNOWN")
// The MIPS and ALPHA types are never produced.
enum TlxCPUType { ptIntel386, ptIntel486, ptPentium, ptMIPS_R4000, ptALPHA_21064, ptUNKNOWN };
VD_ENUM_INFO(TlxCPUType, "ptIntel386", "ptIntel486", "ptPentium", "ptMIPS_R4000", "ptALPHA_21064", "ptUNKNOWN")

namespace lxsysteminfo_detail {
struct TFactRow;
}

class TlxSystemInfo : public TlxComponent {
  VD_CLASS(TlxSystemInfo, TlxComponent);

public:
  using TlxComponent::TlxComponent;

  bool ALLOW_EDIT() const noexcept { return FAllowEdit; }
  void SetALLOW_EDIT(bool Value) noexcept { FAllowEdit = Value; }

  // The program registered for .html files.
  std::string DefaultBrowser() const;
  // GetSystemDirectoryA and GetTempPathA without, GetWindowsDirectoryA with a trailing backslash.
  std::string DirSystem() const;
  std::string DirTemp() const;
  std::string DirWindows() const;
  // The volume serial of C:\ (0 when it can't be read), and as text: "1234-ABCD", "12AB-CD", "ABC-".
  int DiskCSerialNumber() const;
  std::string DiskCSerialNumberStr() const;
  TlxInternetStatus InternetStatus() const;
  // Bytes, clamped to the 32-bit range; the load in percent.
  uint32_t MemAvailPhisical() const;
  uint32_t MemTotalPhisical() const;
  uint32_t MemAvailVirtual() const;
  uint32_t MemTotalVirtual() const;
  int MemLoad() const;
  TlxOSVersion OSVersion() const;
  // The processor facts, read once (on first use).
  TlxCPUArchitecture CPUArchitecture() const;
  int CPUsNumber() const;
  TlxCPUType CPUType() const;
  // The processor clock in MHz, measured anew on every read (about 50 ms).
  int CPUFrequency() const;
  // Reading: the screen as it is. Writing changes the display mode for good (the registry too):
  // the value asked for, else the first lower entry of the enumeration that the display accepts.
  TlxScreenColorMode ScreenColorMode() const;
  void SetScreenColorMode(TlxScreenColorMode Value);
  TlxScreenResolution ScreenResolution() const;
  void SetScreenResolution(TlxScreenResolution Value);
  // NT: HKCU "Control Panel\Desktop" "SCRNSAVE.EXE"; 9x: [boot] "scrnsave.exe" of system.ini.
  std::string ScreenSaver() const;
  void SetScreenSaver(const std::string& Value);
  // Seconds since Windows started (the tick count wraps after 49.7 days).
  int SystemUpTime() const;
  std::string SystemPathes() const;
  bool WinNT() const;
  // NT: the product name without its first "Microsoft "; 9x: HKLM CurrentVersion "Version".
  std::string WinVersion() const;
  // -1 when the version can't be asked; the build is its low 16 bits.
  int WinVersionBuild() const;
  int WinVersionMajor() const;
  int WinVersionMinor() const;
  // HKLM CurrentVersion "VersionNumber", else major.minor.build.
  std::string WinVersionNumber() const;

private:
  using TFactRow = lxsysteminfo_detail::TFactRow;
  std::string ReadFact(const TFactRow& Row) const;
  void WriteFact(const TFactRow& Row, const std::string& Value);
  // A writable fact may be written now.
  bool CanWrite() const;
  // An assignment to a read-only fact.
  void ReadOnlyAssigned();

  bool FAllowEdit = false;
};

namespace lxsysteminfo_detail {
// The display-mode call behind the screen setters (ChangeDisplaySettingsA unless replaced), so
// that tests never change the real display; nullptr restores it. Returns the one installed before.
using TChangeDisplaySettingsFunc = LONG(WINAPI*)(DEVMODEA* Mode, DWORD Flags);
TChangeDisplaySettingsFunc SetChangeDisplaySettingsFunc(TChangeDisplaySettingsFunc Func) noexcept;
// The clock measurement behind CPUFrequency (GetCPUSpeed unless replaced); nullptr restores it.
using TCPUSpeedFunc = uint32_t (*)();
TCPUSpeedFunc SetCPUSpeedFunc(TCPUSpeedFunc Func) noexcept;

// The rules behind the facts, for tests.
// The last table entry of W x H; sr640x480 when none matches.
TlxScreenResolution ResolutionOf(int Width, int Height) noexcept;
int ResolutionWidth(TlxScreenResolution Value) noexcept;
int ResolutionHeight(TlxScreenResolution Value) noexcept;
std::string SerialNumberText(uint32_t Serial);
// From GetSystemInfo's wProcessorArchitecture and dwProcessorType.
void ClassifyProcessor(WORD Architecture, DWORD Type, TlxCPUArchitecture& Arch, TlxCPUType& CPUType) noexcept;
}  // namespace lxsysteminfo_detail
