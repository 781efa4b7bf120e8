// System information and the connection test against Wine's answers: the registry facts row by row
// in scratch keys that stand in for HKLM and HKCU, on the prefix's Windows and - in copies of this
// program for which Wine reports another version (HKCU\Software\Wine\AppDefaults\<exe>\Version) -
// on XP, 2000 and 98. The program runs in a network namespace of its own (tests/netns_run.sh); the
// connection test's branches go through the resolver seam.
#include <gtest/gtest.h>
#include <winsock.h>

#include <cstdlib>
#include <regex>
#include <shlwapi.h>
#include <string>
#include <vector>

#include "classlib/Forms.h"
#include "classlib/FormStream.h"
#include "classlib/TypInfo.h"
#include "lx/lxInet.h"
#include "lx/lxSystemInfo.h"
#include "tests/lx/lxLinkRecorder.h"
#include "tests/support/DialogTestSupport.h"
#include "tests/support/RedirectedRegistry.h"
#include "tests/support/RunProgram.h"

using namespace lxsysteminfo_detail;

namespace {

constexpr const char* kShellFolders = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr const char* kCurrentVersion = "Software\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNTCurrentVersion = "Software\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kVNetSup = "System\\CurrentControlSet\\Services\\VxD\\VNETSUP";
constexpr const char* kProcessor = "hardware\\DESCRIPTION\\System\\CentralProcessor\\0";
constexpr const char* kRemoteAccess = "System\\CurrentControlSet\\Services\\RemoteAccess";

// ---- Registry -----------------------------------------------------------------------------------

std::string Get(HKEY Root, const std::string& Key, const std::string& Value) {
  HKEY K;
  if (RegOpenKeyExA(Root, Key.c_str(), 0, KEY_QUERY_VALUE, &K)) return "<none>";
  char Buffer[1024] = {};
  DWORD Size = sizeof Buffer - 1;
  LONG R = RegQueryValueExA(K, Value.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(Buffer), &Size);
  RegCloseKey(K);
  return R ? "<none>" : Buffer;
}

void PutData(HKEY Root, const std::string& Key, const std::string& Value, DWORD Type, const void* Data, DWORD Size) {
  HKEY K;
  ASSERT_EQ(RegCreateKeyExA(Root, Key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &K, nullptr), 0) << Key;
  EXPECT_EQ(RegSetValueExA(K, Value.c_str(), 0, Type, static_cast<const BYTE*>(Data), Size), 0) << Value;
  RegCloseKey(K);
}

void Put(HKEY Root, const std::string& Key, const std::string& Value, const std::string& Text) {
  PutData(Root, Key, Value, REG_SZ, Text.c_str(), static_cast<DWORD>(Text.size() + 1));
}

// ---- The Windows this process runs as --------------------------------------------------------------

struct TWindows {
  const char* WineVersion;  // AppDefaults "Version"; "" for the prefix's own
  bool NT;
  const char* VersionNumber;  // major.minor.build (the build's low 16 bits)
  TlxOSVersion OS;
};

// Wine's answers: the prefix's own Windows (7), and the three versions set per program.
const TWindows kDefaultWindows{"", true, "6.1.7601", osUnknown};
const TWindows kOtherWindows[] = {
    {"winxp", true, "5.1.2600", osXP},
    {"win2k", true, "5.0.2195", os2K},
    {"win98", false, "4.10.2222", os98SE},  // service-pack text " A ", trimmed
};

// ---- The published registry facts -----------------------------------------------------------------

enum TKeyUse { kuFixed, kuNTKey, kuNotOnNT };
struct TFact {
  const char* Name;
  bool CurrentUser;
  const char* Key;
  const char* Value;
  TKeyUse Use;
  bool Writable;
};

const TFact kFacts[] = {
    {"ComputerDescription", false, kVNetSup, "Comment", kuNotOnNT, true},
    {"ComputerName", false, "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName", "ComputerName", kuFixed, true},
    {"ComputerWorkgroup", false, kVNetSup, "Workgroup", kuNotOnNT, true},
    {"CurrentUserName", false, "System\\CurrentControlSet\\Control", "Current User", kuFixed, true},
    {"WinDirectXVersion", false, "Software\\Microsoft\\DirectX", "Version", kuFixed, false},
    {"DirAppData", true, kShellFolders, "AppData", kuFixed, true},
    {"DirAppDataAll", false, kShellFolders, "Common AppData", kuFixed, true},
    {"DirCache", true, kShellFolders, "Cache", kuFixed, true},
    {"DirCookies", true, kShellFolders, "Cookies", kuFixed, true},
    {"DirCommonFiles", false, kCurrentVersion, "CommonFilesDir", kuFixed, true},
    {"DirDesktop", true, kShellFolders, "Desktop", kuFixed, true},
    {"DirFavorites", true, kShellFolders, "Favorites", kuFixed, true},
    {"DirFavoritesAll", false, kShellFolders, "Common Favorites", kuFixed, true},
    {"DirFonts", true, kShellFolders, "Fonts", kuFixed, true},
    {"DirHistory", true, kShellFolders, "History", kuFixed, true},
    {"DirMedia", false, kCurrentVersion, "MediaPath", kuFixed, true},
    {"DirMyPictures", true, kShellFolders, "My Pictures", kuFixed, true},
    {"DirNetHood", true, kShellFolders, "NetHood", kuFixed, true},
    {"DirPersonal", true, kShellFolders, "Personal", kuFixed, true},
    {"DirPrintHood", true, kShellFolders, "PrintHood", kuFixed, true},
    {"DirProgramFiles", false, kCurrentVersion, "ProgramFilesDir", kuFixed, true},
    {"DirPrograms", true, kShellFolders, "Programs", kuFixed, true},
    {"DirProgramsAll", false, kShellFolders, "Common Programs", kuFixed, true},
    {"DirRecent", true, kShellFolders, "Recent", kuFixed, true},
    {"DirSendTo", true, kShellFolders, "SendTo", kuFixed, true},
    {"DirStartMenu", true, kShellFolders, "Start Menu", kuFixed, true},
    {"DirStartMenuAll", false, kShellFolders, "Common Start Menu", kuFixed, true},
    {"DirStartup", true, kShellFolders, "Startup", kuFixed, true},
    {"DirStartupAll", false, kShellFolders, "Common Startup", kuFixed, true},
    {"DirTemplates", true, kShellFolders, "Templates", kuFixed, true},
    {"DirTemplatesAll", false, kShellFolders, "Common Templates", kuFixed, true},
    {"OwnerName", false, kCurrentVersion, "RegisteredOwner", kuNTKey, true},
    {"OwnerCompany", false, kCurrentVersion, "RegisteredOrganization", kuNTKey, true},
    {"CPUIdentifier", false, kProcessor, "Identifier", kuFixed, false},
    {"CPUVendor", false, kProcessor, "VendorIdentifier", kuFixed, false},
    {"WinProductID", false, kCurrentVersion, "ProductId", kuNTKey, false},
    {"WinProductName", false, kCurrentVersion, "ProductName", kuNTKey, false},
    {"WinVersionSubNumber", false, kCurrentVersion, "SubVersionNumber", kuFixed, false},
};

// The resolver seam's answers: a name, and the address it resolves to (nullptr: none).
const char* g_Address = nullptr;
bool g_NameFails = false;
bool g_SocketsStarted = false;  // during the last query
int WINAPI FakeHostName(char* Name, int Size) {
  // Windows Sockets runs now: taking its one start-up away works (and is given back at once).
  WSADATA Data;
  g_SocketsStarted = WSACleanup() == 0 && WSAStartup(MAKEWORD(1, 1), &Data) == 0;
  if (g_NameFails) return SOCKET_ERROR;
  lstrcpynA(Name, "veldrane-test", Size);
  return 0;
}
hostent* WINAPI FakeHostByName(const char*) {
  static in_addr Address;
  static char* List[2] = {reinterpret_cast<char*>(&Address), nullptr};
  static hostent Host{const_cast<char*>("veldrane-test"), nullptr, AF_INET, sizeof(in_addr), List};
  if (!g_Address) return nullptr;
  Address.s_addr = inet_addr(g_Address);
  return &Host;
}

class TFakeResolver {
public:
  explicit TFakeResolver(const char* Address) {
    g_Address = Address;
    g_NameFails = false;
    FOld = lxinet_detail::SetResolver({&FakeHostName, &FakeHostByName});
  }
  ~TFakeResolver() { lxinet_detail::SetResolver(FOld); }

private:
  lxinet_detail::TResolver FOld;
};

// "Remote Connection" with a first byte; Size 8 is a value the 4-byte query cannot read.
void SetRemoteConnection(BYTE First, DWORD Size = 4) {
  BYTE Data[8] = {First};
  PutData(HKEY_LOCAL_MACHINE, kRemoteAccess, "Remote Connection", REG_BINARY, Data, Size);
}

// Everything that depends on the Windows version, as this process sees it.
void CheckFactsOf(const TWindows& W) {
  TRedirectedRegistry Sandbox("lx_sysinfo", {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER});
  ASSERT_TRUE(Sandbox.Ok) << "HKLM and HKCU could not be redirected";
  TObjectPtr<TlxSystemInfo> Info(TlxSystemInfo::Create(nullptr));

  for (const TFact& F : kFacts) {
    SCOPED_TRACE(F.Name);
    HKEY Root = F.CurrentUser ? HKEY_CURRENT_USER : HKEY_LOCAL_MACHINE;
    const std::string ReadKey = F.Use == kuNTKey && W.NT ? kNTCurrentVersion : F.Key;
    Put(Root, F.Key, F.Value, std::string("9x ") + F.Name);
    if (F.Use == kuNTKey) Put(Root, kNTCurrentVersion, F.Value, std::string("NT ") + F.Name);
    std::string Expected = F.Use == kuNotOnNT && W.NT ? "(not available on NT)" : Get(Root, ReadKey, F.Value);
    EXPECT_EQ(GetStrProp(Info.get(), F.Name), Expected);

    const std::string Stored = Get(Root, ReadKey, F.Value);
    Info->SetALLOW_EDIT(false);
    SetStrProp(Info.get(), F.Name, "not written");
    EXPECT_EQ(Get(Root, ReadKey, F.Value), Stored);
    Info->SetALLOW_EDIT(true);
    SetStrProp(Info.get(), F.Name, "written");
    bool Writes = F.Writable && !(F.Use == kuNotOnNT && W.NT);
    EXPECT_EQ(Get(Root, ReadKey, F.Value), Writes ? "written" : Stored);
  }
  EXPECT_EQ(Get(HKEY_LOCAL_MACHINE, kCurrentVersion, "ProgramFilesPath"), "written");  // written first

  // Empty names come from Windows.
  Put(HKEY_LOCAL_MACHINE, "System\\CurrentControlSet\\Control\\ComputerName\\ComputerName", "ComputerName", "");
  char Name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD Size = sizeof Name;
  GetComputerNameA(Name, &Size);
  EXPECT_EQ(GetStrProp(Info.get(), "ComputerName"), Name);

  // The version.
  EXPECT_EQ(Info->WinNT(), W.NT);
  EXPECT_EQ(Info->OSVersion(), W.OS);
  if (W.NT) Put(HKEY_LOCAL_MACHINE, kNTCurrentVersion, "ProductName", "Microsoft Windows XP");
  else Put(HKEY_LOCAL_MACHINE, kCurrentVersion, "Version", "Windows 98");
  EXPECT_EQ(Info->WinVersion(), W.NT ? "Windows XP" : "Windows 98");
  EXPECT_EQ(Info->WinVersionNumber(), W.VersionNumber);
  Put(HKEY_LOCAL_MACHINE, kCurrentVersion, "VersionNumber", "4.10.2222 A");
  EXPECT_EQ(Info->WinVersionNumber(), "4.10.2222 A");

  // The screen saver: the desktop settings on NT, system.ini on 9x.
  Info->SetScreenSaver("C:\\lx-test.scr");
  EXPECT_EQ(Info->ScreenSaver(), "C:\\lx-test.scr");
  if (W.NT) {
    EXPECT_EQ(Get(HKEY_CURRENT_USER, "Control Panel\\Desktop", "SCRNSAVE.EXE"), "C:\\lx-test.scr");
  } else {
    std::string Ini = Info->DirWindows() + "system.ini";
    WritePrivateProfileStringA("boot", "scrnsave.exe", nullptr, Ini.c_str());
    EXPECT_EQ(Info->ScreenSaver(), Info->DirWindows() + "FLYING~1.SCR");
  }

  // On line: 9x trusts the dial-up state over the address; NT asks only the address.
  SetRemoteConnection(1);
  {
    TFakeResolver Loopback("127.0.0.1");
    EXPECT_EQ(Info->InternetStatus(), W.NT ? iOffline : iOnline);
  }
  SetRemoteConnection(2);
  {
    TFakeResolver Address("10.1.2.3");
    EXPECT_EQ(Info->InternetStatus(), W.NT ? iOnline : iOffline);
    SetRemoteConnection(2, 8);
    EXPECT_EQ(Info->InternetStatus(), iOnline);  // no readable state: the address decides
  }
}

// Runs this program again as lx_sysinfo_<version>.exe, for which Wine reports that Windows; the
// copy runs only SystemInfoAs.ThisWindows.
TProgramRun RunAsWindows(const TWindows& W) {
  char Self[MAX_PATH];
  GetModuleFileNameA(nullptr, Self, MAX_PATH);
  std::string ExeName = std::string("lx_sysinfo_") + W.WineVersion + ".exe";
  std::string Exe = lxtest::ExeDir() + ExeName;
  if (!CopyFileA(Self, Exe.c_str(), FALSE)) return TProgramRun{};
  std::string Key = "Software\\Wine\\AppDefaults\\" + ExeName;
  Put(HKEY_CURRENT_USER, Key, "Version", W.WineVersion);
  SetEnvironmentVariableA("LX_SYSINFO_VERSION", W.WineVersion);
  TProgramRun Run = RunProgram("\"" + Exe + "\" --gtest_brief=1 --gtest_filter=SystemInfoAs.ThisWindows");
  SetEnvironmentVariableA("LX_SYSINFO_VERSION", nullptr);
  SHDeleteKeyA(HKEY_CURRENT_USER, Key.c_str());
  DeleteFileA(Exe.c_str());
  return Run;
}

// The display-mode calls the screen setters make ("test 800x600", "set 16bit"); only g_Accept passes.
std::vector<std::string> g_DisplayCalls;
std::string g_Accept;
LONG WINAPI RecordDisplayChange(DEVMODEA* Mode, DWORD Flags) {
  EXPECT_EQ(Mode->dmSize, 156);
  std::string What = Mode->dmFields == (DM_PELSWIDTH | DM_PELSHEIGHT)
                         ? std::to_string(Mode->dmPelsWidth) + "x" + std::to_string(Mode->dmPelsHeight)
                         : std::to_string(Mode->dmBitsPerPel) + "bit";
  g_DisplayCalls.push_back((Flags == CDS_TEST ? "test " : Flags == CDS_UPDATEREGISTRY ? "set " : "? ") + What);
  return What == g_Accept ? DISP_CHANGE_SUCCESSFUL : DISP_CHANGE_BADMODE;
}

}  // namespace

