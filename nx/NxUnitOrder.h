// Places of the Nx units in the module's start-up order (shutdown runs in reverse).
#pragma once

#include "classlib/UnitInit.h"

enum TNxUnitRank : int {
  nxrShLwApi = urNxLibrary + 10,
  nxrPIDLTools = urNxLibrary + 20,
  nxrTools = urNxLibrary + 30,  // global lock, clipboard formats, Shell32 binding
  nxrTrayIcon = urNxLibrary + 40,
  nxrIconList = urNxLibrary + 50,
  nxrFileClasses = urNxLibrary + 60,
  nxrExceptions = urNxLibrary + 70,
  nxrCustShlObj = urNxLibrary + 80,
  nxrDataModule = urNxLibrary + 90,
  nxrComObj = urNxLibrary + 100,
  nxrThemes = urNxLibrary + 110,
  nxrPropSheetForm = urNxLibrary + 120,
  nxrPropSheetExt = urNxLibrary + 130,
};
