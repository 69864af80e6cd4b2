#pragma once
// The engine's two clocks: a steady clock for pacing, waits and text flow, and a wrapping
// millisecond clock for tweens. Tests may pin the millisecond clock so tween values are exact.

#include <chrono>
#include <cstdint>
#include <optional>

namespace crv {

using SteadyClock = std::chrono::steady_clock;

/** Milliseconds of a monotonic clock as a wrapping 32-bit value (or the pinned value). */
std::uint32_t timeGetTime();

/** Pins timeGetTime to a value (tests); std::nullopt returns to the real clock. */
void setTimeGetTimeOverride(std::optional<std::uint32_t> milliseconds);

/** Whole milliseconds from a steady-clock point until now. */
inline long long millisecondsSince(SteadyClock::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(SteadyClock::now() - start).count();
}

} // namespace crv
