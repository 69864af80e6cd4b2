// The exported C interface. Every call catches everything at its edge: nothing throws into a host.

#include "engine.h"

#include "core/ChildWindow.hpp"
#include "core/Config.hpp"
#include "core/CrashHandler.hpp"
#include "core/Input.hpp"
#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/Text.hpp"
#include "core/Window.hpp"
#include "resources/ResourcePool.hpp"
#include "scene/Entity.hpp"
#include "script/Parser.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/OpenGL.hpp>

#include <cstdio>
#include <cstring>
#include <filesystem>

using namespace crv;

namespace {

const wchar_t* const kVersion = L"0.8.2-t2";

// Module state of the interface.
CrvWindow g_renderChild = 0;
bool g_application = false;
std::wstring g_windowTitle;
CrvEngineInfo g_info{};

template <typename F>
auto guarded(const wchar_t* where, F&& body) -> decltype(body()) {
    XErrorTrap trap;
    try {
        return body();
    } catch (const std::exception& e) {
        crv::OutputDebugStringN(L"\nERROR. (%s) %s \n", where, toWide(e.what()).c_str());
    } catch (...) {
        crv::OutputDebugStringN(L"\nERROR. (%s) unknown exception \n", where);
    }
    if constexpr (!std::is_void_v<decltype(body())>)
        return decltype(body()){};
}

bool isApplicationMode(const wchar_t* mode) {
    return hostString(mode) == L"application";
}

void notice(const std::wstring& text) {
    std::fprintf(stderr, "%s\n", toNarrow(text).c_str());
    LogText(text + L"\n");
}

} // namespace

