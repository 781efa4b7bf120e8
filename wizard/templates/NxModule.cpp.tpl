//---------------------------------------------------------------------------
#include <vcl.h>
#pragma hdrstop

#include "~UnitName~.h"
//---------------------------------------------------------------------------
#pragma package(smart_init)
#pragma resource "*.dfm"
T~FormName~ *~FormName~;

#pragma link "Comserv_d"
#pragma link "ComObj_d"
#pragma link "Nxcomobj"

NX_REGISTER_DATAMODULE(~FormName~);

//---------------------------------------------------------------------------
__fastcall T~FormName~::T~FormName~(TComponent* Owner)
	: TNxModule(Owner)
{
}
//---------------------------------------------------------------------------



 
 
 
 


 
