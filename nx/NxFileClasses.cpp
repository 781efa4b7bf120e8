#include "nx/NxFileClasses.h"

#include "classlib/ComObj.h"
#include "classlib/FormStream.h"
#include "classlib/ScopedHandles.h"
#include "nx/NxTools.h"
#include "nx/NxUnitOrder.h"

namespace {

const TUnitRegistration kUnit(nxrFileClasses, {"NxFileClasses", &NxFileClassesInitialize, &NxFileClassesFinalize});

// The standard verbs in writing order: each key name behind the class name, and its string.
struct TStandardVerb {
  const char* Key;
  const std::string& (TNxCustomShellCommandsEditor::*Command)() const noexcept;
};
constexpr TStandardVerb kStandardVerbs[] = {
    {"\\Shell\\Print", &TNxCustomShellCommandsEditor::Print},
    {"\\Shell\\Properties", &TNxCustomShellCommandsEditor::Properties},
    {"\\Shell\\Find", &TNxCustomShellCommandsEditor::Find},
    {"\\Shell\\Explore", &TNxCustomShellCommandsEditor::Explore},
    {"\\Shell\\Open", &TNxCustomShellCommandsEditor::Open},
    {"\\Shell\\OpenAs", &TNxCustomShellCommandsEditor::OpenAs},
};

[[noreturn]] void RaiseRegistrationError() { throw EOleRegistrationError(SCreateRegKeyError); }

// An empty name would write the default value of "Shell" (the default verb) and a verb named
// "Command"; a "\" would nest keys below another verb.
bool IsVerbName(const std::string& Name) { return !Name.empty() && Name.find('\\') == std::string::npos; }

// The default value of HKCR\Key; empty when the key or value is missing, is no string or is
// longer than 255 characters.
std::string ReadClassesRootDefault(const std::string& Key) {
  ScopedRegKey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, Key.c_str(), 0, KEY_QUERY_VALUE, key.receive()) != ERROR_SUCCESS) return "";
  char buffer[257];
  DWORD type = 0, size = 256;  // 255 characters and the terminator
  if (RegQueryValueExA(key.get(), "", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size) != ERROR_SUCCESS)
    return "";
  if (type != REG_SZ && type != REG_EXPAND_SZ) return "";
  buffer[size] = '\0';
  std::string Value(buffer);
  return Value.size() <= 255 ? Value : std::string();
}

void DeleteClassesRootDefault(const std::string& Key) {
  ScopedRegKey key;
  if (RegOpenKeyExA(HKEY_CLASSES_ROOT, Key.c_str(), 0, KEY_SET_VALUE, key.receive()) == ERROR_SUCCESS)
    RegDeleteValueA(key.get(), "");
}

// Plain deletion: a key that still has subkeys, or isn't there, stays as it is.
void DeleteClassesRootKey(const std::string& Key) { RegDeleteKeyA(HKEY_CLASSES_ROOT, Key.c_str()); }

void ReadStringList(TReader& Reader, TStringList& List) {
  Reader.ReadListBegin();
  List.BeginUpdate();
  try {
    List.Clear();
    while (!Reader.EndOfList()) List.Add(Reader.ReadString());
  } catch (...) {
    List.EndUpdate();
    throw;
  }
  List.EndUpdate();
  Reader.ReadListEnd();
}

void WriteStringList(TWriter& Writer, const TStringList& List) {
  Writer.WriteListBegin();
  for (int i = 0; i < List.Count(); ++i) Writer.WriteString(List.Get(i));
  Writer.WriteListEnd();
}

}  // namespace

// ---- TNxCustomShellCommandsEditor ------------------------------------------------------------------

VD_DEFINE_CLASS(TNxCustomShellCommandsEditor) {
  using T = TNxCustomShellCommandsEditor;
  C.Property("Open", &T::FOpen, &T::SetOpen);
  C.Property("Print", &T::FPrint, &T::SetPrint);
  C.Property("Explore", &T::FExplore, &T::SetExplore);
  C.Property("Find", &T::FFind, &T::SetFind);
  C.Property("OpenAs", &T::FOpenAs, &T::SetOpenAs);
  C.Property("Properties", &T::FProperties, &T::SetProperties);
  C.Property("AnotherCommands", &T::FAnotherCommands, &T::SetAnotherCommands);
}

VD_DEFINE_CLASS(TNxFileClassShellCommands) {}

void TNxCustomShellCommandsEditor::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TNxCustomShellCommandsEditor*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  if (Src == this) return;
  FOpen = Src->FOpen;
  FPrint = Src->FPrint;
  FExplore = Src->FExplore;
  FFind = Src->FFind;
  FOpenAs = Src->FOpenAs;
  FProperties = Src->FProperties;
  FAnotherCommands = Src->FAnotherCommands;
  FNames.Assign(&Src->FNames);
  FDescriptions.Assign(&Src->FDescriptions);
  FStrings.Assign(&Src->FStrings);
}

