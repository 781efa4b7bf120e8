//---------------------------------------------------------------------------
#include <vcl.h>
#pragma hdrstop

#include "Unit3.h"
//---------------------------------------------------------------------------
#pragma package(smart_init)
#pragma resource "*.dfm"
TNxShellViewForm1 *NxShellViewForm1;


NX_REGISTER_SHELLVIEWFORM(NxShellViewForm1);


//---------------------------------------------------------------------------
__fastcall TNxShellViewForm1::TNxShellViewForm1(TComponent* Owner)
	: TNxShellViewForm(Owner)
{
}
//---------------------------------------------------------------------------




 
 
 


 
 
 
