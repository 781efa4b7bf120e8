#include "classlib/UIServices.h"

#include <atomic>

#include "classlib/Dialogs.h"
#include "classlib/Forms.h"
#include "classlib/Menus.h"
#include "classlib/ModuleRuntime.h"

namespace {
std::atomic<TUIServices*> g_Installed{nullptr};

TUIServices& DefaultServices() {
  static TUIServices* const Default = [] {  // outlives every unit shutdown
    AtModuleRelease([] { delete &DefaultServices(); });
    return new TUIServices;
  }();
  return *Default;
}
}  // namespace

TUIServices& UIServices() {
  TUIServices* Installed = g_Installed.load();
  return Installed ? *Installed : DefaultServices();
}

TUIServices* SetUIServices(TUIServices* Services) { return g_Installed.exchange(Services); }

void TUIServices::RunModal(TCustomForm& Form) { Form.ModalLoop(); }

HWND ModalOwnerWindow() {
  HWND Owner = GetActiveWindow();
  return Owner ? Owner : Application->Handle();
}

int TUIServices::MessageBox(const std::string& Text, const std::string& Caption, UINT Flags, HWND Owner) {
  return MessageBoxA(Owner && IsWindow(Owner) ? Owner : ModalOwnerWindow(), Text.c_str(), Caption.c_str(), Flags);
}

bool TUIServices::ExecuteOpenDialog(TOpenDialog& Dialog) {
  return static_cast<TCommonDialog&>(Dialog).RunSystemDialog();
}

bool TUIServices::ExecuteColorDialog(TColorDialog& Dialog) {
  return static_cast<TCommonDialog&>(Dialog).RunSystemDialog();
}

TMenuItem* TUIServices::TrackPopupMenu(TPopupMenu& Menu, int X, int Y) { return Menu.TrackMenu(X, Y); }

void TUIServices::ShowException(Exception& E) {
  std::string Text = std::string(E.ClassName()) + ": " + E.Message() + "\n";
  OutputDebugStringA(Text.c_str());
}
