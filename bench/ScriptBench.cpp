// The script engine's costs as the editor sees them: a whole read pass, a one-line cursor move (on
// every keystroke), and one line through the tokenizer and the dispatch table.
#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/Text.hpp"
#include "engine.h"
#include "script/NHelper.hpp"
#include "script/Parser.hpp"
#include "support/EngineSession.hpp"

#include <benchmark/benchmark.h>

namespace {

constexpr int kScriptLines = 10000;

// A script of kScriptLines lines mixing commands, text passages, variables and comments.
const std::wstring& generatedScript() {
    static const std::wstring text = [] {
        std::wstring s;
        for (int i = 1; i <= kScriptLines; ++i) {
            switch (i % 10) {
            case 0:
                s += L"// chapter note " + std::to_wstring(i);
                break;
            case 1:
                s += L"var count" + std::to_wstring(i % 7) + L" += 1";
                break;
            case 2:
                s += L"\"Line " + std::to_wstring(i) + L" starts a passage of text";
                break;
            case 3:
                s += L"and the passage goes on without quotes";
                break;
            case 4:
                s += L"~textSpeed {{count1}} // leaves the passage";
                break;
            case 5:
                s += L".move hero 10 20 300";
                break;
            case 6:
                s += L"var name = 'Ann Lee'";
                break;
            case 7:
                s += L"bgm theme.ogg repeat";
                break;
            case 8:
                s += L"";
                break;
            default:
                s += L"textColour 255 255 255";
                break;
            }
            s += L"\n";
        }
        return s;
    }();
    return text;
}

crvtest::EngineOptions editorOptions() {
    crvtest::EngineOptions options;
    options.scriptText = generatedScript();
    return options;
}

// The editor opens the script at its end: one read pass over all lines.
void BM_EditorReadPassWholeScript(benchmark::State& state) {
    crvtest::EngineSession engine(editorOptions());
    crv::Parser& parser = engine.mainParser();
    for (auto _ : state) {
        parser.GotoLine(1);
        parser.ReadScript(kScriptLines);
    }
    crv::FlushLog();
    state.SetItemsProcessed(state.iterations() * kScriptLines);
}
BENCHMARK(BM_EditorReadPassWholeScript)->Unit(benchmark::kMillisecond);

// The cursor moves one line down, as setNovelScriptText does it (the read pass of one line).
void BM_EditorCursorOneLineForward(benchmark::State& state) {
    crvtest::EngineSession engine(editorOptions());
    const int line = static_cast<int>(state.range(0));
    const wchar_t* text = generatedScript().c_str();
    setNovelScriptText(text, L"main.txt", line, true);
    for (auto _ : state) {
        state.PauseTiming();
        setNovelScriptText(text, L"main.txt", line, false);
        state.ResumeTiming();
        setNovelScriptText(text, L"main.txt", line + 1, false);
    }
    crv::FlushLog();
}
BENCHMARK(BM_EditorCursorOneLineForward)->Arg(100)->Arg(5000)->Arg(9900)->Unit(benchmark::kMicrosecond);

// The cursor moves one line up: GotoLine rewinds (removing what later lines made) and the line
// is read again. Its cost must not depend on where in the script the cursor is.
void BM_EditorCursorOneLineBackward(benchmark::State& state) {
    crvtest::EngineSession engine(editorOptions());
    const int line = static_cast<int>(state.range(0));
    const wchar_t* text = generatedScript().c_str();
    setNovelScriptText(text, L"main.txt", line + 1, true);
    for (auto _ : state) {
        state.PauseTiming();
        setNovelScriptText(text, L"main.txt", line + 1, false);
        state.ResumeTiming();
        setNovelScriptText(text, L"main.txt", line, false);
    }
    crv::FlushLog();
}
BENCHMARK(BM_EditorCursorOneLineBackward)->Arg(100)->Arg(5000)->Arg(9900)->Unit(benchmark::kMicrosecond);

// One line through splitting, comment cut, quote joining, expansion and the dispatch table.
void BM_ParseOneLine(benchmark::State& state) {
    static const wchar_t* const lines[] = {L"textColour 255 255 255", L"var name = 'Ann Lee' // who",
                                           L".move hero {{count}} 20 300", L"unknownCommand a b"};
    const std::wstring line = lines[state.range(0)];
    crvtest::EngineSession engine;
    engine.vars().variables[L"count"] = L"3";
    auto parser = crv::Services::CurParser();
    for (auto _ : state) {
        parser->getCurLineTokens() = crv::NHelper::splitWords(line);
        benchmark::DoNotOptimize(parser->ParseTokens(line, &parser->getCurLineTokens(), false));
    }
    crv::FlushLog();
    state.SetLabel(crv::toNarrow(line));
}
BENCHMARK(BM_ParseOneLine)->DenseRange(0, 3);

} // namespace
