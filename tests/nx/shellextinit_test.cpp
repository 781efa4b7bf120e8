// The shell-object components on their own: CLSID text, names carried into the description and
// extension name, the classes-root writer and the registration steps, and IShellExtInit with
// hand-made data objects (drop lists, IDList arrays, malformed blocks) and with the shell's own.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "classlib/UnitInit.h"
#include "nx/NxComObj.h"
#include "nx/NxCustShlObj.h"
#include "tests/nx/test_data_object.h"

using namespace nxtest;

namespace {

template <class T> struct TOwned {
  T* P;
  TOwned() : P(T::Create(nullptr)) {}
  ~TOwned() { P->Free(); }
  T* operator->() const { return P; }
};

std::vector<std::string> FilesOf(TNxShellLink* Link) {
  std::vector<std::string> Out;
  for (int I = 0; I < Link->Files()->Count(); ++I) Out.push_back(Link->Files()->Strings(I));
  return Out;
}

std::string PathOf(LPCITEMIDLIST List) {
  char Buf[MAX_PATH] = "";
  return SHGetPathFromIDListA(List, Buf) ? Buf : "<none>";
}

struct TInitSink {
  std::vector<std::string> Names;
  HRESULT SetResult = S_OK;
  IDataObject* Seen = nullptr;
  HRESULT SeenResult = 0;
  bool Raise = false;
  void OnInit(TObject* Sender, const std::string& FileName) {
    Names.push_back(FileName);
    if (Raise) throw EInvalidOperation("handler failed");
  }
  void OnInitEx(TObject* Sender, TShellExtInitParams& Params) {
    Seen = Params.DataObject.Get();
    SeenResult = Params.Result;
    Params.Result = SetResult;
  }
};

class NxShellObject : public ::testing::Test {
protected:
  void SetUp() override {
    EnsureUnitsStarted();
    OleInitialize(nullptr);
  }
  void TearDown() override { OleUninitialize(); }
};

}  // namespace

TEST_F(NxShellObject, ClsidTextIsTheStrictRegistryFormAndAFailedSetKeepsTheOldValue) {
  TOwned<TNxShellExtInit> Ext;
  Ext->SetCLSID("{2f41bd6e-e6e5-4695-8696-0817a3abc430}");
  EXPECT_EQ(Ext->GetCLSID(), "{2F41BD6E-E6E5-4695-8696-0817A3ABC430}");
  const std::string Expected = SysErrorMessage(static_cast<DWORD>(CO_E_CLASSSTRING));
  for (const char* Bad : {"Shell.Application", "2F41BD6E-E6E5-4695-8696-0817A3ABC430",
                          "{2F41BD6E-E6E5-4695-8696-0817A3ABC43}", "{2F41BD6E-E6E5-4695-8696-0817A3ABC4300}",
                          "{2F41BD6E+E6E5-4695-8696-0817A3ABC430}", "{2F41BD6E-E6E5-4695-8696-0817A3ABC43G}", ""}) {
    try {
      Ext->SetCLSID(Bad);
      ADD_FAILURE() << "accepted " << Bad;
    } catch (const Exception& E) {
      EXPECT_EQ(E.Message(), Expected) << Bad;
    }
    EXPECT_EQ(Ext->GetCLSID(), "{2F41BD6E-E6E5-4695-8696-0817A3ABC430}");
  }
  GUID Clsid{};
  EXPECT_EQ(Ext->GetClassID(&Clsid), S_OK);
  EXPECT_EQ(CLSIDToStr(Clsid), Ext->GetCLSID());
}

TEST_F(NxShellObject, ANewNameCarriesIntoDescriptionAndExtensionNameUntilTheyAreEdited) {
  TOwned<TNxShellExtInit> Ext;
  Ext->SetName("First");
  EXPECT_EQ(Ext->Description(), "First");
  EXPECT_EQ(Ext->ExtensionName(), "First");
  Ext->SetDescription("Edited");
  Ext->SetName("Second");
  EXPECT_EQ(Ext->Description(), "Edited");
  EXPECT_EQ(Ext->ExtensionName(), "Second");
  Ext->SetExtensionName("");
  Ext->SetName("Third");
  EXPECT_EQ(Ext->ExtensionName(), "Third") << "an empty one is filled";
  EXPECT_EQ(Ext->GetFileName(), "") << "nothing selected";
}

