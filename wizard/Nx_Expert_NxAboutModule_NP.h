// The Nx library's about entry: the menu expert "About &Nacre+", enabled, with no action.
#pragma once

#include "wizard/CB_Experts_NP.h"

class TNxAboutModuleExpertModule : public TObject {
  VD_CLASS(TNxAboutModuleExpertModule, TObject);

public:
  TNxAboutModuleExpertModule();
  ~TNxAboutModuleExpertModule() override;

  TCBISimpleExpert* Expert = nullptr;
};

// The holder InitExperts made; freed at the library's unload.
extern TNxAboutModuleExpertModule* NxAboutModuleExpertModule;
