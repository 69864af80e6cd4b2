#include "script/FlowCommands.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "resources/PhysFsStream.hpp"
#include "script/NovelCommands.hpp"
#include "script/Parser.hpp"

#include <algorithm>

namespace crv::CmdHandlers {

namespace {

bool playing() {
    return history::gameMode();
}

std::wstring optionWord(const wchar_t* key) {
    return Services::pNCommands ? Services::pNCommands->getString(key) : std::wstring();
}

std::wstring joinFrom(const Tokens& tokens, std::size_t first) {
    std::wstring text;
    for (std::size_t i = first; i < tokens.size(); ++i) {
        if (i > first)
            text += L' ';
        text += tokens[i];
    }
    return text;
}

} // namespace

int ExecuteWait(Tokens& tokens) {
    if (!playing())
        return -1;
    auto parser = Services::CurParser();
    if (tokens.size() == 2) {
        const std::wstring buttonSelect = optionWord(L"CmdOptions_buttonSelect");
        const std::wstring msgboxSelect = optionWord(L"CmdOptions_msgboxSelect");
        if (!buttonSelect.empty() && tokens[1] == buttonSelect) {
            parser->setParserState(WAIT_BTNSEL);
            OutputDebugStringN(L"[ExecuteWait] WAIT for: %s \n", tokens[1].c_str());
            return -1;
        }
        if (!msgboxSelect.empty() && tokens[1] == msgboxSelect) {
            parser->setParserState(WAIT_MSGBOXSEL);
            OutputDebugStringN(L"[ExecuteWait] WAIT for: %s \n", tokens[1].c_str());
            return -1;
        }
        int milliseconds = 0;
        if (NHelper::isNumber(tokens[1], true) && NHelper::toInt32(tokens[1], milliseconds))
            return milliseconds;
    }
    parser->setParserState(PARSE_FIN);
    return -1;
}

void ExecuteScript(const Tokens& tokens, std::uint8_t scriptType) {
    if (tokens.size() < 2 || !Services::pNParser)
        return;
    std::wstring path = Services::SysVars()->scripts.dir + tokens[1];
    std::replace(path.begin(), path.end(), L'\\', L'/');
    std::wstring text;
    if (!PhysFsStream::ReadTxtFile(path, text))
        return;
    auto parser = std::make_shared<Parser>(tokens[1], text, scriptType);
    NParser& stack = *Services::NParser();
    stack.pushParser(parser);
    parser->setRefLine(Services::MainParser()->getReadLineNo());
    OutputDebugStringN(L"[ExecuteScript] LOADING NEW SCRIPT:%s \n", tokens[1].c_str());
    if (tokens.size() >= 3) {
        const int found = parser->GotoBookmark(tokens[2]);
        if (found == -1) {
            OutputDebugStringN(L"\nERROR: (ExecuteScript) TRIED TO JUMP TO INVALID BOOKMARK \n");
            stack.popParser();
            return;
        }
        parser->setReadLineNo(found);
        if (tokens.size() > 3)
            parser->PushScriptVarNames(Tokens(tokens.begin() + 3, tokens.end()));
    }
    parser->setParserState(PARSE_CONT);
    parser->ReadScript(-1);
    // A script that ran to its end within this line is done; one that waits stays on top.
    if ((parser->getParserState() == PARSE_SCRIPT_FIN || parser->isEndOfText()) &&
        stack.getParserCount() > 1 && stack.getCurParser() == parser)
        stack.popParser();
}

int ExecuteJump(Tokens& tokens) {
    if (!playing()) {
        OutputDebugStringN(L"[ExecuteJump] (gameplaymode: %s) PROHIBIT SCRIPT JUMP \n", L"false");
        return 0;
    }
    if (tokens.size() < 2)
        return 0;
    if (tokens[1].find(L".txt") == std::wstring::npos) {
        auto parser = Services::CurParser();
        const int found = parser->GotoBookmark(tokens[1]);
        if (found == -1) {
            OutputDebugStringN(L"[ExecuteJump] searched bookmark: '%s' does not exist. restored script. \n",
                               tokens[1].c_str());
            return 0;
        }
        OutputDebugStringN(L"[ExecuteJump] searched bookmark: '%s' found at line: %i \n", tokens[1].c_str(), found);
        parser->setParserState(PARSE_CONT);
        return found;
    }
    Services::NParser()->finishPushedParsers();
    auto main = Services::MainParser();
    main->GoToScript(tokens[1], tokens.size() == 3 ? tokens[2] : std::wstring());
    main->setParserState(PARSE_CONT);
    return 0;
}

void ExecuteKeyTrigger(Tokens& tokens) {
    auto* vars = Services::SysVars();
    if (!vars || tokens.size() < 2 || !Services::pNParser)
        return;
    Trigger trigger{Services::MainParser()->getReadLineNo(), joinFrom(tokens, 2)};
    if (auto key = vars->keyNames.find(tokens[1]); key != vars->keyNames.end()) {
        vars->keyTriggers[key->second] = trigger;
    } else if (auto mouse = vars->mouseKeyNames.find(tokens[1]); mouse != vars->mouseKeyNames.end()) {
        vars->mouseTriggers[mouse->second] = trigger;
    } else {
        OutputDebugStringN(L"\nERROR: (ExecuteKeyTrigger) INVALID TRIGGER KEY:%s \n", tokens[1].c_str());
        return;
    }
    OutputDebugStringN(L"[ExecuteKeyTrigger] TRIGGER SAVED. key:%s trigger_func:%s \n", tokens[1].c_str(),
                       trigger.trigger_function.c_str());
}

void ExecuteDialog(Tokens& tokens) {
    if (tokens.size() < 2)
        return;
    const std::wstring message = tokens[1];
    const std::wstring function = joinFrom(tokens, 2);
    Services::jobs.push([message, function] {
        auto* vars = Services::SysVars();
        if (!vars)
            return;
        vars->variables[L"msg_str"] = message;
        PendingUserDialogSlot() = function;
        ExecuteMessageBox(L"Msg_userDefined");
    });
}

void ExecuteMessageBox(const std::wstring& kind) {
    auto* vars = Services::SysVars();
    if (!vars || !Services::pNParser)
        return;
    if (Services::CurParser()->getScriptName() == vars->msgboxScript) {
        OutputDebugStringN(L"[CmdHandlers::ExecuteMessageBox] MSGBOX SCRIPT ALREADY RUNNING. return. \n");
        return;
    }
    vars->currentMsgbox = kind;
    vars->variables[kind] = L"-1";
    const int before = Services::NParser()->getParserCount();
    const auto current = Services::CurParser();
    ExecuteScript({L"script", vars->msgboxScript}, SCRIPT_MSGBOX);
    const bool opened = Services::NParser()->getParserCount() > before || Services::CurParser() != current;
    if (!opened && kind == L"Msg_endGame") {
        // Nothing can ask the player: closing the window must still end the game.
        OutputDebugStringN(L"WARNING. (CmdHandlers::ExecuteMessageBox) no message-box script:'%s'. ending without asking \n",
                           vars->msgboxScript.c_str());
        vars->variables[kind] = L"1";
    }
}

void ExecuteTimer(Tokens& tokens) {
    auto* vars = Services::SysVars();
    if (!playing() || tokens.size() < 4 || !NHelper::isNumber(tokens[2], false))
        return;
    int duration = 0;
    if (!NHelper::toInt32(tokens[2], duration))
        return;
    const std::wstring repeatWord = optionWord(L"CmdOptions_repeat");
    const bool repeat = !repeatWord.empty() && tokens[3] == repeatWord;
    auto timer = std::make_shared<TimerEntry>();
    timer->name = tokens[1];
    timer->start = SteadyClock::now();
    timer->duration = duration;
    timer->command = joinFrom(tokens, repeat ? 4 : 3);
    timer->repeat = repeat;
    vars->timers.push_back(std::move(timer));
}

void ExecuteTimerEnd(Tokens& tokens) {
    auto* vars = Services::SysVars();
    if (!playing() || tokens.size() < 2)
        return;
    std::erase_if(vars->timers, [&](const auto& timer) { return timer->name == tokens[1]; });
}

void ExecuteEndGame(Tokens&) {
    auto* vars = Services::SysVars();
    if (vars && vars->isApplication) {
        OutputDebugStringN(L"[ExecuteEndGame] APPLICATION MODE) endGame. \n");
        vars->gameOver = true;
        Services::MainParser()->setParserState(PARSE_STOP);
    } else {
        OutputDebugStringN(L"[ExecuteEndGame] EDITOR MODE) IGNORING CMD: endGame. \n");
    }
}

void ExecuteClearRGB(Tokens& tokens) {
    auto* vars = Services::SysVars();
    if (!vars || tokens.size() < 4)
        return;
    const Tokens values(tokens.begin() + 1, tokens.begin() + 4);
    if (!NHelper::isNumber(values, true))
        return;
    int rgb[3] = {};
    for (int i = 0; i < 3; ++i) {
        if (!NHelper::toInt32(values[static_cast<std::size_t>(i)], rgb[i])) {
            OutputDebugStringN(L"\nERROR. (ExecuteClearRGB) INVALID VALUES: parseTokens[1]:%s,[2]:%s,[3]:%s \n",
                               values[0].c_str(), values[1].c_str(), values[2].c_str());
            return;
        }
    }
    vars->clearColour.set(sf::Color(static_cast<sf::Uint8>(rgb[0] & 0xFF), static_cast<sf::Uint8>(rgb[1] & 0xFF),
                                    static_cast<sf::Uint8>(rgb[2] & 0xFF), 255));
}

} // namespace crv::CmdHandlers
