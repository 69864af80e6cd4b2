#include "core/Services.hpp"

#include "core/Config.hpp"
#include "core/Log.hpp"
#include "core/Text.hpp"
#include "resources/ResourcePool.hpp"
#include "scene/Entity.hpp"
#include "script/NovelCommands.hpp"
#include "script/Parser.hpp"
#include "script/Variables.hpp"

#include <physfs.h>

#include <cassert>
#include <set>

namespace crv {

// Defined in this order so that a host that exits without closing the engine tears it down in
// reverse: jobs, parsers (whose destructors still log through the novel state), vocabulary,
// window, and the novel states last.
std::deque<std::shared_ptr<NovelState>> Services::m_NovelStates;
std::unique_ptr<sf::RenderWindow> Services::pRenderWindow;
std::unique_ptr<NovelCommands> Services::pNCommands;
std::unique_ptr<crv::NParser> Services::pNParser;
JobQueue Services::jobs;

// ---------------------------------------------------------------------------------------------
// What per-line histories read about the engine

namespace history {
int currentLine() {
    if (!Services::pNParser || Services::pNParser->m_parserDeque.empty())
        return 0;
    return Services::pNParser->m_parserDeque.front()->getReadLineNo();
}
bool gameMode() {
    const auto* vars = Services::SysVars();
    return vars && vars->gameMode;
}
int gameStartLine() {
    const auto* vars = Services::SysVars();
    return vars ? vars->gameStartLine : 0;
}
} // namespace history

// ---------------------------------------------------------------------------------------------
// Accessors

crv::Entities* Services::Entities() {
    assert(m_NovelStates.empty() == false && "m_NovelStates.empty() == false");
    return &m_NovelStates.back()->entities;
}

crv::NParser* Services::NParser() {
    assert(pNParser != nullptr && "pNParser != nullptr");
    return pNParser.get();
}

std::shared_ptr<Parser> Services::CurParser() {
    assert(pNParser != nullptr && "pNParser != nullptr");
    assert(pNParser->m_parserDeque.empty() == false && "m_parserDeque.empty( ) == false");
    return pNParser->getCurParser();
}

std::shared_ptr<Parser> Services::MainParser() {
    assert(pNParser != nullptr && "pNParser != nullptr");
    assert(pNParser->m_parserDeque.empty() == false && "m_parserDeque.empty() == false");
    return pNParser->getMainParser();
}

sf::RenderTarget& Services::RenderTarget() {
    assert(pRenderWindow != nullptr && "crv::Services::pRenderWindow != nullptr");
    return *pRenderWindow;
}

// ---------------------------------------------------------------------------------------------
// Novel state

void Services::InitNovelState(bool application) {
    DebugOutput(L"SERVICES::INIT NOVEL STATE \n");
    pNCommands = std::make_unique<NovelCommands>();
    m_NovelStates.push_back(std::make_shared<NovelState>());
    crv::SysVars& vars = m_NovelStates.back()->sysVars;
    vars.gameMode = application;

    // The host initialises PhysFS in application mode; if it did not, every read would fail, so the
    // engine does it then too. An editor host that already did it is not an error.
    if (!PHYSFS_isInit() && !PHYSFS_init(nullptr)) {
        OutputDebugStringN(L"[InitNovelState] PHYSFS_init ERROR!!! %s\n", PhysFsLastError().c_str());
    } else {
        DebugOutput(L"[InitNovelState] PHYSFS_init COMPLETE \n");
    }

    // The novel's folder (the current directory) comes first, so loose files win over archives. A
    // launcher has mounted "." and Scripts.crvdat already: mounting them again changes nothing.
    AddPathToPhysfs(".");
    for (const PathPair* pair : {&vars.fonts, &vars.images, &vars.scripts, &vars.bgm, &vars.sfx, &vars.voices})
        AddPathToPhysfs(toNarrow(pair->archive));

    // A missing Config.xml leaves the defaults; the novel still gets its camera, backlog and icon.
    ReadConfig();
    OutputDebugStringN(L"(Services::InitNovelState) sysWaitInputIcon:%s sysBgmVolume:%i sysTextSpeed:%i \n",
                       vars.sysWaitInputIcon.c_str(), vars.sysBgmVolume, vars.sysTextSpeed);
    LoadGlobalVariables();

    crv::Entities& registry = m_NovelStates.back()->entities;
    registry.pCamera = std::make_shared<NCamera>();
    registry.pCamera->m_SpriteStates.set(sSprite(), false);
    registry.pBacklog = std::make_shared<NBacklog>();
    registry.pWaitIcon = std::make_shared<NSprite>(NTYPE_WAITICON, L"", -1);
    LoadWaitInputIcon();
}

void Services::PushNovelStateCopy() {
    assert(m_NovelStates.empty() == false && "m_NovelStates.empty() == false");
    if (m_NovelStates.empty())
        return;
    DebugOutput(L"SERVICES::PUSH NOVEL STATE COPY \n");
    m_NovelStates.push_back(std::make_shared<NovelState>(*m_NovelStates.back()));
}

void Services::RevertNovelState() {
    assert(m_NovelStates.empty() == false && "m_NovelStates.empty( ) == false");
    if (m_NovelStates.empty())
        return;
    DebugOutput(L"SERVICES::REVERT NOVEL STATE \n");
    m_NovelStates.erase(m_NovelStates.begin() + 1, m_NovelStates.end());
}

void Services::RemoveEntities() {
    if (m_NovelStates.empty())
        return;
    crv::Entities& registry = *Entities();
    // Music streams stop here once audio entities exist.
    registry.entityLayers.clear();
    registry.entityLines.clear();
    registry.buttons.clear();
    ActivateRenderWindow();
    registry.m_nameReferences.clear();
    OutputDebugStringN(L"[RemoveEntities] entity removal complete. entityLayers[]:%d, entityLines[]:%d, "
                       L"m_nameReferences[]:%d, tex-pool:%d, font-pool:%d\n",
                       static_cast<int>(registry.entityLayers.size()),
                       static_cast<int>(registry.entityLines.size()),
                       static_cast<int>(registry.m_nameReferences.size()),
                       static_cast<int>(TexturePool().size()), static_cast<int>(FontPool().size()));
    TexturePool().releaseAllResources();
    FontPool().releaseAllResources();
    OutputDebugStringN(L"[RemoveEntities] COMPLETE \n");
}

void Services::RemoveEntitiesFromLine(int line) {
    if (m_NovelStates.empty())
        return;
    crv::Entities& registry = *Entities();
    auto first = registry.entityLines.lower_bound(line);
    ActivateRenderWindow();
    // Every layer list is swept, not only the one an entity's layer history names: a rewind may
    // already have trimmed that history while the queued move back to the older layer's list has not
    // run yet, and an entity left in a list would stay there for good, without a name.
    std::set<const NEntity*> gone;
    std::set<std::wstring> goneNames;
    for (auto it = first; it != registry.entityLines.end(); ++it) {
        for (const auto& entity : it->second) {
            gone.insert(entity.get());
            const std::wstring& name = entity->getName();
            if (!name.empty()) {
                goneNames.insert(name);
                registry.m_nameReferences.erase(name);
            }
        }
    }
    if (!gone.empty()) {
        for (auto layerIt = registry.entityLayers.begin(); layerIt != registry.entityLayers.end();) {
            layerIt->second.remove_if([&](const std::shared_ptr<NEntity>& e) {
                return gone.count(e.get()) != 0 ||
                       (!e->getName().empty() && goneNames.count(e->getName()) != 0);
            });
            layerIt = layerIt->second.empty() ? registry.entityLayers.erase(layerIt) : std::next(layerIt);
        }
    }
    registry.entityLines.erase(first, registry.entityLines.end());

    registry.buttons.remove_if([&](const std::shared_ptr<NEntity>& button) {
        const int created = button->getCreatedLine();
        if (created == -1) {
            OutputDebugStringN(L"WARNING: (RemoveEntitiesFromLine) createdLine == -1. name:'%s'. removing \n",
                               button->getName().c_str());
            return true;
        }
        return created >= line;
    });

    crv::SysVars& vars = *SysVars();
    vars.clearColour.eraseFrom(line);
    vars.backlogTextbox.eraseFrom(line);
    vars.currentTextbox.eraseFrom(line);

    if (pNParser && !pNParser->m_parserDeque.empty()) {
        auto main = MainParser();
        main->setReadLineNo(line - 1);
        UpdateEngine(false, false);
        main->setReadLineNo(line);
    }
    OutputDebugStringN(L"(Services::RemoveEntitiesFromLine) complete. line:%i \n", line);
}

bool Services::AddPathToPhysfs(const std::string& path) {
    // PhysFS's calls need its state: before PHYSFS_init they would touch a lock that does not exist.
    if (!PHYSFS_isInit()) {
        OutputDebugStringN(L"[AddPathToPhysfs] ERROR! path:%s msg:%s \n", toWide(path).c_str(),
                           L"the virtual file system is not initialised");
        return false;
    }
    if (!PHYSFS_mount(path.c_str(), nullptr, 1)) {
        OutputDebugStringN(L"[AddPathToPhysfs] ERROR! path:%s msg:%s \n", toWide(path).c_str(),
                           PhysFsLastError().c_str());
        return false;
    }
    return true;
}

} // namespace crv
