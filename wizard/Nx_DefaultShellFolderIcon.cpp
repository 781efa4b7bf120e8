#include "wizard/Nx_DefaultShellFolderIcon.h"

#include <shellapi.h>

#include <cstring>
#include <optional>

#include "classlib/ScopedHandles.h"
#include "classlib/SysUtils.h"
#include "classlib/WndProcs.h"
#include "standins/NxRuntimeStandIns.h"

VD_DEFINE_CLASS(TNxShellFolderDefaultIcon) {
  C.Field("Label1", &TNxShellFolderDefaultIcon::Label1);
  C.Field("edtFileName", &TNxShellFolderDefaultIcon::edtFileName);
  C.Field("btnBrowse", &TNxShellFolderDefaultIcon::btnBrowse);
  C.Field("Label2", &TNxShellFolderDefaultIcon::Label2);
  C.Field("lvFileIcons", &TNxShellFolderDefaultIcon::lvFileIcons);
  C.Field("Bevel1", &TNxShellFolderDefaultIcon::Bevel1);
  C.Field("StaticText1", &TNxShellFolderDefaultIcon::StaticText1);
  C.Field("btnOK", &TNxShellFolderDefaultIcon::btnOK);
  C.Field("btnCancel", &TNxShellFolderDefaultIcon::btnCancel);
  C.Field("OpenDialog", &TNxShellFolderDefaultIcon::OpenDialog);
  C.Field("ImageList", &TNxShellFolderDefaultIcon::ImageList);
  C.Method<&TNxShellFolderDefaultIcon::btnBrowseClick>("btnBrowseClick");
  C.Method<&TNxShellFolderDefaultIcon::edtFileNameExit>("edtFileNameExit");
  C.Method<&TNxShellFolderDefaultIcon::edtFileNameKeyPress>("edtFileNameKeyPress");
  C.Method<&TNxShellFolderDefaultIcon::btnOKClick>("btnOKClick");
}

VD_DEFINE_CLASS(TNxShellFolderDefaultIconProperty) {}

bool IsIconContainerHead(const uint8_t* Head, size_t Size) {
  static constexpr uint8_t kIconFile[] = {0, 0, 1, 0};
  return (Size >= 2 && Head[0] == 'M' && Head[1] == 'Z') || (Size >= 4 && std::memcmp(Head, kIconFile, 4) == 0);
}

