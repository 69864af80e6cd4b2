#pragma once
// Small helpers shared by the scene and tween tests: a pinned tween clock, solid test images,
// image commands by tokens, paced frames and lookups.

#include "core/Clock.hpp"
#include "core/Services.hpp"
#include "scene/CmdHandlerMain.hpp"
#include "scene/Entities.hpp"
#include "scene/Entity.hpp"
#include "support/EngineSession.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace scenekit {

/** Pins the millisecond clock for the life of the object. */
struct PinnedClock {
    explicit PinnedClock(std::uint32_t ms) { set(ms); }
    ~PinnedClock() { crv::setTimeGetTimeOverride(std::nullopt); }
    void set(std::uint32_t ms) { crv::setTimeGetTimeOverride(ms); }
};

inline crvtest::EngineOptions options(bool gameMode, unsigned width = 200, unsigned height = 100) {
    crvtest::EngineOptions o;
    o.gameMode = gameMode;
    o.width = width;
    o.height = height;
    return o;
}

/** Images/<file> of w x h in one colour. */
inline void solid(crvtest::EngineSession& engine, const std::string& file, unsigned w, unsigned h,
                  sf::Color c) {
    engine.writeImage("Images/" + file, w, h, [c](unsigned, unsigned) { return c; });
}

/** Runs a command handler with the words of line (the command word first). */
template <typename Handler> void run(Handler handler, std::initializer_list<std::wstring> words) {
    crv::Tokens tokens(words);
    handler(tokens);
}

/** The image registered under name, or null. */
inline crv::NSprite* image(const std::wstring& name) {
    return dynamic_cast<crv::NSprite*>(crv::getEntityWithName(name, false).get());
}

/** Moves the main parser to line, as the editor's read pass does before a command runs. */
inline void atLine(crvtest::EngineSession& engine, int line) {
    engine.mainParser().setReadLineNo(line);
}

/** Runs updates until one of them gets past pacing (and so draws and, in game mode, buries). */
inline void pacedFrame() {
    const long long before = crv::PacedFrameCount();
    for (int i = 0; i < 200 && crv::PacedFrameCount() == before; ++i) {
        crv::UpdateEngine(true, false);
        if (crv::PacedFrameCount() == before)
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    ASSERT_GT(crv::PacedFrameCount(), before);
}

/** Number of entities in the layer lists. */
inline std::size_t layered() {
    std::size_t n = 0;
    for (auto& [layer, list] : crv::Services::Entities()->entityLayers)
        n += list.size();
    return n;
}

} // namespace scenekit
