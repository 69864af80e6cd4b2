// The engine's fixed costs: logging from the host's thread, and an idle engine step.
#include "core/Log.hpp"
#include "core/Services.hpp"
#include "support/EngineSession.hpp"

#include <benchmark/benchmark.h>

namespace {

// What a frame that logs costs the host's thread: formatting and queueing, never the disk.
void BM_LogFormattedMessage(benchmark::State& state) {
    crvtest::EngineSession engine;
    int i = 0;
    for (auto _ : state)
        crv::OutputDebugStringN(L"[bench] line:%i name:%s value:%f \n", ++i, L"sprite_name", 0.5);
    crv::FlushLog();
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_LogFormattedMessage);

// One engine step of an empty scene without drawing: the per-update overhead of the loop itself.
void BM_UpdateEngineIdle(benchmark::State& state) {
    crvtest::EngineSession engine;
    for (auto _ : state)
        crv::UpdateEngine(false, true);
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_UpdateEngineIdle);

} // namespace
