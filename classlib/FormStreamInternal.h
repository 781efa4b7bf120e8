// Shared between the form reader and the resource helpers: one load of one or more descriptions
// into a root (InitInheritedComponent reads several), with its pending references and the
// components waiting for Loaded.
#pragma once

#include <string>
#include <vector>

#include "classlib/Classes.h"

namespace formstream_detail {

// A component reference to set once everything is read.
struct TFixup {
  TComponent* Root;
  TPersistent* Instance;
  PPropInfo Prop;
  std::string Name;
  int Line;
  std::string Path;
  // The collections (outermost first) whose items hold Instance: clearing one drops the fixup.
  std::vector<TCollection*> Collections;
};

struct TLoadSession {
  std::vector<TComponent*> Loaded;   // reading order, each once
  std::vector<TComponent*> Created;  // made by this load (not found on the root)
  std::vector<TFixup> Fixups;

  bool WasCreated(TComponent* C) const;

  void AddLoaded(TComponent* C);
  void RemoveLoaded(TComponent* C);
  void DropFixupsIn(TCollection* Coll);
};

// The component Name refers to from Root. Local is false when Name lies in another root that
// does not exist.
TComponent* ResolveReference(TComponent* Root, const std::string& Name, bool& Local);

}  // namespace formstream_detail
