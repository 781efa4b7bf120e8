// lx utilities on live Windows state: the registry (below a private HKCU key, removed afterwards),
// the program registered for a file type (a private classes root), the clipboard and the window
// under a screen point.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/ExtCtrls.h"
#include "classlib/ScopedHandles.h"
#include "lx/lxUtils.h"

namespace {

// ---- Registry ---------------------------------------------------------------------------------

void DeleteTree(HKEY Root, const std::string& Path) {
  HKEY Key;
  if (RegOpenKeyExA(Root, Path.c_str(), 0, KEY_ALL_ACCESS, &Key) != ERROR_SUCCESS) return;
  std::vector<std::string> Children;
  char Name[256];
  for (DWORD I = 0;; ++I) {
    DWORD Len = sizeof Name;
    if (RegEnumKeyExA(Key, I, Name, &Len, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Children.emplace_back(Name, Len);
  }
  RegCloseKey(Key);
  for (const auto& C : Children) DeleteTree(Root, Path + "\\" + C);
  RegDeleteKeyA(Root, Path.c_str());
}

class LxRegistry : public ::testing::Test {
protected:
  void SetUp() override {
    Base = "Software\\lxtest-" + std::to_string(GetCurrentProcessId());
    DeleteTree(HKEY_CURRENT_USER, Base);
  }
  void TearDown() override {
    DeleteTree(HKEY_CURRENT_USER, Base);
    HKEY Key;
    EXPECT_NE(RegOpenKeyExA(HKEY_CURRENT_USER, Base.c_str(), 0, KEY_READ, &Key), ERROR_SUCCESS);
  }
  void SetRaw(const std::string& SubKey, const char* Name, DWORD Type, const void* Data, DWORD Size) {
    HKEY Key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, (Base + SubKey).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                              nullptr, &Key, nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(Key, Name, 0, Type, static_cast<const BYTE*>(Data), Size), ERROR_SUCCESS);
    RegCloseKey(Key);
  }
  std::string Base;
};

TEST_F(LxRegistry, ReadAndWriteStrings) {
  std::string V = "stale";
  EXPECT_FALSE(ReadRegKeyString(HKEY_CURRENT_USER, Base + "\\missing", "v", V));
  EXPECT_EQ(V, "");

  ASSERT_TRUE(WriteRegString("\\\\" + Base + "\\a\\b", "name", "value", HKEY_CURRENT_USER));
  V = "stale";
  EXPECT_TRUE(ReadRegKeyString(HKEY_CURRENT_USER, Base + "\\a\\b", "nothing", V));
  EXPECT_EQ(V, "");
  EXPECT_TRUE(GetRegString(Base + "\\a\\b", "name", HKEY_CURRENT_USER, V));
  EXPECT_EQ(V, "value");

  // Stored as REG_SZ with its terminating zero.
  HKEY Raw;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (Base + "\\a\\b").c_str(), 0, KEY_READ, &Raw), ERROR_SUCCESS);
  ScopedRegKey Key(Raw);
  char Data[16] = {};
  DWORD Type = 0, Size = sizeof Data;
  ASSERT_EQ(RegQueryValueExA(Raw, "name", nullptr, &Type, reinterpret_cast<BYTE*>(Data), &Size), ERROR_SUCCESS);
  EXPECT_EQ(Type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(Size, 6u);
  EXPECT_EQ(Data[5], '\0');

  // Through QueryRegValue: a string, an empty string, a number, too little room.
  Type = 0;
  Size = sizeof Data;
  EXPECT_TRUE(QueryRegValue(Raw, "name", Type, Size, Data));
  SetRaw("\\a\\b", "empty", REG_SZ, "", 0);
  SetRaw("\\a\\b", "number", REG_DWORD, "\x31\0\0\0", 4);
  Size = sizeof Data;
  EXPECT_FALSE(QueryRegValue(Raw, "empty", Type, Size, Data));
  Size = sizeof Data;
  EXPECT_TRUE(QueryRegValue(Raw, "number", Type, Size, Data));
  EXPECT_EQ(Type, static_cast<DWORD>(REG_DWORD));
  Size = 2;
  EXPECT_FALSE(QueryRegValue(Raw, "name", Type, Size, Data));
  // A value that is no text reads as ''.
  EXPECT_TRUE(ReadRegKeyString(HKEY_CURRENT_USER, Base + "\\a\\b", "number", V));
  EXPECT_EQ(V, "");
}

TEST_F(LxRegistry, LengthLimitOf1023Characters) {
  std::string Fits(1023, 'x'), TooLong(1024, 'y');
  ASSERT_TRUE(WriteRegString(Base, "fits", Fits, HKEY_CURRENT_USER));
  ASSERT_TRUE(WriteRegString(Base, "long", TooLong, HKEY_CURRENT_USER));
  SetRaw("", "noterm", REG_SZ, TooLong.data(), 1024);  // 1024 bytes without a zero
  SetRaw("", "short", REG_SZ, "abc", 3);               // no zero, but short
  std::string V;
  EXPECT_TRUE(ReadRegKeyString(HKEY_CURRENT_USER, Base, "fits", V));
  EXPECT_EQ(V, Fits);
  EXPECT_TRUE(ReadRegKeyString(HKEY_CURRENT_USER, Base, "long", V));
  EXPECT_EQ(V, "");
  EXPECT_TRUE(ReadRegKeyString(HKEY_CURRENT_USER, Base, "noterm", V));
  EXPECT_EQ(V, "");
  EXPECT_TRUE(ReadRegKeyString(HKEY_CURRENT_USER, Base, "short", V));
  EXPECT_EQ(V, "abc");
}

TEST_F(LxRegistry, OpenKeysAndValueNames) {
  HKEY Key = HKEY_CURRENT_USER;
  EXPECT_FALSE(OpenRegKey(Key, Base + "\\k", false, KEY_READ));
  EXPECT_EQ(Key, HKEY_CURRENT_USER);  // unchanged on failure
  ASSERT_TRUE(OpenRegKey(Key, "\\" + Base + "\\k", true, KEY_READ));
  EXPECT_NE(Key, HKEY_CURRENT_USER);
  RegCloseKey(Key);

  for (const char* Name : {"one", "two", "three"}) ASSERT_TRUE(WriteRegString(Base + "\\k", Name, "x", HKEY_CURRENT_USER));
  TStringList Names;
  Names.Add("old line");
  ASSERT_TRUE(ReadRegValueNames(Base + "\\k", Names, HKEY_CURRENT_USER));
  std::vector<std::string> Got;
  for (int I = 0; I < Names.Count(); ++I) Got.push_back(Names[I]);
  std::sort(Got.begin(), Got.end());
  EXPECT_EQ(Got, (std::vector<std::string>{"one", "three", "two"}));
  EXPECT_FALSE(ReadRegValueNames(Base + "\\none", Names, HKEY_CURRENT_USER));
  EXPECT_EQ(Names.Count(), 0);
}

TEST_F(LxRegistry, AssociatedProgram) {
  std::string Classes = Base + "\\Classes";
  auto Put = [&](const std::string& Key, const std::string& Value) {
    ASSERT_TRUE(WriteRegString(Classes + "\\" + Key, "", Value, HKEY_CURRENT_USER));
  };
  Put(".lxa", "lxtest.open");
  Put("lxtest.open", "Open verb");
  Put("lxtest.open\\shell\\open\\command", "\"C:\\Prog Files\\lx.exe\" \"%1\"");
  Put(".lxb", "lxtest.verbs");
  Put("lxtest.verbs", "");
  Put("lxtest.verbs\\shell\\edit\\command", "edit.exe %1");
  Put("lxtest.verbs\\shell\\OpenNew\\command", "C:\\new.exe /n %1");
  Put(".lxc", "lxtest.other");
  Put("lxtest.other", "");
  Put("lxtest.other\\shell\\aaa\\command", "");
  Put("lxtest.other\\shell\\print\\command", "C:\\printer.exe /p %1");
  Put(".lxd", "lxtest.missing");  // the class key does not exist

  HKEY Root = HKEY_CURRENT_USER;
  ASSERT_TRUE(OpenRegKey(Root, Classes, false, KEY_READ));
  ScopedRegKey RootKey(Root);
  EXPECT_EQ(GetAssociatedProgramIn(Root, "lxa"), "C:\\Prog Files\\lx.exe");
  EXPECT_EQ(GetAssociatedProgramIn(Root, ".lxa"), "C:\\Prog Files\\lx.exe");
  // No "open" verb: the verb whose name holds "open" wins over the others.
  EXPECT_EQ(GetAssociatedProgramIn(Root, "lxb"), "C:\\new.exe");
  // None holds "open": the first verb with a command.
  EXPECT_EQ(GetAssociatedProgramIn(Root, "lxc"), "C:\\printer.exe");
  EXPECT_EQ(GetAssociatedProgramIn(Root, "lxd"), "");
  EXPECT_EQ(GetAssociatedProgramIn(Root, "lxz"), "");
  EXPECT_EQ(GetAssociatedProgramIn(Root, ""), "");
  EXPECT_EQ(GetAssociatedProgramIn(Root, "."), "");
}

// ---- Clipboard --------------------------------------------------------------------------------

std::string ClipboardText() {
  std::string Text;
  if (!OpenClipboard(nullptr)) return "<no clipboard>";
  if (HANDLE H = GetClipboardData(CF_TEXT)) {
    if (auto* P = static_cast<const char*>(GlobalLock(H))) {
      Text = P;
      GlobalUnlock(H);
    }
  }
  CloseClipboard();
  return Text;
}
std::wstring ClipboardUnicodeText() {
  std::wstring Text;
  if (!OpenClipboard(nullptr)) return L"<no clipboard>";
  if (HANDLE H = GetClipboardData(CF_UNICODETEXT)) {
    if (auto* P = static_cast<const wchar_t*>(GlobalLock(H))) {
      Text = P;
      GlobalUnlock(H);
    }
  }
  CloseClipboard();
  return Text;
}

TEST(LxClipboard, ReplacesEveryFormat) {
  // Older Unicode text in place: after the copy a Unicode reader must see the new text too.
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL Old = GlobalAlloc(GMEM_MOVEABLE, sizeof(L"old"));
  memcpy(GlobalLock(Old), L"old", sizeof(L"old"));
  GlobalUnlock(Old);
  ASSERT_TRUE(SetClipboardData(CF_UNICODETEXT, Old));
  CloseClipboard();

  ASSERT_TRUE(CopyTextToClipboard(CF_TEXT, "new text"));
  EXPECT_EQ(ClipboardText(), "new text");
  EXPECT_EQ(ClipboardUnicodeText(), L"new text");
  EXPECT_TRUE(CopyTextToClipboard(CF_TEXT, ""));
  EXPECT_EQ(ClipboardText(), "");
  EXPECT_FALSE(CopyTextToClipboard(0, "nothing"));
}

// ---- Windows ----------------------------------------------------------------------------------

LRESULT CALLBACK PlainProc(HWND Wnd, UINT Msg, WPARAM W, LPARAM L) { return DefWindowProcA(Wnd, Msg, W, L); }

// One window tree for the suite (mapping and unmapping windows costs Wine seconds each time):
// top-level window at (150, 120); children A (10,10) > B (20,20) > C (10,10).
class LxWindowAtPoint : public ::testing::Test {
protected:
  static void SetUpTestSuite() {
    WNDCLASSA C = {};
    C.lpfnWndProc = &PlainProc;
    C.hInstance = GetModuleHandleA(nullptr);
    C.lpszClassName = "LxUtilsTestWindow";
    C.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    RegisterClassA(&C);
    Top = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, "LxUtilsTestWindow", "top", WS_POPUP | WS_VISIBLE, 150,
                          120, 300, 300, nullptr, nullptr, C.hInstance, nullptr);
    A = Child(Top, 10, 10, 250);
    B = Child(A, 20, 20, 200);
    Cw = Child(B, 10, 10, 60);
    Pump();
  }
  static void TearDownTestSuite() { DestroyWindow(Top); }
  void SetUp() override {
    ASSERT_TRUE(Top && A && B && Cw);
    for (HWND W : {A, B, Cw}) {
      EnableWindow(W, TRUE);
      ShowWindow(W, SW_SHOWNA);
    }
  }
  static HWND Child(HWND Parent, int X, int Y, int Size) {
    return CreateWindowExA(0, "LxUtilsTestWindow", "", WS_CHILD | WS_VISIBLE, X, Y, Size, Size, Parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
  }
  static void Pump() {
    MSG M;
    while (PeekMessageA(&M, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&M);
  }
  // A screen point inside C (and so inside B and A).
  static POINT InC() { return {150 + 10 + 20 + 10 + 30, 120 + 10 + 20 + 10 + 30}; }
  static inline HWND Top = nullptr, A = nullptr, B = nullptr, Cw = nullptr;
};

TEST_F(LxWindowAtPoint, DescendsToTheInnermostChild) {
  EXPECT_EQ(FindWindowAtPoint(InC(), false, false, false), Cw);
  EXPECT_EQ(FindWindowAtPoint({150 + 5, 120 + 5}, false, false, false), Top);
  EXPECT_EQ(FindWindowAtPoint({150 + 10 + 5, 120 + 10 + 5}, false, false, false), A);
  EXPECT_EQ(GetWindowClassName(Cw), "LxUtilsTestWindow");
  EXPECT_EQ(GetWindowClassName(nullptr), "");
}

TEST_F(LxWindowAtPoint, ConvertsTheScreenPointAtEveryLevel) {
  // A disabled container: the search starts above it and must still reach C two levels down.
  EnableWindow(B, FALSE);
  ASSERT_EQ(WindowFromPoint(InC()), A);
  EXPECT_EQ(FindWindowAtPoint(InC(), false, false, false), Cw);
  EXPECT_EQ(FindWindowAtPoint(InC(), false, true, false), A);
}

TEST_F(LxWindowAtPoint, SkipsInvisibleAndDisabledChildren) {
  ShowWindow(Cw, SW_HIDE);
  EXPECT_EQ(FindWindowAtPoint(InC(), true, false, false), B);
  ShowWindow(Cw, SW_SHOWNA);
  EnableWindow(Cw, FALSE);
  EXPECT_EQ(FindWindowAtPoint(InC(), false, true, false), B);
  EXPECT_EQ(FindWindowAtPoint(InC(), false, false, false), Cw);
}

TEST_F(LxWindowAtPoint, ControlIsTheNearestOneUpTheParentChain) {
  // A panel on the right of the tree with a foreign window inside it.
  TObjectPtr<TPanel> Panel(TPanel::Create(nullptr));
  Panel->SetParentWindow(Top);
  Panel->SetBounds(265, 10, 30, 100);
  HWND Foreign = Child(Panel->Handle(), 5, 5, 20);
  ASSERT_TRUE(Foreign);
  Pump();
  EXPECT_EQ(FindControlAtPoint({150 + 265 + 5 + 10, 120 + 10 + 5 + 10}, false, false, false), Panel.get());
  EXPECT_EQ(FindControlAtPoint({150 + 265 + 2, 120 + 10 + 50}, false, false, false), Panel.get());
  EXPECT_EQ(FindControlAtPoint(InC(), false, false, false), nullptr);  // plain windows only
}

}  // namespace
