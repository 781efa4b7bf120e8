// NxTools and NxShLwApi: extension normalising, DLL versions and bindings, clipboard formats,
// the global lock and the units' start-up order.
#include <windows.h>
#include <commctrl.h>
#include <commoncontrols.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "classlib/UnitInit.h"
#include "nx/NxShLwApi.h"
#include "nx/NxTools.h"

namespace {
// The definition as first written: recursion on the text behind the first dot.
std::string RecursiveLastExtension(const std::string& s) {
  size_t p = s.find('.');
  if (p != std::string::npos && p + 1 < s.size()) return RecursiveLastExtension(s.substr(p + 1));
  return s;
}
}  // namespace

TEST(GetLastExtension, Table) {
  const std::pair<const char*, const char*> cases[] = {
      {"txt", "txt"},         {".txt", "txt"},   {"*.txt", "txt"},   {"a.b.txt", "txt"}, {"x.tar.gz", "gz"},
      {"noext", "noext"},     {"abc.", "abc."},  {"a.b.", "b."},     {"trailing.", "trailing."},
      {"", ""},               {".", "."},        {"..", "."},        {"a..b", "b"},      {"..txt", "txt"},
      {"C:\\dir.x\\file", "x\\file"},
  };
  for (auto [in, out] : cases) EXPECT_EQ(GetLastExtension(in), out) << '"' << in << '"';
}

TEST(GetLastExtension, AgreesWithTheRecursiveDefinitionOnEveryShortText) {
  const char alphabet[] = {'.', 'a', 'b'};
  for (int len = 0; len <= 9; ++len) {
    int total = 1;
    for (int i = 0; i < len; ++i) total *= 3;
    for (int code = 0; code < total; ++code) {
      std::string s;
      for (int i = 0, c = code; i < len; ++i, c /= 3) s += alphabet[c % 3];
      ASSERT_EQ(GetLastExtension(s), RecursiveLastExtension(s)) << '"' << s << '"';
    }
  }
}

TEST(GetLastExtension, LongRunsOfDotsDoNotExhaustTheStack) {
  std::string dots(2000000, '.');
  EXPECT_EQ(GetLastExtension(dots), ".");
  EXPECT_EQ(GetLastExtension(dots + "ext"), "ext");
}

TEST(DllVersion, MakeDllVersionTakesSixteenBitsOfEach) {
  EXPECT_EQ(MakeDllVersion(6, 0), 0x00060000u);
  EXPECT_EQ(MakeDllVersion(5, 50), 0x00050032u);
  EXPECT_EQ(MakeDllVersion(0x12345, 0x10001), 0x23450001u);
}

TEST(DllVersion, MissingLibraryOrExportGivesFalseAndAZeroRecord) {
  DLLVERSIONINFO info;
  FillMemory(&info, sizeof info, 0xCC);
  EXPECT_FALSE(GetDllVersion("vd-no-such-library.dll", info));
  EXPECT_EQ(info.cbSize, 0u);
  EXPECT_EQ(info.dwMajorVersion, 0u);
  EXPECT_EQ(info.dwPlatformID, 0u);
  FillMemory(&info, sizeof info, 0xCC);
  EXPECT_FALSE(GetDllVersion("kernel32.dll", info));
  EXPECT_EQ(info.dwMajorVersion, 0u);
  EXPECT_EQ(DllVersionOf("vd-no-such-library.dll"), 0u);
  EXPECT_EQ(DllVersionOf("kernel32.dll"), 0u);
}

TEST(DllVersion, Shell32IsReadAndCached) {
  DLLVERSIONINFO info;
  ASSERT_TRUE(GetDllVersion("shell32.dll", info));
  EXPECT_EQ(info.cbSize, 20u);
  EXPECT_GE(info.dwMajorVersion, 6u);
  EXPECT_EQ(GetShell32Version(), MakeDllVersion(info.dwMajorVersion, info.dwMinorVersion));
  EXPECT_EQ(GetShell32Version(), GetShell32Version());
}

TEST(Shell32Binding, ImageListEntryOnlyFromVersionSix) {
  EXPECT_FALSE(ShouldBindImageList(0));
  EXPECT_FALSE(ShouldBindImageList(MakeDllVersion(4, 72)));
  EXPECT_FALSE(ShouldBindImageList(MakeDllVersion(5, 0xFFFF)));
  EXPECT_TRUE(ShouldBindImageList(MakeDllVersion(6, 0)));
  EXPECT_TRUE(ShouldBindImageList(MakeDllVersion(6, 1)));
  EXPECT_TRUE(ShouldBindImageList(MakeDllVersion(10, 0)));

  HMODULE shell32 = LoadLibraryA("shell32.dll");
  FARPROC ordinal727 = GetProcAddress(shell32, MAKEINTRESOURCEA(727));
  {
    TNxShell32Binding old;
    old.Bind("shell32.dll", MakeDllVersion(5, 0));
    EXPECT_TRUE(old.Loaded());
    EXPECT_EQ(old.SHGetImageList(), nullptr);
    EXPECT_NE(old.PathCleanupSpec(), nullptr);
    EXPECT_EQ(old.Ordinal660(), GetProcAddress(shell32, MAKEINTRESOURCEA(660)));
    EXPECT_EQ(old.Ordinal716(), GetProcAddress(shell32, MAKEINTRESOURCEA(716)));

    TNxShell32Binding current;
    current.Bind("shell32.dll", MakeDllVersion(6, 0));
    EXPECT_EQ(reinterpret_cast<FARPROC>(current.SHGetImageList()), ordinal727);

    TNxShell32Binding missing;
    missing.Bind("vd-no-such-library.dll", MakeDllVersion(6, 0));
    EXPECT_FALSE(missing.Loaded());
    EXPECT_EQ(missing.SHGetImageList(), nullptr);
    EXPECT_EQ(missing.PathCleanupSpec(), nullptr);
  }
  FreeLibrary(shell32);
}