namespace {
const std::string kScratch = "Software\\VeldraneTests\\nx-shellobj-" + std::to_string(GetCurrentProcessId());

class NxShellObjectRegistry : public NxShellObject {
protected:
  void SetUp() override {
    NxShellObject::SetUp();
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Scratch,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, Scratch), ERROR_SUCCESS);
  }
  void TearDown() override {
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(Scratch);
    SHDeleteKeyA(HKEY_CURRENT_USER, kScratch.c_str());
    NxShellObject::TearDown();
  }
  HKEY Scratch = nullptr;
};
}  // namespace

TEST_F(NxShellObjectRegistry, TheClassKeyTheFileTypeCheckAndRegistryFailures) {
  TOwned<TNxShellExtInit> Ext;
  Ext->SetName("ExtX");
  Ext->SetCLSID("{49B74812-DD93-4C7D-A365-EF6AF0F18528}");
  Ext->SetDescription("Test description");
  std::vector<bool> Seen;
  struct TSink {
    std::vector<bool>* Seen;
    void OnUpdate(TObject*, bool Register) { Seen->push_back(Register); }
  } Sink{&Seen};
  Ext->OnUpdateRegistry = MakeEvent<&TSink::OnUpdate>(&Sink);

  // Without a file type the step fails after the class key is written.
  try {
    Ext->UpdateRegistry(true);
    ADD_FAILURE() << "no exception";
  } catch (const ENxShellExtError& E) {
    EXPECT_EQ(E.Message(), "File class is not specified for component ExtX");
  }
  const std::string Key = "CLSID\\{49B74812-DD93-4C7D-A365-EF6AF0F18528}";
  char Buf[64];
  DWORD Size = sizeof Buf, Type = 0;
  ASSERT_EQ(RegGetValueA(Scratch, Key.c_str(), nullptr, RRF_RT_ANY, &Type, Buf, &Size), ERROR_SUCCESS);
  EXPECT_EQ(Type, DWORD(REG_SZ));
  EXPECT_EQ(Size, sizeof "Test description") << "the terminating zero is stored";
  EXPECT_STREQ(Buf, "Test description");
  EXPECT_EQ(Seen, std::vector<bool>{true});

  Ext->SetFileType("vdtestfile");
  HKEY K;
  RegCreateKeyExA(Scratch, "vdtestfile", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &K, nullptr);
  RegCloseKey(K);
  Ext->UpdateRegistry(false);
  EXPECT_EQ(Seen, (std::vector<bool>{true, false}));
  EXPECT_EQ(RegOpenKeyExA(Scratch, Key.c_str(), 0, KEY_READ, &K), ERROR_SUCCESS) << "the class library removes it";
  RegCloseKey(K);
  EXPECT_NE(RegOpenKeyExA(Scratch, "vdtestfile", 0, KEY_READ, &K), ERROR_SUCCESS) << "the empty file type goes";

  // A key that can't be made (a leading backslash is no valid path) fails the write.
  try {
    WriteClassesRootValue("\\bad", "", "x");
    ADD_FAILURE() << "no exception";
  } catch (const Exception& E) {
    EXPECT_EQ(E.Message(), "Registration failed");
  }
}

TEST_F(NxShellObjectRegistry, FileClassesAreRegisteredFirstAndBecomeTheFileType) {
  TOwned<TComponent> Owner;
  auto* Ext = TNxShellExtInit::Create(Owner.P);
  Ext->SetName("ExtF");
  auto* Classes = TNxFileClasses::Create(Owner.P);
  Classes->SetStrongRegistration(true);
  auto* Item = static_cast<TNxFileClassItem*>(Classes->FileClasses()->Add());
  Item->SetFileClassName("vdtest.class");
  Item->SetExtensionName("vdtst");
  Item->SetDescription("Test class");
  Ext->SetFileClasses(Classes);

  Ext->UpdateRegistry(true);
  EXPECT_TRUE(Item->IsRegistered());
  EXPECT_EQ(Ext->FileType(), "vdtest.class");
  Ext->UpdateRegistry(false);
  EXPECT_FALSE(Item->IsRegistered());

  Classes->Free();
  EXPECT_EQ(Ext->FileClasses(), nullptr) << "cleared when the file classes go";
}