namespace {

bool IsIconContainer(const std::string& FileName) {
  ScopedFileHandle File(CreateFileA(FileName.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, 0, nullptr));
  uint8_t Head[4] = {};
  DWORD Read = 0;
  return File && ReadFile(File.get(), Head, sizeof Head, &Read, nullptr) && IsIconContainerHead(Head, Read);
}

// The file a name in the box stands for, as a load now would open it: a relative name from the
// current directory, trailing blanks dropped (the system drops them too).
std::string FullFileName(const std::string& Name) {
  const std::string Trimmed = TrimRight(Name);
  char Path[MAX_PATH * 2];
  const DWORD Length = GetFullPathNameA(Trimmed.c_str(), sizeof Path, Path, nullptr);
  return Length > 0 && Length < sizeof Path ? std::string(Path, Length) : Trimmed;
}

// One file, whatever name opens it: its volume and its index there.
struct TFileIdentity {
  DWORD Volume;
  DWORD IndexHigh;
  DWORD IndexLow;
  bool operator==(const TFileIdentity&) const = default;
};

// Nothing when the name opens no file (asking for no access, so a file in use opens too).
std::optional<TFileIdentity> FileIdentity(const std::string& FileName) {
  ScopedFileHandle File(CreateFileA(FileName.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  BY_HANDLE_FILE_INFORMATION Info;
  if (!File || !GetFileInformationByHandle(File.get(), &Info)) return std::nullopt;
  return TFileIdentity{Info.dwVolumeSerialNumber, Info.nFileIndexHigh, Info.nFileIndexLow};
}

// Two full names of one file: compared as files where both open one (a short name, a "\\?\"
// name, another share or drive of the same folder), else as texts.
bool SameFile(const std::string& FullName, const std::string& OtherFullName) {
  const std::optional<TFileIdentity> File = FileIdentity(FullName);
  const std::optional<TFileIdentity> OtherFile = FileIdentity(OtherFullName);
  return File && OtherFile ? *File == *OtherFile : AnsiSameText(FullName, OtherFullName);
}

// The current directory when it was made, again when it goes.
class TCurrentDirectoryKeeper {
public:
  TCurrentDirectoryKeeper() {
    char Path[MAX_PATH];
    const DWORD Length = GetCurrentDirectoryA(MAX_PATH, Path);
    if (Length > 0 && Length < MAX_PATH) FPath.assign(Path, Length);
  }
  ~TCurrentDirectoryKeeper() {
    if (!FPath.empty()) SetCurrentDirectoryA(FPath.c_str());
  }
  TCurrentDirectoryKeeper(const TCurrentDirectoryKeeper&) = delete;
  TCurrentDirectoryKeeper& operator=(const TCurrentDirectoryKeeper&) = delete;

private:
  std::string FPath;
};

}  // namespace

// ---- The dialog ---------------------------------------------------------------------------------

void TNxShellFolderDefaultIcon::AfterConstruction() {
  inherited::AfterConstruction();
  FFileNameWndProc = edtFileName->WindowProc();
  edtFileName->SetWindowProc(TWndMethod::Bind<&TNxShellFolderDefaultIcon::FileNameWndProc>(this));
}

void TNxShellFolderDefaultIcon::FileNameWndProc(TMessage& Message) {
  FFileNameWndProc(Message);
  // Otherwise Enter would press the default button (OK) instead of loading.
  if (Message.Msg == WM_GETDLGCODE && Message.WParam == VK_RETURN) Message.Result |= DLGC_WANTALLKEYS;
}

bool TNxShellFolderDefaultIcon::Closing() const {
  return ModalResult() != mrNone || ComponentState().Contains(csDestroying);
}

void TNxShellFolderDefaultIcon::LoadIcons() {
  if (FLoading) {  // asked again while the pass below lets messages through
    FReload = true;
    return;
  }
  FLoading = true;
  struct TDone {
    bool& Loading;
    ~TDone() { Loading = false; }
  } Done{FLoading};
  do {
    FReload = false;
    LoadIconsOnce();
  } while (FReload && !Closing());
}

void TNxShellFolderDefaultIcon::LoadIconsOnce() {
  const std::string FileName = edtFileName->Text();
  if (!FileExists(FileName)) return;
  // The same file again keeps the icon chosen (also one a pass cut short had not reached yet).
  if (!NamesListedFile())
    FReselectIndex = -1;
  else if (SelectedIconIndex() >= 0)
    FReselectIndex = SelectedIconIndex();
  FListedFileName = FullFileName(FileName);
  lvFileIcons->Items()->Clear();
  ImageList->Clear();
  for (UINT Index = 0;; ++Index) {
    HICON Icon = ExtractIconA(ModuleInstance(), FileName.c_str(), Index);
    // Windows answers 1 for a file that can hold no icons; Wine answers 0, as for a file without any.
    if (Icon == reinterpret_cast<HICON>(1) || (!Icon && Index == 0 && !IsIconContainer(FileName))) {
      Application->MessageBox("Invalid icon file.", "Error", MB_ICONERROR | MB_OK);
      return;
    }
    if (!Icon) return;
    {
      TObjectPtr<TIcon> Extracted(TIcon::Create());
      Extracted->SetHandle(Icon);  // destroyed once the list has its copy
      TListItem* Item = lvFileIcons->Items()->Add();
      Item->SetImageIndex(ImageList->AddIcon(Extracted.get()));
      Item->SetData(reinterpret_cast<void*>(static_cast<intptr_t>(Index)));
      if (static_cast<int>(Index) == FReselectIndex) {
        Item->SetSelected(true);
        FReselectIndex = -1;
      }
    }
    Application->ProcessMessages();
    if (FReload || Closing()) return;
  }
}

bool TNxShellFolderDefaultIcon::NamesListedFile() const {
  return !FListedFileName.empty() && SameFile(FullFileName(edtFileName->Text()), FListedFileName);
}

int TNxShellFolderDefaultIcon::SelectedIconIndex() const {
  TListItem* Selected = lvFileIcons->Selected();
  return Selected ? static_cast<int>(reinterpret_cast<intptr_t>(Selected->Data())) : -1;
}

void TNxShellFolderDefaultIcon::btnBrowseClick(TObject*) {
  TCurrentDirectoryKeeper Keeper;
  if (OpenDialog->Execute()) edtFileName->SetText(OpenDialog->FileName());
  LoadIcons();
}

void TNxShellFolderDefaultIcon::edtFileNameExit(TObject*) {
  if (!NamesListedFile()) LoadIcons();
}

void TNxShellFolderDefaultIcon::edtFileNameKeyPress(TObject*, char& Key) {
  if (Key != '\r') return;
  Key = 0;  // a single-line box has no use for it
  LoadIcons();
}

void TNxShellFolderDefaultIcon::btnOKClick(TObject*) {}

// ---- The property editor ------------------------------------------------------------------------

TPropertyAttributes TNxShellFolderDefaultIconProperty::GetAttributes() { return paDialog; }

std::string TNxShellFolderDefaultIconProperty::GetValue() {
  TPersistent* Component = GetComponent(0);
  if (auto* Folder = dynamic_cast<TNxCustomShellFolder*>(Component)) return Folder->DefaultIcon();
  if (auto* Overlay = dynamic_cast<TNxOverlayIcon*>(Component)) return Overlay->IconFile();
  return {};
}

void TNxShellFolderDefaultIconProperty::Edit() {
  TPersistent* Component = GetComponent(0);
  auto* Folder = dynamic_cast<TNxCustomShellFolder*>(Component);
  auto* Overlay = dynamic_cast<TNxOverlayIcon*>(Component);
  if (!Folder && !Overlay) return;
  TObjectPtr<TNxShellFolderDefaultIcon> Dialog(TNxShellFolderDefaultIcon::Create(Application));
  if (Dialog->ShowModal() != mrOk) return;
  const int Index = Dialog->SelectedIconIndex();
  // The icon chosen is in the file listed, whatever the box names by now; a name typed without a
  // choice loses the trailing blanks the system drops, as the listed one did.
  const std::string FileName =
      ExtractFileName(Index < 0 ? TrimRight(Dialog->edtFileName->Text()) : Dialog->ListedFileName());
  if (Folder) {
    Folder->SetDefaultIcon(Index < 0 ? std::string() : FileName + "," + IntToStr(Index));
  } else {
    Overlay->SetIconFile(FileName);
    Overlay->SetIconIndex(Index);
  }
  Modified();
}

void Nx_DefaultShellFolderIcon_DoRegister() {
  const TPropertyEditorClass Editor = TPropertyEditorClass::Of<TNxShellFolderDefaultIconProperty>();
  RegisterPropertyEditor(TypeInfoOf<std::string>(), ClassOf<TNxCustomShellFolder>(), "DefaultIcon", Editor);
  RegisterPropertyEditor(TypeInfoOf<std::string>(), ClassOf<TNxOverlayIcon>(), "IconFile", Editor);
}
