#pragma once
// Script and global variables.

namespace crv {

/** Loads SaveData/global0.xml (on disk) into the current state's variables; a missing file is
    skipped silently. */
void LoadGlobalVariables();

} // namespace crv
