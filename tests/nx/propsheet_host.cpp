// propsheet-host: shows the property-sheet pages of a shell extension library for one file, the way
// the shell does, reports what the sheet holds and closes it again through a watchdog.
//
//   propsheet-host.exe <library> <file> [--via registry|direct|shell] [--clsid {GUID}] [--dump]
//                      [--apply] [--ok] [--page N] [--bmp out.bmp] [--timeout seconds]
//
//   --via registry  (default) CoCreateInstance of every property-sheet handler registered for the
//                   file's type whose InprocServer32 is <library> (or of --clsid);
//   --via direct    the library's DllGetClassObject, without the registry (needs --clsid unless the
//                   handler is registered);
//   --via shell     the shell's own way: the file's context menu, verb "properties"; the shell
//                   loads the handlers from the registry and shows "Properties for <file>".
// The extension gets IShellExtInit::Initialize with the shell's data object of the file ("Shell
// IDList Array" and CF_HDROP) and the parent folder, then AddPages; the host shows the pages with
// PropertySheetA. A watchdog thread finds the sheet, reports its caption and tabs, visits every page
// (--dump prints each page's window tree), presses Apply when asked (--apply, then dumps the current
// page again), captures the sheet showing page --page (default the library's first) with
// PrintWindow, or from the screen where PrintWindow leaves the child windows out (--bmp), and closes
// it with Cancel (or OK with --ok). Whatever hangs is ended: the process exits with 3 after
// --timeout seconds (default 30).
//
// Output, one fact per line: "handler", "data", "initialize", "addpages", "sheet", "tab", "page",
// "window", "apply", "bmp", "closed", "DllCanUnloadNow". Exit code 0 when a sheet with at least one
// tab was shown and closed, 1 for a usage or creation fault, 2 when no sheet came, 3 when the
// watchdog had to end the process.
#include <windows.h>
#include <commctrl.h>
#include <objbase.h>
#include <ole2.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>
#include <vector>