// ---- Tests ----------------------------------------------------------------------------------------

TEST(SystemInfo, FactsFollowTheTableOnEveryWindows) {
  {
    SCOPED_TRACE("the prefix's own Windows");
    CheckFactsOf(kDefaultWindows);
  }
  for (const TWindows& W : kOtherWindows) {
    const TProgramRun Run = RunAsWindows(W);
    EXPECT_EQ(Run.ExitCode, 0u) << W.WineVersion << "\n" << Run.Text();
  }
}

TEST(SystemInfoAs, ThisWindows) {
  const char* Version = std::getenv("LX_SYSINFO_VERSION");
  if (!Version) GTEST_SKIP() << "runs in the copies made for other Windows versions";
  for (const TWindows& W : kOtherWindows)
    if (std::string(W.WineVersion) == Version) CheckFactsOf(W);
}

TEST(SystemInfo, MachineFacts) {
  TObjectPtr<TlxSystemInfo> Info(TlxSystemInfo::Create(nullptr));
  EXPECT_EQ(Info->DirWindows().back(), '\\');
  EXPECT_NE(Info->DirSystem().back(), '\\');
  EXPECT_NE(Info->DirTemp().back(), '\\');
  // x86_64 reports architecture 9, which keeps the Intel default without a type.
  EXPECT_EQ(Info->CPUArchitecture(), paINTEL);
  EXPECT_EQ(Info->CPUType(), ptUNKNOWN);
  struct {
    WORD Architecture;
    DWORD Type;
    TlxCPUArchitecture Arch;
    TlxCPUType CPU;
  } const Processors[] = {{0, 586, paINTEL, ptPentium}, {0, 686, paINTEL, ptUNKNOWN}, {1, 4000, paMIPS, ptUNKNOWN},
                          {0xFFFF, 0, paUNKNOWN, ptUNKNOWN}};
  for (const auto& P : Processors) {
    TlxCPUArchitecture Arch;
    TlxCPUType Type;
    ClassifyProcessor(P.Architecture, P.Type, Arch, Type);
    EXPECT_TRUE(Arch == P.Arch && Type == P.CPU) << P.Architecture << " " << P.Type;
  }
  EXPECT_EQ(SerialNumberText(0x1234ABCD), "1234-ABCD");
  EXPECT_EQ(SerialNumberText(0x0012ABCD), "12AB-CD");
  EXPECT_EQ(SerialNumberText(0x00000ABC), "ABC-");

  // The clock, measured anew, with both priorities given back.
  DWORD Class = GetPriorityClass(GetCurrentProcess());
  int Priority = GetThreadPriority(GetCurrentThread());
  int MHz = Info->CPUFrequency();
  EXPECT_TRUE(MHz >= 100 && MHz % 10 == 0) << MHz;
  EXPECT_EQ(GetPriorityClass(GetCurrentProcess()), Class);
  EXPECT_EQ(GetThreadPriority(GetCurrentThread()), Priority);
}

