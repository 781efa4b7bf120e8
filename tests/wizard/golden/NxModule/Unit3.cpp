//---------------------------------------------------------------------------
#include <vcl.h>
#pragma hdrstop

#include "Unit3.h"
//---------------------------------------------------------------------------
#pragma package(smart_init)
#pragma resource "*.dfm"
TNxModule1 *NxModule1;

#pragma link "Comserv_d"
#pragma link "ComObj_d"
#pragma link "Nxcomobj"

NX_REGISTER_DATAMODULE(NxModule1);

//---------------------------------------------------------------------------
__fastcall TNxModule1::TNxModule1(TComponent* Owner)
	: TNxModule(Owner)
{
}
//---------------------------------------------------------------------------



 
 
 
 


 
