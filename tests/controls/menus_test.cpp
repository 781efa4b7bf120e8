// Menus: entries and their states in the menu handle, command identifiers, popups shown for real
// and closed by a timer, context menus of controls.
#include <gtest/gtest.h>

#include <set>

#include "classlib/ExtCtrls.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/StdCtrls.h"
#include "tests/controls/ControlsTestSupport.h"

using namespace testsupport;

namespace {
TMenuItem* AddItem(TMenuItem* Parent, const char* Caption, TComponent* Owner) {
  TMenuItem* Item = TMenuItem::Create(Owner);
  Item->SetCaption(Caption);
  Parent->Add(Item);
  return Item;
}

std::string EntryText(HMENU Menu, int Pos) {
  char Text[64] = {};
  GetMenuStringA(Menu, static_cast<UINT>(Pos), Text, sizeof Text, MF_BYPOSITION);
  return Text;
}

struct TClicks {
  std::vector<std::string> Lines;
  void Clicked(TObject* Sender) { Lines.push_back(static_cast<TMenuItem*>(Sender)->Caption()); }
  void Popped(TObject*) { Lines.push_back("popup"); }
};

// Ticks on a timer while a menu is open: looks at it, then presses keys in it or leaves it.
struct TMenuDriver {
  std::vector<WPARAM> Keys;  // sent to the menu on the first tick; none: EndMenu
  bool SawMenu = false;
  int Ticks = 0;
  void Tick(TObject*) {
    if (++Ticks > 1) return;
    HWND Menu = FindWindowA("#32768", nullptr);
    SawMenu = Menu && IsWindowVisible(Menu);
    if (Keys.empty() || !Menu) {
      EndMenu();
      return;
    }
    for (WPARAM K : Keys) PostMessageA(Menu, WM_KEYDOWN, K, 0);
  }
};
}  // namespace