TEST(SystemInfo, ScreenModes) {
  TObjectPtr<TlxSystemInfo> Info(TlxSystemInfo::Create(nullptr));
  EXPECT_EQ(Info->ScreenResolution(), sr1280x1024);  // the harness's Xvfb screen
  EXPECT_EQ(ResolutionOf(1366, 768), sr640x480);      // in no table entry

  auto Old = SetChangeDisplaySettingsFunc(&RecordDisplayChange);
  Info->SetScreenResolution(sr1024x768);  // ALLOW_EDIT off: not even a test
  EXPECT_TRUE(g_DisplayCalls.empty());
  Info->SetALLOW_EDIT(true);
  // Refused modes step down the enumeration, not the sizes: the upright 480 x 640 falls to 1920 x 1200.
  g_Accept = "1920x1200";
  Info->SetScreenResolution(sr480x640);
  g_Accept = "16bit";
  Info->SetScreenColorMode(sm32bit);
  g_Accept = "";
  Info->SetScreenResolution(sr800x600);
  EXPECT_EQ(g_DisplayCalls, (std::vector<std::string>{"test 480x640", "test 1920x1200", "set 1920x1200", "test 32bit",
                                                     "test 24bit", "test 16bit", "set 16bit", "test 800x600",
                                                     "test 640x480"}));
  SetChangeDisplaySettingsFunc(Old);
}

