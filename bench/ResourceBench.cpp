// Costs of the resource layer on the host's thread: pooled lookups, loads out of an archive, reading a
// script, and the Config.xml rewrite a trackbar does on every pointer move.
#include "core/Config.hpp"
#include "core/Services.hpp"
#include "resources/NovelFolder.hpp"
#include "resources/PhysFsStream.hpp"
#include "resources/ResourcePool.hpp"
#include "support/EngineSession.hpp"

#include <benchmark/benchmark.h>

namespace {

// A texture many sprites share: the lookup, the context activation and the log line.
void BM_TexturePoolExisting(benchmark::State& state) {
    crvtest::EngineSession engine;
    engine.dir().write("Images/a.png", crvtest::makePng(64, 64, sf::Color::Red));
    std::shared_ptr<crv::Texture> held, again;
    crv::TexturePool().get(held, L"Images/a.png");
    for (auto _ : state) {
        crv::TexturePool().get(again, L"Images/a.png");
        benchmark::DoNotOptimize(again.get());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TexturePoolExisting);

// A 512x512 image decoded out of Images.crvdat and uploaded, each time anew.
void BM_TexturePoolLoadFromArchive(benchmark::State& state) {
    crvtest::EngineSession engine;
    engine.dir().write("Images.crvdat",
                       crvtest::makeZip({{"Images/big.png", crvtest::makePng(512, 512, sf::Color::Blue)}}));
    crv::Services::AddPathToPhysfs("Images.crvdat");
    for (auto _ : state) {
        std::shared_ptr<crv::Texture> texture;
        crv::TexturePool().get(texture, L"Images/big.png");
        crv::TexturePool().rel(texture, true);
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TexturePoolLoadFromArchive)->Unit(benchmark::kMillisecond);

// A 200 KB script read and decoded out of Scripts.crvdat.
void BM_ReadTxtFileFromArchive(benchmark::State& state) {
    crvtest::EngineSession engine;
    std::string script;
    while (script.size() < 200 * 1024)
        script += "\"\xE3\x81\x93\xE3\x82\x93\xE3\x81\xAB\xE3\x81\xA1\xE3\x81\xAF, a line of text.\"\n";
    engine.dir().write("Scripts.crvdat", crvtest::makeZip({{"Scripts/long.txt", script}}));
    crv::Services::AddPathToPhysfs("Scripts.crvdat");
    std::wstring text;
    for (auto _ : state)
        benchmark::DoNotOptimize(crv::PhysFsStream::ReadTxtFile(L"Scripts/long.txt", text));
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(script.size()));
}
BENCHMARK(BM_ReadTxtFileFromArchive)->Unit(benchmark::kMicrosecond);

// One pointer move of a volume trackbar: parse Config.xml, write the temporary file, rename it.
void BM_ConfigWritePerMove(benchmark::State& state) {
    crvtest::EngineSession engine;
    engine.dir().write("Config.xml",
                       "<Ferncastle><Settings MsgboxScript=\"msgbox.txt\"/><GameSettings "
                       "sysWaitInputIcon=\"wait.png\" sysMasterVolume=\"100\" sysBgmVolume=\"100\" "
                       "sysSfxVolume=\"100\" sysVoiceVolume=\"100\" sysTextSpeed=\"50\" "
                       "sysAutoSpeed=\"50\" sysAutoWait=\"2000\"/></Ferncastle>");
    double f = 0.0;
    for (auto _ : state) {
        f = f >= 1.0 ? 0.0 : f + 0.01;
        benchmark::DoNotOptimize(crv::WriteConfigSetting(L"master_vol", f));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_ConfigWritePerMove)->Unit(benchmark::kMicrosecond);

} // namespace
