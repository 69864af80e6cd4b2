#pragma once
// Config.xml: the player's settings and two project settings, read and written on disk.

#include <string>

namespace crv {

/** Reads every setting into the current SysVars. False (notice written) if the file is missing or
    malformed; the settings then keep their values. */
bool ReadConfig();
/** Reads only MsgboxScript and sysWaitInputIcon, then reloads the wait-input icon. */
bool ReadEditorConfig();
/** Loads the wait-input icon entity's image from sysWaitInputIcon (when entities exist). */
void LoadWaitInputIcon();

} // namespace crv
