#include "wizard/NxWizardBuild.h"

const TBuildProfile kBuildD7{"D7", "CoreIde70.bpl", "SkipIfNotDelphi6"};
const TBuildProfile kBuildD6{"D6", "CoreIde60.bpl", "SkipIfNotDelphi7"};
const TBuildProfile kBuildC6{"C6", "CoreIde60.bpl", "SkipIfNotDelphi7"};
