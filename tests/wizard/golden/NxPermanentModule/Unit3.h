//---------------------------------------------------------------------------
#ifndef Unit3H
#define Unit3H
//---------------------------------------------------------------------------
#include <SysUtils.hpp>
#include <Classes.hpp>
#include <vcl.h>
//---------------------------------------------------------------------------
class TNxPermanentModule1 : public TNxPermanentModule
{
__published:    // IDE-managed Components
private:        // User declarations
public:         // User declarations
	__fastcall TNxPermanentModule1(TComponent* Owner);
};
//---------------------------------------------------------------------------
extern PACKAGE TNxPermanentModule1 *NxPermanentModule1;
//---------------------------------------------------------------------------
#endif









 
 
 
 
