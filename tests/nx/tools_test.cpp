// NxTools and NxShLwApi: extension normalising, DLL versions and bindings, clipboard formats,
// the global lock and the units' start-up order.
#include <windows.h>
#include <commctrl.h>
#include <commoncontrols.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>

#include "classlib/UnitInit.h"
#include "nx/NxShLwApi.h"
#include "nx/NxTools.h"

namespace {
// The definition as first written: recursion on the text behind the first dot.
std::string RecursiveLastExtension(const std::string& s) {
  size_t p = s.find('.');
  return p != std::string::npos && p + 1 < s.size() ? RecursiveLastExtension(s.substr(p + 1)) : s;
}

// A thread that takes and leaves the global lock.
struct Contender {
  std::atomic<bool> entered{false};
  std::thread thread{[this] {
    EnterGlobalLock();
    entered = true;
    LeaveGlobalLock();
  }};
  bool Entered(DWORD Ms) {
    for (DWORD waited = 0; !entered && waited < Ms; waited += 5) Sleep(5);
    return entered;
  }
  ~Contender() { thread.join(); }
};
}  // namespace

TEST(GetLastExtension, TableAndTheRecursiveDefinitionOnEveryShortText) {
  const std::pair<const char*, const char*> cases[] = {
      {"txt", "txt"},   {".txt", "txt"}, {"*.txt", "txt"}, {"a.b.txt", "txt"}, {"x.tar.gz", "gz"}, {"noext", "noext"},
      {"abc.", "abc."}, {"a.b.", "b."},  {"", ""},         {"..", "."},        {"a..b", "b"}};
  for (auto [in, out] : cases) EXPECT_EQ(GetLastExtension(in), out) << '"' << in << '"';
  for (int len = 0, total = 1; len <= 9; ++len, total *= 3)
    for (int code = 0; code < total; ++code) {
      std::string s;
      for (int i = 0, c = code; i < len; ++i, c /= 3) s += ".ab"[c % 3];
      ASSERT_EQ(GetLastExtension(s), RecursiveLastExtension(s)) << '"' << s << '"';
    }
  EXPECT_EQ(GetLastExtension(std::string(2000000, '.') + "ext"), "ext");  // no recursion per dot
}

TEST(DllVersion, MissingLibraryOrExportKernel32AndShell32) {
  EXPECT_EQ(MakeDllVersion(0x12345, 0x10001), 0x23450001u);
  DLLVERSIONINFO info;
  for (const char* dll : {"vd-no-such-library.dll", "kernel32.dll"}) {
    FillMemory(&info, sizeof info, 0xCC);
    EXPECT_FALSE(GetDllVersion(dll, info)) << dll;
    EXPECT_EQ(info.cbSize | info.dwMajorVersion | info.dwPlatformID, 0u) << "the record is zero-filled";
    EXPECT_EQ(DllVersionOf(dll), 0u);
  }
  ASSERT_TRUE(GetDllVersion("shell32.dll", info));
  EXPECT_EQ(info.cbSize, 20u);
  EXPECT_GE(info.dwMajorVersion, 6u);
  EXPECT_EQ(GetShell32Version(), MakeDllVersion(info.dwMajorVersion, info.dwMinorVersion));
}

TEST(Bindings, ImageListEntryFromShell32SixOnAndShlwapiByNameAndOrdinal) {
  EXPECT_FALSE(ShouldBindImageList(MakeDllVersion(5, 0xFFFF)));
  EXPECT_TRUE(ShouldBindImageList(MakeDllVersion(6, 0)));
  HMODULE shell32 = GetModuleHandleA("shell32.dll");
  TNxShell32Binding old, current, missing;
  old.Bind("shell32.dll", MakeDllVersion(5, 0));
  current.Bind("shell32.dll", MakeDllVersion(6, 0));
  missing.Bind("vd-no-such-library.dll", MakeDllVersion(6, 0));
  EXPECT_EQ(old.SHGetImageList(), nullptr);
  EXPECT_EQ(old.Ordinal716(), GetProcAddress(shell32, MAKEINTRESOURCEA(716)));
  EXPECT_NE(old.PathCleanupSpec(), nullptr);
  EXPECT_EQ(reinterpret_cast<FARPROC>(current.SHGetImageList()), GetProcAddress(shell32, MAKEINTRESOURCEA(727)));
  EXPECT_FALSE(missing.Loaded());
  EXPECT_EQ(missing.PathCleanupSpec(), nullptr);

  // The unit's binding serves the real system image list.
  const IID iidImageList = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};
  IImageList* list = nullptr;
  ASSERT_NE(NxShell32().SHGetImageList(), nullptr);
  ASSERT_TRUE(SUCCEEDED(NxShell32().SHGetImageList()(1 /* small */, iidImageList, reinterpret_cast<void**>(&list))));
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(list), &cx, &cy));
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
  list->Release();

  EXPECT_TRUE(ShlwapiBound());
  EXPECT_EQ(NxShlwapi().Entry(seOrdinal353), GetProcAddress(GetModuleHandleA("shlwapi.dll"), MAKEINTRESOURCEA(353)));
  TNxShlwapiBinding none;
  none.Bind("vd-no-such-library.dll");
  EXPECT_FALSE(none.Bound());
  EXPECT_EQ(none.SHDeleteEmptyKeyA(), nullptr);
}

TEST(UnitStartUp, BaseUnitsInOrderThenClipboardFormatsRegistered) {
  EnsureUnitsStarted();
  std::vector<std::string> nx;
  for (const auto& n : ModuleUnits().StartedNames())
    if (n.rfind("Nx", 0) == 0) nx.push_back(n);
  EXPECT_EQ(nx, (std::vector<std::string>{"NxShLwApi", "NxPIDLTools", "NxTools"}));
  const char* names[] = {"NxCF_PrivateFormat",  "Shell IDList Array",   "InShellDragLoop", "FileContents",
                         "FileGroupDescriptor", "Preferred DropEffect", "Performed DropEffect", "Paste Succeeded"};
  for (int i = 0; i < ncfCount; ++i) {
    EXPECT_STREQ(NxClipboardFormatName(TNxClipboardFormat(i)), names[i]);
    EXPECT_EQ(NxClipboardFormat(TNxClipboardFormat(i)), RegisterClipboardFormatA(names[i]));
  }
}

TEST(GlobalLock, RecursiveForTheHolderExclusiveAcrossThreadsAbsentAfterShutdown) {
  EnterGlobalLock();
  EnterGlobalLock();
  {
    Contender other;
    EXPECT_FALSE(other.Entered(150));
    LeaveGlobalLock();
    EXPECT_FALSE(other.Entered(150)) << "still held once";
    LeaveGlobalLock();
    EXPECT_TRUE(other.Entered(2000));
  }
  NxToolsFinalize();
  EnterGlobalLock();  // no lock: nothing happens
  {
    Contender other;
    EXPECT_TRUE(other.Entered(2000));
  }
  LeaveGlobalLock();
  EXPECT_EQ(NxShell32().SHGetImageList(), nullptr);
  NxToolsInitialize();
  EXPECT_NE(NxShell32().SHGetImageList(), nullptr);
}
