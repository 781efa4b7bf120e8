//---------------------------------------------------------------------------
#ifndef Unit3H
#define Unit3H
//---------------------------------------------------------------------------
#include <SysUtils.hpp>
#include <Classes.hpp>
#include <NxPropertySheetForm.hpp>
#include <vcl.h>
//---------------------------------------------------------------------------
class TNxShellPropSheetForm1 : public TNxShellPropSheetForm
{
__published:    // IDE-managed Components
private:        // User declarations
public:         // User declarations
	__fastcall TNxShellPropSheetForm1(TComponent* Owner);
};
//---------------------------------------------------------------------------
extern PACKAGE TNxShellPropSheetForm1 *NxShellPropSheetForm1;
//---------------------------------------------------------------------------
#endif









