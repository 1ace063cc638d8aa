#pragma once
// Joins windows whose folders may not include each other: the designer opens the editor's
// template picker, the send window runs the setup's quick setup, Preferences and Suggest chain.
// Each window offers a hook with a plain fall-back; the program installs the real thing here,
// once, before the main window is shown.

namespace corvane {

void InstallWindowHooks();

}  // namespace corvane
