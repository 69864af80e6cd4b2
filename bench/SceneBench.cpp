// The scene's costs: one engine step over a crowded stage, and the editor's read pass that shows
// and rewinds images line by line.
#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/Window.hpp"
#include "scene/CmdHandlerMain.hpp"
#include "scene/Entities.hpp"
#include "script/Parser.hpp"
#include "support/EngineSession.hpp"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int kImages = 1000;
constexpr int kTextures = 8;

crvtest::EngineOptions sessionOptions(bool gameMode) {
    crvtest::EngineOptions options;
    options.gameMode = gameMode;
    options.width = 640;
    options.height = 480;
    return options;
}

// kTextures small pictures, Images/img<i>.png, each with a colour of its own.
void writeImages(crvtest::EngineSession& engine) {
    for (int i = 0; i < kTextures; ++i) {
        const sf::Color colour(static_cast<sf::Uint8>(30 * i), static_cast<sf::Uint8>(255 - 30 * i), 128,
                               255);
        engine.writeImage("Images/img" + std::to_string(i) + ".png", 48, 48,
                          [colour](unsigned, unsigned) { return colour; });
    }
}

crv::Tokens cgLine(int id, int line) {
    return {L"cg",
            L"c" + std::to_wstring(id),
            L"img" + std::to_wstring((id + line) % kTextures) + L".png",
            std::to_wstring((id * 37 + line) % 600),
            std::to_wstring((id * 53 + line) % 440),
            std::to_wstring(id % 10)};
}

// A stage of count images over ten layers, shown by cg lines and settled by one update.
void fillStage(crvtest::EngineSession& engine, int count = kImages) {
    writeImages(engine);
    for (int id = 0; id < count; ++id) {
        crv::Tokens tokens = cgLine(id, 0);
        crv::ExecuteCG(tokens);
    }
    crv::UpdateEngine(false, false);
}

// One engine step (entities, jobs; no drawing, no events) with 1,000 images on stage. Arg 1 plays
// (game mode), arg 0 edits, where every property read also trims its history.
void BM_UpdateEngine1000Images(benchmark::State& state) {
    crvtest::EngineSession engine(sessionOptions(state.range(0) == 1));
    fillStage(engine);
    for (auto _ : state)
        crv::UpdateEngine(false, false);
    state.SetItemsProcessed(state.iterations() * kImages);
    state.counters["entities"] = static_cast<double>(crv::Services::Entities()->m_nameReferences.size());
}
BENCHMARK(BM_UpdateEngine1000Images)->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// The same step followed by the draw pass (clear, the images in layer order, present), as a frame
// that pacing lets through, with 0, 10 and 1,000 images on stage: the empty stage is the fixed cost
// of clearing and presenting the window.
void BM_UpdateAndDrawImages(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    crvtest::EngineSession engine(sessionOptions(true));
    fillStage(engine, count);
    for (auto _ : state) {
        crv::UpdateEngine(false, false);
        crv::DrawPass();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_UpdateAndDrawImages)->Arg(0)->Arg(10)->Arg(1000)->Unit(benchmark::kMicrosecond);

// The editor's read pass over 10,000 lines: each line shows one of 50 images (a new image on its
// first line, a new state of it after that), with an engine step every 100 lines; then the editor
// moves back to line 5,000 and to line 1, rewinding the registry both times.
void BM_EditorPass10000Lines(benchmark::State& state) {
    constexpr int kLines = 10000;
    constexpr int kNames = 50;
    crvtest::EngineSession engine(sessionOptions(false));
    writeImages(engine);
    crv::Parser& main = engine.mainParser();
    // The per-line "same name reference" line would otherwise be most of what is measured.
    engine.vars().loggingEnabled = false;
    std::size_t peak = 0;
    for (auto _ : state) {
        for (int line = 1; line <= kLines; ++line) {
            main.setReadLineNo(line);
            crv::Tokens tokens = cgLine(line % kNames, line);
            crv::ExecuteCG(tokens);
            if (line % 100 == 0)
                crv::UpdateEngine(false, false);
        }
        peak = crv::Services::Entities()->m_nameReferences.size();
        crv::Services::RemoveEntitiesFromLine(5000);
        crv::Services::RemoveEntitiesFromLine(1);
        main.setReadLineNo(0);
    }
    state.SetItemsProcessed(state.iterations() * kLines);
    state.counters["images"] = static_cast<double>(peak);
    state.counters["left"] = static_cast<double>(crv::Services::Entities()->m_nameReferences.size());
}
BENCHMARK(BM_EditorPass10000Lines)->Unit(benchmark::kMillisecond);

// The same editor work driven by script text: the main parser reads a 10,000-line script of cg
// lines in one pass (tokenizer, dispatch, handlers), then the editor moves back to line 5,000 and
// reads to it again, and finally back to line 1.
void BM_EditorReadScript10000Lines(benchmark::State& state) {
    constexpr int kLines = 10000;
    constexpr int kNames = 50;
    std::wstring text;
    for (int line = 1; line <= kLines; ++line) {
        const crv::Tokens words = cgLine(line % kNames, line);
        for (std::size_t i = 0; i < words.size(); ++i)
            text += (i ? L" " : L"") + words[i];
        text += L"\n";
    }
    crvtest::EngineOptions options = sessionOptions(false);
    options.scriptText = text;
    crvtest::EngineSession engine(options);
    writeImages(engine);
    crv::Parser& main = engine.mainParser();
    engine.vars().loggingEnabled = false;
    std::size_t peak = 0;
    for (auto _ : state) {
        main.ReadScript(kLines);
        peak = crv::Services::Entities()->m_nameReferences.size();
        main.GotoLine(5000);
        main.ReadScript(5000);
        main.GotoLine(1);
    }
    state.SetItemsProcessed(state.iterations() * (kLines + 5000));
    state.counters["images"] = static_cast<double>(peak);
    state.counters["left"] = static_cast<double>(crv::Services::Entities()->m_nameReferences.size());
}
BENCHMARK(BM_EditorReadScript10000Lines)->Unit(benchmark::kMillisecond);

} // namespace
