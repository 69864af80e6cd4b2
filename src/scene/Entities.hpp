#pragma once
// The registry of a novel state's entities: by layer, by creating line and by name.

#include <list>
#include <map>
#include <memory>
#include <string>

namespace crv {

class NEntity;
class NSprite;
class NCamera;
class NBacklog;

using EntityList = std::list<std::shared_ptr<NEntity>>;

struct Entities {
    std::map<int, EntityList> entityLayers; ///< drawing order: ascending layer, then insertion
    std::map<int, EntityList> entityLines;  ///< editor only: entities by creating line
    std::map<std::wstring, std::shared_ptr<NEntity>> m_nameReferences; ///< unique names
    std::shared_ptr<NSprite> pWaitIcon;                                ///< wait-for-input icon (kind 13)
    std::shared_ptr<NCamera> pCamera;                                  ///< the camera; not layered
    std::shared_ptr<NBacklog> pBacklog;                                ///< the backlog; not layered
    EntityList buttons; ///< buttons, system buttons, trackbars in order
};

/** Registers entity: its name (if any) in the name references, the entity at the end of its
    layer's list, its layer history, and in the editor the list of the main parser's current line.
    A name that is taken is logged and nothing is registered (false). */
bool InsNovelEntity(const std::shared_ptr<NEntity>& entity, int layer, const std::wstring& name);
/** The entity registered under name, or null; a found one is logged when log is set. */
std::shared_ptr<NEntity> getEntityWithName(const std::wstring& name, bool log = true);
/** The first entity of a kind in drawing order (logged), or null. */
std::shared_ptr<NEntity> getEntityWithNType(int nType);
/** Every entity of a kind in drawing order. Kind 1 means all; kind 8 also yields trackbars; the
    backlog's text box is never returned for kinds 1 and 4. With fromThisScriptOnly, buttons and
    system buttons are limited to those the current parser's script created. */
EntityList getEntitiesWithNType(int nType, bool fromThisScriptOnly = false);

} // namespace crv
