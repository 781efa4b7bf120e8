// expNcXv2D6: the plug-in for the Pascal IDE version 6.
#include "wizard/NxWizardBuild.h"

const TBuildProfile& ThisBuild() { return kBuildD6; }