TEST(MenuItems, EntriesFollowTheItemsInAStableHandle) {
  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  TMenuItem* Open = AddItem(Menu->Items(), "&Open", Menu.get());
  TMenuItem* Line = AddItem(Menu->Items(), "-", Menu.get());
  TMenuItem* More = AddItem(Menu->Items(), "More", Menu.get());
  TMenuItem* Deep = AddItem(More, "Deep", Menu.get());
  HMENU Handle = Menu->Handle();
  ASSERT_TRUE(IsMenu(Handle));
  EXPECT_EQ(GetMenuItemCount(Handle), 3);
  EXPECT_EQ(EntryText(Handle, 0), "&Open");
  EXPECT_EQ(GetMenuState(Handle, 1, MF_BYPOSITION) & MF_SEPARATOR, static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(GetSubMenu(Handle, 2), More->Handle());
  EXPECT_EQ(GetMenuItemID(More->Handle(), 0), Deep->Command());

  Open->SetDefault(true);
  Open->SetChecked(true);
  More->SetEnabled(false);
  EXPECT_EQ(Menu->Handle(), Handle) << "changes rebuild the entries in place";
  EXPECT_TRUE(GetMenuState(Handle, Open->Command(), MF_BYCOMMAND) & MF_CHECKED);
  EXPECT_TRUE(GetMenuState(Handle, 2, MF_BYPOSITION) & MF_GRAYED);
  EXPECT_EQ(GetMenuDefaultItem(Handle, FALSE, 0), Open->Command());
  Line->SetVisible(false);
  EXPECT_EQ(GetMenuItemCount(Handle), 2);
  Open->SetCaption("&Edit");
  EXPECT_EQ(EntryText(Handle, 0), "&Edit");

  // Lent as a submenu of another menu and taken back, the handle stays valid.
  HMENU Other = CreatePopupMenu();
  AppendMenuA(Other, MF_POPUP, reinterpret_cast<UINT_PTR>(Handle), "lent");
  RemoveMenu(Other, 0, MF_BYPOSITION);
  DestroyMenu(Other);
  EXPECT_TRUE(IsMenu(Handle));

  HMENU DeepHandle = More->Handle();
  Deep->Free();
  EXPECT_EQ(GetMenuItemCount(DeepHandle), 0);
  EXPECT_EQ(Menu->FindItem(Open->Command()), Open);
}

TEST(MenuItems, CommandsAreUniqueClearOfReservedRangesAndGivenBack) {
  int Before = menus_detail::CommandsInUse();
  std::set<UINT> Seen;
  {
    TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
    for (int I = 0; I < 200; ++I) {
      UINT C = AddItem(Menu->Items(), "x", Menu.get())->Command();
      EXPECT_TRUE(Seen.insert(C).second);
      EXPECT_FALSE(C >= 5734 && C < 9000);
      EXPECT_NE(C, 13666u);
      EXPECT_NE(C, 13667u);
      EXPECT_LT(C, 0xF000u);
    }
  }
  EXPECT_EQ(menus_detail::CommandsInUse(), Before);
}

TEST(MenuItems, DispatchCommandClicksTheItem) {
  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  TClicks Clicks;
  TMenuItem* Item = AddItem(Menu->Items(), "Go", Menu.get());
  Item->OnClick = TNotifyEvent::Bind<&TClicks::Clicked>(&Clicks);
  EXPECT_TRUE(Menu->DispatchCommand(Item->Command()));
  EXPECT_FALSE(Menu->DispatchCommand(Item->Command() + 5000));
  EXPECT_EQ(Clicks.Lines, (std::vector<std::string>{"Go"}));
}

TEST(PopupMenu, ShowsAndIsClosedByATimer) {
  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  TClicks Clicks;
  Menu->OnPopup = TNotifyEvent::Bind<&TClicks::Popped>(&Clicks);
  AddItem(Menu->Items(), "One", Menu.get())->OnClick = TNotifyEvent::Bind<&TClicks::Clicked>(&Clicks);
  TMenuDriver Driver;
  TObjectPtr<TTimer> Timer(TTimer::Create(nullptr));
  Timer->SetInterval(100);
  Timer->SetOnTimer(TNotifyEvent::Bind<&TMenuDriver::Tick>(&Driver));
  TWatchdog Watchdog(8000, &CloseMenus);
  Menu->Popup(100, 100);
  EXPECT_FALSE(Watchdog.Fired());
  EXPECT_TRUE(Driver.SawMenu);
  EXPECT_EQ(Clicks.Lines, (std::vector<std::string>{"popup"})) << "closed without a choice";
}

TEST(PopupMenu, AnItemChosenWithTheKeyboardIsClicked) {
  TObjectPtr<TPopupMenu> Menu(TPopupMenu::Create(nullptr));
  TClicks Clicks;
  AddItem(Menu->Items(), "First", Menu.get())->OnClick = TNotifyEvent::Bind<&TClicks::Clicked>(&Clicks);
  AddItem(Menu->Items(), "Second", Menu.get())->OnClick = TNotifyEvent::Bind<&TClicks::Clicked>(&Clicks);
  TMenuDriver Driver;
  Driver.Keys = {VK_DOWN, VK_DOWN, VK_RETURN};
  TObjectPtr<TTimer> Timer(TTimer::Create(nullptr));
  Timer->SetInterval(100);
  Timer->SetOnTimer(TNotifyEvent::Bind<&TMenuDriver::Tick>(&Driver));
  TWatchdog Watchdog(8000, &CloseMenus);
  Menu->Popup(120, 120);
  EXPECT_FALSE(Watchdog.Fired());
  EXPECT_EQ(Clicks.Lines, (std::vector<std::string>{"Second"}));
}

TEST(PopupMenu, ContextMenuOfAControlAndFreeingTheMenuClearsTheReference) {
  TObjectPtr<TForm> Form(TForm::Create(nullptr));
  auto* Edit = TEdit::Create(Form.get());
  Edit->SetParent(Form.get());
  TPopupMenu* Menu = TPopupMenu::Create(nullptr);  // owned elsewhere: a free notification
  AddItem(Menu->Items(), "Item", Menu);
  TClicks Clicks;
  Menu->OnPopup = TNotifyEvent::Bind<&TClicks::Popped>(&Clicks);
  Edit->SetPopupMenu(Menu);
  TMenuDriver Driver;
  TObjectPtr<TTimer> Timer(TTimer::Create(nullptr));
  Timer->SetInterval(100);
  Timer->SetOnTimer(TNotifyEvent::Bind<&TMenuDriver::Tick>(&Driver));
  TWatchdog Watchdog(8000, &CloseMenus);
  Form->Show();
  SendMessageA(Edit->Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(Edit->Handle()), MAKELPARAM(150, 150));
  EXPECT_EQ(Clicks.Lines, (std::vector<std::string>{"popup"}));
  EXPECT_EQ(Menu->PopupComponent(), Edit);
  Menu->Free();
  EXPECT_EQ(Edit->PopupMenu(), nullptr);
}
