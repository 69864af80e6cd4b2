// Creating and switching the application window between its three modes.
#include "core/Services.hpp"
#include "core/Window.hpp"
#include "scene/Entities.hpp"
#include "scene/Entity.hpp"
#include "support/EngineSession.hpp"

#include <gtest/gtest.h>

namespace {

TEST(WindowMode, SwitchesKeepTheViewAndTheTextures) {
    crvtest::EngineOptions options;
    options.width = 800;
    options.height = 600;
    options.gameMode = true;
    crvtest::EngineSession engine(options);
    engine.writeImage("Images/red.png", 800, 600, [](unsigned, unsigned) { return sf::Color::Red; });
    auto sprite = std::make_shared<crv::NSprite>(crv::NTYPE_CG, L"red", 1);
    ASSERT_TRUE(sprite->loadTexture(L"red.png"));
    crv::InsNovelEntity(sprite, 1, L"red");
    engine.vars().windowTitle = L"Demo -Corvel 0.8.2-t2";
    auto& window = *crv::Services::pRenderWindow;
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();

    // Framed, size 0 x 0: keeps the 800 x 600 view, centred on the screen.
    crv::SetWindowMode(crv::WINDOW_FRAMED, 0, 0);
    EXPECT_EQ(window.getView().getSize(), sf::Vector2f(800, 600));
    EXPECT_EQ(window.getSize(), sf::Vector2u(800, 600));
    EXPECT_EQ(engine.vars().windowMode, crv::WINDOW_FRAMED);

    // Borderless over the desktop, the novel letterboxed with its aspect kept.
    crv::SetWindowMode(crv::WINDOW_FULLWINDOW, 800, 600);
    EXPECT_EQ(window.getSize(), sf::Vector2u(desktop.width, desktop.height));
    EXPECT_EQ(window.getView().getViewport(),
              crv::FullWindowViewport(static_cast<float>(desktop.width), static_cast<float>(desktop.height), 800, 600));
    crv::DrawPass();
    const sf::Image frame = engine.frame();
    EXPECT_EQ(frame.getPixel(desktop.width / 2, desktop.height / 2), sf::Color::Red) << "textures survive";

    crv::SetWindowMode(crv::WINDOW_FULLSCREEN, 800, 600);
    EXPECT_TRUE(window.isOpen());
    EXPECT_EQ(window.getView().getViewport(), sf::FloatRect(0, 0, 1, 1));
    EXPECT_EQ(engine.vars().windowMode, crv::WINDOW_FULLSCREEN);

    crv::SetWindowMode(9, 800, 600);
    EXPECT_TRUE(window.isOpen()) << "an unknown mode changes nothing";
    const std::string log = engine.log();
    for (const char* line : {"configuring window as: Window mode \n", "configuring window as: FullWindow mode \n",
                             "configuring window as: Fullscreen mode \n", "unknown window mode:9"})
        EXPECT_NE(log.find(line), std::string::npos) << line;
}

} // namespace
