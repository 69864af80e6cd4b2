#include "motion/Tween.hpp"

#include "core/Clock.hpp"
#include "core/Log.hpp"
#include "core/Services.hpp"
#include "scene/Entity.hpp"
#include "script/Parser.hpp"

#include <SFML/Graphics/Text.hpp>

#include <cmath>

namespace crv {

namespace {
bool skipping() {
    const auto* vars = Services::SysVars();
    return vars && vars->textProgressMode == 2;
}
bool playing() {
    return history::gameMode();
}
int mainLine() {
    return history::currentLine();
}
// The value a fade, rotation or zoom has after elapsed ms.
double scalarAt(const Tween& tween, double elapsed) {
    if (tween.duration == 0.0)
        return tween.endValue;
    return linearTween(elapsed, tween.startValue, static_cast<double>(tween.endValue) - tween.startValue,
                       tween.duration);
}
} // namespace

// ---------------------------------------------------------------------------------------------
// Record

Tween::Tween(std::int32_t tweenType, double start, double length, sf::Vector2f from, sf::Vector2f to,
             bool sync, bool hide)
    : type(tweenType), synchronous(sync), startTime(start), duration(length), startPos(from), endPos(to),
      hideAtEnd(hide) {}

Tween::Tween(std::int32_t tweenType, double start, double length, std::int32_t from, std::int32_t to,
             bool sync, bool hide)
    : type(tweenType), synchronous(sync), startTime(start), duration(length), startValue(from), endValue(to),
      hideAtEnd(hide) {}

// ---------------------------------------------------------------------------------------------
// Easing

double linearTween(double t, double b, double c, double d) {
    if (t > d)
        return b + c;
    return t / d * c + b;
}

double easeInOutQuad(double t, double b, double c, double d) {
    if (t > d)
        return b + c;
    t /= d / 2.0;
    if (t < 1.0)
        return c / 2.0 * t * t + b;
    const double u = t - 1.0;
    return -c / 2.0 * ((u - 2.0) * u - 1.0) + b;
}

// ---------------------------------------------------------------------------------------------
// Stepping

bool Tween::execTween(NEntity* entity, Tween& tween, int triggerLine) {
    if (!entity)
        return true;
    if (!(tween.duration >= 0.0)) // negative or NaN: inert until trimmed or cleared
        return false;
    // Elapsed time in the clock's own 32-bit arithmetic, so a wrap of the clock does not make it
    // negative.
    const std::uint32_t now = timeGetTime();
    const auto start = static_cast<std::uint32_t>(static_cast<std::int64_t>(tween.startTime));
    const double elapsed = static_cast<double>(static_cast<std::uint32_t>(now - start));
    bool finished = false;
    if (elapsed > tween.duration) {
        OutputDebugStringN(L"[Tween::execTween] fin. name:%s, wanted-duration:%fms, real-duration:%fms, "
                           L"tween-triggerLine:%i \n",
                           entity->getName().c_str(), tween.duration, elapsed, triggerLine);
        finished = true;
    }
    applyTween(entity, tween, elapsed);
    if (skipping())
        finished = true;
    return finished;
}

void Tween::applyTween(NEntity* entity, const Tween& tween, double elapsed) {
    if (!entity)
        return;
    if (skipping())
        elapsed = tween.duration;
    switch (tween.type) {
    case Position: {
        sf::Transformable* target = currentTransformable(entity);
        if (!target)
            return;
        if (tween.duration == 0.0) {
            target->setPosition(tween.endPos);
            return;
        }
        const double x =
            easeInOutQuad(elapsed, tween.startPos.x, static_cast<double>(tween.endPos.x) - tween.startPos.x,
                          tween.duration);
        const double y =
            easeInOutQuad(elapsed, tween.startPos.y, static_cast<double>(tween.endPos.y) - tween.startPos.y,
                          tween.duration);
        target->setPosition(static_cast<float>(x), static_cast<float>(y));
        return;
    }
    case Alpha: {
        const sf::Color c = entity->getColor();
        const int a = tween.duration == 0.0 ? tween.endValue : static_cast<int>(scalarAt(tween, elapsed));
        if (tween.hideAtEnd && tween.endValue == 0 && a == 0 && playing())
            entity->setHidden(true);
        entity->setColor(sf::Color(c.r, c.g, c.b, static_cast<std::uint8_t>(a)));
        if (entity->getType() == NTYPE_TEXTBOX && tween.hideAtEnd && tween.endValue == 0 && a <= 0) {
            if (sf::Text* text = entity->currentTextState())
                text->setString(L"");
        }
        return;
    }
    case Rotation:
        for (sf::Transformable* drawable : centerTransformables(entity))
            drawable->setRotation(static_cast<float>(scalarAt(tween, elapsed)));
        return;
    case Scale:
        for (sf::Transformable* drawable : centerTransformables(entity)) {
            const float v = static_cast<float>(scalarAt(tween, elapsed));
            drawable->setScale(v / 100.f, v / 100.f);
        }
        return;
    default:
        OutputDebugStringN(L"[Tween::applyTween] WARNING. TweenType:%i is not handled \n", tween.type);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Transformables

void setOriginKeepPlace(sf::Transformable* transformable, sf::Vector2f newOrigin) {
    if (!transformable)
        return;
    const sf::Vector2f shift = newOrigin - transformable->getOrigin();
    transformable->setOrigin(newOrigin);
    transformable->setPosition(transformable->getPosition() + shift);
}

std::vector<sf::Transformable*> centerTransformables(NEntity* entity) {
    std::vector<sf::Transformable*> drawables;
    if (!entity)
        return drawables;
    int w = 0;
    int h = 0;
    switch (entity->getType()) {
    case NTYPE_CAMERA: {
        drawables.push_back(entity->getCurrentSprite());
        if (Services::pRenderWindow) {
            const sf::Vector2u size = Services::pRenderWindow->getSize();
            const sf::Vector2f world = Services::pRenderWindow->mapPixelToCoords(
                sf::Vector2i(static_cast<int>(size.x), static_cast<int>(size.y)));
            w = static_cast<int>(world.x);
            h = static_cast<int>(world.y);
        }
        break;
    }
    case NTYPE_TEXTBOX: {
        sf::Text* text = entity->currentTextState();
        drawables.push_back(text);
        if (sSprite* skin = entity->currentSkin()) {
            drawables.push_back(skin);
            w = skin->getTextureRect().width;
            h = skin->getTextureRect().height;
        } else if (text) {
            const sf::FloatRect bounds = text->getLocalBounds();
            w = static_cast<int>(bounds.width);
            h = static_cast<int>(bounds.height);
        }
        break;
    }
    default: {
        sSprite* sprite = entity->getCurrentSprite();
        drawables.push_back(sprite);
        if (sprite) {
            w = sprite->getTextureRect().width;
            h = sprite->getTextureRect().height;
        }
        break;
    }
    }
    const sf::Vector2f origin(static_cast<float>(w / 2), static_cast<float>(h / 2));
    for (sf::Transformable* drawable : drawables) {
        if (!drawable)
            break;
        setOriginKeepPlace(drawable, origin);
    }
    // Callers iterate the drawables: leave out the missing ones.
    std::erase(drawables, nullptr);
    return drawables;
}

sf::Transformable* stateTransformable(NEntity* entity) {
    if (!entity)
        return nullptr;
    const int line = mainLine();
    switch (entity->getType()) {
    case NTYPE_CAMERA: {
        if (!Services::SysVars() || !Services::Entities()->pCamera)
            return nullptr;
        return Services::Entities()->pCamera->newCameraState(line);
    }
    case NTYPE_TEXTBOX: {
        entity->newState(line);
        // The new state shares its skin with older lines' states until it gets a copy of its own.
        entity->detachCurrentSkin();
        return entity->currentTextState();
    }
    default:
        return entity->newState(line);
    }
}

sf::Transformable* currentTransformable(NEntity* entity) {
    if (!entity)
        return nullptr;
    switch (entity->getType()) {
    case NTYPE_CAMERA:
        if (!Services::SysVars() || !Services::Entities()->pCamera)
            return nullptr;
        return Services::Entities()->pCamera->getCurrentSprite();
    case NTYPE_TEXTBOX:
        return entity->currentTextState();
    default:
        return entity->getCurrentSprite();
    }
}

} // namespace crv
