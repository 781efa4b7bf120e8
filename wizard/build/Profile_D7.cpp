// expNcXv2D7: the plug-in for the Pascal IDE version 7.
#include "wizard/NxWizardBuild.h"

const TBuildProfile& ThisBuild() { return kBuildD7; }
