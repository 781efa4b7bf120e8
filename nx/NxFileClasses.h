// File classes and their shell verbs: a TNxFileClasses component lists file classes (an
// extension with its class name, description, default icon and verbs); each item writes its keys
// under HKEY_CLASSES_ROOT when its shell object registers and removes them when it unregisters.
//
// Layout written by one item (all default values, REG_SZ):
//   .<ext>                                  = class name     (not for an empty extension)
//   <Class>                                 = Description
//   <Class>\DefaultIcon                     = DefaultIcon    (also when empty)
//   <Class>\Shell\<Verb>\Command            = the verb's command line, standard verbs
//   <Class>\Shell\<Name>, ...\<Name>\Command = menu text, command line, extended verbs
#pragma once

#include <string>
#include <vector>

#include "classlib/Classes.h"

class TNxFileClasses;
class TNxFileClassItem;

// One value the registration writes: the default value of Key under HKEY_CLASSES_ROOT.
struct TNxClassesRootValue {
  std::string Key;
  std::string Value;
  friend bool operator==(const TNxClassesRootValue&, const TNxClassesRootValue&) = default;
};

// ---- Shell verbs ----------------------------------------------------------------------------------

// The verbs of a file class: six standard verbs and parallel lists of extended verbs (entry i of
// the names, descriptions and command strings belongs to extended verb i).
class TNxCustomShellCommandsEditor : public TPersistent {
  VD_CLASS(TNxCustomShellCommandsEditor, TPersistent);

public:
  TNxCustomShellCommandsEditor() = default;

  const std::string& Open() const noexcept { return FOpen; }
  void SetOpen(const std::string& Value) { FOpen = Value; }
  const std::string& Print() const noexcept { return FPrint; }
  void SetPrint(const std::string& Value) { FPrint = Value; }
  const std::string& Explore() const noexcept { return FExplore; }
  void SetExplore(const std::string& Value) { FExplore = Value; }
  const std::string& Find() const noexcept { return FFind; }
  void SetFind(const std::string& Value) { FFind = Value; }
  const std::string& OpenAs() const noexcept { return FOpenAs; }
  void SetOpenAs(const std::string& Value) { FOpenAs = Value; }
  const std::string& Properties() const noexcept { return FProperties; }
  void SetProperties(const std::string& Value) { FProperties = Value; }
  // The designer's entry to the extended-verb editor; registration ignores it.
  const std::string& AnotherCommands() const noexcept { return FAnotherCommands; }
  void SetAnotherCommands(const std::string& Value) { FAnotherCommands = Value; }

  // Verb key names, menu texts and command lines of the extended verbs.
  TStringList& ExtendedCommandNames() noexcept { return FNames; }
  TStringList& ExtendedCommandDescriptions() noexcept { return FDescriptions; }
  TStringList& ExtendedCommandStrings() noexcept { return FStrings; }
  const TStringList& ExtendedCommandNames() const noexcept { return FNames; }
  const TStringList& ExtendedCommandDescriptions() const noexcept { return FDescriptions; }
  const TStringList& ExtendedCommandStrings() const noexcept { return FStrings; }

  // From another shell-commands object: the seven strings and the three lists.
  void Assign(TPersistent* Source) override;
  // "ExtendedCommandNames", "ExtendedCommandDescriptions", "ExtendedCommandStrings" as lists of
  // strings, each written only when not empty.
  void DefineProperties(TFiler* Filer) override;

  // Writes / deletes the verb keys of ClassName.
  void Register(const std::string& ClassName) { WriteCommandKeys(ClassName); }
  void Unregister(const std::string& ClassName) { DeleteCommandKeys(ClassName); }

  // The values WriteCommandKeys writes, in writing order: the standard verbs that are set (Print,
  // Properties, Find, Explore, Open, OpenAs), then each extended verb's menu text and command.
  // Extended verbs with an empty name or a "\" in it are left out. Raises EOleRegistrationError
  // for an empty class name or extended lists of unequal length, so nothing is written then.
  std::vector<TNxClassesRootValue> CommandValues(const std::string& ClassName) const;
  // The verb keys DeleteCommandKeys removes, in order: all six standard verbs, the extended verbs
  // (as above), then "<Class>\Shell". Empty for an empty class name.
  std::vector<std::string> CommandKeys(const std::string& ClassName) const;

protected:
  virtual void WriteCommandKeys(const std::string& ClassName);
  // Deletes "<key>\Command" and then "<key>" for each of CommandKeys; a key that still has
  // subkeys or is missing stays as it is. Never raises.
  virtual void DeleteCommandKeys(const std::string& ClassName);

private:
  std::string FOpen, FPrint, FExplore, FFind, FOpenAs, FProperties, FAnotherCommands;
  TStringList FNames, FDescriptions, FStrings;
};