void TNxCustomShellCommandsEditor::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  auto Define = [Filer](const char* Name, TStringList& List) {
    Filer->DefineProperty(
        Name, [&List](TReader& R) { ReadStringList(R, List); }, [&List](TWriter& W) { WriteStringList(W, List); },
        List.Count() > 0);
  };
  Define("ExtendedCommandNames", FNames);
  Define("ExtendedCommandDescriptions", FDescriptions);
  Define("ExtendedCommandStrings", FStrings);
}

std::vector<TNxClassesRootValue> TNxCustomShellCommandsEditor::CommandValues(const std::string& ClassName) const {
  if (ClassName.empty()) RaiseRegistrationError();
  // Unequal lists would leave a half-written registration behind.
  if (FNames.Count() != FDescriptions.Count() || FNames.Count() != FStrings.Count()) RaiseRegistrationError();
  std::vector<TNxClassesRootValue> Values;
  for (const TStandardVerb& Verb : kStandardVerbs) {
    const std::string& Command = (this->*Verb.Command)();
    if (!Command.empty()) Values.push_back({ClassName + Verb.Key + "\\Command", Command});
  }
  for (int i = 0; i < FNames.Count(); ++i) {
    const std::string Name = FNames.Get(i);
    if (!IsVerbName(Name)) continue;
    const std::string Key = ClassName + "\\Shell\\" + Name;
    Values.push_back({Key, FDescriptions.Get(i)});
    Values.push_back({Key + "\\Command", FStrings.Get(i)});
  }
  return Values;
}

std::vector<std::string> TNxCustomShellCommandsEditor::CommandKeys(const std::string& ClassName) const {
  std::vector<std::string> Keys;
  if (ClassName.empty()) return Keys;
  for (const TStandardVerb& Verb : kStandardVerbs) Keys.push_back(ClassName + Verb.Key);
  for (int i = 0; i < FNames.Count(); ++i)
    if (IsVerbName(FNames.Get(i))) Keys.push_back(ClassName + "\\Shell\\" + FNames.Get(i));
  Keys.push_back(ClassName + "\\Shell");
  return Keys;
}

void TNxCustomShellCommandsEditor::WriteCommandKeys(const std::string& ClassName) {
  for (const TNxClassesRootValue& V : CommandValues(ClassName)) CreateRegKey(V.Key, "", V.Value);
}

void TNxCustomShellCommandsEditor::DeleteCommandKeys(const std::string& ClassName) {
  for (const std::string& Key : CommandKeys(ClassName)) {
    DeleteClassesRootKey(Key + "\\Command");
    DeleteClassesRootKey(Key);
  }
}

// ---- TNxFileClassItem --------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxFileClassItem) {
  using T = TNxFileClassItem;
  C.Property("FileClassName", &T::FileClassName, &T::SetFileClassName);
  C.Property("ExtensionName", &T::FExtensionName, &T::SetExtensionName);
  C.Property("Description", &T::FDescription, &T::SetDescription);
  C.Property("DefaultIcon", &T::FDefaultIcon, &T::SetDefaultIcon);
  C.Property("ShellCommands", &T::FShellCommands, &T::SetShellCommands);
  C.Property("OnRegisterFileClass", &T::OnRegisterFileClass, &T::OnRegisterFileClass);
}

TNxFileClassItem::TNxFileClassItem(TCollection* Collection)
    : TCollectionItem(Collection), FShellCommands(TNxFileClassShellCommands::Create()) {}

TNxFileClassItem::~TNxFileClassItem() { FShellCommands->Free(); }

std::string TNxFileClassItem::FileClassName() const {
  if (StrongRegistration()) return FFileClassName;
  const std::string Key = ExtensionKey();
  std::string Associated = Key.empty() ? std::string() : ReadClassesRootDefault(Key);
  return Associated.empty() ? FFileClassName : Associated;
}

void TNxFileClassItem::SetFileClassName(const std::string& Value) {
  if (Value == FFileClassName) return;
  FFileClassName = Value;
  Changed(false);
}

void TNxFileClassItem::SetExtensionName(const std::string& Value) {
  if (Value == FExtensionName) return;
  FExtensionName = Value;
  Changed(false);
}

void TNxFileClassItem::SetDescription(const std::string& Value) {
  if (Value == FDescription) return;
  FDescription = Value;
  Changed(false);
}

void TNxFileClassItem::SetDefaultIcon(const std::string& Value) {
  if (Value == FDefaultIcon) return;
  FDefaultIcon = Value;
  Changed(false);
}