TEST(SystemInfo, ReadOnlyFactsSayTheyAreReadOnlyOnlyInADesigner) {
  testsupport::TFakeUIServices Fake;  // message boxes recorded for the whole test
  const auto& Boxes = Fake.MessageBoxes;
  TObjectPtr<TlxSystemInfo> Info(TlxSystemInfo::Create(nullptr));
  Info->SetName("lxSystemInfo1");
  Info->SetALLOW_EDIT(true);
  SetStrProp(Info.get(), "WinVersion", "x");  // at run time: silent
  EXPECT_TRUE(Boxes.empty());
  Info->SetDesigning(true);
  SetStrProp(Info.get(), "WinVersion", "x");
  SetOrdProp(Info.get(), "CPUFrequency", 1);
  ASSERT_EQ(Boxes.size(), 2u);
  EXPECT_EQ(Boxes[0].Caption, "lxSystemInfo1");
  EXPECT_EQ(Boxes[0].Text, "This property is READ-ONLY.\r\nYou could not change this value.");
  EXPECT_EQ(Boxes[0].Flags, static_cast<UINT>(MB_ICONINFORMATION));
  Info->SetALLOW_EDIT(false);
  SetStrProp(Info.get(), "WinVersion", "x");
  EXPECT_EQ(Boxes.size(), 2u);

  // Nothing but the switch is stored, and a form resource being read writes nothing.
  TRedirectedRegistry Sandbox("lx_sysinfo", {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER});
  Put(HKEY_CURRENT_USER, kShellFolders, "Desktop", "C:\\Desk");
  Info->SetDesigning(false);
  ReadComponentFromText("object lxSystemInfo1: TlxSystemInfo\n  ALLOW_EDIT = True\n  DirDesktop = 'C:\\Other'\nend\n",
                        Info.get());
  EXPECT_TRUE(Info->ALLOW_EDIT());
  EXPECT_EQ(Get(HKEY_CURRENT_USER, kShellFolders, "Desktop"), "C:\\Desk");
  EXPECT_EQ(WriteComponentToText(Info.get()), "object lxSystemInfo1: TlxSystemInfo\r\n  ALLOW_EDIT = True\r\nend\r\n");
}