class TNxFileClassShellCommands : public TNxCustomShellCommandsEditor {
  VD_CLASS(TNxFileClassShellCommands, TNxCustomShellCommandsEditor);

public:
  TNxFileClassShellCommands() = default;
};

// ---- File classes ---------------------------------------------------------------------------------

// Told before the item registers (Register True) or unregisters (False).
using TnxOnRegisterFileClass = TEvent<bool /*Register*/, TNxFileClassItem* /*FileClassItem*/>;

class TNxFileClassItem : public TCollectionItem {
  VD_CLASS(TNxFileClassItem, TCollectionItem);

public:
  explicit TNxFileClassItem(TCollection* Collection);

  // With StrongRegistration the own name; otherwise the class the extension's key names
  // (HKCR\.<ext>, at most 255 characters), or the own name when that is empty.
  std::string FileClassName() const;
  // The name as set, whatever the registry says.
  const std::string& OwnFileClassName() const noexcept { return FFileClassName; }
  void SetFileClassName(const std::string& Value);
  // Only the text after the last "." counts: "txt", ".txt" and "*.txt" name one extension.
  const std::string& ExtensionName() const noexcept { return FExtensionName; }
  void SetExtensionName(const std::string& Value);
  const std::string& Description() const noexcept { return FDescription; }
  void SetDescription(const std::string& Value);
  // "file,index".
  const std::string& DefaultIcon() const noexcept { return FDefaultIcon; }
  void SetDefaultIcon(const std::string& Value);
  TNxFileClassShellCommands* ShellCommands() const noexcept { return FShellCommands; }
  void SetShellCommands(TNxFileClassShellCommands* Value);
  // The owning component's flag; False for an item without one.
  bool StrongRegistration() const;
  // "." + the bare extension; empty when the extension is empty.
  std::string ExtensionKey() const;

  TnxOnRegisterFileClass OnRegisterFileClass;

  // Writes the extension key, the class key, its default icon and the verbs. Everything is
  // checked first: an empty class name or unequal extended lists raise EOleRegistrationError
  // before anything is written. A failing write raises it too; the keys written before stay.
  virtual void Register();
  // With StrongRegistration, and only while HKCR\.<ext> still names this item's own class:
  // deletes the default icon, the verb keys, the class's and the extension's default values,
  // then the class key and the extension key when they are empty. Another program's association
  // is never touched. Never raises (except from the event).
  virtual void Unregister();
  // HKCR\<FileClassName> can be opened (False for an empty name).
  virtual bool IsRegistered();

  // From another item: its FileClassName (as read), ExtensionName and ShellCommands.
  void Assign(TPersistent* Source) override;
  // The description, or the class name when it is empty.
  std::string GetDisplayName() const override;
  void SetDisplayName(const std::string& Value) override { SetDescription(Value); }

protected:
  ~TNxFileClassItem() override;

private:
  std::string FFileClassName, FExtensionName, FDescription, FDefaultIcon;
  TNxFileClassShellCommands* FShellCommands;
};

// The items of a TNxFileClasses; its owner is that component.
class TNxFileClassesCollection : public TOwnedCollection {
  VD_CLASS(TNxFileClassesCollection, TOwnedCollection);

public:
  explicit TNxFileClassesCollection(TNxFileClasses* AOwner);
  TNxFileClasses* FileClasses() const noexcept { return FFileClasses; }
  TNxFileClassItem* GetItem(int Index) const;  // EListError when out of range
  bool StrongRegistration() const;

private:
  TNxFileClasses* FFileClasses;
};

class TNxFileClasses : public TComponent {
  VD_CLASS(TNxFileClasses, TComponent);

public:
  explicit TNxFileClasses(TComponent* AOwner);

  TNxFileClassesCollection* FileClasses() const noexcept { return FFileClasses; }
  void SetFileClasses(TNxFileClassesCollection* Value);
  int Count() const noexcept { return FFileClasses->Count(); }
  // True: each item's own class name is used and unregistering removes its entries. False: an
  // existing association of the extension is reused and unregistering removes nothing.
  bool StrongRegistration() const noexcept { return FStrongRegistration; }
  void SetStrongRegistration(bool Value) { FStrongRegistration = Value; }

protected:
  ~TNxFileClasses() override;

private:
  TNxFileClassesCollection* FFileClasses;
  bool FStrongRegistration = false;
};

// Unit start-up registers TNxFileClasses for form resources; shutdown takes it out again.
void NxFileClassesInitialize();
void NxFileClassesFinalize();
