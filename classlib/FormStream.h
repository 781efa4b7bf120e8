// Form resources: component descriptions in the text form of FormParser.h, embedded as RCDATA
// resources named after the upper-cased class name ("TNXMODULE1"), read into components at run
// time through the published-property tables, and written back from components.
//
// Reading a description into its root component:
//   - the root gets csLoading (until its Loaded) and csReading (while its properties are read);
//     its Name is set first (made unique among its owner's components: "Form1", "Form1_1", ...);
//   - each nested "object Name: TClass" is created through its class reference with the root as
//     owner (registered classes, then the classes of the root's published fields), or reused when
//     the root already owns a component of that name and class ("inherited" requires one). Its
//     Name is set before anything else, then SetParentComponent(enclosing->GetChildParent()),
//     then its properties (csReading meanwhile), then its nested objects;
//   - a component whose name matches a published field of the root is stored in that field;
//   - an event property names a published method of the root ("OnClick = Button1Click"); the
//     method must have the event's signature;
//   - a component reference ("ImageList = NxIconList1", "Other = Module2.List1", "nil") is set
//     once the whole description is read: names are looked up among the root's components (or the
//     root itself); "Root.Name" forms in the root named Root or through FindGlobalComponent. A
//     name within the root that does not resolve is an error; a reference into another root that
//     does not exist (yet) stays nil;
//   - integer properties also take identifiers of the maps registered for their type
//     (RegisterIntegerConsts: colours, cursors);
//   - properties that are no published ones go to the instance's DefineProperties; the reader and
//     writer offer the "Strings" pseudo-property of every TStrings themselves;
//   - at the end every component read gets Loaded, the root first, then in reading order.
// Every fault raises EReadError naming the property and the line ("Error reading Form1.Edit1.Foo
// on line 7: ..."); syntax faults raise EParserError (an EReadError) with the line.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "classlib/Classes.h"
#include "classlib/FormParser.h"

// ---- Identifier maps for integer properties -----------------------------------------------------

struct TIdentMapEntry {
  int Value;
  const char* Name;
};
using TIdentToInt = std::function<bool(const std::string& Ident, int& Value)>;
using TIntToIdent = std::function<bool(int Value, std::string& Ident)>;

// Table lookups (identifiers compared without regard to case).
bool IdentToInt(const std::string& Ident, int& Value, const TIdentMapEntry* Map, size_t Count);
bool IntToIdent(int Value, std::string& Ident, const TIdentMapEntry* Map, size_t Count);
template <size_t N> bool IdentToInt(const std::string& Ident, int& Value, const TIdentMapEntry (&Map)[N]) {
  return IdentToInt(Ident, Value, Map, N);
}
template <size_t N> bool IntToIdent(int Value, std::string& Ident, const TIdentMapEntry (&Map)[N]) {
  return IntToIdent(Value, Ident, Map, N);
}

// Lets properties of IntegerType (TColor, TCursor) be read and written as identifiers. A later
// registration for the same type replaces the earlier one. Lookups match the type descriptor,
// or else a descriptor of the same type name.
void RegisterIntegerConsts(const TTypeInfo* IntegerType, TIdentToInt IdentToInt, TIntToIdent IntToIdent);
void UnRegisterIntegerConsts(const TTypeInfo* IntegerType);
TIdentToInt FindIdentToInt(const TTypeInfo* IntegerType);  // empty when none is registered
TIntToIdent FindIntToIdent(const TTypeInfo* IntegerType);

// ---- Roots of other descriptions ----------------------------------------------------------------

// Finds a live root component (form, data module) by name, for "Root.Component" references.
using TFindGlobalComponent = TComponent* (*)(const std::string& Name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc);
void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc);
// The first registered finder's answer; nil when none knows the name.
TComponent* FindGlobalComponent(const std::string& Name);

// ---- Reader -------------------------------------------------------------------------------------

// What the next value of a defined property is (vaNull: the end of the current list).
enum TValueType {
  vaNull,
  vaList,
  vaInteger,
  vaExtended,
  vaString,
  vaIdent,
  vaFalse,
  vaTrue,
  vaNil,
  vaSet,
  vaCollection,
  vaBinary,
};

namespace formstream_detail {
struct TLoadSession;
}

