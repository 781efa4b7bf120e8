// VDSInfSht.dll loaded into the test program and driven as the shell drives it: class object,
// IShellExtInit with a drop list, IShellPropSheetExt::AddPages, and a modeless property sheet made
// from the pages; then the page's windows are read back (tab text, group caption, fields, styles
// and geometry).
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <prsht.h>
#include <shlobj.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classlib/ComServ.h"
#include "tests/nx/test_data_object.h"

// The page extension's class.
inline constexpr GUID kScriptInfoClsid = {0x8C7A22A4, 0x7CEE, 0x4003, {0x89, 0xFA, 0xFE, 0xC0, 0x75, 0xBC, 0xD7, 0xF7}};
inline constexpr char kScriptInfoClsidText[] = "{8C7A22A4-7CEE-4003-89FA-FEC075BCD7F7}";

class ScriptInfoServer {
public:
  using TGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  using TNoArgs = HRESULT(WINAPI*)();

  explicit ScriptInfoServer(const std::string& Path) : library_(LoadLibraryA(Path.c_str())) {
    if (!library_) return;
    GetClassObject = reinterpret_cast<TGetClassObject>(GetProcAddress(library_, "DllGetClassObject"));
    CanUnloadNow = reinterpret_cast<TNoArgs>(GetProcAddress(library_, "DllCanUnloadNow"));
    RegisterServer = reinterpret_cast<TNoArgs>(GetProcAddress(library_, "DllRegisterServer"));
    UnregisterServer = reinterpret_cast<TNoArgs>(GetProcAddress(library_, "DllUnregisterServer"));
  }
  ~ScriptInfoServer() {
    if (library_) FreeLibrary(library_);
  }
  ScriptInfoServer(const ScriptInfoServer&) = delete;
  ScriptInfoServer& operator=(const ScriptInfoServer&) = delete;

  bool Loaded() const { return library_ && GetClassObject && CanUnloadNow && RegisterServer && UnregisterServer; }
  std::string FileName() const {
    char path[MAX_PATH] = "";
    GetModuleFileNameA(library_, path, MAX_PATH);
    return path;
  }

  TGetClassObject GetClassObject = nullptr;
  TNoArgs CanUnloadNow = nullptr, RegisterServer = nullptr, UnregisterServer = nullptr;

private:
  HMODULE library_;
};

// What one "Script Info" page shows. Geometry in the parent's client coordinates.
struct PageView {
  std::string Tab;
  int TabImage = 0;
  std::string Group;
  std::vector<std::string> Fields;  // top to bottom: author, version, comments, display name, description
  std::vector<LONG> FieldStyles;
  RECT FormClient{};
  RECT GroupRect{};
  std::vector<RECT> FieldRects;  // in the group box
};

class ScriptSheet {
public:
  // Initialize with the files as a drop list, AddPages, then a modeless sheet of the pages; its
  // messages are handled for PumpMs (also when it closes).
  ScriptSheet(ScriptInfoServer& Server, const std::vector<std::string>& Files, DWORD PumpMs = 100) : pumpMs_(PumpMs) {
    TComPtr<IClassFactory> factory;
    if (FAILED(Server.GetClassObject(kScriptInfoClsid, IID_IClassFactory, factory.ReceiveVoid()))) return;
    TComPtr<IShellExtInit> init;
    if (FAILED(factory->CreateInstance(nullptr, IID_IShellExtInit, init.ReceiveVoid()))) return;
    nxtest::TTestDataObject data;
    data.Offer(CF_HDROP, nxtest::MakeDropList(Files));
    InitResult = init->Initialize(nullptr, &data, nullptr);
    TComPtr<IShellPropSheetExt> ext;
    if (FAILED(init->QueryInterface(IID_IShellPropSheetExt, ext.ReceiveVoid()))) return;
    AddPagesResult = ext->AddPages(&CollectPage, reinterpret_cast<LPARAM>(&pages_));
    if (pages_.empty()) return;

    PROPSHEETHEADERA header{};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_MODELESS | PSH_NOAPPLYNOW | PSH_PROPTITLE;
    header.pszCaption = "script";
    header.nPages = static_cast<UINT>(pages_.size());
    header.phpage = pages_.data();
    Sheet = reinterpret_cast<HWND>(PropertySheetA(&header));
    Pump(pumpMs_);
  }
  ~ScriptSheet() { Close(); }
  ScriptSheet(const ScriptSheet&) = delete;
  ScriptSheet& operator=(const ScriptSheet&) = delete;

