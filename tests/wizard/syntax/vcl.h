// Stand-ins of the C++ IDE's class library headers, just enough for the generated units to compile.
#pragma once
#undef __fastcall
#define __fastcall
#define __published public
#define PACKAGE
class TComponent {};
class TDataModule : public TComponent {
public:
  __fastcall TDataModule(TComponent*) {}
};
class TForm : public TComponent {
public:
  __fastcall TForm(TComponent*) {}
};
class TNxModule : public TDataModule {
public:
  using TDataModule::TDataModule;
};
class TNxPermanentModule : public TDataModule {
public:
  using TDataModule::TDataModule;
};
class TNxShellViewForm : public TForm {
public:
  using TForm::TForm;
};
class TNxShellPropSheetForm : public TForm {
public:
  using TForm::TForm;
};
#define NX_REGISTER_DATAMODULE(Module) static TNxModule* Module##Registered = Module
#define NX_REGISTER_PERMANENTMODULE(Module) static TNxPermanentModule* Module##Registered = Module
#define NX_REGISTER_SHELLVIEWFORM(Form) static TNxShellViewForm* Form##Registered = Form
#define NX_REGISTER_PROPERTYSHEET(Form) static TNxShellPropSheetForm* Form##Registered = Form