// ---- IShellExtInit ------------------------------------------------------------------------------------

TEST_F(NxShellObject, DropListsKeepTheirOrderAndAnEmptyOneFails) {
  TOwned<TNxShellExtInit> Ext;
  TTestDataObject Data;
  Data.Offer(CF_HDROP, MakeDropList({"C:\\b\\second.vds", "C:\\a\\first.vds", "D:\\x.vds"}));
  EXPECT_EQ(Ext->Initialize(nullptr, &Data, nullptr), S_OK);
  EXPECT_EQ(FilesOf(Ext.P), (std::vector<std::string>{"C:\\b\\second.vds", "C:\\a\\first.vds", "D:\\x.vds"}));
  EXPECT_EQ(Ext->GetFileName(), "C:\\b\\second.vds");
  EXPECT_EQ(Ext->ItemPIDLCount(), 0);
  EXPECT_EQ(Data.GetDataCalls, 2) << "the IDList array is asked for first";
  EXPECT_EQ(Data.Refs(), 1) << "nothing kept";

  // Wide names arrive as ANSI text.
  DROPFILES WideHeader{};
  WideHeader.pFiles = sizeof(DROPFILES);
  WideHeader.fWide = TRUE;
  Bytes Wide(reinterpret_cast<const BYTE*>(&WideHeader), reinterpret_cast<const BYTE*>(&WideHeader) + sizeof WideHeader);
  for (char Ch : std::string("C:\\w1.vds\0C:\\w2.vds\0\0", 22)) Wide.insert(Wide.end(), {BYTE(Ch), 0});
  TTestDataObject WideData;
  WideData.Offer(CF_HDROP, Wide);
  EXPECT_EQ(Ext->Initialize(nullptr, &WideData, nullptr), S_OK);
  EXPECT_EQ(FilesOf(Ext.P), (std::vector<std::string>{"C:\\w1.vds", "C:\\w2.vds"}));

  // No names (one zero, or the two the shell writes): E_FAIL and nothing selected.
  for (Bytes List : {MakeDropList({}), MakeDropList({""})}) {
    TTestDataObject Empty;
    Empty.Offer(CF_HDROP, List);
    EXPECT_EQ(Ext->Initialize(nullptr, &Empty, nullptr), E_FAIL);
    EXPECT_TRUE(FilesOf(Ext.P).empty());
  }

  // A list that runs off the end of its block is not read.
  Bytes Open = MakeDropList({"C:\\x.vds"});
  Open.resize(Open.size() - 2);
  TTestDataObject Truncated;
  Truncated.Offer(CF_HDROP, Open);
  EXPECT_EQ(Ext->Initialize(nullptr, &Truncated, nullptr), E_FAIL);
}

