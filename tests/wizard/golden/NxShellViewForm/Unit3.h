//---------------------------------------------------------------------------
#ifndef Unit3H
#define Unit3H
//---------------------------------------------------------------------------
#include <SysUtils.hpp>
#include <Classes.hpp>
#include <vcl.h>
//---------------------------------------------------------------------------
class TNxShellViewForm1 : public TNxShellViewForm
{
__published:    // IDE-managed Components
private:        // User declarations
public:         // User declarations
	__fastcall TNxShellViewForm1(TComponent* Owner);
};
//---------------------------------------------------------------------------
extern PACKAGE TNxShellViewForm1 *NxShellViewForm1;
//---------------------------------------------------------------------------
#endif









 
 
 
 
 
