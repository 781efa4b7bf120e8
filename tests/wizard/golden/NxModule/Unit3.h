//---------------------------------------------------------------------------
#ifndef Unit3H
#define Unit3H
//---------------------------------------------------------------------------
#include <SysUtils.hpp>
#include <Classes.hpp>
#include <ComServ_D.hpp>
#include <ComObj_D.hpp>
#include <NxComObj.hpp>
#include <NxDataModule.hpp>
#include <vcl.h>
//---------------------------------------------------------------------------
class TNxModule1 : public TNxModule
{
__published:    // IDE-managed Components
private:        // User declarations
public:         // User declarations
	__fastcall TNxModule1(TComponent* Owner);
};
//---------------------------------------------------------------------------
extern PACKAGE TNxModule1 *NxModule1;
//---------------------------------------------------------------------------
#endif









 
 
 
