#pragma once
// Keyboard and mouse: reading on, the editor's image placement, triggers.

#include <SFML/System/Vector2.hpp>
#include <SFML/Window/Event.hpp>

namespace crv {

/** Game mode: keys read on or fire key triggers. */
void UpdateKeyboard(const sf::Event& event);
/** The game's mouse handling (game mode) or the editor's (editing). */
void DispatchMouse(const sf::Event& event);
/** The pointer position in scene coordinates. */
sf::Vector2f MousePosition();
/** Runs the script line bound to a key (isMouse false) or mouse code, if any; false when there is
    none, a message box waits, or (editing) the binding lies after the current line (it is dropped). */
bool CheckTrigger(int code, bool isMouse);
/** Queues a job that lets the current parser read on to the end. */
void QueueReadOn();

} // namespace crv
