// File classes and shell verbs, with HKEY_CLASSES_ROOT redirected to a scratch key under HKCU:
// register/unregister round trips, other programs' associations, the checks made before writing,
// and copying items.
#include <windows.h>
#include <shlobj.h>
#include <shlwapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "classlib/ComObj.h"
#include "nx/NxFileClasses.h"

namespace {
const std::string kScratch = "Software\\VeldraneTests\\nx-fileclass-" + std::to_string(GetCurrentProcessId());

using TTree = std::set<std::string>;

// Every key below Root\Path as "path", every value as "path @name=data".
void DumpInto(HKEY Root, const std::string& Path, TTree& Out) {
  HKEY Key;
  if (RegOpenKeyExA(Root, Path.c_str(), 0, KEY_READ, &Key) != ERROR_SUCCESS) return;
  const std::string Prefix = Path.empty() ? "" : Path + "\\";
  char Name[256], Data[1024];
  for (DWORD i = 0;; ++i) {
    DWORD NameSize = sizeof Name, DataSize = sizeof Data - 1, Type = 0;
    if (RegEnumValueA(Key, i, Name, &NameSize, nullptr, &Type, reinterpret_cast<BYTE*>(Data), &DataSize) !=
        ERROR_SUCCESS)
      break;
    Data[DataSize] = '\0';
    Out.insert(Path + " @" + Name + "=" + (Type == REG_SZ ? Data : "<binary>"));
  }
  std::vector<std::string> Subkeys;
  for (DWORD i = 0;; ++i) {
    DWORD NameSize = sizeof Name;
    if (RegEnumKeyExA(Key, i, Name, &NameSize, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
    Subkeys.push_back(Prefix + Name);
  }
  RegCloseKey(Key);
  for (const auto& Sub : Subkeys) {
    Out.insert(Sub);
    DumpInto(Root, Sub, Out);
  }
}

TTree Added(const TTree& Before, const TTree& After) {
  TTree Diff;
  std::set_difference(After.begin(), After.end(), Before.begin(), Before.end(), std::inserter(Diff, Diff.end()));
  return Diff;
}

struct TEventLog {
  std::vector<std::string> Calls;
  HKEY Scratch = nullptr;
  void Handle(bool Register, TNxFileClassItem* Item) {
    HKEY K;
    const bool IconThere = RegOpenKeyExA(Scratch, "AbcFile\\DefaultIcon", 0, KEY_READ, &K) == ERROR_SUCCESS;
    if (IconThere) RegCloseKey(K);
    Calls.push_back(std::string(Register ? "register " : "unregister ") + Item->OwnFileClassName() +
                    (IconThere ? ", icon there" : ", no icon yet"));
  }
};

class FileClasses : public ::testing::Test {
protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kScratch.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &Scratch,
                              nullptr),
              ERROR_SUCCESS);
    ASSERT_EQ(RegOverridePredefKey(HKEY_CLASSES_ROOT, Scratch), ERROR_SUCCESS);
    Classes.reset(TNxFileClasses::Create(nullptr));
    Classes->SetName("FileClasses1");
    Classes->SetStrongRegistration(true);
  }
  void TearDown() override {
    Classes.reset();
    RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
    RegCloseKey(Scratch);
    SHDeleteKeyA(HKEY_CURRENT_USER, kScratch.c_str());
    HKEY K;
    EXPECT_NE(RegOpenKeyExA(HKEY_CLASSES_ROOT, ".vdx", 0, KEY_READ, &K), ERROR_SUCCESS) << "real root written";
  }

  TTree Tree() const {
    TTree T;
    DumpInto(Scratch, "", T);
    return T;
  }
  void Set(const std::string& Path, const std::string& Value, const char* Name = "") {
    HKEY K;
    ASSERT_EQ(RegCreateKeyExA(Scratch, Path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &K, nullptr), ERROR_SUCCESS);
    RegSetValueExA(K, Name, 0, REG_SZ, reinterpret_cast<const BYTE*>(Value.c_str()), DWORD(Value.size() + 1));
    RegCloseKey(K);
  }
  bool Exists(const std::string& Path) const {
    HKEY K;
    if (RegOpenKeyExA(Scratch, Path.c_str(), 0, KEY_READ, &K) != ERROR_SUCCESS) return false;
    RegCloseKey(K);
    return true;
  }
  TNxFileClassItem* Add(const std::string& Class, const std::string& Ext) {
    auto* Item = static_cast<TNxFileClassItem*>(Classes->FileClasses()->Add());
    Item->SetFileClassName(Class);
    Item->SetExtensionName(Ext);
    return Item;
  }
  // Another program's association, which no test may touch.
  void AddOtherProgram() {
    Set(".oth", "OtherFile");
    Set("OtherFile", "Other document");
    Set("OtherFile\\Shell\\Open\\Command", "other.exe \"%1\"");
    Set("OtherFile\\Shell\\Print\\Command", "other.exe /p \"%1\"");
  }
  template <class F> void ExpectRegistrationError(F&& Action) {
    try {
      Action();
      ADD_FAILURE() << "no exception";
    } catch (const EOleRegistrationError& E) {
      EXPECT_EQ(E.Message(), "Error creating system registry entry");
    }
  }

