// Feeds arbitrary script text to the parser: as a whole script read by the editor, and line by
// line through the tokenizer and the dispatch table while playing, plain and as stored triggers.
#include "core/Services.hpp"
#include "core/Text.hpp"
#include "script/NHelper.hpp"
#include "script/Parser.hpp"
#include "support/EngineSession.hpp"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>

namespace {
std::unique_ptr<crvtest::EngineSession> g_engine;

std::vector<std::wstring> splitLines(const std::wstring& text) {
    std::vector<std::wstring> lines;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = text.find(L'\n', start);
        lines.push_back(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (end == std::wstring::npos)
            break;
        start = end + 1;
    }
    return lines;
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    crvtest::EngineOptions options;
    options.scriptText = L"bookmark a _x _y\nbg b.png\nbookmark b\n\"text\nscript_fin\n";
    g_engine = std::make_unique<crvtest::EngineSession>(options);
    g_engine->vars().loggingEnabled = false; // the log writer is not what we fuzz
    // Scripts that loop without waiting are legal; a small slice keeps each input quick.
    crv::Parser::setMaxLinesPerPass(200);
    // libFuzzer ends with exit(): close the engine before the registry's statics go, as a host's
    // DestroyRenderWindow would.
    std::atexit([] { g_engine.reset(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1)
        return 0;
    const std::uint8_t flags = data[0];
    const std::wstring text = crv::toWide(std::string(reinterpret_cast<const char*>(data + 1), size - 1));
    crv::SysVars& vars = *crv::Services::SysVars();
    // Every input starts from a running novel: nothing ended, nothing waiting, no timers.
    vars.gameOver = false;
    vars.timers.clear();
    vars.keyTriggers.clear();
    vars.mouseTriggers.clear();

    // Editor: the whole text is the script, read to its end (or to a line the flags choose).
    vars.gameMode = false;
    crv::Services::NParser()->resetToMainParser();
    auto main = crv::Services::MainParser();
    main->setParserState(crv::PARSE_FIN);
    main->setScriptText(L"fuzz.txt", text, true);
    main->ReadScript((flags & 1) ? -1 : (flags >> 1));
    if (flags & 2)
        main->GotoLine(flags >> 2);

    // Playing: every line on its own, as the read loop or as a stored trigger line.
    vars.gameMode = true;
    vars.textProgressMode = (flags >> 4) & 3;
    for (const std::wstring& line : splitLines(text)) {
        auto parser = crv::Services::CurParser();
        parser->getCurLineTokens() = crv::NHelper::splitWords(line);
        const bool trigger = (flags & 4) != 0;
        const std::vector<std::wstring> none;
        parser->ParseTokens(line, trigger ? &none : &parser->getCurLineTokens(), trigger);
        parser->setParserState(crv::PARSE_FIN);
    }
    vars.gameMode = false;
    vars.variables.clear();
    crv::Services::RemoveEntities();
    return 0;
}
