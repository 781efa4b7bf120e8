#include "vdsinfsht/NacrePlusDMUnit.h"

#include "classlib/ComServ.h"
#include "classlib/UnitInit.h"
#include "nx/NxComObj.h"
#include "nx/NxPropertySheetExt.h"

VD_DEFINE_CLASS(TNxModule1) { C.Field("NxShellPropSheetExt1", &TNxModule1::NxShellPropSheetExt1); }

namespace {
// One class factory per shell object of the module: here the page extension "NxShellPropSheetExt1".
void NacrePlusDMUnitInitialize() { RegisterNxDataModule(ComServer(), TNxModuleClass::Of<TNxModule1>()); }
const TUnitRegistration kUnit(urProjectDataModules, {"NacrePlusDMUnit", &NacrePlusDMUnitInitialize, nullptr});
}  // namespace
