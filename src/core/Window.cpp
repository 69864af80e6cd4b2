#include "core/Window.hpp"

#include "core/ChildWindow.hpp"
#include "core/Log.hpp"
#include "core/Services.hpp"
#include "resources/ResourcePool.hpp"
#include "scene/Entity.hpp"
#include "script/Parser.hpp"

#include <SFML/Graphics/Image.hpp>
#include <SFML/Graphics/Sprite.hpp>
#include <SFML/Graphics/Texture.hpp>
#include <SFML/OpenGL.hpp>

namespace crv {

namespace {

// The running rule transition.
struct TransitionState {
    SteadyClock::time_point start{};
    sf::Image mask;
    std::shared_ptr<Texture> texture;
};
TransitionState g_transition;

const sf::ContextSettings kContext(0, 0, 0, 2, 0);

void resetView(float width, float height, const sf::FloatRect& viewport) {
    sf::View view(sf::FloatRect(0.f, 0.f, width, height));
    view.setViewport(viewport);
    Services::pRenderWindow->setView(view);
}

void drawTransitionOverlay() {
    auto* vars = Services::SysVars();
    if (vars->transition.first.empty())
        return;
    if (vars->transitionStart) {
        g_transition.start = SteadyClock::now();
        std::shared_ptr<Texture> texture;
        if (!TexturePool().get(texture, vars->images.dir + vars->transition.first))
            return; // retried next frame; the request stays
        g_transition.mask = texture->texture.copyToImage();
        g_transition.texture = texture;
        vars->transitionStart = false;
    }
    const bool fadeIn = vars->transitionFadeIn;
    const sf::Color overlay = fadeIn ? sf::Color(255, 255, 255, 255) : vars->clearColour.get();
    const long long elapsed = millisecondsSince(g_transition.start);
    const long long duration = vars->transition.second;
    const int threshold = TransitionThreshold(elapsed, duration);
    if (elapsed <= duration && threshold >= 0) {
        const sf::Vector2u size = g_transition.mask.getSize();
        sf::Image image;
        image.create(size.x, size.y, overlay);
        for (unsigned y = 0; y < size.y; ++y)
            for (unsigned x = 0; x < size.x; ++x) {
                sf::Color pixel = overlay;
                pixel.a = TransitionAlpha(g_transition.mask.getPixel(x, y).r, threshold, fadeIn);
                image.setPixel(x, y, pixel);
            }
        sf::Texture texture;
        texture.loadFromImage(image);
        sf::Sprite sprite(texture);
        const sf::Vector2f view = Services::pRenderWindow->getView().getSize();
        sprite.setScale(view.x / static_cast<float>(size.x), view.y / static_cast<float>(size.y));
        Services::pRenderWindow->draw(sprite);
        return;
    }
    // Over (or too short to step): finish, and let the synchronous command's script read on.
    vars->transition.first.clear();
    g_transition.mask = sf::Image();
    g_transition.texture.reset();
    if (!fadeIn) {
        Services::RemoveEntities();
        Services::pRenderWindow->clear(vars->clearColour.get());
    }
    if (Services::pNParser)
        Services::CurParser()->setParserState(PARSE_CONT);
}

} // namespace

sf::FloatRect FullWindowViewport(float dw, float dh, float width, float height) {
    const float fx = dw / width;
    const float fy = dh / height;
    if (fx > fy) {
        const float r = fx / fy;
        return {(r - 1.f) * 0.5f, 0.f, 2.f - r, 1.f};
    }
    const float r = fy / fx;
    return {0.f, (r - 1.f) * 0.5f, 1.f, 2.f - r};
}

int TransitionThreshold(long long elapsed, long long duration) {
    const long long step = duration / 255;
    if (step <= 0)
        return -1;
    return static_cast<int>((elapsed % duration) / step);
}

std::uint8_t TransitionAlpha(int m, int threshold, bool fadeIn) {
    if (m >= threshold) {
        const int alpha = (m - threshold) % 256;
        return static_cast<std::uint8_t>(fadeIn ? alpha : 255 - alpha);
    }
    return fadeIn ? 0 : 255;
}

void ActivateRenderWindow() {
    if (!Services::pRenderWindow)
        return;
    bool failed = false;
    for (int attempt = 0; attempt < 10; ++attempt) {
        if (Services::pRenderWindow->setActive(true))
            break;
        if (!failed)
            OutputDebugStringN(L"\n");
        failed = true;
        OutputDebugStringN(L"ERROR. ActivateRenderWindow FAILED!!!! \n");
    }
    if (failed)
        OutputDebugStringN(L"\n");
}

void SetWindowMode(int mode, unsigned width, unsigned height) {
    auto* vars = Services::SysVars();
    const std::wstring title = vars ? vars->windowTitle : std::wstring();
    auto& window = Services::pRenderWindow;
    if (window) {
        const sf::Vector2f view = window->getView().getSize();
        if (width == 0)
            width = static_cast<unsigned>(view.x);
        if (height == 0)
            height = static_cast<unsigned>(view.y);
        ActivateRenderWindow();
    }
    if (width == 0 || height == 0) {
        OutputDebugStringN(L"ERROR. (Services::SetWindowMode) invalid size width:%i height:%i \n",
                           static_cast<int>(width), static_cast<int>(height));
        return;
    }
    const sf::VideoMode desktop = sf::VideoMode::getDesktopMode();
    const sf::String sfTitle(title);
    // An existing window is re-created in place: textures live in the shared context and survive.
    if (!window)
        window = std::make_unique<sf::RenderWindow>();
    const float w = static_cast<float>(width);
    const float h = static_cast<float>(height);
    switch (mode) {
    case WINDOW_FULLSCREEN:
        OutputDebugStringN(L"[Services::SetWindowMode] configuring window as: Fullscreen mode \n");
        window->create(sf::VideoMode(width, height, 32), sfTitle, sf::Style::Fullscreen, kContext);
        resetView(w, h, {0.f, 0.f, 1.f, 1.f});
        break;
    case WINDOW_FRAMED:
        OutputDebugStringN(L"[Services::SetWindowMode] configuring window as: Window mode \n");
        window->create(sf::VideoMode(width, height, 32), sfTitle, sf::Style::Titlebar | sf::Style::Close, kContext);
        window->setPosition(sf::Vector2i((static_cast<int>(desktop.width) - static_cast<int>(width)) / 2,
                                         (static_cast<int>(desktop.height) - static_cast<int>(height)) / 2));
        resetView(w, h, {0.f, 0.f, 1.f, 1.f});
        break;
    case WINDOW_FULLWINDOW:
        OutputDebugStringN(L"[Services::SetWindowMode] configuring window as: FullWindow mode \n");
        window->create(desktop, sfTitle, sf::Style::None, kContext);
        window->setPosition(sf::Vector2i(0, 0));
        resetView(w, h, FullWindowViewport(static_cast<float>(desktop.width),
                                           static_cast<float>(desktop.height), w, h));
        break;
    default:
        OutputDebugStringN(L"ERROR. (Services::SetWindowMode) unknown window mode:%i \n", mode);
        if (!window->isOpen())
            window.reset();
        return;
    }
    glFlush();
    ActivateRenderWindow();
    if (vars) {
        vars->windowMode = static_cast<std::uint8_t>(mode);
        window->setTitle(sf::String(vars->windowTitle));
    }
}

void SetEngineResolution(int width, int height) {
    auto* vars = Services::SysVars();
    if (vars && vars->isApplication) {
        DebugOutput(L"\nERROR: (Services::SetEngineResolution) BEING CALLED BY APPLICATION (should only be called by editor) \n");
        return;
    }
    if (width <= 0 || height <= 0 || !Services::pRenderWindow) {
        OutputDebugStringN(L"ERROR. (Services::SetEngineResolution) refused. width:%i height:%i \n", width, height);
        return;
    }
    OutputDebugStringN(L"[Services::SetEngineResolution] changing resolution to width:%i height:%i \n", width, height);
    ActivateRenderWindow();
    ResizeChildWindow(width, height);
    resetView(static_cast<float>(width), static_cast<float>(height), {0.f, 0.f, 1.f, 1.f});
    ActivateRenderWindow();
}

void DrawPass() {
    auto* vars = Services::SysVars();
    sf::RenderWindow& window = *Services::pRenderWindow;
    window.clear(vars->clearColour.get());

    Entities& registry = *Services::Entities();
    const int line = Services::pNParser ? Services::MainParser()->getReadLineNo() : 0;
    for (auto& [layer, list] : registry.entityLayers) {
        for (auto& entity : list) {
            if (entity->isHidden())
                continue;
            if (vars->renderMode == 2 &&
                (!entity->showInSaveScreenshot || entity->creatorScriptType == SCRIPT_MSGBOX)) {
                OutputDebugStringN(L"NOT SAVING IN SS: %s\n", entity->getName().c_str());
                continue;
            }
            entity->Draw(line);
        }
    }
    if (vars->editorInteractable) {
        if (sSprite* sprite = vars->editorInteractable->getCurrentSprite())
            drawEntitySprite(*sprite, true);
    }
    if (vars->renderMode != 2) {
        drawTransitionOverlay();
        window.display();
    }
}

} // namespace crv
