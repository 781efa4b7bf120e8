//---------------------------------------------------------------------------
#ifndef ~UnitName~H
#define ~UnitName~H
//---------------------------------------------------------------------------
#include <SysUtils.hpp>
#include <Classes.hpp>
#include <NxPropertySheetForm.hpp>
#include <vcl.h>
//---------------------------------------------------------------------------
class T~FormName~ : public TNxShellPropSheetForm
{
__published:    // IDE-managed Components
private:        // User declarations
public:         // User declarations
	__fastcall T~FormName~(TComponent* Owner);
};
//---------------------------------------------------------------------------
extern PACKAGE T~FormName~ *~FormName~;
//---------------------------------------------------------------------------
#endif