class TReader : public TFiler {
  VD_CLASS(TReader, TFiler);

public:
  // Reads the description from the stream's position to its end.
  explicit TReader(TStream& Stream);
  // Shares fixups and the Loaded calls with other readers of one session (InitInheritedComponent).
  TReader(TStream& Stream, formstream_detail::TLoadSession* Session);
  ~TReader() override;

  // Reads the description into Root and returns it. The described class must be Root's class or
  // one of its ancestors. Root nil: creates an instance (without owner) of the described class,
  // which must be registered. When reading fails, a root created here is freed again.
  TComponent* ReadRootComponent(TComponent* Root);

  // Called from DefineProperties: runs ReadData when Name is the property being read.
  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  // ReadData gets a memory stream over the bytes at position 0.
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  // The values of a defined property, for ReadData. Each raises when the value is of another kind.
  TValueType NextValue() const;
  bool EndOfList() const;
  void ReadListBegin();
  void ReadListEnd();
  int ReadInteger();
  int64_t ReadInt64();
  bool ReadBoolean();
  double ReadFloat();
  std::string ReadString();
  char ReadChar();
  std::string ReadIdent();

  // While a description is read: its root (also Filer::Root), the owner of the components it
  // creates, and the parent component handed to the component being read.
  TComponent* Owner() const noexcept;
  TComponent* Parent() const noexcept;
  // The line of the property being read (0 outside one).
  int Line() const noexcept;

private:
  struct TImpl;
  friend struct TImpl;
  friend bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor);
  // What TComponent keeps protected for readers.
  static void SetLoadingState(TComponent* C, TComponentStateItem Item, bool On);
  static void CallLoaded(TComponent* C);
  static void CallSetParentComponent(TComponent* C, TComponent* Parent);
  static TComponent* CallGetChildParent(TComponent* C);
  // Resolves the session's references and calls Loaded; on failure clears the loading states.
  static void FinishSession(formstream_detail::TLoadSession& Session);
  static void FailSession(formstream_detail::TLoadSession& Session) noexcept;

  std::unique_ptr<TImpl> F;
};

// ---- Writer -------------------------------------------------------------------------------------

// Writes the description of a root component: the stored published properties that differ from
// their defaults, the defined properties, and the components the root owns, each nested inside
// the description of its parent component (GetParentComponent) when that is the root or a
// component of the root, else directly inside the root.
class TWriter : public TFiler {
  VD_CLASS(TWriter, TFiler);

public:
  explicit TWriter(TStream& Stream);
  ~TWriter() override;

  // Appends the text at the stream's position.
  void WriteRootComponent(TComponent* Root);

  void DefineProperty(const std::string& Name, TReaderProc ReadData, TWriterProc WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const std::string& Name, TStreamProc ReadData, TStreamProc WriteData,
                            bool HasData) override;

  // The values of a defined property, for WriteData: one value (a list counts as one).
  void WriteListBegin();
  void WriteListEnd();
  void WriteInteger(int64_t Value);
  void WriteBoolean(bool Value);
  void WriteFloat(double Value);
  void WriteString(const std::string& Value);
  void WriteChar(char Value);
  void WriteIdent(const std::string& Value);

private:
  struct TImpl;
  friend struct TImpl;
  static void SetWritingState(TComponent* C, bool On);
  std::unique_ptr<TImpl> F;
};

// ---- Resources and helpers ----------------------------------------------------------------------

// The module whose resources hold the descriptions: the one this code is linked into.
HINSTANCE FormResourceModule() noexcept;
// The resource name of a class's description: its name in upper case.
std::string FormResourceName(TClass AClass);

// Reads the descriptions of Instance's class and its ancestors below RootAncestor, base first,
// into Instance as one load (references resolved and Loaded called once, after the last).
// False when none of these classes has a description.
bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor);
// Reads the RCDATA resource ResName of FormResourceModule() (EResNotFound when it is missing)
// into Instance, or into a new instance of the described class when Instance is nil.
TComponent* ReadComponentRes(const std::string& ResName, TComponent* Instance);
// The same from text.
TComponent* ReadComponentFromText(const std::string& Text, TComponent* Instance);
// The description of Root as text.
std::string WriteComponentToText(TComponent* Root);
