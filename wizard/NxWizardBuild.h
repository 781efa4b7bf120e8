// What sets the three builds of the plug-in apart (expNcXv2D7, expNcXv2D6, expNcXv2C6). The wizard's
// units are compiled once; each library links one profile (build/Profile_<build>.cpp). The language
// of the generated units is no build property: the host decides it (Nx_IsBuilder).
#pragma once

struct TBuildProfile {
  const char* Name;                  // "D7", "D6", "C6"
  const char* CorePackageName;       // the IDE's core package, bound by name
  const char* ShellViewVersionFlag;  // the flag of the other IDE version's Variants block
};

// The profile of the library being built.
const TBuildProfile& ThisBuild();

// The three profiles (for tests that cover them all in one program).
extern const TBuildProfile kBuildD7, kBuildD6, kBuildC6;
