//---------------------------------------------------------------------------
#include <vcl.h>
#pragma hdrstop

#include "Unit3.h"
//---------------------------------------------------------------------------
#pragma package(smart_init)
#pragma resource "*.dfm"
TNxPermanentModule1 *NxPermanentModule1;



NX_REGISTER_PERMANENTMODULE(NxPermanentModule1);

//---------------------------------------------------------------------------
__fastcall TNxPermanentModule1::TNxPermanentModule1(TComponent* Owner)
	: TNxPermanentModule(Owner)
{
}
//---------------------------------------------------------------------------



 
 
 
 


 
 
 