TEST(Shell32Binding, TheUnitsBindingServesTheSystemImageList) {
  TSHGetImageList getImageList = NxShell32().SHGetImageList();
  ASSERT_NE(getImageList, nullptr);
  const IID iidImageList = {0x46EB5926, 0x582E, 0x4017, {0x9F, 0xDF, 0xE8, 0x99, 0x8D, 0xAA, 0x09, 0x50}};
  IImageList* list = nullptr;
  ASSERT_TRUE(SUCCEEDED(getImageList(1 /* small icons */, iidImageList, reinterpret_cast<void**>(&list))));
  int cx = 0, cy = 0;
  EXPECT_TRUE(ImageList_GetIconSize(reinterpret_cast<HIMAGELIST>(list), &cx, &cy));
  EXPECT_EQ(cx, GetSystemMetrics(SM_CXSMICON));
  list->Release();
}

TEST(ShlwapiBinding, BindsByNameAndOrdinalAndRecordsFailure) {
  EXPECT_TRUE(ShlwapiBound());
  EXPECT_NE(NxShlwapi().SHDeleteEmptyKeyA(), nullptr);

  TNxShlwapiBinding b;
  b.Bind("shlwapi.dll");
  HMODULE shlwapi = GetModuleHandleA("shlwapi.dll");
  ASSERT_TRUE(b.Bound());
  EXPECT_EQ(b.Entry(sePathMatchSpecA), GetProcAddress(shlwapi, "PathMatchSpecA"));
  EXPECT_EQ(b.Entry(seOrdinal353), GetProcAddress(shlwapi, MAKEINTRESOURCEA(353)));
  EXPECT_EQ(b.Entry(seUrlCanonicalizeA), GetProcAddress(shlwapi, "UrlCanonicalizeA"));

  TNxShlwapiBinding none;
  none.Bind("vd-no-such-library.dll");
  EXPECT_FALSE(none.Bound());
  for (int i = 0; i < seShlwapiEntryCount; ++i) EXPECT_EQ(none.Entry(TNxShlwapiEntry(i)), nullptr);
}

TEST(ClipboardFormats, RegisteredInTableOrderUnderTheirNames) {
  const char* names[] = {"NxCF_PrivateFormat",  "Shell IDList Array",   "InShellDragLoop",
                         "FileContents",        "FileGroupDescriptor",  "Preferred DropEffect",
                         "Performed DropEffect", "Paste Succeeded"};
  for (int i = 0; i < ncfCount; ++i) {
    auto f = TNxClipboardFormat(i);
    EXPECT_STREQ(NxClipboardFormatName(f), names[i]);
    EXPECT_NE(NxClipboardFormat(f), 0u);
    EXPECT_EQ(NxClipboardFormat(f), RegisterClipboardFormatA(names[i]));
  }
}

TEST(UnitOrder, BaseNxUnitsStartOnFirstUseInTheirOrder) {
  EnsureUnitsStarted();
  auto names = ModuleUnits().StartedNames();
  std::vector<std::string> expected = {"NxShLwApi", "NxPIDLTools", "NxTools"};
  std::vector<std::string> nx;
  for (const auto& n : names)
    if (n.rfind("Nx", 0) == 0) nx.push_back(n);
  ASSERT_GE(nx.size(), 3u);
  nx.resize(3);
  EXPECT_EQ(nx, expected);
}

namespace {
// True when another thread gets the global lock within the time given. A thread that didn't get
// it is left to finish on its own once the lock is free.
bool OtherThreadEnters(std::chrono::milliseconds wait) {
  auto entered = std::make_shared<std::atomic<bool>>(false);
  std::thread t([entered] {
    EnterGlobalLock();
    *entered = true;
    LeaveGlobalLock();
  });
  auto until = std::chrono::steady_clock::now() + wait;
  while (!*entered && std::chrono::steady_clock::now() < until) Sleep(5);
  const bool result = *entered;
  if (result)
    t.join();
  else
    t.detach();
  return result;
}
}  // namespace

TEST(GlobalLock, RecursiveForTheHolderAndExclusiveAcrossThreads) {
  EnterGlobalLock();
  EnterGlobalLock();  // the holder may take it again
  std::atomic<bool> entered{false};
  std::thread waiter([&] {
    EnterGlobalLock();
    entered = true;
    LeaveGlobalLock();
  });
  Sleep(150);
  EXPECT_FALSE(entered);
  LeaveGlobalLock();
  Sleep(150);
  EXPECT_FALSE(entered) << "still held once";
  LeaveGlobalLock();
  waiter.join();
  EXPECT_TRUE(entered);
  EXPECT_TRUE(OtherThreadEnters(std::chrono::milliseconds(2000)));
}

TEST(GlobalLock, DoesNothingAfterShutdownAndWorksAgainAfterStartUp) {
  EnsureUnitsStarted();
  NxToolsFinalize();
  EnterGlobalLock();  // no lock: nothing to enter
  EXPECT_TRUE(OtherThreadEnters(std::chrono::milliseconds(2000)));
  LeaveGlobalLock();
  EXPECT_EQ(NxShell32().SHGetImageList(), nullptr);
  NxToolsInitialize();
  EXPECT_NE(NxShell32().SHGetImageList(), nullptr);
  EnterGlobalLock();
  EXPECT_FALSE(OtherThreadEnters(std::chrono::milliseconds(200)));
  LeaveGlobalLock();
  Sleep(50);  // the detached thread above finishes once the lock is free
}
