//---------------------------------------------------------------------------
#include <vcl.h>
#pragma hdrstop

#include "~UnitName~.h"
#pragma resource "*.dfm"
T~FormName~ *~FormName~;

//---------------------------------------------------------------------------
#include "ComServ_D.hpp"
#pragma package(smart_init)
//---------------------------------------------------------------------------

NX_REGISTER_PROPERTYSHEET(~FormName~);

//---------------------------------------------------------------------------
__fastcall T~FormName~::T~FormName~(TComponent* Owner)
	: TNxShellPropSheetForm(Owner)
{
}
//---------------------------------------------------------------------------











 
 
 