  void Close() {
    if (Sheet) DestroyWindow(Sheet);
    Sheet = nullptr;
    Pump(pumpMs_);
  }
  int PageCount() const { return static_cast<int>(pages_.size()); }
  HWND Page() const { return PageOf(Sheet); }
  HWND Form() const { return FormOf(Sheet); }
  PageView Read() const { return ReadSheet(Sheet); }

  static HWND PageOf(HWND Sheet) {
    return Sheet ? reinterpret_cast<HWND>(SendMessageA(Sheet, PSM_GETCURRENTPAGEHWND, 0, 0)) : nullptr;
  }
  // The page form: the page's child window that holds the group box of fields.
  static HWND FormOf(HWND Sheet) {
    HWND page = PageOf(Sheet);
    for (HWND child = page ? GetWindow(page, GW_CHILD) : nullptr; child; child = GetWindow(child, GW_HWNDNEXT))
      if (GroupOf(child)) return child;
    return nullptr;
  }
  // The group box: the form's child window that holds the fields.
  static HWND GroupOf(HWND Form) {
    for (HWND child = GetWindow(Form, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (FindChild(child, "Edit")) return child;
    return nullptr;
  }
  // The tab of the current page and what the page shows (any sheet of this process).
  static PageView ReadSheet(HWND Sheet) {
    PageView view;
    HWND tab = reinterpret_cast<HWND>(SendMessageA(Sheet, PSM_GETTABCONTROL, 0, 0));
    int current = tab ? static_cast<int>(SendMessageA(tab, TCM_GETCURSEL, 0, 0)) : -1;
    char text[256] = "";
    TCITEMA item{};
    item.mask = TCIF_TEXT | TCIF_IMAGE;
    item.pszText = text;
    item.cchTextMax = sizeof text;
    if (tab && current >= 0 && SendMessageA(tab, TCM_GETITEMA, current, reinterpret_cast<LPARAM>(&item))) {
      view.Tab = text;
      view.TabImage = item.iImage;
    }
    HWND form = FormOf(Sheet);
    if (!form) return view;
    GetClientRect(form, &view.FormClient);
    HWND group = GroupOf(form);
    view.Group = WindowText(group);
    view.GroupRect = RectIn(group, form);
    std::vector<HWND> edits;
    for (HWND child = GetWindow(group, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (ClassOf(child) == "edit") edits.push_back(child);
    std::sort(edits.begin(), edits.end(), [group](HWND a, HWND b) { return RectIn(a, group).top < RectIn(b, group).top; });
    for (HWND edit : edits) {
      view.Fields.push_back(WindowText(edit));
      view.FieldStyles.push_back(GetWindowLongA(edit, GWL_STYLE));
      view.FieldRects.push_back(RectIn(edit, group));
    }
    return view;
  }

  // Handles this thread's pending messages for a moment.
  static void Pump(DWORD Ms = 100) {
    DWORD end = GetTickCount() + Ms;
    do {
      MSG msg;
      while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      Sleep(5);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
  }

  static std::string WindowText(HWND Wnd) {
    char text[512] = "";
    GetWindowTextA(Wnd, text, sizeof text);
    return text;
  }
  static std::string ClassOf(HWND Wnd) {
    char name[128] = "";
    GetClassNameA(Wnd, name, sizeof name);
    std::string s = name;
    for (char& c : s) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return s;
  }
  static HWND FindChild(HWND Parent, const std::string& ClassName) {
    std::string wanted = ClassName;
    for (char& c : wanted) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    for (HWND child = GetWindow(Parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
      if (ClassOf(child) == wanted) return child;
    return nullptr;
  }
  static RECT RectIn(HWND Wnd, HWND Parent) {
    RECT r{};
    GetWindowRect(Wnd, &r);
    MapWindowPoints(nullptr, Parent, reinterpret_cast<POINT*>(&r), 2);
    return r;
  }

  HWND Sheet = nullptr;
  HRESULT InitResult = E_UNEXPECTED;
  HRESULT AddPagesResult = E_UNEXPECTED;

private:
  static BOOL CALLBACK CollectPage(HPROPSHEETPAGE Page, LPARAM Param) {
    reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(Param)->push_back(Page);
    return TRUE;
  }
  std::vector<HPROPSHEETPAGE> pages_;
  DWORD pumpMs_;
};

// COM on this thread for the life of the object (apartment, as the shell's UI threads).
struct ApartmentThread {
  ApartmentThread() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
  ~ApartmentThread() { CoUninitialize(); }
};
