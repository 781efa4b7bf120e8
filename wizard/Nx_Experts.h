// The plug-in's entry: InitExperts creates the five holders - about, data module, permanent module,
// shell-view form, property-sheet form - each registering its expert with the IDE, then registers
// the property and component editors. Loading the library registers nothing; unloading it frees the
// holders (their units' shutdown), which takes their experts out of the IDE. The IDE drops the
// editor registrations with the library.
#pragma once

namespace Nx_Experts {

// Raises what a holder raises; what was made before stays. A second call does nothing.
void InitExperts();
// InitExperts at the library's boundary: an exception goes to the IDE's report, never further.
void CallInitExperts() noexcept;
// The editors' registration procedures in the order of the registration table (InitExperts' last
// step; the editor tests call it once to have the plug-in's rows).
void RegisterEditors();

}  // namespace Nx_Experts
