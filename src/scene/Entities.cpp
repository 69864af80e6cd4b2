#include "scene/Entities.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "scene/Entity.hpp"
#include "script/Parser.hpp"

namespace crv {

namespace {
bool hasParser() {
    return Services::pNParser && !Services::pNParser->m_parserDeque.empty();
}
int curParserLine() {
    return hasParser() ? Services::CurParser()->getReadLineNo() : 0;
}
} // namespace

bool InsNovelEntity(const std::shared_ptr<NEntity>& entity, int layer, const std::wstring& name) {
    Entities& registry = *Services::Entities();
    if (!name.empty()) {
        auto [it, inserted] = registry.m_nameReferences.emplace(name, entity);
        if (!inserted) {
            OutputDebugStringN(L"\nERROR. (InsNovelEntity) name:%s already exists at line:%i \n",
                               name.c_str(), it->second->getCreatedLine());
            return false;
        }
    }
    registry.entityLayers[layer].push_back(entity);
    entity->setLayer(layer);
    const auto* vars = Services::SysVars();
    if (vars && !vars->gameMode && hasParser())
        registry.entityLines[Services::MainParser()->getReadLineNo()].push_back(entity);
    return true;
}

std::shared_ptr<NEntity> getEntityWithName(const std::wstring& name, bool log) {
    if (!Services::SysVars())
        return nullptr;
    Entities& registry = *Services::Entities();
    auto it = registry.m_nameReferences.find(name);
    if (it == registry.m_nameReferences.end())
        return nullptr;
    if (log)
        OutputDebugStringN(
            L"[Execute] same name reference found. name:%s, current-line:%d, original(mainscript)-line:%d \n",
            name.c_str(), curParserLine(), it->second->getCreatedLine());
    return it->second;
}

std::shared_ptr<NEntity> getEntityWithNType(int nType) {
    if (!Services::SysVars())
        return nullptr;
    for (auto& [layer, list] : Services::Entities()->entityLayers)
        for (auto& entity : list)
            if (entity->getType() == nType) {
                OutputDebugStringN(L"[Execute] same NType reference found. name:%s, current-line:%d, "
                                   L"original(mainscript)-line:%d \n",
                                   entity->getName().c_str(), curParserLine(), entity->getCreatedLine());
                return entity;
            }
    return nullptr;
}

EntityList getEntitiesWithNType(int nType, bool fromThisScriptOnly) {
    EntityList found;
    const auto* vars = Services::SysVars();
    if (!vars)
        return found;
    if (fromThisScriptOnly)
        OutputDebugStringN(L"(getEntitiesWithNType) FROM THIS SCRIPT ONLY. nType:%i \n", nType);
    // Read once: the backlog's text box is never handed to the tween commands.
    const std::wstring backlogBox = Services::SysVars()->backlogTextbox.get();
    const auto isBacklogBox = [&](const std::shared_ptr<NEntity>& entity) {
        if (entity->getType() != NTYPE_TEXTBOX || backlogBox.empty() || entity->getName() != backlogBox)
            return false;
        OutputDebugStringN(L"not allowing backlog textbox to be tweened \n");
        return true;
    };
    const std::wstring script =
        fromThisScriptOnly && hasParser() ? Services::CurParser()->getScriptName() : L"";
    for (auto& [layer, list] : Services::Entities()->entityLayers) {
        for (auto& entity : list) {
            if (nType == NTYPE_ALL) {
                if (!isBacklogBox(entity))
                    found.push_back(entity);
                continue;
            }
            const int kind = entity->getType();
            if (kind != nType && !(nType == NTYPE_SYSBUTTON && kind == NTYPE_TRACKBAR))
                continue;
            if (fromThisScriptOnly && (nType == NTYPE_SYSBUTTON || nType == NTYPE_BUTTON)) {
                if (entity->getSrcScriptName() == script)
                    found.push_back(entity);
            } else if (nType == NTYPE_TEXTBOX) {
                if (!isBacklogBox(entity))
                    found.push_back(entity);
            } else {
                found.push_back(entity);
            }
        }
    }
    return found;
}

} // namespace crv
