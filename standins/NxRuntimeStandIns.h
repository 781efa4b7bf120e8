// Stand-ins for two components of the Nx runtime package that lie outside this repository: the
// component wizard's default-icon editor edits them at design time. Each has only what the editor
// reads and writes, as published properties, so the editor can be built and tested here; neither
// does anything at run time.
//
//   DefaultIcon of a shell folder:  "shell32.dll,3"   (an icon inside a file, in the registry's form)
//   an overlay icon:                IconFile "shell32.dll", IconIndex 3
#pragma once

#include <string>

#include "classlib/Classes.h"

class TNxCustomShellFolder : public TComponent {
  VD_CLASS(TNxCustomShellFolder, TComponent);

public:
  using TComponent::TComponent;

  const std::string& DefaultIcon() const noexcept { return FDefaultIcon; }
  void SetDefaultIcon(const std::string& Value) { FDefaultIcon = Value; }

private:
  std::string FDefaultIcon;
};

class TNxOverlayIcon : public TComponent {
  VD_CLASS(TNxOverlayIcon, TComponent);

public:
  using TComponent::TComponent;

  // The file holding the icon, without its folder (the shell finds it through the search path).
  const std::string& IconFile() const noexcept { return FIconFile; }
  void SetIconFile(const std::string& Value) { FIconFile = Value; }
  // The icon's place in the file; -1: none.
  int IconIndex() const noexcept { return FIconIndex; }
  void SetIconIndex(int Value) { FIconIndex = Value; }

private:
  std::string FIconFile;
  int FIconIndex = -1;
};
