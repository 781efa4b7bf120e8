// The library's data module: one property-sheet extension component (NxShellPropSheetExt1) that
// adds the "Script Info" page to the Properties dialog of the file type "vdsfile". Everything it
// does is configured in its form resource; the unit's start-up makes the class factory.
#pragma once

#include "nx/NxDataModule.h"

class TNxShellPropSheetExt;

class TNxModule1 : public TNxModule {
  VD_CLASS(TNxModule1, TNxModule);

public:
  using TNxModule::TNxModule;

  TNxShellPropSheetExt* NxShellPropSheetExt1 = nullptr;

protected:
  ~TNxModule1() override = default;
};