  HKEY Scratch = nullptr;
  TObjectPtr<TNxFileClasses> Classes;
};

void SetVerbs(TNxCustomShellCommandsEditor& C) {
  C.SetOpen("vd.exe \"%1\"");
  C.SetPrint("vd.exe /p \"%1\"");
  C.SetProperties("vd.exe /i \"%1\"");
  C.ExtendedCommandNames().SetText("Compile\r\nCheck\r\n");
  C.ExtendedCommandDescriptions().SetText("&Compile\r\nC&heck\r\n");
  C.ExtendedCommandStrings().SetText("vdc.exe \"%1\"\r\nvdc.exe /c \"%1\"\r\n");
}
}  // namespace

TEST_F(FileClasses, RegisterWritesTheLayoutAndUnregisterRestoresTheTreeExactly) {
  AddOtherProgram();
  Set(".vdx", "text/x-vd", "Content Type");  // the extension's other data stays
  auto* Item = Add("Vd.TestFile", "*.vdx");
  Item->SetDescription("Veldrane test file");
  Item->SetDefaultIcon("C:\\vd\\vd.exe,2");
  SetVerbs(*Item->ShellCommands());
  const TTree Before = Tree();
  EXPECT_FALSE(Item->IsRegistered());

  Item->Register();
  const TTree Expected = {
      ".vdx @=Vd.TestFile",
      "Vd.TestFile",
      "Vd.TestFile @=Veldrane test file",
      "Vd.TestFile\\DefaultIcon",
      "Vd.TestFile\\DefaultIcon @=C:\\vd\\vd.exe,2",
      "Vd.TestFile\\Shell",
      "Vd.TestFile\\Shell\\Open",
      "Vd.TestFile\\Shell\\Open\\Command",
      "Vd.TestFile\\Shell\\Open\\Command @=vd.exe \"%1\"",
      "Vd.TestFile\\Shell\\Print",
      "Vd.TestFile\\Shell\\Print\\Command",
      "Vd.TestFile\\Shell\\Print\\Command @=vd.exe /p \"%1\"",
      "Vd.TestFile\\Shell\\Properties",
      "Vd.TestFile\\Shell\\Properties\\Command",
      "Vd.TestFile\\Shell\\Properties\\Command @=vd.exe /i \"%1\"",
      "Vd.TestFile\\Shell\\Compile",
      "Vd.TestFile\\Shell\\Compile @=&Compile",
      "Vd.TestFile\\Shell\\Compile\\Command",
      "Vd.TestFile\\Shell\\Compile\\Command @=vdc.exe \"%1\"",
      "Vd.TestFile\\Shell\\Check",
      "Vd.TestFile\\Shell\\Check @=C&heck",
      "Vd.TestFile\\Shell\\Check\\Command",
      "Vd.TestFile\\Shell\\Check\\Command @=vdc.exe /c \"%1\"",
  };
  EXPECT_EQ(Added(Before, Tree()), Expected);
  EXPECT_TRUE(Item->IsRegistered());

  Item->Unregister();
  EXPECT_EQ(Tree(), Before);
  EXPECT_FALSE(Item->IsRegistered());
  // What the factory sends after registering; harmless without a shell to hear it.
  SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

TEST_F(FileClasses, VerbsAreWrittenInTheirOrderAndAllSixAreTriedOnRemoval) {
  TNxFileClassShellCommands C;
  C.SetOpen("o");
  C.SetOpenAs("oa");
  C.SetExplore("e");
  C.SetFind("f");
  C.SetProperties("p");
  C.SetPrint("pr");
  C.SetAnotherCommands("ignored");
  C.ExtendedCommandNames().Add("X");
  C.ExtendedCommandDescriptions().Add("x");
  C.ExtendedCommandStrings().Add("x.exe");
  const std::vector<TNxClassesRootValue> Want = {
      {"K\\Shell\\Print\\Command", "pr"}, {"K\\Shell\\Properties\\Command", "p"}, {"K\\Shell\\Find\\Command", "f"},
      {"K\\Shell\\Explore\\Command", "e"}, {"K\\Shell\\Open\\Command", "o"},      {"K\\Shell\\OpenAs\\Command", "oa"},
      {"K\\Shell\\X", "x"},               {"K\\Shell\\X\\Command", "x.exe"},
  };
  EXPECT_EQ(C.CommandValues("K"), Want);

  // Only Properties is set, but the other standard verbs of the class go as well; a class key
  // that holds another handler's keys stays.
  Set("Vd.TestFile\\shellex\\ContextMenuHandlers\\Other", "{0}");
  Set("Vd.TestFile\\Shell\\Find\\Command", "find.exe");
  auto* Item = Add("Vd.TestFile", "vdx");
  Item->ShellCommands()->SetProperties("vd.exe /i");
  Item->Register();
  EXPECT_FALSE(Exists("Vd.TestFile\\Shell\\Open")) << "an empty verb writes no key";
  Item->Unregister();
  EXPECT_FALSE(Exists("Vd.TestFile\\Shell"));
  EXPECT_FALSE(Exists(".vdx"));
  EXPECT_EQ(Tree(), (TTree{"Vd.TestFile", "Vd.TestFile\\shellex", "Vd.TestFile\\shellex\\ContextMenuHandlers",
                           "Vd.TestFile\\shellex\\ContextMenuHandlers\\Other",
                           "Vd.TestFile\\shellex\\ContextMenuHandlers\\Other @={0}"}));
}

TEST_F(FileClasses, UnregisterLeavesAnExtensionThatNamesAnotherClass) {
  AddOtherProgram();
  auto* Item = Add("Vd.TestFile", "vdx");
  SetVerbs(*Item->ShellCommands());
  Item->Register();
  Set(".vdx", "OtherFile");  // another program took the extension over
  const TTree Taken = Tree();
  Item->Unregister();
  EXPECT_EQ(Tree(), Taken) << "neither the extension nor any class touched";

  SHDeleteKeyA(Scratch, "Vd.TestFile");
  RegDeleteKeyA(Scratch, ".vdx");
  const TTree Clean = Tree();
  Item->Register();
  Set(".vdx", "VD.TESTFILE");  // names compare without regard to case
  Item->Unregister();
  EXPECT_EQ(Tree(), Clean);
}

TEST_F(FileClasses, ExtensionNamesAndTheEmptyExtension) {
  for (const char* Ext : {".abc", "abc", "x.abc", "*.abc"}) {
    auto* Item = Add("Vd.Abc", Ext);
    Item->Register();
    EXPECT_EQ(Tree().count(".abc @=Vd.Abc"), 1u) << Ext;
    Item->Unregister();
    EXPECT_EQ(Tree(), TTree{}) << Ext;
    Item->Free();
  }
  auto* Dotted = Add("Vd.Abc", "abc.");
  Dotted->Register();
  EXPECT_TRUE(Exists(".abc."));
  Dotted->Unregister();
  EXPECT_EQ(Tree(), TTree{});

  // No extension: no HKCR\. key, and without an association to prove the class ours,
  // unregistering leaves it.
  auto* Bare = Add("Vd.Bare", "");
  Bare->Register();
  EXPECT_FALSE(Exists("."));
  EXPECT_TRUE(Exists("Vd.Bare\\DefaultIcon"));
  const TTree Registered = Tree();
  Bare->Unregister();
  EXPECT_EQ(Tree(), Registered);
}

TEST_F(FileClasses, WithoutStrongRegistrationTheExistingAssociationIsUsedAndNothingRemoved) {
  Classes->SetStrongRegistration(false);
  Set(".abc", "AbcFile");
  Set("AbcFile", "Abc document");
  TEventLog Log;
  Log.Scratch = Scratch;
  auto* Item = Add("Mine", "abc");
  Item->OnRegisterFileClass = MakeEvent<&TEventLog::Handle>(&Log);
  Item->SetDescription("Mine too");
  Item->SetDefaultIcon("mine.exe,0");
  Item->ShellCommands()->SetOpen("mine.exe \"%1\"");
  EXPECT_EQ(Item->FileClassName(), "AbcFile");
  EXPECT_EQ(Item->OwnFileClassName(), "Mine");

  Item->Register();
  EXPECT_FALSE(Exists("Mine"));
  const TTree Registered = Tree();
  EXPECT_EQ(Registered.count("AbcFile @=Mine too"), 1u);
  EXPECT_EQ(Registered.count("AbcFile\\DefaultIcon @=mine.exe,0"), 1u);
  EXPECT_EQ(Registered.count("AbcFile\\Shell\\Open\\Command @=mine.exe \"%1\""), 1u);
  Item->Unregister();
  EXPECT_EQ(Tree(), Registered);
  EXPECT_EQ(Log.Calls, (std::vector<std::string>{"register Mine, no icon yet", "unregister Mine, icon there"}));

  Set(".abc", std::string(256, 'x'));  // too long to be a class name
  EXPECT_EQ(Item->FileClassName(), "Mine");
  RegDeleteKeyA(Scratch, ".abc");
  EXPECT_EQ(Item->FileClassName(), "Mine");
}

TEST_F(FileClasses, FaultsAreFoundBeforeAnythingIsWritten) {
  const TTree Empty = Tree();
  auto* Nameless = Add("", "vdx");
  ExpectRegistrationError([&] { Nameless->Register(); });
  EXPECT_FALSE(Nameless->IsRegistered()) << "an empty name must not open the root";
  Classes->SetStrongRegistration(false);
  ExpectRegistrationError([&] { Nameless->Register(); });
  Classes->SetStrongRegistration(true);
  Nameless->Free();

  auto* Item = Add("Vd.TestFile", "vdx");
  SetVerbs(*Item->ShellCommands());
  Item->ShellCommands()->ExtendedCommandDescriptions().Delete(1);
  ExpectRegistrationError([&] { Item->Register(); });
  EXPECT_EQ(Tree(), Empty);

  // Verb names that are empty or would nest keys are left out, both ways.
  auto& Names = Item->ShellCommands()->ExtendedCommandNames();
  Names.SetText("\r\nSub\\Verb\r\n");
  Names.Add("Good");
  Item->ShellCommands()->ExtendedCommandDescriptions().SetText("d0\r\nd1\r\nd2\r\n");
  Item->ShellCommands()->ExtendedCommandStrings().SetText("s0\r\ns1\r\ns2\r\n");
  Item->Register();
  const TTree Written = Tree();
  EXPECT_EQ(Written.count("Vd.TestFile\\Shell\\Good\\Command @=s2"), 1u);
  EXPECT_EQ(Written.count("Vd.TestFile\\Shell @="), 0u) << "no default verb";
  EXPECT_FALSE(Exists("Vd.TestFile\\Shell\\Command"));
  EXPECT_FALSE(Exists("Vd.TestFile\\Shell\\Sub"));
  Set("Vd.TestFile\\Shell\\Sub\\Verb\\Command", "someone else's");
  Item->Unregister();
  EXPECT_TRUE(Exists("Vd.TestFile\\Shell\\Sub\\Verb\\Command"));
  EXPECT_FALSE(Exists("Vd.TestFile\\Shell\\Good"));
  SHDeleteKeyA(Scratch, "Vd.TestFile");

  // A write that fails raises; what was written before stays.
  auto* Bad = Add("\\Bad", "bad");
  ExpectRegistrationError([&] { Bad->Register(); });
  EXPECT_EQ(Tree(), (TTree{".bad", ".bad @=\\Bad"}));
}

TEST_F(FileClasses, AssignCopiesNameExtensionAndShellCommands) {
  Classes->SetStrongRegistration(false);
  Set(".vdx", "Registered.Class");
  auto* Source = Add("Own.Class", "*.vdx");
  Source->SetDescription("desc");
  Source->SetDefaultIcon("icon,1");
  SetVerbs(*Source->ShellCommands());
  Source->ShellCommands()->SetFind("find");
  Source->ShellCommands()->SetAnotherCommands("(more)");

  TObjectPtr<TNxFileClasses> Other(TNxFileClasses::Create(nullptr));
  Other->FileClasses()->Add();
  Other->SetFileClasses(Classes->FileClasses());  // what reading a collection does
  ASSERT_EQ(Other->Count(), 1);
  TNxFileClassItem* Copy = Other->FileClasses()->GetItem(0);
  EXPECT_EQ(Copy->OwnFileClassName(), "Registered.Class") << "the name as read";
  EXPECT_EQ(Copy->ExtensionName(), "*.vdx");
  EXPECT_EQ(Copy->Description(), "");
  EXPECT_EQ(Copy->DefaultIcon(), "");
  const TNxFileClassShellCommands& S = *Source->ShellCommands();
  const TNxFileClassShellCommands& D = *Copy->ShellCommands();
  EXPECT_EQ(D.Open(), S.Open());
  EXPECT_EQ(D.Print(), S.Print());
  EXPECT_EQ(D.Find(), "find");
  EXPECT_EQ(D.Properties(), S.Properties());
  EXPECT_EQ(D.AnotherCommands(), "(more)");
  EXPECT_TRUE(D.ExtendedCommandNames().Equals(S.ExtendedCommandNames()));
  EXPECT_TRUE(D.ExtendedCommandDescriptions().Equals(S.ExtendedCommandDescriptions()));
  EXPECT_TRUE(D.ExtendedCommandStrings().Equals(S.ExtendedCommandStrings()));

  TStringList NotAnItem;
  EXPECT_THROW(Copy->Assign(&NotAnItem), EConvertError);
  EXPECT_EQ(Copy->DisplayName(), "TNxFileClassItem");
  EXPECT_EQ(Source->DisplayName(), "desc");
  EXPECT_EQ(Classes->FileClasses()->GetOwner(), Classes.get());
  EXPECT_EQ(Source->GetNamePath(), "FileClasses1.FileClasses[0]");
}
