#pragma once
// Config.xml: the player's settings and two project settings, read and written on disk in the
// current directory (never through the virtual file system).

#include <functional>
#include <string>

namespace crv {

/** Reads every setting (MsgboxScript, sysWaitInputIcon, the volumes and speeds) into the current
    SysVars; a missing attribute reads as 0 or empty. False, with the notice "Config.xml file not
    found. cur-directory:" on standard error and in the log, if the file is missing or malformed: the
    settings then keep their values. */
bool ReadConfig();

/** Reads only MsgboxScript and sysWaitInputIcon, then loads the wait-input icon anew. False (notice
    as above, nothing changed) if the file cannot be loaded. */
bool ReadEditorConfig();

/** Loads the wait-input icon entity's image (Images/ + sysWaitInputIcon) through the texture pool,
    when the icon entity exists and an icon is named; a failed load is logged by the sprite. */
void LoadWaitInputIcon();

/** Stores one player setting that a trackbar moved: trackVariable selects it ("master_vol", the
    type words of music, sound effects and voices, "textSpeed", "autoSpeed", "autoWait") and fraction
    (0..1 along the track, clamped) scales it to 0..100, or 0..5000 ms for "autoWait". The value goes
    into the current and the base SysVars and into Config.xml, which is rewritten through a temporary
    file in the same folder renamed over it, so an interrupted write leaves the old file whole.
    Unknown elements and attributes survive. False if the variable names no setting (nothing done),
    if the file cannot be loaded (notice as above, settings unchanged) or if it cannot be written
    (logged; the new value is kept in memory). */
bool WriteConfigSetting(const std::wstring& trackVariable, double fraction);

/** Test hook: called after the temporary file is complete and before it replaces Config.xml; a false
    result abandons the write there, as a crash at that moment would. Empty to clear. */
void SetConfigCommitHook(std::function<bool()> hook);

} // namespace crv
