#include "scene/CmdHandlerLayer.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "scene/Entities.hpp"
#include "scene/Entity.hpp"
#include "script/NHelper.hpp"

namespace crv {

void ExecuteLayer(Tokens& tokens, int fromLayer) {
    if (tokens.size() < 3 || !Services::SysVars())
        return;
    int newLayer = 0;
    if (!NHelper::isNumber(tokens[2], true) || !NHelper::toInt32(tokens[2], newLayer))
        return;
    std::shared_ptr<NEntity> entity = getEntityWithName(tokens[1], true);
    if (!entity) {
        OutputDebugStringN(L"ERROR. [ExecuteLayer] ENTITY DOES NOT EXIST:%s \n", tokens[1].c_str());
        return;
    }
    const int oldLayer = fromLayer == -1 ? entity->getLayer() : fromLayer;
    entity->setLayer(newLayer);

    auto& layers = Services::Entities()->entityLayers;
    auto oldList = layers.find(oldLayer);
    if (oldList == layers.end())
        return;
    auto& list = oldList->second;
    for (auto it = list.begin(); it != list.end(); ++it) {
        if ((*it)->getName() != entity->getName())
            continue;
        list.erase(it);
        if (list.empty())
            layers.erase(oldList);
        layers[newLayer].push_back(entity);
        return;
    }
}

} // namespace crv
