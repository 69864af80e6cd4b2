#include "script/Parser.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/SysVars.hpp"
#include "resources/PhysFsStream.hpp"
#include "script/NHelper.hpp"
#include "script/NovelCommands.hpp"

#include <cassert>

namespace crv {

namespace {
bool gameModeOn() {
    const auto* vars = Services::SysVars();
    return vars && vars->gameMode;
}
bool gameIsOver() {
    const auto* vars = Services::SysVars();
    return vars && vars->gameOver;
}
int mainLine() {
    if (!Services::pNParser || Services::pNParser->m_parserDeque.empty())
        return 0;
    return Services::pNParser->getMainParser()->getReadLineNo();
}
void freshButtonResources() {
    if (auto* vars = Services::SysVars())
        vars->buttonBasicResources.set(ButtonBasicResources{L"none", L"none", L"none"});
}
int elapsedMs(SteadyClock::time_point start) {
    return static_cast<int>(millisecondsSince(start));
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Parser: life and text

Parser::Parser(std::wstring name, const std::wstring& text, std::uint8_t scriptType)
    : scriptname(std::move(name)), script_type(scriptType) {
    if (script_type == SCRIPT_MAIN)
        OutputDebugStringN(L"[Parser] CREATING MAIN PARSER... \n");
    loadText(text);
    LogText(L"\n[Parser] CONSTRUCTOR: script opened. filename: \"" + scriptname + L"\" \n");
}

Parser::~Parser() {
    m_infile.str(std::wstring());
    OutputDebugStringN(L"[~Parser] DESTRUCTION complete. final_script:\"%s\" \n", scriptname.c_str());
}

void Parser::loadText(const std::wstring& text) {
    // Editors like to write a byte-order mark; it is not part of the first command word.
    const std::size_t skip = (!text.empty() && text.front() == L'\uFEFF') ? 1 : 0;
    m_infile.clear();
    m_infile.str(text.substr(skip));
    m_infile.seekg(0);
    m_textLength = text.size() - skip;
    m_lineStarts.clear();
    if (m_textLength > 0)
        m_lineStarts.push_back(0);
    for (std::size_t i = skip; i + 1 < text.size(); ++i)
        if (text[i] == L'\n')
            m_lineStarts.push_back(i + 1 - skip);
}

void Parser::readLine(std::wstring& line) {
    std::getline(m_infile, line, L'\n');
}

// ---------------------------------------------------------------------------------------------
// Reading

void Parser::ReadScript(int untilLine) {
    if (gameIsOver() || m_ParserState == PARSE_STOP)
        return;
    // A handler may pop this parser off the stack while it reads; it lives until the pass ends.
    const std::shared_ptr<Parser> keepAlive = weak_from_this().lock();
    const SteadyClock::time_point start = SteadyClock::now();
    readUntilLine = untilLine;
    readlineno += 1;
    curlineTokens.clear();

    if (m_ParserState == SYNC_EXEC && readlineno <= syncLine) {
        m_ParserState = PARSE_CONT; // the editor moved back before the synchronous command
    } else if (m_ParserState != PARSE_FIN && !gameModeOn() &&
               (m_ParserState == SYNC_EXEC || m_ParserState == WAIT_BTNSEL ||
                m_ParserState == WAIT_MSGBOXSEL)) {
        m_ParserState = PARSE_CONT; // the editor never waits
    }
    if (m_ParserState == PARSE_FIN)
        m_ParserState = PARSE_CONT;

    ++m_readDepth;
    std::wstring line;
    int executed = 0;
    bool yielded = false;
    while (!ReadScriptBreak()) {
        if (executed >= s_maxLinesPerPass && gameModeOn()) {
            // A script that loops without waiting would hold the host's thread for good; it goes
            // on in the next frame instead (the state stays PARSE_CONT).
            OutputDebugStringN(L"WARNING. [Parser::ReadScript] %i lines without a wait. script:%s line:%i. "
                               L"reading goes on in the next frame \n",
                               executed, scriptname.c_str(), readlineno);
            yielded = true;
            break;
        }
        ++executed;
        readLine(line);
        curlineTokens = NHelper::splitWords(line);
        parsing_scenario.trim();
        if (!curlineTokens.empty()) {
            // A CRLF file leaves a carriage return at the end of the line; it is not text.
            if (!line.empty() && line.back() == L'\r')
                line.pop_back();
            const int next = ParseTokens(line, &curlineTokens, false);
            if (next != readlineno)
                ReadScriptJumpedToLine(next);
        }
        readlineno += 1;
        if (m_ParserState != SYNC_EXEC && !gameModeOn())
            m_ParserState = PARSE_CONT; // in the editor only the target line ends a pass
    }
    --m_readDepth;

    const bool pushedAbove =
        m_parserIdx != -1 && Services::pNParser && m_parserIdx + 1 < Services::pNParser->getParserCount();
    if (yielded) {
        // left in PARSE_CONT: the frame loop continues the pass
    } else if (curlineTokens.size() == 1 && curlineTokens.front() == L"script_fin") {
        m_ParserState = PARSE_SCRIPT_FIN;
    } else if (m_ParserState != SYNC_EXEC && m_ParserState != WAIT_BTNSEL &&
               m_ParserState != WAIT_MSGBOXSEL && m_ParserState != PARSE_STOP && !pushedAbove) {
        m_ParserState = PARSE_FIN;
    }
    readlineno -= 1;
    if (gameIsOver())
        return;
    OutputDebugStringN(
        L"[Parser::ReadScript] duration:%ims. script:%s read until line:%i (mainscriptline:%i) \n\n",
        elapsedMs(start), scriptname.c_str(), readlineno, mainLine());
}

bool Parser::ReadScriptBreak() {
    if (m_parserIdx != -1 && Services::pNParser && m_parserIdx + 1 < Services::pNParser->getParserCount())
        return true;
    if (isEndOfText() || m_ParserState != PARSE_CONT) {
        if (m_ParserState == PARSE_FIN)
            OutputDebugStringN(L"[Parser::ReadScriptBreak] PARSE_FIN \n");
        else
            OutputDebugStringN(L"[Parser::ReadScriptBreak] m_infile.eof() || m_ParserState != PARSE_CONT. "
                               L"m_ParserState:%i \n",
                               static_cast<int>(m_ParserState));
        return true;
    }
    if (gameIsOver())
        return true;
    if (!curlineTokens.empty() && curlineTokens.front() == L"script_fin") {
        m_ParserState = PARSE_SCRIPT_FIN;
        return true;
    }
    return readUntilLine != -1 && readlineno > readUntilLine;
}

void Parser::ReadScriptJumpedToLine(int line) {
    OutputDebugStringN(L"[Parser::ReadScriptJumpedToLine] jump occured from:%i to line:%i (+refline:%i) \n",
                       readlineno, line, line + refline);
    readlineno = line;
}

void Parser::AutoContScript_ifNeeded() {
    if (!gameModeOn())
        return;
    if (m_ParserState == SYNC_EXEC && SteadyClock::now() - syncStart >= syncDuration) {
        OutputDebugStringN(L"[AutoContScript_ifNeeded] SYNC_EXEC COMPLETE. duration:%ims \n",
                           static_cast<int>(syncDuration.count()));
        m_ParserState = PARSE_CONT;
        syncStart = SteadyClock::now();
        syncDuration = std::chrono::milliseconds(0);
    }
    if (m_ParserState == PARSE_CONT) {
        OutputDebugStringN(
            L"[AutoContScript_ifNeeded] PARSE_CONT: AUTO CONTINUE SCRIPT. start_readlineno:%i \n",
            readlineno);
        ReadScript(-1);
    }
}

// ---------------------------------------------------------------------------------------------
// Positioning

void Parser::GotoLine(int line) {
    if (!gameModeOn() && script_type == SCRIPT_MAIN)
        Services::RemoveEntitiesFromLine(line);
    // The line index makes this independent of the line's position; skipping line - 1 lines from
    // the start lands on the same character.
    std::size_t position = 0;
    if (line >= 2) {
        const auto index = static_cast<std::size_t>(line - 1);
        position = index < m_lineStarts.size() ? m_lineStarts[index] : m_textLength;
    }
    m_infile.clear();
    m_infile.seekg(static_cast<std::streamoff>(position));
    // Line 0 only rewinds: the next line read is line 1, so the last executed one is "none".
    readlineno = line >= 1 ? line - 1 : 0;
    parsing_scenario.trim();
    if (auto* vars = Services::SysVars()) {
        vars->buttonBasicResources.trim();
        vars->textAutoWait.trim();
    }
}

int Parser::GotoBookmark(const std::wstring& name) {
    m_infile.clear();
    m_infile.seekg(0);
    parsing_scenario.set(false);
    freshButtonResources();
    const std::wstring bookmarkWord =
        Services::pNCommands ? Services::pNCommands->wordOf(L"bookmark") : L"bookmark";
    std::wstring text;
    for (int lineNo = 1; m_infile.peek() != std::wistringstream::traits_type::eof(); ++lineNo) {
        readLine(text);
        Tokens words = NHelper::splitWords(text);
        if (words.empty())
            continue;
        if (words[0].front() == L'"') {
            parsing_scenario.set(true);
        } else if (words[0].front() == L'~') {
            parsing_scenario.set(false);
            words[0].erase(0, 1);
        }
        if (words.size() >= 2 && words[0] == bookmarkWord && words[1] == name) {
            OutputDebugStringN(
                L"\n[GotoBookmark] jumping from line:%i to found bookmark:%s (line:%i)(+refline:%i) \n",
                readlineno, name.c_str(), lineNo, lineNo + refline);
            readlineno = lineNo;
            for (std::size_t i = 2; i < words.size(); ++i)
                m_script_vars.emplace_back(words[i], std::wstring());
            return lineNo;
        }
    }
    OutputDebugStringN(
        L"[GotoBookmark] ERROR. BOOKMARK:%s DOES NOT EXIST. restoring script to previous state \n",
        name.c_str());
    GotoLine(readlineno + 1);
    return -1;
}

void Parser::GoToScript(const std::wstring& name, const std::wstring& bookmark) {
    const auto* vars = Services::SysVars();
    const std::wstring path = (vars ? vars->scripts.dir : std::wstring(L"Scripts/")) + name;
    std::wstring text;
    if (!PhysFsStream::ReadTxtFile(path, text)) {
        OutputDebugStringN(L"[Parser::GoToScript] FAILED! dest-script:%s, dest-bookmark:%s \n", name.c_str(),
                           bookmark.c_str());
        return;
    }
    scriptname = name;
    loadText(text);
    readlineno = 0;
    parsing_scenario.set(false);
    freshButtonResources();
    int found = -1;
    if (!bookmark.empty()) {
        found = GotoBookmark(bookmark);
        if (found != -1)
            OutputDebugStringN(L"[GoToScript] script jump complete. current_script:%s, bookmark:%s \n",
                               scriptname.c_str(), bookmark.c_str());
    } else {
        OutputDebugStringN(L"[GoToScript] script jump complete. current_script:%s \n", scriptname.c_str());
    }
    if (gameModeOn() || script_type != SCRIPT_MAIN)
        readlineno = found == -1 ? 0 : found;
}

void Parser::PushScriptVarNames(const std::vector<std::wstring>& values) {
    if (values.size() < m_script_vars.size()) {
        OutputDebugStringN(L"\nERROR. [PushScriptVarNames] var_values.size() < m_script_vars.size()");
        return;
    }
    for (std::size_t i = 0; i < m_script_vars.size(); ++i) {
        const std::wstring& value = values[i];
        if (value.size() >= 2 && value.front() == L'\'')
            m_script_vars[i].second = value.substr(1, value.size() - 2);
        else
            m_script_vars[i].second = value;
    }
}

void Parser::setScriptText(const std::wstring& name, const std::wstring& text, bool reset) {
    if (name != scriptname) {
        auto* vars = Services::SysVars();
        if (vars && (!vars->isApplication || reset)) {
            Services::RemoveEntities();
            vars = Services::SysVars();
            vars->backlogDisplayed = LineHistory<bool>(false);
            vars->backlogTextbox.clear();
            vars->currentTextbox.clear();
            vars->buttonBasicResources.clear();
            vars->textAutoWait.clear();
            vars->keyTriggers.clear();
            vars->mouseTriggers.clear();
            OutputDebugStringN(L"[Parser::setScriptText] script rest. EDITOR MODE: RESETTING SYSVARS \n");
        }
        parsing_scenario.clear();
        scriptname = name;
        readlineno = 1;
        OutputDebugStringN(L"[Parser::setScriptText] script reset. filename: \"%s\" \n", scriptname.c_str());
    }
    if (readlineno == 0)
        readlineno = 1;
    loadText(text);
    GotoLine(reset ? 1 : readlineno);
    OutputDebugStringN(L"[Parser::setScriptText] script update. filename: \"%s\" \n", scriptname.c_str());
}

// ---------------------------------------------------------------------------------------------
// NParser

NParser::NParser() {
    DebugOutput(L"WARNING: NParser CONSTRUCTOR CALLED WITH NO ARGUMENTS \n");
}

NParser::NParser(const std::wstring& scriptname, const std::wstring& text) {
    pushParser(std::make_shared<Parser>(scriptname, text, SCRIPT_MAIN));
}

void NParser::pushParser(std::shared_ptr<Parser> parser) {
    if (!parser) {
        OutputDebugStringN(L"ERROR. (NParser::pushParser) parser == nullptr. ignored \n");
        return;
    }
    if (!m_parserDeque.empty())
        parser->setRefLine(m_parserDeque.front()->getReadLineNo());
    m_parserDeque.push_back(std::move(parser));
    m_parserDeque.back()->setParserIdx(static_cast<int>(m_parserDeque.size()) - 1);
}

void NParser::popParser() {
    assert(m_parserDeque.empty() == false && "m_parserDeque.empty() == false");
    if (m_parserDeque.size() <= 1) {
        OutputDebugStringN(L"WARNING. (NParser::popParser) the main parser stays. parser count:%i \n",
                           getParserCount());
        return;
    }
    m_parserDeque.back()->setParserIdx(-1);
    m_parserDeque.pop_back();
}

void NParser::resetToMainParser() {
    while (m_parserDeque.size() > 1) {
        m_parserDeque.back()->setParserIdx(-1);
        m_parserDeque.pop_back();
    }
}

void NParser::replaceAllParsers(std::shared_ptr<Parser> parser) {
    if (!parser) {
        OutputDebugStringN(L"ERROR. (NParser::replaceAllParsers) parser == nullptr. ignored \n");
        return;
    }
    for (auto& p : m_parserDeque)
        p->setParserIdx(-1);
    m_parserDeque.clear();
    m_parserDeque.push_back(std::move(parser));
    m_parserDeque.back()->setParserIdx(0);
}

void NParser::finishPushedParsers() {
    for (std::size_t i = 1; i < m_parserDeque.size(); ++i)
        m_parserDeque[i]->setParserState(PARSE_SCRIPT_FIN);
}

int NParser::findParser(const std::wstring& scriptname) const {
    for (std::size_t i = 0; i < m_parserDeque.size(); ++i)
        if (m_parserDeque[i]->getScriptName() == scriptname)
            return static_cast<int>(i);
    return -1;
}

} // namespace crv