namespace {

// ---- Output ------------------------------------------------------------------------------------------------

std::mutex g_outLock;

void Say(const char* Format, ...) {
  std::lock_guard<std::mutex> Guard(g_outLock);
  va_list Args;
  va_start(Args, Format);
  vprintf(Format, Args);
  va_end(Args);
  putchar('\n');
  fflush(stdout);
}

std::string HResultText(HRESULT Result) {
  switch (Result) {
    case S_OK: return "S_OK";
    case S_FALSE: return "S_FALSE";
    case E_FAIL: return "E_FAIL";
    case E_NOINTERFACE: return "E_NOINTERFACE";
    case CLASS_E_CLASSNOTAVAILABLE: return "CLASS_E_CLASSNOTAVAILABLE";
    case REGDB_E_CLASSNOTREG: return "REGDB_E_CLASSNOTREG";
  }
  char Buf[16];
  snprintf(Buf, sizeof Buf, "0x%08lX", static_cast<unsigned long>(Result));
  return Buf;
}

std::string GuidText(const GUID& Id) {
  char Buf[40];
  snprintf(Buf, sizeof Buf, "{%08lX-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", static_cast<unsigned long>(Id.Data1),
           Id.Data2, Id.Data3, Id.Data4[0], Id.Data4[1], Id.Data4[2], Id.Data4[3], Id.Data4[4], Id.Data4[5],
           Id.Data4[6], Id.Data4[7]);
  return Buf;
}

std::wstring Wide(const std::string& S) {
  std::wstring W(S.size() + 1, L'\0');
  W.resize(static_cast<size_t>(MultiByteToWideChar(CP_ACP, 0, S.c_str(), -1, W.data(), static_cast<int>(W.size()))));
  if (!W.empty()) W.pop_back();
  return W;
}

bool ParseGuid(const std::string& Text, GUID& Id) {
  return Text.size() == 38 && SUCCEEDED(IIDFromString(Wide(Text).c_str(), &Id));
}

// ---- Arguments ---------------------------------------------------------------------------------------------

struct TOptions {
  std::string Library;
  std::string File;
  std::string Via = "registry";
  std::vector<GUID> Classes;
  bool Dump = false;
  bool Apply = false;
  bool Ok = false;
  int Page = -1;  // -1: the first page of the library
  std::string Bitmap;
  DWORD TimeoutMs = 30000;
};

std::string FullPath(const std::string& Path) {
  char Buf[MAX_PATH];
  DWORD N = GetFullPathNameA(Path.c_str(), MAX_PATH, Buf, nullptr);
  return N > 0 && N < MAX_PATH ? std::string(Buf) : Path;
}

bool ParseArguments(int Argc, char** Argv, TOptions& Out) {
  std::vector<std::string> Positional;
  for (int I = 1; I < Argc; ++I) {
    std::string A = Argv[I];
    auto Next = [&](std::string& Value) {
      if (I + 1 >= Argc) return false;
      Value = Argv[++I];
      return true;
    };
    std::string Value;
    if (A == "--dump") Out.Dump = true;
    else if (A == "--apply") Out.Apply = true;
    else if (A == "--ok") Out.Ok = true;
    else if (A == "--via" && Next(Value) && (Value == "registry" || Value == "direct" || Value == "shell")) Out.Via = Value;
    else if (A == "--clsid" && Next(Value)) {
      GUID Id;
      if (!ParseGuid(Value, Id)) return false;
      Out.Classes.push_back(Id);
    } else if (A == "--page" && Next(Value)) Out.Page = atoi(Value.c_str());
    else if (A == "--bmp" && Next(Value)) Out.Bitmap = FullPath(Value);
    else if (A == "--timeout" && Next(Value)) Out.TimeoutMs = static_cast<DWORD>(atoi(Value.c_str())) * 1000;
    else if (!A.empty() && A[0] != '-') Positional.push_back(A);
    else return false;
  }
  if (Positional.size() != 2) return false;
  Out.Library = FullPath(Positional[0]);
  Out.File = FullPath(Positional[1]);
  return true;
}

// ---- Registry -----------------------------------------------------------------------------------------------

std::string ReadDefault(HKEY Root, const std::string& Key) {
  char Buf[1024];
  DWORD Size = sizeof Buf;
  if (RegGetValueA(Root, Key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, Buf, &Size) != ERROR_SUCCESS)
    return "";
  return Buf;
}

bool SamePath(const std::string& A, const std::string& B) {
  char LongA[MAX_PATH], LongB[MAX_PATH];
  if (!GetLongPathNameA(A.c_str(), LongA, MAX_PATH)) lstrcpynA(LongA, A.c_str(), MAX_PATH);
  if (!GetLongPathNameA(B.c_str(), LongB, MAX_PATH)) lstrcpynA(LongB, B.c_str(), MAX_PATH);
  return lstrcmpiA(LongA, LongB) == 0;
}

// The file's type: the default value of HKCR\.<ext>; empty when it has none.
std::string FileTypeOf(const std::string& File) {
  const char* Ext = PathFindExtensionA(File.c_str());
  return *Ext ? ReadDefault(HKEY_CLASSES_ROOT, Ext) : "";
}

// The property-sheet handlers of the type that the library serves, in key order.
std::vector<GUID> RegisteredHandlers(const std::string& Type, const std::string& Library) {
  std::vector<GUID> Result;
  if (Type.empty()) return Result;
  const std::string Handlers = Type + "\\shellex\\PropertySheetHandlers";
  HKEY Key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, Handlers.c_str(), 0, KEY_READ, &Key) != ERROR_SUCCESS) return Result;
  char Name[256];
  for (DWORD I = 0;; ++I) {
    DWORD Size = sizeof Name;
    if (RegEnumKeyExA(Key, I, Name, &Size, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    GUID Id;
    std::string Text = ReadDefault(HKEY_CLASSES_ROOT, Handlers + "\\" + Name);
    if (!ParseGuid(Text, Id) && !ParseGuid(Name, Id)) continue;
    if (SamePath(ReadDefault(HKEY_CLASSES_ROOT, "CLSID\\" + GuidText(Id) + "\\InprocServer32"), Library))
      Result.push_back(Id);
  }
  RegCloseKey(Key);
  return Result;
}

// ---- The shell's view of the file -----------------------------------------------------------------------------

struct TShellItem {
  LPITEMIDLIST Absolute = nullptr;
  LPITEMIDLIST Folder = nullptr;
  IShellFolder* Parent = nullptr;
  LPCITEMIDLIST Child = nullptr;
  ~TShellItem() {
    if (Parent) Parent->Release();
    CoTaskMemFree(Folder);
    CoTaskMemFree(Absolute);
  }
  bool Open(const std::string& File) {
    if (FAILED(SHParseDisplayName(Wide(File).c_str(), nullptr, &Absolute, 0, nullptr))) return false;
    if (FAILED(SHBindToParent(Absolute, IID_IShellFolder, reinterpret_cast<void**>(&Parent), &Child))) return false;
    Folder = ILClone(Absolute);
    return Folder && ILRemoveLastID(Folder);
  }
};

void ReportFormats(IDataObject* Data) {
  auto Offers = [Data](CLIPFORMAT Format) {
    FORMATETC Fmt = {Format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
    return Data->QueryGetData(&Fmt) == S_OK;
  };
  std::string Line = "data";
  if (Offers(static_cast<CLIPFORMAT>(RegisterClipboardFormatA(CFSTR_SHELLIDLIST)))) Line += " \"Shell IDList Array\"";
  if (Offers(CF_HDROP)) Line += " CF_HDROP";
  Say("%s", Line.c_str());
}

// ---- The watchdog -----------------------------------------------------------------------------------------------

struct TWatch {
  const TOptions* Options = nullptr;
  int FirstLibraryPage = 0;  // index of the library's first tab (the shell puts its own first)
  HANDLE Done = nullptr;     // set by the main thread when the sheet is over
  volatile bool SawSheet = false;
};

struct TFindSheet {
  HWND Found = nullptr;
};

BOOL CALLBACK FindSheetWindow(HWND Wnd, LPARAM LParam) {
  DWORD Process = 0;
  GetWindowThreadProcessId(Wnd, &Process);
  char Class[32] = "";
  GetClassNameA(Wnd, Class, sizeof Class);
  if (Process == GetCurrentProcessId() && strcmp(Class, "#32770") == 0 && IsWindowVisible(Wnd) &&
      SendMessageA(Wnd, PSM_GETTABCONTROL, 0, 0) != 0) {
    reinterpret_cast<TFindSheet*>(LParam)->Found = Wnd;
    return FALSE;
  }
  return TRUE;
}

std::string WindowText(HWND Wnd) {
  char Buf[512] = "";
  SendMessageA(Wnd, WM_GETTEXT, sizeof Buf, reinterpret_cast<LPARAM>(Buf));
  return Buf;
}

void DumpWindow(HWND Wnd, HWND Page, int Depth) {
  char Class[64] = "";
  GetClassNameA(Wnd, Class, sizeof Class);
  RECT R;
  GetWindowRect(Wnd, &R);
  MapWindowPoints(nullptr, Page, reinterpret_cast<POINT*>(&R), 2);
  const bool Visible = (GetWindowLongPtrA(Wnd, GWL_STYLE) & WS_VISIBLE) != 0;
  Say("%*swindow %s \"%s\" %ld,%ld %ldx%ld%s", Depth * 2, "", Class, WindowText(Wnd).c_str(), R.left, R.top,
      R.right - R.left, R.bottom - R.top, Visible ? "" : " hidden");
  for (HWND Child = GetWindow(Wnd, GW_CHILD); Child; Child = GetWindow(Child, GW_HWNDNEXT))
    DumpWindow(Child, Page, Depth + 1);
}

void DumpPage(HWND Sheet, int Index, const char* Label) {
  HWND Page = reinterpret_cast<HWND>(SendMessageA(Sheet, PSM_INDEXTOHWND, Index, 0));
  if (!Page) {
    Say("page %d %s: no window", Index, Label);
    return;
  }
  RECT R;
  GetClientRect(Page, &R);
  Say("page %d %s %ldx%ld", Index, Label, R.right, R.bottom);
  for (HWND Child = GetWindow(Page, GW_CHILD); Child; Child = GetWindow(Child, GW_HWNDNEXT)) DumpWindow(Child, Page, 1);
}

// Distinct colours of a 32-bit image, counted up to Limit.
int ColourCount(const DWORD* Pixels, size_t Count, int Limit) {
  std::vector<DWORD> Seen;
  for (size_t I = 0; I < Count && static_cast<int>(Seen.size()) < Limit; ++I) {
    const DWORD P = Pixels[I] & 0xFFFFFF;
    bool Known = false;
    for (DWORD S : Seen) Known = Known || S == P;
    if (!Known) Seen.push_back(P);
  }
  return static_cast<int>(Seen.size());
}

// The sheet as PrintWindow draws it; where that gives no more than a blank frame (Wine's PrintWindow
// leaves out the child windows), the sheet's pixels on the screen instead.
bool SaveBitmap(HWND Sheet, const std::string& Path) {
  RECT R;
  GetWindowRect(Sheet, &R);
  const int W = R.right - R.left, H = R.bottom - R.top;
  if (W <= 0 || H <= 0) return false;
  BITMAPINFO Info{};
  Info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  Info.bmiHeader.biWidth = W;
  Info.bmiHeader.biHeight = H;  // bottom-up, as BMP files store it
  Info.bmiHeader.biPlanes = 1;
  Info.bmiHeader.biBitCount = 32;
  Info.bmiHeader.biCompression = BI_RGB;
  void* Bits = nullptr;
  HDC Screen = GetDC(nullptr);
  HDC Memory = CreateCompatibleDC(Screen);
  HBITMAP Bitmap = CreateDIBSection(Screen, &Info, DIB_RGB_COLORS, &Bits, nullptr, 0);
  const size_t PixelCount = static_cast<size_t>(W) * static_cast<size_t>(H);
  const char* Method = "printwindow";
  bool Ok = false;
  if (Memory && Bitmap) {
    HGDIOBJ Old = SelectObject(Memory, Bitmap);
    Ok = PrintWindow(Sheet, Memory, 0) != FALSE;
    GdiFlush();
    if (!Ok || ColourCount(static_cast<const DWORD*>(Bits), PixelCount, 8) < 8) {
      SetForegroundWindow(Sheet);
      // Wine (unmanaged, under Xvfb) leaves the sheet's caption drawn inactive although the sheet is
      // the foreground window: the frame is drawn again as what it is.
      if (GetForegroundWindow() == Sheet) SendMessageA(Sheet, WM_NCACTIVATE, TRUE, 0);
      Sleep(300);
      Ok = BitBlt(Memory, 0, 0, W, H, Screen, R.left, R.top, SRCCOPY) != FALSE;
      GdiFlush();
      Method = "screen";
    }
    SelectObject(Memory, Old);
  }
  if (Ok) {
    const DWORD ImageSize = static_cast<DWORD>(PixelCount * 4);
    BITMAPFILEHEADER File{};
    File.bfType = 0x4D42;
    File.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
    File.bfSize = File.bfOffBits + ImageSize;
    FILE* Out = fopen(Path.c_str(), "wb");
    Ok = Out != nullptr;
    if (Out) {
      Ok = fwrite(&File, sizeof File, 1, Out) == 1 && fwrite(&Info.bmiHeader, sizeof(BITMAPINFOHEADER), 1, Out) == 1 &&
           fwrite(Bits, ImageSize, 1, Out) == 1;
      Ok = fclose(Out) == 0 && Ok;
    }
  }
  if (Ok) Say("bmp %s %dx%d %s colours=%d", Path.c_str(), W, H, Method,
              ColourCount(static_cast<const DWORD*>(Bits), PixelCount, 256));
  else Say("bmp %s failed", Path.c_str());
  if (Bitmap) DeleteObject(Bitmap);
  if (Memory) DeleteDC(Memory);
  ReleaseDC(nullptr, Screen);
  return Ok;
}

[[noreturn]] void EndProcess(const char* Why) {
  Say("watchdog: %s", Why);
  TerminateProcess(GetCurrentProcess(), 3);
  ExitProcess(3);
}

// Whatever hangs (a page, the shell, the watchdog's own messages) ends here.
DWORD WINAPI HardTimeout(void* Param) {
  TWatch& Watch = *static_cast<TWatch*>(Param);
  if (WaitForSingleObject(Watch.Done, Watch.Options->TimeoutMs) != WAIT_OBJECT_0) EndProcess("hard timeout");
  return 0;
}

DWORD WINAPI Watchdog(void* Param) {
  TWatch& Watch = *static_cast<TWatch*>(Param);
  const TOptions& Options = *Watch.Options;

  // Wait for the sheet (or for the main thread to finish without one).
  HWND Sheet = nullptr;
  while (!Sheet) {
    if (WaitForSingleObject(Watch.Done, 100) == WAIT_OBJECT_0) return 0;
    TFindSheet Find;
    EnumWindows(&FindSheetWindow, reinterpret_cast<LPARAM>(&Find));
    Sheet = Find.Found;
  }
  Watch.SawSheet = true;
  Sleep(200);  // let the sheet finish showing its first page
  Say("sheet \"%s\"", WindowText(Sheet).c_str());

  HWND Tabs = reinterpret_cast<HWND>(SendMessageA(Sheet, PSM_GETTABCONTROL, 0, 0));
  const int Count = static_cast<int>(SendMessageA(Tabs, TCM_GETITEMCOUNT, 0, 0));
  for (int I = 0; I < Count; ++I) {
    char Text[256] = "";
    TCITEMA Item{};
    Item.mask = TCIF_TEXT | TCIF_IMAGE;
    Item.pszText = Text;
    Item.cchTextMax = sizeof Text;
    SendMessageA(Tabs, TCM_GETITEMA, I, reinterpret_cast<LPARAM>(&Item));
    Say("tab %d \"%s\"%s", I, Text, Item.iImage >= 0 ? " icon" : "");
  }

  // Visit every page, so each one is made (and shown in the dump).
  for (int I = 0; I < Count; ++I) {
    const bool Selected = SendMessageA(Sheet, PSM_SETCURSEL, I, 0) != 0;
    if (!Selected) Say("page %d refused the selection", I);
    else if (Options.Dump) DumpPage(Sheet, I, "shown");
  }
  const int Shown = Options.Page >= 0 ? Options.Page : Watch.FirstLibraryPage;
  SendMessageA(Sheet, PSM_SETCURSEL, Shown, 0);

  if (Options.Apply) {
    SendMessageA(Sheet, PSM_PRESSBUTTON, PSBTN_APPLYNOW, 0);
    Say("apply pressed");
    if (Options.Dump) DumpPage(Sheet, Shown, "after-apply");
  }
  if (!Options.Bitmap.empty()) {
    RedrawWindow(Sheet, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    SaveBitmap(Sheet, Options.Bitmap);
  }

  PostMessageA(Sheet, PSM_PRESSBUTTON, Options.Ok ? PSBTN_OK : PSBTN_CANCEL, 0);
  Say("%s pressed", Options.Ok ? "ok" : "cancel");
  // A sheet that keeps itself open (a page vetoes) is told to go once more; the hard timeout
  // ends the rest.
  if (WaitForSingleObject(Watch.Done, 5000) != WAIT_OBJECT_0 && IsWindow(Sheet)) {
    Say("watchdog: the sheet stayed, closing it");
    PostMessageA(Sheet, WM_COMMAND, IDCANCEL, 0);
  }
  return 0;
}

// ---- Pages --------------------------------------------------------------------------------------------------

constexpr int kMaxPages = 64;

BOOL CALLBACK CollectPage(HPROPSHEETPAGE Page, LPARAM LParam) {
  auto* Pages = reinterpret_cast<std::vector<HPROPSHEETPAGE>*>(LParam);
  if (Pages->size() >= kMaxPages) return FALSE;
  Pages->push_back(Page);
  return TRUE;
}

using TGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using TCanUnloadNow = HRESULT(WINAPI*)();

HRESULT CreateHandler(const TOptions& Options, HMODULE Library, const GUID& Id, IShellExtInit** Out) {
  if (Options.Via == "direct") {
    auto GetClassObject = reinterpret_cast<TGetClassObject>(GetProcAddress(Library, "DllGetClassObject"));
    if (!GetClassObject) return E_NOINTERFACE;
    IClassFactory* Factory = nullptr;
    HRESULT Result = GetClassObject(Id, IID_IClassFactory, reinterpret_cast<void**>(&Factory));
    if (FAILED(Result)) return Result;
    Result = Factory->CreateInstance(nullptr, IID_IShellExtInit, reinterpret_cast<void**>(Out));
    Factory->Release();
    return Result;
  }
  return CoCreateInstance(Id, nullptr, CLSCTX_INPROC_SERVER, IID_IShellExtInit, reinterpret_cast<void**>(Out));
}

void ReportUnload(const std::string& Library) {
  HMODULE Loaded = GetModuleHandleA(Library.c_str());
  if (!Loaded) {
    Say("DllCanUnloadNow: library not loaded");
    return;
  }
  auto CanUnloadNow = reinterpret_cast<TCanUnloadNow>(GetProcAddress(Loaded, "DllCanUnloadNow"));
  Say("DllCanUnloadNow %s", CanUnloadNow ? HResultText(CanUnloadNow()).c_str() : "missing");
  // A library that tells what keeps it loaded (the test server does) is asked too.
  using TServerState = void(WINAPI*)(int*, int*, int*);
  if (auto State = reinterpret_cast<TServerState>(GetProcAddress(Loaded, "NxTestServerState"))) {
    int Objects = -1, Locks = -1, Pages = -1;
    State(&Objects, &Locks, &Pages);
    Say("server objects=%d locks=%d pages=%d", Objects, Locks, Pages);
  }
}

int RunHandlers(const TOptions& Options, TWatch& Watch) {
  std::vector<GUID> Classes = Options.Classes;
  const std::string Type = FileTypeOf(Options.File);
  if (Classes.empty()) Classes = RegisteredHandlers(Type, Options.Library);
  if (Classes.empty()) {
    Say("error: no property-sheet handler of %s is registered for \"%s\"; pass --clsid", Options.Library.c_str(),
        Type.c_str());
    return 1;
  }
  HMODULE Library = nullptr;
  if (Options.Via == "direct" && !(Library = LoadLibraryA(Options.Library.c_str()))) {
    Say("error: %s can't be loaded (%lu)", Options.Library.c_str(), GetLastError());
    return 1;
  }

  int Code = 1;
  {
    TShellItem Item;
    IDataObject* Data = nullptr;
    if (!Item.Open(Options.File) ||
        FAILED(Item.Parent->GetUIObjectOf(nullptr, 1, &Item.Child, IID_IDataObject, nullptr, reinterpret_cast<void**>(&Data)))) {
      Say("error: the shell has no data object for %s", Options.File.c_str());
    } else {
      ReportFormats(Data);
      HKEY ProgID = nullptr;
      if (!Type.empty()) RegOpenKeyExA(HKEY_CLASSES_ROOT, Type.c_str(), 0, KEY_READ, &ProgID);
      std::vector<HPROPSHEETPAGE> Pages;
      std::vector<IShellPropSheetExt*> Extensions;
      for (const GUID& Id : Classes) {
        IShellExtInit* Init = nullptr;
        HRESULT Result = CreateHandler(Options, Library, Id, &Init);
        Say("handler %s via %s %s", GuidText(Id).c_str(), Options.Via.c_str(), HResultText(Result).c_str());
        if (FAILED(Result)) continue;
        Result = Init->Initialize(Item.Folder, Data, ProgID);
        Say("initialize %s", HResultText(Result).c_str());
        IShellPropSheetExt* Sheet = nullptr;
        if (SUCCEEDED(Result) &&
            SUCCEEDED(Init->QueryInterface(IID_IShellPropSheetExt, reinterpret_cast<void**>(&Sheet)))) {
          const size_t Before = Pages.size();
          Result = Sheet->AddPages(&CollectPage, reinterpret_cast<LPARAM>(&Pages));
          Say("addpages %s pages=%d", HResultText(Result).c_str(), static_cast<int>(Pages.size() - Before));
          Extensions.push_back(Sheet);
        }
        Init->Release();
      }
      if (ProgID) RegCloseKey(ProgID);
      Data->Release();

      if (Pages.empty()) {
        Say("error: no pages");
        Code = 2;
      } else {
        const std::string Caption = PathFindFileNameA(Options.File.c_str());
        PROPSHEETHEADERA Header{};
        Header.dwSize = sizeof Header;
        Header.dwFlags = PSH_PROPTITLE;
        Header.pszCaption = Caption.c_str();
        Header.nPages = static_cast<UINT>(Pages.size());
        Header.phpage = Pages.data();
        const INT_PTR Result = PropertySheetA(&Header);
        Say("closed result=%d", static_cast<int>(Result));
        Code = Watch.SawSheet ? 0 : 2;
      }
      // The shell releases the extensions once the sheet is gone.
      for (IShellPropSheetExt* Sheet : Extensions) Sheet->Release();
    }
  }
  ReportUnload(Options.Library);
  if (Library) FreeLibrary(Library);
  return Code;
}

int RunShell(const TOptions& Options, TWatch& Watch) {
  TShellItem Item;
  IContextMenu* Menu = nullptr;
  if (!Item.Open(Options.File) ||
      FAILED(Item.Parent->GetUIObjectOf(nullptr, 1, &Item.Child, IID_IContextMenu, nullptr, reinterpret_cast<void**>(&Menu)))) {
    Say("error: the shell has no context menu for %s", Options.File.c_str());
    return 1;
  }
  HMENU Popup = CreatePopupMenu();
  HRESULT Result = Menu->QueryContextMenu(Popup, 0, 1, 0x7FFF, CMF_NORMAL);
  Say("querycontextmenu %s", HResultText(Result).c_str());
  CMINVOKECOMMANDINFO Invoke{};
  Invoke.cbSize = sizeof Invoke;
  Invoke.lpVerb = "properties";
  Invoke.nShow = SW_SHOWNORMAL;
  Result = Menu->InvokeCommand(&Invoke);
  Say("invoke properties %s", HResultText(Result).c_str());
  Menu->Release();
  DestroyMenu(Popup);
  // A sheet the shell runs without blocking the call is still up: wait for it to go.
  for (int I = 0; I < 300 && !Watch.SawSheet; ++I) {
    MSG Msg;
    while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&Msg);
    if (WaitForSingleObject(Watch.Done, 0) == WAIT_OBJECT_0) break;
    Sleep(20);
  }
  for (;;) {
    TFindSheet Find;
    EnumWindows(&FindSheetWindow, reinterpret_cast<LPARAM>(&Find));
    if (!Find.Found) break;
    MSG Msg;
    while (PeekMessageA(&Msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&Msg);
    Sleep(20);
  }
  CoFreeUnusedLibraries();
  ReportUnload(Options.Library);
  return SUCCEEDED(Result) && Watch.SawSheet ? 0 : 2;
}

}  // namespace

int main(int Argc, char** Argv) {
  TOptions Options;
  if (!ParseArguments(Argc, Argv, Options)) {
    fprintf(stderr,
            "usage: propsheet-host <library> <file> [--via registry|direct|shell] [--clsid {GUID}] [--dump]\n"
            "                      [--apply] [--ok] [--page N] [--bmp out.bmp] [--timeout seconds]\n");
    return 1;
  }
  if (FAILED(OleInitialize(nullptr))) return 1;
  INITCOMMONCONTROLSEX Controls = {sizeof Controls, ICC_WIN95_CLASSES};
  InitCommonControlsEx(&Controls);

  TWatch Watch;
  Watch.Options = &Options;
  Watch.FirstLibraryPage = Options.Via == "shell" ? 1 : 0;
  Watch.Done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  HANDLE Timer = CreateThread(nullptr, 0, &HardTimeout, &Watch, 0, nullptr);
  HANDLE Thread = CreateThread(nullptr, 0, &Watchdog, &Watch, 0, nullptr);

  const int Code = Options.Via == "shell" ? RunShell(Options, Watch) : RunHandlers(Options, Watch);

  SetEvent(Watch.Done);
  HANDLE Threads[] = {Thread, Timer};
  WaitForMultipleObjects(2, Threads, TRUE, INFINITE);
  CloseHandle(Thread);
  CloseHandle(Timer);
  CloseHandle(Watch.Done);
  OleUninitialize();
  return Code;
}
