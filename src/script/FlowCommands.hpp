#pragma once
// Commands that steer reading rather than the scene: waits, called scripts, jumps, key triggers,
// timers, message boxes, the end of the game and the clear colour. Most act only while playing.

#include "script/NHelper.hpp"

#include <string>

namespace crv {

namespace CmdHandlers {

/** wait [ms | buttonSelect | msgboxSelect]: a duration in ms, or -1 (the parser waits for input or
    a choice). Editing: -1 and nothing else. */
int ExecuteWait(Tokens& tokens);
/** script file [bookmark [values...]]: pushes and runs a called script (kind 2) or a message-box
    script (kind 5); a missing file or bookmark changes nothing. */
void ExecuteScript(const Tokens& tokens, std::uint8_t scriptType);
/** jump bookmark | jump file.txt [bookmark]: the line to continue from, or 0. Editing: 0. */
int ExecuteJump(Tokens& tokens);
/** keyTrigger key words...: binds a script line to a key or mouse name. */
void ExecuteKeyTrigger(Tokens& tokens);
/** dialog message words...: queues a user-defined message box whose confirmation runs the words. */
void ExecuteDialog(Tokens& tokens);
/** Opens a message box of a kind ("Msg_endGame", "Msg_userDefined", ...) by running the novel's
    message-box script. A novel without a usable message-box script cannot ask: the end-game box is
    then confirmed at once, so closing the window still ends the game. */
void ExecuteMessageBox(const std::wstring& kind);
/** timer name ms [repeat] words...: starts a timer (game mode). */
void ExecuteTimer(Tokens& tokens);
/** timerEnd name: removes every timer of that name (game mode). */
void ExecuteTimerEnd(Tokens& tokens);
/** endGame: ends the game in application mode; ignored (logged) in the editor. */
void ExecuteEndGame(Tokens& tokens);
/** clearRGB r g b: records the clear colour for this line (low 8 bits of each value). */
void ExecuteClearRGB(Tokens& tokens);

} // namespace CmdHandlers

} // namespace crv
