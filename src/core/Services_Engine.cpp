// The frame loop: one engine step per call, driven by the host.

#include "core/ChildWindow.hpp"
#include "core/Input.hpp"
#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/Text.hpp"
#include "core/Window.hpp"
#include "resources/ResourcePool.hpp"
#include "scene/Entity.hpp"
#include "script/FlowCommands.hpp"
#include "script/NovelCommands.hpp"
#include "script/Parser.hpp"

#include <algorithm>
#include <cwctype>
#include <sstream>
#include <stdexcept>

namespace crv {

namespace {

// Loop state, process-wide.
struct LoopState {
    bool windowStarted = false;
    SteadyClock::time_point windowStart{};
    int updateCount = 0;
    int renderCount = 0;
    bool inEvents = false;
    sf::Event lastEvent{};
    bool autoStarted = false;
    SteadyClock::time_point autoStart{};
    bool autoFired = false;
    long long pacedFrames = 0;
};
LoopState g_loop;

std::vector<std::wstring> splitWords(const std::wstring& text) {
    std::vector<std::wstring> words;
    std::wistringstream stream(text);
    for (std::wstring word; stream >> word;)
        words.push_back(word);
    return words;
}

bool isNumber(const std::wstring& text) {
    if (text.empty())
        return false;
    std::size_t i = (text[0] == L'-' || text[0] == L'+') ? 1 : 0;
    if (i == text.size())
        return false;
    for (; i < text.size(); ++i)
        if (!std::iswdigit(text[i]))
            return false;
    return true;
}

void HandleEvents() {
    if (g_loop.inEvents)
        OutputDebugStringN(L"WARNING!!!! HANDLE_EVENTS CALLED AGAIN WHILST PREVIOUSLY HANDLE_EVENTS NOT FINISHED \n");
    g_loop.inEvents = true;
    struct Reset {
        ~Reset() { g_loop.inEvents = false; }
    } reset;

    sf::RenderWindow& window = *Services::pRenderWindow;
    if (!window.isOpen()) {
        OutputDebugStringN(L"ERROR. pRENDERWINDOW NOT OPEN \n");
        return;
    }
    try {
        while (window.pollEvent(g_loop.lastEvent)) {
            const sf::Event& event = g_loop.lastEvent;
            auto* vars = Services::SysVars();
            switch (event.type) {
            case sf::Event::Closed:
                OutputDebugStringN(L"\nSF::EVENT::CLOSED \n");
                if (vars->isApplication) {
                    const bool confirmed = vars->currentMsgbox == L"Msg_endGame" &&
                                           vars->variables[L"Msg_endGame"] == L"1";
                    if (!confirmed) {
                        vars->variables[L"msg_str"] =
                            Services::pNCommands ? Services::pNCommands->getString(L"Msg_endGame") : L"";
                        CmdHandlers::ExecuteMessageBox(L"Msg_endGame");
                    }
                }
                continue;
            case sf::Event::Resized:
                OutputDebugStringN(L"SF::EVENT::RESIZED new-width:%i new-height:%i \n",
                                   static_cast<int>(event.size.width), static_cast<int>(event.size.height));
                break;
            case sf::Event::LostFocus:
                OutputDebugStringN(L"SF::EVENT::LOSTFOCUS \n");
                continue;
            case sf::Event::GainedFocus:
                OutputDebugStringN(L"SF::EVENT::GAINEDFOCUS \n");
                continue;
            case sf::Event::MouseMoved:
                continue;
            default:
                break;
            }
            if (vars->gameMode)
                UpdateKeyboard(event);
            DispatchMouse(event);
        }
        // Mouse moves are coalesced: only the newest position of an update reaches the handlers.
        if (g_loop.lastEvent.type == sf::Event::MouseMoved)
            DispatchMouse(g_loop.lastEvent);
    } catch (const std::runtime_error& e) {
        OutputDebugStringN(L"\nERROR: (HandleEvents) RUNTIME ERROR!!:%s \n", toWide(e.what()).c_str());
    } catch (const std::exception& e) {
        OutputDebugStringN(L"\nERROR: (HandleEvents) ERROR!!:%s \n", toWide(e.what()).c_str());
    } catch (...) {
        OutputDebugStringN(L"\nERROR: (HandleEvents) CAGUHT UNKNOWN!! \n");
    }
}

void UpdateEntities() {
    auto* vars = Services::SysVars();
    Entities& registry = *Services::Entities();
    // Copy each layer's list: an update may post jobs, never change the lists in place.
    for (auto& [layer, list] : registry.entityLayers)
        for (auto& entity : EntityList(list))
            entity->Update();
    if (registry.pCamera)
        registry.pCamera->Update();
    if (registry.pBacklog)
        registry.pBacklog->Update();

    for (auto& timer : vars->timers) {
        const long long elapsed = millisecondsSince(timer->start);
        if (elapsed >= timer->duration) {
            OutputDebugStringN(L"[UpdateEntities] exec timer func. name:%s, passedDuration:%ims \n",
                               timer->name.c_str(), static_cast<int>(elapsed));
            timer->fired = true;
            timer->start = SteadyClock::now();
            TriggerParseExec(timer->command);
        }
    }
    std::erase_if(vars->timers, [](const auto& timer) { return timer->fired && !timer->repeat; });
    if (!vars->gameMode)
        vars->timers.clear();
}

void HandleVars() {
    auto* vars = Services::SysVars();
    if (vars->renderMode != 0 || vars->currentMsgbox.empty())
        return;
    const std::wstring kind = vars->currentMsgbox;
    static const wchar_t* const kKinds[] = {L"Msg_endGame", L"Msg_userDefined", L"Msg_saveOverwrite",
                                            L"Msg_saveDelete", L"Msg_loadConfirm"};
    if (std::find(std::begin(kKinds), std::end(kKinds), kind) == std::end(kKinds))
        return;
    const std::wstring answer = vars->variables[kind];
    if (!isNumber(answer))
        return;
    const long n = std::wcstol(answer.c_str(), nullptr, 10);
    if (kind == L"Msg_endGame") {
        if (n == 1) {
            OutputDebugStringN(L"\nGAME END\n");
            vars->gameOver = true;
        }
    } else if (kind == L"Msg_userDefined") {
        if (n == 1) {
            const std::wstring text = PendingUserDialog();
            std::vector<std::wstring> words = splitWords(text);
            Services::jobs.push([words, text] {
                OutputDebugStringN(L"\n[HandleVars] TRIGGER_USER_DIALOG_FUNCTION\n\n");
                if (!Services::pNParser)
                    return;
                auto parser = Services::CurParser();
                parser->getCurLineTokens() = words;
                parser->ParseTokens(text, nullptr, true);
            });
            vars->currentMsgbox.clear();
        } else if (n == 0) {
            vars->currentMsgbox.clear();
        }
    }
    // The save-slot answers act on the triggering slot button, which arrives with the buttons.
}

void BuryEntities() {
    Entities& registry = *Services::Entities();
    std::vector<std::pair<std::wstring, int>> removed;
    for (auto& [layer, list] : registry.entityLayers) {
        list.remove_if([&](const std::shared_ptr<NEntity>& entity) {
            if (!entity->isHidden())
                return false;
            removed.emplace_back(entity->getName(), entity->getType());
            return true;
        });
    }
    if (removed.empty())
        return;
    ActivateRenderWindow();
    for (const auto& [name, type] : removed) {
        if (name.empty())
            continue;
        if (type == NTYPE_BUTTON || type == NTYPE_SYSBUTTON || type == NTYPE_TRACKBAR)
            // An init-capture: clang 14 cannot capture a structured binding.
            registry.buttons.remove_if([&n = name](const auto& e) { return e->getName() == n; });
        registry.m_nameReferences.erase(name);
    }
    OutputDebugStringN(L"\nBuryEntities\n");
    for (const auto& [name, type] : removed)
        OutputDebugStringN(L"removed:'%s' (ntype:%i) \n", name.c_str(), type);
}

void ApplyTextreadMethod() {
    auto* vars = Services::SysVars();
    auto parser = Services::CurParser();
    // Text boxes arrive with the text subsystem; until then nothing is ever flowing.
    const bool flowing = false;
    switch (vars->textProgressMode) {
    case 0:
        return;
    case 1:
        if (!flowing && parser->getParserState() == PARSE_FIN) {
            if (!g_loop.autoStarted || g_loop.autoFired) {
                g_loop.autoStarted = true;
                g_loop.autoStart = SteadyClock::now();
            }
            const long long elapsed = millisecondsSince(g_loop.autoStart);
            if (elapsed >= vars->sysAutoWait) {
                OutputDebugStringN(L"TEXT AUTO. PARSE CONT. TIME PASSED:%fms string:%s \n",
                                   static_cast<double>(elapsed), L"");
                parser->setParserState(PARSE_CONT);
                g_loop.autoFired = true;
            } else {
                g_loop.autoFired = false;
            }
        }
        return;
    case 2:
        if (!flowing && (parser->getParserState() == PARSE_FIN || parser->getParserState() == SYNC_EXEC))
            parser->setParserState(PARSE_CONT);
        return;
    default:
        OutputDebugStringN(L"ERROR. (ApplyTextreadMethod) INVALID TEXT READ METHOD \n");
    }
}

void AutoContScript_ifNeeded() {
    auto* stack = Services::pNParser.get();
    if (!stack || stack->m_parserDeque.empty())
        return;
    stack->getCurParser()->AutoContScript_ifNeeded();
    auto current = stack->getCurParser();
    if (stack->getParserCount() > 1 &&
        (current->getParserState() == PARSE_SCRIPT_FIN || current->isEndOfText())) {
        OutputDebugStringN(L"AutoContScript_ifNeeded(start): CurParser(not main) finished normally: pop\n");
        stack->popParser();
        OutputDebugStringN(L"AutoContScript_ifNeeded(fin): cur pushed parser count:%i \n", stack->getParserCount());
    }
}

} // namespace

std::wstring& PendingUserDialogSlot() {
    static std::wstring text;
    return text;
}

std::wstring PendingUserDialog() {
    return PendingUserDialogSlot();
}

long long PacedFrameCount() {
    return g_loop.pacedFrames;
}

bool PacingAllowsFrame(long long elapsedMs, int renderCount) {
    return elapsedMs > static_cast<long long>(renderCount) * 14;
}

void UpdateEngine(bool render, bool handleEvents) {
    if (!render)
        OutputDebugStringN(L"(Services::UpdateEngine) UPDATE WITHOUT RENDER \n");
    auto* vars = Services::SysVars();
    if (!vars) {
        OutputDebugStringN(L"\nERROR. Services::UpdateEngine CALLED DESPITE SYSVARS NULL \n");
        return;
    }
    if (vars->gameOver)
        return;
    if (!Services::pRenderWindow || !Services::pRenderWindow->isOpen())
        return;

    if (!g_loop.windowStarted) {
        g_loop.windowStarted = true;
        g_loop.windowStart = SteadyClock::now();
    }
    if (millisecondsSince(g_loop.windowStart) >= 1000) {
        g_loop.windowStart = SteadyClock::now();
        vars->updatesPerSecond = g_loop.updateCount;
        vars->framesPerSecond = g_loop.renderCount;
        g_loop.updateCount = 0;
        g_loop.renderCount = 0;
    }
    ++g_loop.updateCount;

    if (handleEvents)
        HandleEvents();
    UpdateEntities();
    JobQueue::Job job;
    while (Services::jobs.tryPop(job))
        job();
    // Jobs may have ended the novel or closed the engine.
    vars = Services::SysVars();
    if (!vars || !Services::pRenderWindow)
        return;
    HandleVars();

    if (vars->renderMode != 1 && vars->renderMode != 2 &&
        !PacingAllowsFrame(millisecondsSince(g_loop.windowStart), g_loop.renderCount))
        return;
    ++g_loop.renderCount;
    ++g_loop.pacedFrames;

    if (render) {
        DrawPass();
        if (vars->gameMode)
            BuryEntities();
    }
    if (handleEvents && vars->renderMode == 0 && !vars->gameOver && Services::pNParser) {
        ApplyTextreadMethod();
        AutoContScript_ifNeeded();
    }
}

void TriggerParseExec(const std::wstring& text) {
    if (!Services::pNParser)
        return;
    std::vector<std::wstring> words = splitWords(text);
    std::shared_ptr<Parser> parser = Services::CurParser();
    Services::jobs.push([parser, words, text] {
        OutputDebugStringN(L"\nServices::TriggerParseExec:%s \n\n", text.c_str());
        parser->getCurLineTokens() = words;
        if (Services::pNParser)
            Services::CurParser()->ParseTokens(text, nullptr, true);
    });
}

void CloseEngine() {
    if (!Services::pRenderWindow) {
        DebugOutput(L"[CloseEngine] CALLED DESPITE RENDERWINDOW==NULLPTR \n");
        return;
    }
    OutputDebugStringN(L"\nCloseEngine \n");
    Services::jobs.clear();
    ActivateRenderWindow();
    if (auto* vars = Services::SysVars())
        vars->editorInteractable.reset();
    Services::pNParser.reset();
    Services::pNCommands.reset();
    Services::m_NovelStates.clear();
    TexturePool().releaseAllResources();
    FontPool().releaseAllResources();
    Services::pRenderWindow.reset();
    // SFML leaves its last requests on the adopted window queued on its own connection. A round trip
    // there (the desktop-mode query) sends them while the child still exists; otherwise they would
    // fail later, outside any error trap, and Xlib's default handler would end the host.
    sf::VideoMode::getDesktopMode();
    DestroyChildWindow();
    g_loop = LoopState();
    DebugOutput(L"[CloseEngine] COMPLETE \n");
    // A host that reads debug.txt after shutting down sees every line.
    FlushLog();
}

} // namespace crv
