#include "core/Clock.hpp"

#include <atomic>

namespace crv {

namespace {
std::atomic<bool> g_pinned{false};
std::atomic<std::uint32_t> g_pinnedValue{0};
} // namespace

std::uint32_t timeGetTime() {
    if (g_pinned.load(std::memory_order_relaxed))
        return g_pinnedValue.load(std::memory_order_relaxed);
    const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
        SteadyClock::now().time_since_epoch());
    return static_cast<std::uint32_t>(static_cast<std::uint64_t>(now.count()));
}

void setTimeGetTimeOverride(std::optional<std::uint32_t> milliseconds) {
    g_pinnedValue.store(milliseconds.value_or(0), std::memory_order_relaxed);
    g_pinned.store(milliseconds.has_value(), std::memory_order_relaxed);
}

} // namespace crv