TEST_F(NxShellObject, IdListArraysGiveAbsoluteListsAndPathsAndReplaceTheEarlierSelection) {
  TTempFolder Folder("nxinit", {"one.vds", "two.vds", "three.vds"});
  TShellList Parent(Folder.Path);
  TShellList One(Folder.File(0)), Two(Folder.File(1)), Three(Folder.File(2));
  ASSERT_TRUE(Parent.P && One.P && Two.P && Three.P);
  const Bytes ParentBytes = ListBytes(Parent.P);

  TOwned<TNxShellExtInit> Ext;
  TTestDataObject Data;
  Data.Offer(ShellIDListFormat(), MakeCida(ParentBytes, {ListBytes(ILFindLastID(Two.P)), ListBytes(ILFindLastID(One.P))}));
  Data.Offer(CF_HDROP, MakeDropList({"C:\\not\\used.vds"}));
  ASSERT_EQ(Ext->Initialize(Parent.P, &Data, nullptr), S_OK);
  EXPECT_EQ(FilesOf(Ext.P), (std::vector<std::string>{Folder.File(1), Folder.File(0)}));
  ASSERT_EQ(Ext->ItemPIDLCount(), 2);
  EXPECT_EQ(PathOf(Ext->ItemPIDL(0)), Folder.File(1));
  EXPECT_TRUE(ILIsEqual(Ext->ItemPIDL(1), One.P));
  EXPECT_EQ(Ext->FolderPath(), Folder.Path);
  EXPECT_TRUE(ILIsEqual(Ext->FolderPIDL(), Parent.P));

  // A later call starts afresh: one item, no folder.
  TTestDataObject Next;
  Next.Offer(ShellIDListFormat(), MakeCida(ParentBytes, {ListBytes(ILFindLastID(Three.P))}));
  ASSERT_EQ(Ext->Initialize(nullptr, &Next, nullptr), S_OK);
  EXPECT_EQ(FilesOf(Ext.P), std::vector<std::string>{Folder.File(2)});
  EXPECT_EQ(Ext->ItemPIDLCount(), 1);
  EXPECT_EQ(Ext->FolderPIDL(), nullptr);
  EXPECT_EQ(Ext->FolderPath(), "");

  // No data object: S_OK, and nothing of the earlier selection is left.
  EXPECT_EQ(Ext->Initialize(nullptr, nullptr, nullptr), S_OK);
  EXPECT_TRUE(FilesOf(Ext.P).empty());
  EXPECT_EQ(Ext->ItemPIDLCount(), 0);
}

// 64 KB whose 8,190 slots all point at one list of 32 KB: read per slot, it would be 256 MB.
Bytes SharedListCida() {
  const UINT Count = 8189, List = sizeof(UINT) * (Count + 2);
  Bytes B(List + 32000 + 2);
  std::memcpy(B.data(), &Count, sizeof Count);
  for (UINT Slot = 0; Slot <= Count; ++Slot) std::memcpy(B.data() + sizeof(UINT) * (Slot + 1), &List, sizeof List);
  B[List] = 32000 & 0xFF;
  B[List + 1] = 32000 >> 8;
  return B;
}

// A folder list of 32 KB and 8,189 empty items: each item joined to the folder makes 256 MB.
Bytes LongFolderCida() {
  Bytes Folder(32000 + 2);
  Folder[0] = 32000 & 0xFF;
  Folder[1] = 32000 >> 8;
  return MakeCida(Folder, std::vector<Bytes>(8189, Bytes{0, 0}));
}

TEST_F(NxShellObject, MalformedIdListArraysFailWithoutReadingAnything) {
  TTempFolder Folder("nxbad", {"one.vds"});
  TShellList Parent(Folder.Path), One(Folder.File(0));
  const Bytes Good = MakeCida(ListBytes(Parent.P), {ListBytes(ILFindLastID(One.P))});
  auto WithUint = [&Good](size_t At, UINT Value) {
    Bytes B = Good;
    std::memcpy(B.data() + At, &Value, sizeof Value);
    return B;
  };
  const std::vector<Bytes> Bad = {
      WithUint(0, 0x40000000),                          // a count far past the block
      WithUint(sizeof(UINT) * 2, UINT(Good.size())),    // the item's offset at the very end
      WithUint(sizeof(UINT) * 1, UINT(Good.size() + 64)),  // the folder's offset past the end
      WithUint(sizeof(UINT) * 2, 4),                    // an offset inside the table
      Bytes(Good.begin(), Good.end() - 1),              // the last list's terminator cut off
      Bytes{1, 0},                                      // shorter than a count
      SharedListCida(),                                 // every slot at one long list
      LongFolderCida(),                                 // joined lists far beyond the block
  };
  TOwned<TNxShellExtInit> Ext;
  for (size_t I = 0; I < Bad.size(); ++I) {
    TTestDataObject Data;
    Data.Offer(ShellIDListFormat(), Bad[I]);
    Data.Offer(CF_HDROP, MakeDropList({"C:\\fallback.vds"}));
    EXPECT_EQ(Ext->Initialize(nullptr, &Data, nullptr), E_FAIL) << I;
    EXPECT_TRUE(FilesOf(Ext.P).empty()) << I;
    EXPECT_EQ(Ext->ItemPIDLCount(), 0) << I;
  }
}

