// Every library of the system, loaded and freed again and again as the shell and the script page
// do it: each cycle loads the library, runs it a little (its units start) and frees it. After a
// warm-up, 200 cycles may leave no heap blocks (beyond the system's own slack), no handle of any
// type and no thread behind. The libraries come from the command line (tests/soak/CMakeLists.txt
// lists them); what runs a library is chosen by its exports.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "tests/nx/comserver_clsids.h"
#include "tests/support/ProcessResources.h"
#include "tests/support/TempTree.h"
#include "vdsinfsht/ScriptInfoContract.h"

namespace {

std::vector<std::string> g_Libraries;  // Windows paths

constexpr int kWarmUp = 5;
constexpr int kCycles = 200;
constexpr size_t kHeapSlack = 16;  // the loader's and the heap's own bookkeeping

void __stdcall IgnoreScriptInfo(LPCSTR, LPCSTR, LPCSTR, LPCSTR, LPCSTR, int) {}

// Runs one loaded library through the exports it has.
void Exercise(HMODULE Library, const TempTree& Scratch) {
  using TNoArgs = HRESULT(WINAPI*)();
  using TFolderCheck = BOOLEAN(WINAPI*)(LPCSTR);
  using TCursor = HCURSOR(WINAPI*)(int);
  if (auto CanUnloadNow = reinterpret_cast<TNoArgs>(GetProcAddress(Library, "DllCanUnloadNow"))) CanUnloadNow();
  if (auto FolderCheck = reinterpret_cast<TFolderCheck>(GetProcAddress(Library, "isFolderClean")))
    FolderCheck(Scratch.Root().c_str());
  if (auto Cursor = reinterpret_cast<TCursor>(GetProcAddress(Library, "lxProbeLibraryCursor"))) Cursor(-20);
  using TInitExperts = void(WINAPI*)();
  if (auto InitExperts = reinterpret_cast<TInitExperts>(GetProcAddress(Library, "InitExperts"))) InitExperts();
  if (auto ScriptInfo = reinterpret_cast<TVDGetScriptInfo>(GetProcAddress(Library, "VDGetScriptInfo"))) {
    static const std::string Script = Scratch.File("soak.vds", "@Author=A\r\n@Codes=24,7\r\n");
    TScriptInfoRequest Request{};
    Request.Size = sizeof Request;
    Request.FileName = Script.c_str();
    Request.Callback = &IgnoreScriptInfo;
    ScriptInfo(Request);
  }
}

// The stand-in IDE's package, loaded once like the IDE has it: the plug-ins import it, and a
// plug-in is freed through it so that its editor registrations go with it.
HMODULE IdeDesign() {
  static HMODULE Module = LoadLibraryA(WindowsPathOfUnix(IDE_DESIGN_DLL).c_str());
  return Module;
}

#ifdef _WIN64
constexpr char kUnloadLibraryExport[] = "IdeUnloadLibrary";
#else
constexpr char kUnloadLibraryExport[] = "IdeUnloadLibrary@4";  // stdcall, decorated
#endif

void Cycle(const std::string& Path, const TempTree& Scratch) {
  HMODULE Library = LoadLibraryA(Path.c_str());
  ASSERT_NE(Library, nullptr) << Path;
  Exercise(Library, Scratch);
  using TUnloadLibrary = BOOL(__stdcall*)(HMODULE);
  auto Unload = reinterpret_cast<TUnloadLibrary>(GetProcAddress(IdeDesign(), kUnloadLibraryExport));
  const bool Plugin = GetProcAddress(Library, "InitExperts") != nullptr;
  ASSERT_TRUE(Plugin ? Unload && Unload(Library) : FreeLibrary(Library));
  ASSERT_EQ(GetModuleHandleA(Path.c_str()), nullptr) << "still loaded: " << Path;
}

TEST(LibrarySoak, LoadRunAndFreeLeavesNothingBehind) {
  ASSERT_FALSE(g_Libraries.empty()) << "no libraries on the command line";
  ASSERT_NE(IdeDesign(), nullptr);
  TempTree Scratch;
  for (const std::string& Path : g_Libraries) {
    for (int I = 0; I < kWarmUp; ++I) ASSERT_NO_FATAL_FAILURE(Cycle(Path, Scratch));
    const TProcessResources Before = TProcessResources::Now();
    for (int I = 0; I < kCycles; ++I) ASSERT_NO_FATAL_FAILURE(Cycle(Path, Scratch));
    const TProcessResources After = TProcessResources::Now();
    EXPECT_EQ(TProcessResources::Growth(Before, After, kHeapSlack), "") << Path << " after " << kCycles << " cycles";
  }
}

using TGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);

// One apartment thread's object of the test server's class A, made and released.
DWORD WINAPI MakeObjectOnThread(void* Param) {
  auto GetClassObject = reinterpret_cast<TGetClassObject>(Param);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  IClassFactory* Factory = nullptr;
  if (SUCCEEDED(GetClassObject(kClsidA, IID_IClassFactory, reinterpret_cast<void**>(&Factory)))) {
    IUnknown* Object = nullptr;
    if (SUCCEEDED(Factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&Object))))
      Object->Release();
    Factory->Release();
  }
  CoUninitialize();
  return 0;
}

// The test COM server's data modules, one per apartment thread that made an object, stay until
// the library goes (threads that ended included); freeing the library frees every one of them.
// The system's COM layer may make an object of its own once in a while as threads come and go,
// so handles may grow by one or two over ten rounds, never by a round's worth.
TEST(LibrarySoak, DataModulesOfEndedThreadsGoWithTheLibrary) {
  std::string Server;
  for (const std::string& Path : g_Libraries)
    if (Path.find("nx_test_server") != std::string::npos) Server = Path;
  ASSERT_FALSE(Server.empty());
  using TLiveModules = int(WINAPI*)();
  auto Round = [&Server] {
    HMODULE Library = LoadLibraryA(Server.c_str());
    ASSERT_NE(Library, nullptr);
    auto GetClassObject = reinterpret_cast<TGetClassObject>(GetProcAddress(Library, "DllGetClassObject"));
    auto LiveModules = reinterpret_cast<TLiveModules>(GetProcAddress(Library, "NxTestLiveModules"));
    ASSERT_TRUE(GetClassObject && LiveModules);
    for (int T = 0; T < 30; ++T) {
      HANDLE Thread = CreateThread(nullptr, 0, &MakeObjectOnThread, reinterpret_cast<void*>(GetClassObject), 0, nullptr);
      ASSERT_NE(Thread, nullptr);
      WaitForSingleObject(Thread, INFINITE);
      CloseHandle(Thread);
    }
    EXPECT_EQ(LiveModules(), 30) << "one data module per thread, kept after the threads ended";
    ASSERT_TRUE(FreeLibrary(Library));
  };
  for (int I = 0; I < 2; ++I) ASSERT_NO_FATAL_FAILURE(Round());
  const TProcessResources Before = TProcessResources::Now();
  for (int I = 0; I < 10; ++I) ASSERT_NO_FATAL_FAILURE(Round());
  EXPECT_EQ(TProcessResources::Growth(Before, TProcessResources::Now(), kHeapSlack, 2), "");
}

}  // namespace

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  for (int I = 1; I < argc; ++I) g_Libraries.push_back(WindowsPathOfUnix(argv[I]));
  return RUN_ALL_TESTS();
}
