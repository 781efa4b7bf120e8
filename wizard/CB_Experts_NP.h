// The experts of the component wizard: the entries the IDE lists (ExptIntf.h). A menu expert
// (TCBISimpleExpert) has a menu text; a repository expert (TCBIAdvancedExpert) has an icon. An owner
// creates one (reference count 1), fills its fields, calls Register, and later releases it; the
// last release takes the expert out of the IDE before any of its fields goes.
//
// HexToBin turns the hexadecimal text the wizards keep their icons in back into the icon file.
#pragma once

#include <string>

#include "classlib/Graphics.h"
#include "ide/IdeInterfaced.h"

class TCBIExpert;
using TExpertExecuteEvent = TEvent<TCBIExpert* /*Sender*/>;

class TCBIExpert : public TIdeInterfaced<TIExpert> {
public:
  TCBIExpert() = default;

  std::string ExpertName;  // name and identity; must not be blank
  std::string Author;
  std::string Comment;
  std::string Page;        // repository page; blank means "New"
  uint8_t Style = esMenu;  // TExpertStyle
  uint8_t State = 0;       // TExpertStateFlag bits
  std::string MenuText;    // must not be blank for a menu expert
  TExpertExecuteEvent OnExecute;

  // What the registration messages name the expert by: its ExpertName, or its class name while that
  // is blank.
  std::string ExpertLabel() const;
  virtual const char* ClassName() const noexcept { return "TCBIExpert"; }

  // Checks the name (and a menu expert's menu text), then adds the expert to the IDE.
  void Register();

  // The slots.
  const char* IDE_SLOT GetName() override { return ExpertName.c_str(); }
  const char* IDE_SLOT GetAuthor() override { return Author.c_str(); }
  const char* IDE_SLOT GetComment() override { return Comment.c_str(); }
  const char* IDE_SLOT GetPage() override;
  HICON IDE_SLOT GetGlyph() override { return nullptr; }
  uint8_t IDE_SLOT GetStyle() override { return Style; }
  uint8_t IDE_SLOT GetState() override { return State; }
  const char* IDE_SLOT GetIDString() override { return ExpertName.c_str(); }
  const char* IDE_SLOT GetMenuText() override { return MenuText.c_str(); }
  void IDE_SLOT Execute() override;

protected:
  ~TCBIExpert() override = default;
  void LastReleased() override;
};

class TCBISimpleExpert : public TCBIExpert {
public:
  const char* ClassName() const noexcept override { return "TCBISimpleExpert"; }

protected:
  ~TCBISimpleExpert() override = default;
};

class TCBIAdvancedExpert : public TCBIExpert {
public:
  TCBIAdvancedExpert();
  const char* ClassName() const noexcept override { return "TCBIAdvancedExpert"; }
  // A copy of the icon for the IDE, which owns each one it gets; 0 without an icon.
  HICON IDE_SLOT GetGlyph() override;
  virtual void SetGlyph(TGraphic* Graphic);

  TIcon* Glyph;

protected:
  ~TCBIAdvancedExpert() override;
};

// Two hexadecimal digits per byte, high digit first ("0A1f" gives 10 and 31); an odd last character
// is ignored. Any other character raises Exception ""G" not a hex digit", and decoding stops.
std::string HexToBin(const std::string& Text);