TEST_F(NxShellObject, EventsAndTheControlPanelRule) {
  TOwned<TNxShellExtInit> Ext;
  TInitSink Sink;
  TTestDataObject Nothing;  // offers no format at all

  EXPECT_EQ(Ext->Initialize(nullptr, &Nothing, nullptr), DV_E_FORMATETC);
  Ext->SetFileType("Controls Folder\\VdTestApplet");
  Ext->OnShellExtInit = MakeEvent<&TInitSink::OnInit>(&Sink);
  EXPECT_EQ(Ext->Initialize(nullptr, &Nothing, nullptr), S_OK) << "control-panel pages need no files";
  EXPECT_EQ(Sink.Names, std::vector<std::string>{""});

  // The extended event decides the result alone.
  Ext->OnShellExtInitEx = MakeEvent<&TInitSink::OnInitEx>(&Sink);
  Sink.SetResult = S_FALSE;
  EXPECT_EQ(Ext->Initialize(nullptr, &Nothing, nullptr), S_FALSE);
  EXPECT_EQ(Sink.Seen, &Nothing);
  EXPECT_EQ(Sink.SeenResult, DV_E_FORMATETC);
  EXPECT_EQ(Sink.Names.size(), 1u) << "the plain event is not called then";
  EXPECT_EQ(Nothing.Refs(), 1) << "the record's reference is given back";

  // An exception in a handler becomes E_FAIL.
  Ext->OnShellExtInitEx = nullptr;
  Sink.Raise = true;
  TTestDataObject Data;
  Data.Offer(CF_HDROP, MakeDropList({"C:\\x.vds"}));
  EXPECT_EQ(Ext->Initialize(nullptr, &Data, nullptr), E_FAIL);
  EXPECT_EQ(Sink.Names.back(), "C:\\x.vds");
}

TEST_F(NxShellObject, TheShellsOwnDataObjectOfTwoFiles) {
  TTempFolder Folder("nxshell", {"alpha.vds", "beta.vds"});
  TComPtr<IShellFolder> Desktop, Parent;
  ASSERT_EQ(SHGetDesktopFolder(Desktop.Receive()), S_OK);
  TShellList ParentList(Folder.Path);
  ASSERT_EQ(Desktop->BindToObject(ParentList.P, nullptr, IID_IShellFolder, Parent.ReceiveVoid()), S_OK);
  LPITEMIDLIST Items[2] = {};
  wchar_t Alpha[] = L"alpha.vds", Beta[] = L"beta.vds";
  ASSERT_EQ(Parent->ParseDisplayName(nullptr, nullptr, Alpha, nullptr, &Items[0], nullptr), S_OK);
  ASSERT_EQ(Parent->ParseDisplayName(nullptr, nullptr, Beta, nullptr, &Items[1], nullptr), S_OK);
  TComPtr<IDataObject> Data;
  ASSERT_EQ(Parent->GetUIObjectOf(nullptr, 2, const_cast<LPCITEMIDLIST*>(Items), IID_IDataObject, nullptr,
                                  Data.ReceiveVoid()),
            S_OK);

  TOwned<TNxShellExtInit> Ext;
  EXPECT_EQ(Ext->Initialize(ParentList.P, Data.Get(), nullptr), S_OK);
  EXPECT_EQ(FilesOf(Ext.P), (std::vector<std::string>{Folder.File(0), Folder.File(1)}));
  EXPECT_EQ(Ext->ItemPIDLCount(), 2);
  EXPECT_EQ(Ext->FolderPath(), Folder.Path);
  CoTaskMemFree(Items[0]);
  CoTaskMemFree(Items[1]);
}
