#pragma once
// The render window as a drawing surface: window modes, the draw pass and rule transitions.

#include <SFML/Graphics/Rect.hpp>

#include <cstdint>

namespace crv {

enum WindowMode : std::uint8_t { WINDOW_FULLSCREEN = 0, WINDOW_FRAMED = 1, WINDOW_FULLWINDOW = 2 };

/** Viewport that keeps a width x height novel's aspect on a desktop of dw x dh, centred. */
sf::FloatRect FullWindowViewport(float dw, float dh, float width, float height);

/** Rule-transition threshold after elapsed of duration ms; -1 when the step would be 0 (a duration
    under 255 ms), which finishes the transition at once. */
int TransitionThreshold(long long elapsed, long long duration);
/** Overlay alpha of a pixel whose mask red is m, at threshold. */
std::uint8_t TransitionAlpha(int m, int threshold, bool fadeIn);

/** Clears, draws the entities, the editor image and (unless a save screenshot renders) the
    transition overlay, then presents. */
void DrawPass();

} // namespace crv
