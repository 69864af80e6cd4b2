#pragma once
// Everything a play-through changes: the system variables and the entity registry.

#include "core/SysVars.hpp"
#include "scene/Entities.hpp"

namespace crv {

struct NovelState {
    crv::SysVars sysVars;
    crv::Entities entities;
};

} // namespace crv
