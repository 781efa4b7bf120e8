// expNcXv2C6: the plug-in for the C++ IDE version 6.
#include "wizard/NxWizardBuild.h"

const TBuildProfile& ThisBuild() { return kBuildC6; }