extern "C" {

CRV_API const wchar_t* getDLLVersion(void) {
    return kVersion;
}

CRV_API int fillDLLVersion(wchar_t* buffer) {
    if (!buffer)
        return 0;
    const std::size_t length = std::wcslen(kVersion);
    std::wmemcpy(buffer, kVersion, length + 1);
    return static_cast<int>(length);
}

CRV_API void SetupBugTrapExceptionHandler(void) {
    guarded(L"SetupBugTrapExceptionHandler", [] {
        if (InstallCrashHandler())
            crv::OutputDebugStringN(L"SetupBugTrapExceptionHandler COMPLETE. \n\n");
    });
}

CRV_API CrvWindow CreateRenderWindow(CrvInstance instance, CrvWindow parent, int width, int height,
                                     const wchar_t* title, const wchar_t* scriptFile,
                                     const wchar_t* scriptText, const wchar_t* mode,
                                     unsigned char windowMode) {
    return guarded(L"DLL::CreateRenderWindow", [&]() -> CrvWindow {
        SetupBugTrapExceptionHandler();
        if (Services::pRenderWindow) {
            crv::OutputDebugStringN(L"ERROR. (DLL::CreateRenderWindow) a render window exists already: call DestroyRenderWindow first \n");
            return 0;
        }
        g_application = isApplicationMode(mode);
        g_renderChild = 0;
        if (g_application) {
            if (width <= 0 || height <= 0 || windowMode > 2) {
                notice(L"\nERROR creating render window!");
                crv::OutputDebugStringN(L"ERROR. (DLL::CreateRenderWindow) invalid size or window mode. width:%i height:%i windowMode:%i \n",
                                   width, height, static_cast<int>(windowMode));
                return 0;
            }
            SetWindowMode(windowMode, static_cast<unsigned>(width), static_cast<unsigned>(height));
        } else {
            const unsigned long child = CreateChildWindow(parent, width, height);
            if (child == 0) {
                notice(L"\nERROR creating render window!");
                return 0;
            }
            g_renderChild = child;
            Services::pRenderWindow = std::make_unique<sf::RenderWindow>(
                static_cast<sf::WindowHandle>(child), sf::ContextSettings(0, 0, 0, 2, 0));
            // SFML shows a window it adopts; the editor's view stays hidden until the host maps it.
            Services::pRenderWindow->setVisible(false);
        }
        if (!Services::pRenderWindow || !Services::pRenderWindow->isOpen()) {
            notice(L"\nERROR creating render window!");
            Services::pRenderWindow.reset();
            DestroyChildWindow();
            g_renderChild = 0;
            return 0;
        }
        g_windowTitle = std::wstring(hostString(title)) + L" -Corvel " + kVersion;
        Services::pRenderWindow->setTitle(sf::String(g_windowTitle));
        LogText(std::wstring(L"\nDLL VERSION: ") + kVersion + L"\n");
        if (g_application)
            InitNovelSettings(instance, parent, title, scriptFile, scriptText, mode, windowMode);
        else
            Services::pRenderWindow->setActive(false);
        crv::OutputDebugStringN(L"[DLL::CreateRenderWindow] COMPLETE\n\n");
        return g_renderChild;
    });
}

CRV_API void InitNovelSettings(CrvInstance instance, CrvWindow parent, const wchar_t* /*title*/,
                               const wchar_t* scriptFile, const wchar_t* scriptText,
                               const wchar_t* mode, unsigned char windowMode) {
    guarded(L"DLL::InitNovelSettings", [&] {
        if (!Services::pRenderWindow) {
            crv::OutputDebugStringN(L"ERROR. (DLL::InitNovelSettings) no render window: call CreateRenderWindow first \n");
            return;
        }
        if (Services::pNParser || !Services::m_NovelStates.empty()) {
            crv::OutputDebugStringN(L"ERROR. (DLL::InitNovelSettings) the novel is initialised already \n");
            return;
        }
        Services::pNParser = std::make_unique<NParser>(std::wstring(hostString(scriptFile)),
                                                       std::wstring(hostString(scriptText)));
        Services::InitNovelState(g_application);
        auto& vars = *Services::SysVars();
        vars.parentWindow = parent;
        vars.instance = instance;
        vars.renderWindowHandle = g_renderChild;
        vars.windowMode = windowMode;
        vars.windowTitle = g_windowTitle;
        vars.loggingEnabled = true;
        vars.gameOver = false;
        vars.isApplication = g_application;
        vars.gameMode = g_application;

        ActivateRenderWindow();
        const sf::ContextSettings settings = Services::pRenderWindow->getSettings();
        crv::OutputDebugStringN(L"\nOpenGL VERSION: %i.%i\n", static_cast<int>(settings.majorVersion),
                           static_cast<int>(settings.minorVersion));
        crv::OutputDebugStringN(L"OpenGL depth_bits:%i, stencil_bits:%i, antialiasing_level:%i \n\n",
                           static_cast<int>(settings.depthBits), static_cast<int>(settings.stencilBits),
                           static_cast<int>(settings.antialiasingLevel));
        crv::OutputDebugStringN(L"Max Texture size:%i \n", static_cast<int>(sf::Texture::getMaximumSize()));
        ReadEditorConfig();
        if (isApplicationMode(mode))
            Services::CurParser()->ReadScript(-1);
        crv::OutputDebugStringN(L"[DLL::InitNovelSettings] COMPLETE\n");
    });
}

CRV_API void UpdateRenderWindow(void) {
    guarded(L"DLL::UpdateRenderWindow", [] {
        if (!Services::pRenderWindow)
            return;
        ActivateRenderWindow();
        UpdateEngine(true, true);
    });
}

CRV_API void DestroyRenderWindow(void) {
    guarded(L"DLL::DestroyRenderWindow", [] {
        CloseEngine();
        g_renderChild = 0;
    });
}

CRV_API void OutputDebugStringN(const wchar_t* text) {
    if (text)
        LogText(text);
}

CRV_API void setNovelScriptText(const wchar_t* text, const wchar_t* filename, int lineno, bool resetScript) {
    guarded(L"DLL::setNovelScriptText", [&] {
        if (!Services::pNParser || !Services::SysVars()) {
            crv::OutputDebugStringN(L"ERROR. (DLL::setNovelScriptText) called before InitNovelSettings \n");
            return;
        }
        const std::wstring name(hostString(filename));
        auto current = Services::CurParser();
        if (current->getScriptName() == name && current->getReadLineNo() == lineno && !resetScript) {
            crv::OutputDebugStringN(L"[setNovelScriptText:invalid] filename: %s (same), lineno: %d (same), resetScript: %s [return] \n",
                               name.c_str(), lineno, L"false");
            return;
        }
        if (lineno != -1 && lineno < 1) {
            crv::OutputDebugStringN(L"[setNovelScriptText:invalid] Invalid lineno argument: %d [return]\n", lineno);
            return;
        }
        Services::NParser()->resetToMainParser();
        auto parser = Services::CurParser();
        if (!resetScript) {
            crv::OutputDebugStringN(L"[DLL::setNovelScriptText:same-script] filename:%s, lineno:%d \n", name.c_str(), lineno);
            if (lineno != -1 && lineno < parser->getReadLineNo()) {
                crv::OutputDebugStringN(L"[DLL::setNovelScriptText:same-script] destination line:%d < parser curline:%d. amend entity list\n",
                                   lineno, parser->getReadLineNo());
                parser->GotoLine(lineno);
            }
        } else {
            crv::OutputDebugStringN(L"[DLL::setNovelScriptText:reset-script] filename:%s, lineno:%d, CurParser.readlineno:%d \n",
                               name.c_str(), lineno, parser->getReadLineNo());
            if (parser->getReadLineNo() != lineno || parser->getScriptName() != name) {
                crv::OutputDebugStringN(L"[DLL::setNovelScriptText:reset-script] COMPLETE RESET \n");
                parser->setScriptText(name, std::wstring(hostString(text)), true);
            } else {
                crv::OutputDebugStringN(L"[DLL::setNovelScriptText:reset-script] AMEND CURLINE ONWARDS \n");
                parser->setScriptText(name, std::wstring(hostString(text)), false);
            }
        }
        parser->ReadScript(lineno);
    });
}

CRV_API void setGameMode(bool play) {
    guarded(L"DLL::setGameMode", [&] {
        auto* vars = Services::SysVars();
        if (!vars || !Services::pNParser) {
            crv::OutputDebugStringN(L"ERROR. (DLL::setGameMode) called before InitNovelSettings \n");
            return;
        }
        if (!g_application) {
            if (play && !vars->gameMode) {
                auto main = Services::MainParser();
                vars->gameStartLine = main->getReadLineNo();
                vars->gameStartParserState = static_cast<std::uint8_t>(main->getParserState());
                vars->gameStartScript = main->getScriptName();
                Services::PushNovelStateCopy();
                ReadEditorConfig();
            } else if (!play && vars->gameMode) {
                Services::RevertNovelState();
                vars = Services::SysVars();
                Services::NParser()->resetToMainParser();
                auto main = Services::MainParser();
                if (main->getScriptName() != vars->gameStartScript)
                    main->GoToScript(vars->gameStartScript, L"");
                main->GotoLine(vars->gameStartLine + 1);
                main->setParserState(static_cast<std::int8_t>(vars->gameStartParserState));
                vars->gameStartLine = -1;
            }
        }
        Services::SysVars()->gameMode = play;
    });
}

CRV_API void AddCG(const wchar_t* filename) {
    guarded(L"DLL::AddCG", [&] {
        const std::wstring name(hostString(filename));
        crv::OutputDebugStringN(L"\nAddCG. filename:%s \n", name.c_str());
        auto* vars = Services::SysVars();
        if (!vars || !Services::pRenderWindow)
            return;
        auto sprite = std::make_shared<NSprite>(NTYPE_CG, L"EDITOR_INTERACTABLE", 0);
        if (!sprite->loadTexture(name))
            return;
        if (sSprite* state = sprite->getCurrentSprite()) {
            state->setPosition(0.f, 0.f);
            vars->editorInteractable = sprite;
        }
    });
}

CRV_API void getDLLInformation(CrvEngineInfo* info, int* parserState, wchar_t* chosenName,
                               CrvChosenEntity* chosen, bool wantChosen) {
    guarded(L"DLL::getDLLInformation", [&] {
        auto copyOut = [&] {
            if (info)
                *info = g_info;
        };
        auto* vars = Services::SysVars();
        if (!Services::pRenderWindow || !vars) {
            copyOut();
            return;
        }
        const sf::Vector2f mouse = MousePosition();
        g_info.mouseX = static_cast<int32_t>(mouse.x);
        g_info.mouseY = static_cast<int32_t>(mouse.y);
        g_info.updatesPerSecond = vars->updatesPerSecond;
        g_info.framesPerSecond = vars->framesPerSecond;
        if (Services::pNParser) {
            const int state = Services::MainParser()->getParserState();
            g_info.reserved = state;
            if (parserState)
                *parserState = state;
        }
        if (!wantChosen || !chosen) {
            copyOut();
            return;
        }
        auto& [isChosen, name, type] = vars->chosenEntity;
        if (!isChosen) {
            chosen->chosen = 0;
            copyOut();
            return;
        }
        if (chosenName)
            std::wmemcpy(chosenName, name.c_str(), name.size() + 1);
        chosen->chosen = 1;
        chosen->nType = type;
        if (type != NTYPE_CG) {
            copyOut();
            return;
        }
        std::shared_ptr<Texture> texture;
        if (!TexturePool().get(texture, vars->images.dir + name)) {
            chosen->chosen = 0;
            copyOut();
            return;
        }
        chosen->width = static_cast<int32_t>(texture->texture.getSize().x);
        chosen->height = static_cast<int32_t>(texture->texture.getSize().y);
        isChosen = false;
        copyOut();
    });
}

CRV_API void setEngineResolution(int width, int height) {
    guarded(L"DLL::setEngineResolution", [&] { SetEngineResolution(width, height); });
}

CRV_API void setRenderWindowProportion(float proportion) {
    if (auto* vars = Services::SysVars())
        vars->renderWindowProportion = proportion;
}

CRV_API void setTweenAnimationDisplay(bool on) {
    if (auto* vars = Services::SysVars())
        vars->tweenAnimationDisplay = on;
}

CRV_API void setPlayMusicDuringEdit(bool on) {
    if (auto* vars = Services::SysVars())
        vars->playMusicDuringEdit = on;
}

CRV_API void setBoundingBoxDisplay(bool on) {
    if (auto* vars = Services::SysVars())
        vars->boundingBoxDisplay = on;
}

CRV_API bool getGameOver(void) {
    const auto* vars = Services::SysVars();
    return vars && vars->gameOver;
}

CRV_API void setGameOver(bool) {}
CRV_API void setEngineFullscreen(bool) {}
CRV_API bool getEngineFullscreen(void) {
    return false;
}
CRV_API int getEngineWidth(void) {
    return 0;
}
CRV_API int getEngineHeight(void) {
    return 0;
}
CRV_API int getEngineColour(void) {
    return 0;
}

CRV_API bool crvSaveFrame(const wchar_t* path) {
    return guarded(L"crvSaveFrame", [&]() -> bool {
        const std::wstring target(hostString(path));
        if (!Services::pRenderWindow || target.empty()) {
            crv::OutputDebugStringN(L"ERROR. (crvSaveFrame) no render window or empty path. path:%s \n", target.c_str());
            return false;
        }
        ActivateRenderWindow();
        sf::Texture texture;
        const sf::Vector2u size = Services::pRenderWindow->getSize();
        if (!texture.create(size.x, size.y)) {
            crv::OutputDebugStringN(L"ERROR. (crvSaveFrame) cannot capture the window. path:%s \n", target.c_str());
            return false;
        }
        texture.update(*Services::pRenderWindow);
        const sf::Image image = texture.copyToImage();
        // Write beside the target and rename, so an existing file is never left half-written.
        const std::filesystem::path finalPath(toNarrow(target));
        std::filesystem::path temporary = finalPath;
        temporary += ".tmp.png";
        if (!image.saveToFile(temporary.string())) {
            crv::OutputDebugStringN(L"ERROR. (crvSaveFrame) cannot write:%s \n", target.c_str());
            std::error_code ignored;
            std::filesystem::remove(temporary, ignored);
            return false;
        }
        std::error_code error;
        std::filesystem::rename(temporary, finalPath, error);
        if (error) {
            crv::OutputDebugStringN(L"ERROR. (crvSaveFrame) cannot write:%s \n", target.c_str());
            std::filesystem::remove(temporary, error);
            return false;
        }
        return true;
    });
}

} // extern "C"
