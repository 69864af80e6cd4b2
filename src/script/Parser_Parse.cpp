// The syntax of one script line and the path from the line to the handler that executes it.

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "scene/CmdHandlerLayer.hpp"
#include "scene/CmdHandlerMain.hpp"
#include "script/CmdDispatch.hpp"
#include "script/FlowCommands.hpp"
#include "script/NovelCommands.hpp"
#include "script/Parser.hpp"
#include "script/Variables.hpp"

#include <cassert>
#include <chrono>

namespace crv {

namespace {

bool gameModeOn() {
    const auto* vars = Services::SysVars();
    return vars && vars->gameMode;
}

bool startsWith(const std::wstring& text, const wchar_t* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool isQuote(wchar_t c) {
    return c == L'\'' || c == L'"';
}

// ---------------------------------------------------------------------------------------------
// Handlers. Rows whose subsystem is not built yet point at NotYet: the line is recognised (it
// matches its slot and is not reported as unknown) and does nothing.

int NotYet(CmdCall&) {
    return 0;
}

// A text line: shows the text (text subsystem) and enters a text passage.
void showTextLine(CmdCall&, const std::wstring& /*line*/, bool /*newText*/) {
    // ExecuteLine(call.tokens, line, newText) once text boxes exist.
}

int LineNew(CmdCall& call) {
    showTextLine(call, call.line, true);
    call.parser.getParsingScenario().set(true);
    return 0;
}

int LineContinued(CmdCall& call) {
    showTextLine(call, call.line, false);
    call.parser.getParsingScenario().set(true);
    return 0;
}

int Text(CmdCall& call) {
    bool inCamera = true;
    const std::vector<std::wstring> arguments = BuildTextArguments(call.tokens, inCamera);
    (void)arguments; // InitTextarea(arguments, inCamera) once text boxes exist.
    return 0;
}

int BG(CmdCall& call) {
    ExecuteBG(call.tokens);
    return 0;
}
int CG(CmdCall& call) {
    ExecuteCG(call.tokens);
    return 0;
}
int Remove(CmdCall& call) {
    ExecuteRemove(call.tokens);
    return 0;
}
int Clear(CmdCall& call) {
    ExecuteClear(call.tokens);
    return 0;
}
int CreateDummyCG(CmdCall& call) {
    ExecuteCreateDummyCG(call.tokens);
    return 0;
}
int Var(CmdCall& call) {
    CmdHandlers::ExecuteVar(call.tokens);
    return 0;
}
int VarIf(CmdCall& call) {
    CmdHandlers::ExecuteVarIf(call.tokens);
    return 0;
}

int Layer(CmdCall& call) {
    ExecuteLayer(call.tokens, -1);
    return 0;
}
int Wait(CmdCall& call) {
    return CmdHandlers::ExecuteWait(call.tokens);
}
int Script(CmdCall& call) {
    CmdHandlers::ExecuteScript(call.tokens, SCRIPT_CALLED);
    return 0;
}
int Jump(CmdCall& call) {
    return CmdHandlers::ExecuteJump(call.tokens);
}
int KeyTrigger(CmdCall& call) {
    CmdHandlers::ExecuteKeyTrigger(call.tokens);
    return 0;
}
int Dialog(CmdCall& call) {
    CmdHandlers::ExecuteDialog(call.tokens);
    return 0;
}
int Timer(CmdCall& call) {
    CmdHandlers::ExecuteTimer(call.tokens);
    return 0;
}
int TimerEnd(CmdCall& call) {
    CmdHandlers::ExecuteTimerEnd(call.tokens);
    return 0;
}
int EndGame(CmdCall& call) {
    CmdHandlers::ExecuteEndGame(call.tokens);
    return 0;
}
int ClearRGB(CmdCall& call) {
    CmdHandlers::ExecuteClearRGB(call.tokens);
    return 0;
}

using R = CmdResult;

// The dispatch table, in the order the slots are tested. Slot 2 (bookmark) is absent on purpose:
// a bookmark line is never executed.
// clang-format off
std::vector<CmdEntry> kCommandTable = {
    // slot               handler        result           game mode only
    {CMD_BG,              BG,            R::None,         false},
    {CMD_CG,              CG,            R::None,         false},
    {CMD_REMOVE,          Remove,        R::None,         false},
    {CMD_CLEAR,           Clear,         R::None,         false},
    {CMD_BUTTON,          NotYet,        R::None,         false}, // ExecuteButton(tokens, false, L"")
    {CMD_SYSBUTTON,       NotYet,        R::None,         false}, // ExecuteButton(tokens, true, L"")
    {CMD_BTNTEXT,         NotYet,        R::None,         false},
    {CMD_BTNBASICRES,     NotYet,        R::None,         false}, // ExecuteButtonBasicRes
    {CMD_ONBTNTOUCH,      NotYet,        R::None,         false},
    {CMD_BTNALIVEREGION,  NotYet,        R::None,         false},
    {CMD_LINE_NEW,        LineNew,       R::None,         false},
    {CMD_LINE_CONT,       LineContinued, R::None,         false},
    {CMD_TILDE,           NotYet,        R::None,         false}, // the tilde text handler(line)
    {CMD_TEXTBOX,         NotYet,        R::None,         false}, // ExecuteTextarea
    {CMD_USETEXTBOX,      NotYet,        R::None,         false}, // ExecuteUseTextbox
    {CMD_TEXTFONT,        NotYet,        R::None,         false},
    {CMD_TEXTSIZE,        NotYet,        R::None,         false},
    {CMD_TEXTCOLOUR,      NotYet,        R::None,         false},
    {CMD_TEXTSPEED,       NotYet,        R::None,         false},
    {CMD_TEXTBOLD,        NotYet,        R::None,         false},
    {CMD_TEXTSHADOW,      NotYet,        R::None,         false},
    {CMD_TEXTWORDWRAP,    NotYet,        R::None,         false},
    {CMD_TEXTDIR,         NotYet,        R::None,         false},
    {CMD_TEXTAUTOWAIT,    NotYet,        R::None,         false}, // ExecuteTextAutoWait
    {CMD_TEXTBOXSKIN,     NotYet,        R::None,         false}, // handler(tokens, L"")
    {CMD_TEXTWAITICON,    NotYet,        R::None,         false},
    {CMD_TEXTPROGRESS,    NotYet,        R::None,         false},
    {CMD_TEXT,            Text,          R::None,         false}, // InitTextarea(arguments, inCamera)
    {CMD_BACKLOGCONFIG,   NotYet,        R::None,         false},
    {CMD_BACKLOGRESET,    NotYet,        R::None,         false},
    {CMD_JUMP,            Jump,          R::Jump,         false},
    {CMD_SCRIPT,          Script,        R::None,         false},
    {CMD_KEYTRIGGER,      KeyTrigger,    R::None,         false},
    {CMD_WAIT,            Wait,          R::WaitDuration, false},
    {CMD_MOVE,            NotYet,        R::Duration,     false},
    {CMD_FADEIN,          NotYet,        R::Duration,     false},
    {CMD_FADEOUT,         NotYet,        R::Duration,     false},
    {CMD_ROTATE,          NotYet,        R::Duration,     false},
    {CMD_ZOOM,            NotYet,        R::Duration,     false},
    {CMD_ALPHA,           NotYet,        R::Duration,     false},
    {CMD_CAMERARESET,     NotYet,        R::None,         false},
    {CMD_LAYER,           Layer,         R::None,         false},
    {CMD_IMAGE,           NotYet,        R::None,         false},
    {CMD_RGB,             NotYet,        R::None,         false}, // ExecuteRGB
    {CMD_ALPHAFADEIN,     NotYet,        R::AlwaysSync,   false}, // handler(tokens, true, fade in)
    {CMD_ALPHAFADEOUT,    NotYet,        R::AlwaysSync,   false}, // handler(tokens, true, fade out)
    {CMD_BGM,             NotYet,        R::None,         false},
    {CMD_SOUNDEFFECT,     NotYet,        R::None,         false},
    {CMD_VOICE,           NotYet,        R::None,         false},
    {CMD_VOLUME,          NotYet,        R::None,         false},
    {CMD_VAR,             Var,           R::None,         false},
    {CMD_IF,              VarIf,         R::None,         false},
    {CMD_DIALOG,          Dialog,        R::None,         true},
    {CMD_TIMER,           Timer,         R::None,         false},
    {CMD_TIMEREND,        TimerEnd,      R::None,         false},
    {CMD_ENDGAME,         EndGame,       R::None,         false},
    {CMD_CLEARRGB,        ClearRGB,      R::None,         false},
    {CMD_TRACKBAR,        NotYet,        R::None,         false},
    {CMD_CREATEDUMMYCG,   CreateDummyCG, R::None,         false},
};
// clang-format on

// The "//" rule outside text passages: true when the line is a comment line as a whole;
// otherwise a "//" from position 2 on cuts the line (and a leading '~' goes with it).
bool cutComment(std::wstring& line, Tokens& tokens) {
    const std::size_t mark = line.find(L"//");
    if (mark != std::wstring::npos && mark >= 2) {
        line.erase(mark);
        if (!line.empty() && line.front() == L'~')
            line.erase(0, 1);
        tokens = NHelper::splitWords(line);
    }
    return line.size() >= 2 && (startsWith(line, L"//") || startsWith(line, L"~//"));
}

} // namespace

std::vector<CmdEntry>& CommandTable() {
    return kCommandTable;
}

Tokens JoinQuotedTokens(const Tokens& words) {
    Tokens joined;
    joined.reserve(words.size());
    bool open = false;
    for (const std::wstring& word : words) {
        // Quotes are looked for in the word as written, before its references are expanded.
        const bool opens = !word.empty() && isQuote(word.front());
        const bool closes = !word.empty() && isQuote(word.back());
        std::wstring expanded = ExpandVariables(word);
        if (open) {
            joined.back() += L' ';
            joined.back() += expanded;
            if (closes)
                open = false;
        } else {
            joined.push_back(std::move(expanded));
            // A word that is only a quote, or starts and ends with one, is complete by itself.
            open = opens && !closes;
        }
    }
    return joined;
}

std::vector<std::wstring> BuildTextArguments(const Tokens& tokens, bool& inCamera) {
    std::size_t start = 7;
    inCamera = true;
    const std::wstring noCamera =
        Services::pNCommands ? Services::pNCommands->getString(L"CmdOptions_noCamera") : L"";
    if (tokens.size() > 7 && !noCamera.empty() && tokens[7] == noCamera) {
        start = 8;
        inCamera = false;
    }
    std::wstring text;
    if (start < tokens.size()) {
        text = tokens[start];
        const bool closingQuote = !text.empty() && text.back() == L'\'';
        if (!text.empty() && text.front() == L'\'')
            text.erase(0, 1);
        if (closingQuote && !text.empty())
            text.pop_back();
        for (std::size_t i = start + 1; i < tokens.size(); ++i)
            text += L" " + tokens[i];
    }
    auto at = [&](std::size_t i) { return i < tokens.size() ? tokens[i] : std::wstring(); };
    return {L"text", at(1), at(2), at(3), at(4), L"0",     L"0", at(5),
            at(6),   L"0",  L"1",  L"1",  L"1",  L"false", text};
}

int Parser::dispatch(Tokens& tokens, const std::wstring& line, bool& sync, int& jumpLine) {
    NovelCommands& vocabulary = *Services::pNCommands;
    // The matchers read the current parser's tokens: they must see this line as rebuilt. A line
    // run on a parser that is not the current one is matched against its own tokens.
    curlineTokens = tokens;
    const auto* stack = Services::pNParser.get();
    const bool current = stack && !stack->m_parserDeque.empty() && stack->getCurParser().get() == this;
    for (const CmdEntry& entry : kCommandTable) {
        const NovelCommand& command = vocabulary.slot(entry.slot);
        if (!(current ? command.check() : command.matches(tokens)))
            continue;
        if (entry.gameModeOnly && !gameModeOn())
            return 0;
        CmdCall call{*this, tokens, line};
        const int result = entry.handler(call);
        switch (entry.result) {
        case CmdResult::Duration:
            return result;
        case CmdResult::WaitDuration:
            if (result != -1)
                sync = true;
            return result;
        case CmdResult::AlwaysSync:
            sync = true;
            return result;
        case CmdResult::Jump:
            jumpLine = result;
            return 0;
        case CmdResult::None:
            return 0;
        }
        return 0;
    }
    if (!tokens.empty())
        OutputDebugStringN(
            L"WARNING. [ParseTokens] UNKNOWN or INVALID COMMAND:'%s' script-name:%s curline:%i \n",
            tokens.front().c_str(), scriptname.c_str(), readlineno);
    return 0;
}

int Parser::ParseTokens(const std::wstring& lineText, const std::vector<std::wstring>* parseTokens,
                        bool trigger) {
    assert(Services::pNCommands != nullptr && "crv::Services::pNCommands != nullptr");
    if (!Services::pNCommands) {
        OutputDebugStringN(L"ERROR. [Parser::ParseTokens] no vocabulary. line skipped \n");
        return readlineno;
    }
    const std::shared_ptr<Parser> keepAlive = weak_from_this().lock();
    Tokens tokens;
    if (!parseTokens || parseTokens->empty()) {
        OutputDebugStringN(
            L"WARNING. [Parser::ParseTokens] parseTokens.size() == 0. using Parser.curlineTokens \n");
        if (curlineTokens.empty())
            return readlineno;
        tokens = curlineTokens;
    } else {
        tokens = *parseTokens;
    }
    std::wstring line = lineText;

    try {
        if (!trigger) {
            parsing_scenario.trim();
            if (!line.empty() && line.front() == L'~') {
                parsing_scenario.set(false);
                if (!tokens.front().empty())
                    tokens.front().erase(0, 1);
                if (tokens.front().empty()) // a lone tilde in front of the command
                    tokens.erase(tokens.begin());
            }
            if (parsing_scenario.get()) {
                // Inside a text passage every line is text.
                const std::wstring& first = tokens.empty() ? std::wstring() : tokens.front();
                CmdCall call{*this, tokens, line};
                if (startsWith(first, L"\"")) {
                    showTextLine(call, line, true);
                } else if (startsWith(first, L"-\"")) {
                    showTextLine(call, line, false);
                } else if (line.size() >= 2) {
                    showTextLine(call, L"-\"" + line, false);
                }
                return readlineno;
            }
        }
        if (!parsing_scenario.get(!trigger)) {
            if (cutComment(line, tokens))
                return readlineno;
        }
        tokens = JoinQuotedTokens(tokens);

        bool sync = false;
        if (!tokens.empty() && !tokens.front().empty() && tokens.front().front() == L'.') {
            OutputDebugStringN(L"[ParseTokens] SYNC COMMAND wants to be executed \n");
            tokens.front().erase(0, 1);
            if (tokens.front().empty())
                tokens.erase(tokens.begin());
            sync = true;
        }
        if (tokens.empty())
            return readlineno;

        int jumpLine = 0;
        const int result = dispatch(tokens, line, sync, jumpLine);
        if (jumpLine != 0)
            return jumpLine;

        const auto* vars = Services::SysVars();
        if (vars && (vars->gameMode || vars->tweenAnimationDisplay) && sync && result >= 1 &&
            vars->textProgressMode != 2) {
            syncStart = SteadyClock::now();
            syncDuration = std::chrono::milliseconds(result);
            syncLine = readlineno;
            if (vars->gameMode)
                m_ParserState = SYNC_EXEC;
        }
    } catch (...) {
        // A handler must never take the read loop down with it.
        ReportException(std::current_exception());
        OutputDebugStringN(L"ERROR. [Parser::ParseTokens] line skipped. script-name:%s curline:%i \n",
                           scriptname.c_str(), readlineno);
    }
    return readlineno;
}

} // namespace crv
