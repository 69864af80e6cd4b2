#pragma once
// The engine as a host sees it: libEngine.so loaded with dlopen, every call looked up by name.

#include "engine.h"

#include <dlfcn.h>

#include <stdexcept>
#include <string>

namespace crvtest {

class EngineLibrary {
public:
    EngineLibrary() {
        m_handle = dlopen(CORVEL_ENGINE_PATH, RTLD_NOW | RTLD_LOCAL);
        if (!m_handle)
            throw std::runtime_error(std::string("dlopen failed: ") + dlerror());
#define CRV_BIND(name) name = reinterpret_cast<decltype(&::name)>(symbol(#name))
        CRV_BIND(getDLLVersion);
        CRV_BIND(fillDLLVersion);
        CRV_BIND(SetupBugTrapExceptionHandler);
        CRV_BIND(CreateRenderWindow);
        CRV_BIND(InitNovelSettings);
        CRV_BIND(UpdateRenderWindow);
        CRV_BIND(DestroyRenderWindow);
        CRV_BIND(OutputDebugStringN);
        CRV_BIND(setNovelScriptText);
        CRV_BIND(setGameMode);
        CRV_BIND(AddCG);
        CRV_BIND(getDLLInformation);
        CRV_BIND(setEngineResolution);
        CRV_BIND(setRenderWindowProportion);
        CRV_BIND(setTweenAnimationDisplay);
        CRV_BIND(setPlayMusicDuringEdit);
        CRV_BIND(setBoundingBoxDisplay);
        CRV_BIND(getGameOver);
        CRV_BIND(setGameOver);
        CRV_BIND(setEngineFullscreen);
        CRV_BIND(getEngineFullscreen);
        CRV_BIND(getEngineWidth);
        CRV_BIND(getEngineHeight);
        CRV_BIND(getEngineColour);
        CRV_BIND(crvSaveFrame);
#undef CRV_BIND
    }
    ~EngineLibrary() {
        if (m_handle)
            dlclose(m_handle);
    }
    EngineLibrary(const EngineLibrary&) = delete;
    EngineLibrary& operator=(const EngineLibrary&) = delete;

    /** Any symbol reachable through the engine's handle (the PhysFS API among them), or null. */
    void* find(const char* name) const { return dlsym(m_handle, name); }

    decltype(&::getDLLVersion) getDLLVersion;
    decltype(&::fillDLLVersion) fillDLLVersion;
    decltype(&::SetupBugTrapExceptionHandler) SetupBugTrapExceptionHandler;
    decltype(&::CreateRenderWindow) CreateRenderWindow;
    decltype(&::InitNovelSettings) InitNovelSettings;
    decltype(&::UpdateRenderWindow) UpdateRenderWindow;
    decltype(&::DestroyRenderWindow) DestroyRenderWindow;
    decltype(&::OutputDebugStringN) OutputDebugStringN;
    decltype(&::setNovelScriptText) setNovelScriptText;
    decltype(&::setGameMode) setGameMode;
    decltype(&::AddCG) AddCG;
    decltype(&::getDLLInformation) getDLLInformation;
    decltype(&::setEngineResolution) setEngineResolution;
    decltype(&::setRenderWindowProportion) setRenderWindowProportion;
    decltype(&::setTweenAnimationDisplay) setTweenAnimationDisplay;
    decltype(&::setPlayMusicDuringEdit) setPlayMusicDuringEdit;
    decltype(&::setBoundingBoxDisplay) setBoundingBoxDisplay;
    decltype(&::getGameOver) getGameOver;
    decltype(&::setGameOver) setGameOver;
    decltype(&::setEngineFullscreen) setEngineFullscreen;
    decltype(&::getEngineFullscreen) getEngineFullscreen;
    decltype(&::getEngineWidth) getEngineWidth;
    decltype(&::getEngineHeight) getEngineHeight;
    decltype(&::getEngineColour) getEngineColour;
    decltype(&::crvSaveFrame) crvSaveFrame;

private:
    void* symbol(const char* name) {
        void* address = dlsym(m_handle, name);
        if (!address)
            throw std::runtime_error(std::string("missing export: ") + name);
        return address;
    }

    void* m_handle = nullptr;
};

} // namespace crvtest
