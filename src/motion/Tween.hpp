#pragma once
// One running animation of one entity. (Filled in by the tween engine.)

namespace crv {

class NEntity;

struct Tween {
    /** Advances the animation on entity; true once it has finished. */
    bool step(NEntity& entity);
};

} // namespace crv