TEST(ConnectionTest, LocalAddressThroughTheResolver) {
  {
    TFakeResolver Loopback("127.0.0.1");
    EXPECT_EQ(GetLocalIP(), "127.0.0.1");
    EXPECT_FALSE(HasLocalIP());
    EXPECT_FALSE(IsInternetConnected());  // the NT family: only the address counts
  }
  {
    TFakeResolver Address("10.1.2.3");
    EXPECT_EQ(GetLocalIP(), "10.1.2.3");
    EXPECT_TRUE(HasLocalIP());
    EXPECT_TRUE(IsInternetConnected());
    g_NameFails = true;
    EXPECT_EQ(GetLocalIP(), "");
  }
  {
    TFakeResolver Unknown(nullptr);
    EXPECT_EQ(GetLocalIP(), "");
    EXPECT_FALSE(HasLocalIP());
  }
  // Windows Sockets is started for each query and cleaned up after it, failed queries included.
  EXPECT_TRUE(g_SocketsStarted);
  EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST(ConnectionTest, RealResolverInItsOwnNetworkNamespace) {
  if (!std::getenv("LX_NETNS")) GTEST_SKIP() << "not isolated in a network namespace of its own";
  std::string IP = GetLocalIP();
  EXPECT_TRUE(IP.empty() || std::regex_match(IP, std::regex(R"(\d{1,3}(\.\d{1,3}){3})"))) << IP;
  EXPECT_EQ(HasLocalIP(), !IP.empty() && IP != "127.0.0.1");
}
