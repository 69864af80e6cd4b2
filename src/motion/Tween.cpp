#include "motion/Tween.hpp"

namespace crv {

bool Tween::step(NEntity&) {
    return true;
}

} // namespace crv
