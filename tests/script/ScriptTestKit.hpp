#pragma once
// Shared set-up of the script tests: an engine session with the demo vocabulary in place.

#include "support/EngineSession.hpp"

#include "core/Services.hpp"
#include "core/Text.hpp"
#include "script/CmdDispatch.hpp"
#include "script/NHelper.hpp"
#include "script/NovelCommands.hpp"
#include "script/Parser.hpp"

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace crvtest {

/** Options for a session whose folder holds the demo Commands.xml (and whatever extra adds). */
inline EngineOptions scriptOptions(std::wstring text, bool gameMode = false,
                                   std::function<void(ScratchDir&)> extra = {}) {
    EngineOptions options;
    options.scriptText = std::move(text);
    options.gameMode = gameMode;
    options.prepare = [extra](ScratchDir& dir) {
        std::filesystem::copy_file(CORVEL_SOURCE_DIR "/examples/demo/Commands.xml",
                                   dir.path() / "Commands.xml");
        if (extra)
            extra(dir);
    };
    return options;
}

/** Executes one line on the current parser as the read loop does; returns ParseTokens' result. */
inline int runLine(const std::wstring& line, bool trigger = false) {
    auto parser = crv::Services::CurParser();
    parser->getCurLineTokens() = crv::NHelper::splitWords(line);
    if (trigger) {
        const std::vector<std::wstring> none;
        return parser->ParseTokens(line, &none, true);
    }
    return parser->ParseTokens(line, &parser->getCurLineTokens(), false);
}

/** How often needle occurs in haystack. */
inline int countOf(const std::string& haystack, const std::string& needle) {
    int n = 0;
    for (std::size_t at = haystack.find(needle); at != std::string::npos; at = haystack.find(needle, at + 1))
        ++n;
    return n;
}

/** One line a probe saw executed. */
struct Executed {
    int line;
    std::wstring script;
    crv::Tokens tokens;
};

inline std::vector<Executed>& executed() {
    static std::vector<Executed> lines;
    return lines;
}

inline int recordLine(crv::CmdCall& call) {
    executed().push_back({call.parser.getReadLineNo(), call.parser.getScriptName(), call.tokens});
    return 0;
}

/** Line numbers of what the probe saw, in order. */
inline std::vector<int> executedLines() {
    std::vector<int> lines;
    for (const Executed& e : executed())
        lines.push_back(e.line);
    return lines;
}

/** Puts a handler into the dispatch row of slot for the probe's lifetime (and clears the record). */
class Probe {
public:
    explicit Probe(int slot, crv::CmdHandler handler = recordLine) {
        for (crv::CmdEntry& entry : crv::CommandTable()) {
            if (entry.slot == slot) {
                m_entry = &entry;
                m_previous = entry.handler;
                entry.handler = handler;
            }
        }
        executed().clear();
    }
    ~Probe() {
        if (m_entry)
            m_entry->handler = m_previous;
    }
    Probe(const Probe&) = delete;
    Probe& operator=(const Probe&) = delete;

private:
    crv::CmdEntry* m_entry = nullptr;
    crv::CmdHandler m_previous = nullptr;
};

} // namespace crvtest
