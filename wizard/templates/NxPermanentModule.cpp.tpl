//---------------------------------------------------------------------------
#include <vcl.h>
#pragma hdrstop

#include "~UnitName~.h"
//---------------------------------------------------------------------------
#pragma package(smart_init)
#pragma resource "*.dfm"
T~FormName~ *~FormName~;



NX_REGISTER_PERMANENTMODULE(~FormName~);

//---------------------------------------------------------------------------
__fastcall T~FormName~::T~FormName~(TComponent* Owner)
	: TNxPermanentModule(Owner)
{
}
//---------------------------------------------------------------------------



 
 
 
 


 
 
 
