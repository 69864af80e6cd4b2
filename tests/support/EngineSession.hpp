#pragma once
// A running engine for unit tests: a real (hidden) render window under the test's X server, the
// parser stack with a main script, and the first novel state, in a scratch folder of its own.

#include "ScratchDir.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "script/Parser.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/RenderWindow.hpp>
#include <SFML/Graphics/Texture.hpp>

#include <physfs.h>

#include <functional>
#include <memory>
#include <string>

namespace crvtest {

struct EngineOptions {
    std::wstring scriptName = L"main.txt";
    std::wstring scriptText;
    bool gameMode = false;     ///< play (true) or edit (false)
    unsigned width = 640;
    unsigned height = 480;
    /** Runs in the scratch folder before the engine starts (files that start-up reads). */
    std::function<void(ScratchDir&)> prepare;
};

class EngineSession {
public:
    explicit EngineSession(EngineOptions options = {}) {
        if (options.prepare)
            options.prepare(m_dir);
        if (!PHYSFS_isInit())
            PHYSFS_init(nullptr);
        crv::Services::pRenderWindow = std::make_unique<sf::RenderWindow>(
            sf::VideoMode(options.width, options.height), "corvel-test", sf::Style::None,
            sf::ContextSettings(0, 0, 0, 2, 0));
        crv::Services::pRenderWindow->setVisible(false);
        crv::Services::pNParser = std::make_unique<crv::NParser>(options.scriptName, options.scriptText);
        crv::Services::InitNovelState(options.gameMode);
        crv::Services::SysVars()->isApplication = options.gameMode;
    }
    ~EngineSession() {
        crv::CloseEngine();
        PHYSFS_deinit();
    }
    EngineSession(const EngineSession&) = delete;
    EngineSession& operator=(const EngineSession&) = delete;

    crv::SysVars& vars() { return *crv::Services::SysVars(); }
    crv::Parser& mainParser() { return *crv::Services::MainParser(); }
    /** Everything logged so far, as it stands in debug.txt. */
    std::string log() {
        crv::FlushLog();
        return m_dir.read("debug.txt");
    }
    ScratchDir& dir() { return m_dir; }

    /** The window's contents as last drawn. */
    sf::Image frame() {
        sf::Texture texture;
        const sf::Vector2u size = crv::Services::pRenderWindow->getSize();
        texture.create(size.x, size.y);
        texture.update(*crv::Services::pRenderWindow);
        return texture.copyToImage();
    }

    /** Writes a PNG of w x h filled by colourAt(x, y), relative to the scratch folder. */
    template <typename F>
    void writeImage(const std::string& relative, unsigned w, unsigned h, F colourAt) {
        sf::Image image;
        image.create(w, h);
        for (unsigned y = 0; y < h; ++y)
            for (unsigned x = 0; x < w; ++x)
                image.setPixel(x, y, colourAt(x, y));
        std::filesystem::create_directories((m_dir.path() / relative).parent_path());
        image.saveToFile((m_dir.path() / relative).string());
    }

private:
    ScratchDir m_dir; // first member: the engine starts inside it and is closed before it goes
};

} // namespace crvtest
