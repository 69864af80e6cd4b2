#pragma once
// Script variables, global variables (SaveData/global0.xml) and the var and if commands.

#include <string>
#include <vector>

namespace crv {

/** Loads SaveData/global0.xml (on disk) into the current state's variables, overwriting; a missing
    file is skipped silently, a malformed one is logged and changes nothing. */
void LoadGlobalVariables();

/** Writes every variable whose name starts with '*' (and is at least 2 long) to
    SaveData/global0.xml through a temporary file and a rename; false (logged) on failure. */
bool SaveGlobalVariables();

/** Expands {{name}} references in token: a script variable (name starting with '_') replaces the
    reference, a variable of the SysVars replaces the whole token. Unknown names stay as written. */
std::wstring ExpandVariables(const std::wstring& token);

/** The numeric value of the variable name: false (logged) when it does not exist or its value is
    not a 32-bit decimal number; out is untouched then. */
bool getVariableValue(const std::vector<std::wstring>& tokens, const std::wstring& name, int& out);

namespace CmdHandlers {
/** var name op value...: assigns (=) or computes (+= -= *= /=); game mode only. A missing
    variable, division by zero or a result beyond 32 bits is logged and assigns nothing. */
void ExecuteVar(std::vector<std::wstring>& tokens);
/** if left op right then-target then-bookmark [x else-target else-bookmark]: compares and jumps
    to a bookmark ("here") or another script; game mode only. */
void ExecuteVarIf(std::vector<std::wstring>& tokens);
} // namespace CmdHandlers

} // namespace crv