void TNxFileClassItem::SetShellCommands(TNxFileClassShellCommands* Value) { FShellCommands->Assign(Value); }

bool TNxFileClassItem::StrongRegistration() const {
  auto* Owner = dynamic_cast<TNxFileClassesCollection*>(Collection());
  return Owner != nullptr && Owner->StrongRegistration();
}

std::string TNxFileClassItem::ExtensionKey() const {
  const std::string Ext = GetLastExtension(FExtensionName);
  return Ext.empty() ? std::string() : "." + Ext;
}

void TNxFileClassItem::Register() {
  OnRegisterFileClass(true, this);
  const std::string Class = FileClassName();
  // Checked before anything is written: an empty name would leave ".ext" = "" behind and fail
  // on "\DefaultIcon".
  if (Class.empty()) RaiseRegistrationError();
  const std::vector<TNxClassesRootValue> Commands = FShellCommands->CommandValues(Class);
  RegisterExtensionClass(ExtensionKey(), Class, FDescription);
  CreateRegKey(Class + "\\DefaultIcon", "", FDefaultIcon);
  for (const TNxClassesRootValue& V : Commands) CreateRegKey(V.Key, "", V.Value);
}

void TNxFileClassItem::Unregister() {
  OnRegisterFileClass(false, this);
  if (!StrongRegistration()) return;
  const std::string ExtKey = ExtensionKey();
  const std::string& Class = FFileClassName;
  if (ExtKey.empty() || Class.empty()) return;
  // Only our own association: another program may have taken the extension over since.
  if (!SameText(ReadClassesRootDefault(ExtKey), Class)) return;
  DeleteClassesRootKey(Class + "\\DefaultIcon");
  FShellCommands->Unregister(Class);
  // The two default values are ours; the keys go only when nothing else is left in them.
  DeleteClassesRootDefault(Class);
  DeleteRegKeyIfNamed(Class);
  DeleteClassesRootDefault(ExtKey);
  DeleteEmptyRegKey(ExtKey);
}

bool TNxFileClassItem::IsRegistered() {
  const std::string Class = FileClassName();
  if (Class.empty()) return false;  // "" would open the root itself
  ScopedRegKey key;
  return RegOpenKeyExA(HKEY_CLASSES_ROOT, Class.c_str(), 0, KEY_READ, key.receive()) == ERROR_SUCCESS;
}

void TNxFileClassItem::Assign(TPersistent* Source) {
  auto* Src = dynamic_cast<TNxFileClassItem*>(Source);
  if (!Src) {
    inherited::Assign(Source);
    return;
  }
  if (Src == this) return;
  SetFileClassName(Src->FileClassName());
  SetExtensionName(Src->FExtensionName);
  FShellCommands->Assign(Src->FShellCommands);
}

std::string TNxFileClassItem::GetDisplayName() const {
  return FDescription.empty() ? inherited::GetDisplayName() : FDescription;
}

// ---- TNxFileClassesCollection ------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxFileClassesCollection) {}

TNxFileClassesCollection::TNxFileClassesCollection(TNxFileClasses* AOwner)
    : TOwnedCollection(AOwner, TCollectionItemClass::Of<TNxFileClassItem>()), FFileClasses(AOwner) {}

TNxFileClassItem* TNxFileClassesCollection::GetItem(int Index) const {
  return static_cast<TNxFileClassItem*>(Items(Index));
}

bool TNxFileClassesCollection::StrongRegistration() const {
  return FFileClasses != nullptr && FFileClasses->StrongRegistration();
}

// ---- TNxFileClasses ------------------------------------------------------------------------------------

VD_DEFINE_CLASS(TNxFileClasses) {
  using T = TNxFileClasses;
  C.Property("FileClasses", &T::FFileClasses, &T::SetFileClasses);
  C.Property("Count", &T::Count);
  C.Property("StrongRegistration", &T::FStrongRegistration, &T::SetStrongRegistration);  // always streamed
}

TNxFileClasses::TNxFileClasses(TComponent* AOwner)
    : TComponent(AOwner), FFileClasses(TNxFileClassesCollection::Create(this)) {}

TNxFileClasses::~TNxFileClasses() { FFileClasses->Free(); }

void TNxFileClasses::SetFileClasses(TNxFileClassesCollection* Value) { FFileClasses->Assign(Value); }

// ---- Unit start-up and shutdown -----------------------------------------------------------------------

void NxFileClassesInitialize() { RegisterClass(ClassOf<TNxFileClasses>()); }

void NxFileClassesFinalize() { UnRegisterClass(ClassOf<TNxFileClasses>()); }
