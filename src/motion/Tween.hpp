#pragma once
// One running animation of one entity: a fade of its alpha, a move, a rotation or a zoom. The
// entity keeps its tweens in a per-line history and steps them every frame; time is the wrapping
// millisecond clock, so a tween takes its duration whatever the frame rate.

#include <SFML/Graphics/Transformable.hpp>
#include <SFML/System/Vector2.hpp>

#include <cstdint>
#include <vector>

namespace crv {

class NEntity;

/** What a tween animates. */
enum TweenType : std::int32_t {
    Alpha = 0,    ///< alpha of the entity's colour (volume for audio), linear
    Position = 1, ///< position of the current drawable, quadratic ease-in-out
    Rotation = 2, ///< rotation in degrees of each drawable, linear
    Scale = 3,    ///< uniform scale in percent of each drawable, linear
};

/** A plain value record: copied into the entity's history, never shared. */
struct Tween {
    Tween() = default;
    /** A move: values are 0. */
    Tween(std::int32_t type, double startTime, double duration, sf::Vector2f startPos, sf::Vector2f endPos,
          bool synchronous, bool hideAtEnd);
    /** A fade, rotation or zoom: positions are (0, 0). */
    Tween(std::int32_t type, double startTime, double duration, std::int32_t startValue,
          std::int32_t endValue, bool synchronous, bool hideAtEnd);

    /** Steps tween on entity at the clock's current time; true when it has finished (its time is
        up, skip progress is on, or entity is null). A negative duration is never applied and never
        finishes. */
    static bool execTween(NEntity* entity, Tween& tween, int triggerLine);
    /** Writes the value tween has after elapsed ms into entity (the end value in skip progress). A
        null entity or an entity without the drawable the type needs is left alone; an unknown type
        is logged. */
    static void applyTween(NEntity* entity, const Tween& tween, double elapsed);

    std::int32_t type = Alpha;
    bool synchronous = false;    ///< its line was a synchronous command (the parser waits for it)
    double startTime = 0.0;      ///< timeGetTime at creation, ms
    double duration = 0.0;       ///< ms; 0 applies the end value at once
    sf::Vector2f startPos{};     ///< Position only
    sf::Vector2f endPos{};       ///< Position only
    std::int32_t startValue = 0; ///< alpha 0-255, degrees or percent
    std::int32_t endValue = 0;
    bool hideAtEnd = false; ///< Alpha only: hide the entity when the fade ends at 0 (game mode)
};

/** t / d * c + b, and exactly b + c once t > d. */
double linearTween(double t, double b, double c, double d);
/** Quadratic ease-in-out of change c from b over d; exactly b + c once t > d. */
double easeInOutQuad(double t, double b, double c, double d);

/** Sets the origin and shifts the position by the same amount, so an unrotated, unscaled drawable
    stays where it is on screen. Null is ignored. */
void setOriginKeepPlace(sf::Transformable* transformable, sf::Vector2f newOrigin);
/** The drawables that rotation and zoom act on, each with its origin moved (in place) to the centre
    of the entity's reference rectangle. Empty for a null entity or one without drawables. */
std::vector<sf::Transformable*> centerTransformables(NEntity* entity);
/** The transformable of a new state of entity for the main parser's current line, or null (no
    entity, or one without states such as audio). */
sf::Transformable* stateTransformable(NEntity* entity);
/** The transformable of entity's current state, without creating one; null when absent. */
sf::Transformable* currentTransformable(NEntity* entity);

} // namespace crv
