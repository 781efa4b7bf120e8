//---------------------------------------------------------------------------
#include <vcl.h>
#pragma hdrstop

#include "Unit3.h"
#pragma resource "*.dfm"
TNxShellPropSheetForm1 *NxShellPropSheetForm1;

//---------------------------------------------------------------------------
#include "ComServ_D.hpp"
#pragma package(smart_init)
//---------------------------------------------------------------------------

NX_REGISTER_PROPERTYSHEET(NxShellPropSheetForm1);

//---------------------------------------------------------------------------
__fastcall TNxShellPropSheetForm1::TNxShellPropSheetForm1(TComponent* Owner)
	: TNxShellPropSheetForm(Owner)
{
}
//---------------------------------------------------------------------------











 
 
 
