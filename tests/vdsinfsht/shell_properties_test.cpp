// The real shell: the Properties dialog of a .vds file, opened through the "properties" command of
// the file's context menu, shows the "Script Info" page. The shell's sheet is modal, so a watcher
// thread finds it, reads the page and cancels it; a watchdog ends the program if the sheet never
// comes or never goes.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "tests/vdsinfsht/PageHarness.h"
#include "tests/vdsinfsht/VdsTestSupport.h"
#include "tests/vdsinfsht/Watchdog.h"

namespace {

const std::vector<std::string> kHello = {"Ann Author", "1.2.3", "Says hello", "Hello World", "Prints a greeting"};

struct FindSheet {
  std::string TitlePart;
  HWND Found = nullptr;
};

BOOL CALLBACK FindSheetWindow(HWND Wnd, LPARAM Param) {
  auto* find = reinterpret_cast<FindSheet*>(Param);
  DWORD pid = 0;
  GetWindowThreadProcessId(Wnd, &pid);
  if (pid != GetCurrentProcessId() || !IsWindowVisible(Wnd)) return TRUE;
  if (ScriptSheet::WindowText(Wnd).find(find->TitlePart) == std::string::npos) return TRUE;
  if (!SendMessageA(Wnd, PSM_GETTABCONTROL, 0, 0)) return TRUE;
  find->Found = Wnd;
  return FALSE;
}

// Selects the tab captioned Caption; false when the sheet has none.
bool SelectTab(HWND Sheet, const std::string& Caption) {
  HWND tab = reinterpret_cast<HWND>(SendMessageA(Sheet, PSM_GETTABCONTROL, 0, 0));
  int count = static_cast<int>(SendMessageA(tab, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    char text[256] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (SendMessageA(tab, TCM_GETITEMA, i, reinterpret_cast<LPARAM>(&item)) && Caption == text) {
      SendMessageA(Sheet, PSM_SETCURSEL, i, 0);
      return true;
    }
  }
  return false;
}

// The file's context menu from its folder, as the shell builds it, and its "properties" command.
HRESULT InvokeProperties(const std::string& Path) {
  std::wstring wide(Path.begin(), Path.end());
  LPITEMIDLIST absolute = nullptr;
  HRESULT hr = SHParseDisplayName(wide.c_str(), nullptr, &absolute, 0, nullptr);
  if (FAILED(hr)) return hr;
  TComPtr<IShellFolder> folder;
  LPCITEMIDLIST child = nullptr;
  hr = SHBindToParent(absolute, IID_IShellFolder, folder.ReceiveVoid(), &child);
  TComPtr<IContextMenu> menu;
  if (SUCCEEDED(hr)) hr = folder->GetUIObjectOf(nullptr, 1, &child, IID_IContextMenu, nullptr, menu.ReceiveVoid());
  HMENU popup = CreatePopupMenu();
  if (SUCCEEDED(hr)) hr = menu->QueryContextMenu(popup, 0, 1, 0x7FFF, CMF_NORMAL);
  if (SUCCEEDED(hr)) {
    CMINVOKECOMMANDINFO command{};
    command.cbSize = sizeof command;
    command.lpVerb = "properties";
    command.nShow = SW_SHOWNORMAL;
    hr = menu->InvokeCommand(&command);
  }
  DestroyMenu(popup);
  CoTaskMemFree(absolute);
  return hr;
}

class ShellProperties : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Loaded());
    AppPathsGuard::Set(product_.ExePath());
    ScopedRegKey ext;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, ".vds", 0, nullptr, 0, KEY_WRITE, nullptr, ext.receive(), nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(ext.get(), "", 0, REG_SZ, reinterpret_cast<const BYTE*>("vdsfile"), 8);
    ASSERT_EQ(server_.RegisterServer(), S_OK);
  }
  void TearDown() override {
    EXPECT_EQ(server_.UnregisterServer(), S_OK);
    RegDeleteKeyA(HKEY_CLASSES_ROOT, ".vds");
  }

  Watchdog watchdog_{90000, "the shell's Properties dialog"};
  ApartmentThread com_;
  AppPathsGuard appPaths_;
  ProductFolder product_{VDSCMPLR_DLL};
  ScriptInfoServer server_{WindowsPathOfUnix(VDSINFSHT_DLL)};
};

TEST_F(ShellProperties, TheFilesContextMenuShowsTheScriptInfoPage) {
  std::string script = product_.Script("hello.vds", ScriptLines(kHello[0], kHello[1], kHello[2], kHello[3], kHello[4]));

  std::atomic<bool> sheetSeen{false}, tabFound{false}, watcherDone{false};
  PageView view;
  auto watch = [&] {
    FindSheet find{"hello.vds"};
    for (DWORD start = GetTickCount(); GetTickCount() - start < 45000 && !find.Found; Sleep(100))
      EnumWindows(&FindSheetWindow, reinterpret_cast<LPARAM>(&find));
    if (!find.Found) return;
    sheetSeen = true;
    Sleep(300);  // let the sheet finish its pages
    if (SelectTab(find.Found, "Script Info")) {
      tabFound = true;
      // The page and its form are made when the tab is first selected.
      for (DWORD start = GetTickCount(); GetTickCount() - start < 10000 && view.Group.empty(); Sleep(100))
        view = ScriptSheet::ReadSheet(find.Found);
    }
    PostMessageA(find.Found, WM_COMMAND, IDCANCEL, 0);
  };

  std::thread watcher([&] {
    watch();
    watcherDone = true;
  });

  HRESULT invoked = InvokeProperties(script);
  // A shell that shows the sheet without blocking: keep this thread's messages flowing meanwhile.
  while (!watcherDone) ScriptSheet::Pump(50);
  watcher.join();
  ScriptSheet::Pump();

  EXPECT_EQ(invoked, S_OK);
  ASSERT_TRUE(sheetSeen) << "no Properties dialog of hello.vds appeared";
  ASSERT_TRUE(tabFound) << "the Properties dialog has no \"Script Info\" page";
  EXPECT_EQ(view.Tab, "Script Info");
  EXPECT_EQ(view.Group, "hello.vds");
  EXPECT_EQ(view.Fields, kHello);
  // No DllCanUnloadNow check here: this shell keeps one reference on every property-sheet handler
  // it initialised (a handler that adds no page at all is left with one too). The page tests
  // check it with a host that releases everything.
}

}  // namespace
