#include "scene/Entity.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "scene/CmdHandlerLayer.hpp"
#include "script/Parser.hpp"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTarget.hpp>
#include <SFML/Graphics/Text.hpp>

#include <cassert>

namespace crv {

namespace {
bool editing() {
    const auto* vars = Services::SysVars();
    return vars && !vars->gameMode;
}
bool hasParser() {
    return Services::pNParser && !Services::pNParser->m_parserDeque.empty();
}
std::uint8_t currentScriptType() {
    return hasParser() ? Services::CurParser()->getScriptType() : static_cast<std::uint8_t>(SCRIPT_MAIN);
}
int mainLine() {
    return hasParser() ? Services::MainParser()->getReadLineNo() : 0;
}
} // namespace

// ---------------------------------------------------------------------------------------------
// sSprite

bool sSprite::loadTexture(const std::wstring& filename) {
    const auto* vars = Services::SysVars();
    const std::wstring dir = vars ? vars->images.dir : L"Images/";
    std::shared_ptr<Texture> texture;
    if (!TexturePool().get(texture, dir + filename)) {
        OutputDebugStringN(L"texture does not exist:%s \n", filename.c_str());
        return false;
    }
    m_pTexture = texture;
    setTexture(texture->texture, false);
    const auto size = texture->texture.getSize();
    setTextureRect(sf::IntRect(0, 0, static_cast<int>(size.x), static_cast<int>(size.y)));
    return true;
}

// ---------------------------------------------------------------------------------------------
// NEntity

NEntity::NEntity() : creatorScriptType(currentScriptType()) {}

NEntity::NEntity(std::uint8_t kind, std::wstring entityName, int layerNumber)
    : nType(kind), name(std::move(entityName)), creatorScriptType(currentScriptType()) {
    layer.set(layerNumber, false);
}

void NEntity::Update() {
    if (editing()) {
        // An editor rewind restores the layer history; the layer lists follow in a job, since the
        // frame loop is walking them right now.
        const int recorded = layer.get(false);
        const int current = layer.get(true);
        // An entity rewound past its creation has no layer left; the rewind removes it.
        if (recorded != current && !layer.empty()) {
            Tokens tokens{L"layer", name, std::to_wstring(current)};
            Services::jobs.push([tokens, recorded]() mutable { ExecuteLayer(tokens, recorded); });
        }
    }
    execTweens(mainLine());
}

sf::Color NEntity::getColor() {
    if (nType == NTYPE_TEXTBOX) {
        if (sf::Text* text = currentTextState())
            return text->getFillColor();
    } else if (sSprite* sprite = getCurrentSprite()) {
        return sprite->getColor();
    }
    OutputDebugStringN(L"\n[NEntity::getColor] ERROR. trying to reference nullptr \n");
    return sf::Color(0, 0, 0, 0);
}

void NEntity::setColor(const sf::Color& colour) {
    switch (nType) {
    case NTYPE_CG:
    case NTYPE_BG:
    case NTYPE_TRACKBAR:
        if (sSprite* sprite = getCurrentSprite())
            sprite->setColor(colour);
        return;
    case NTYPE_TEXTBOX:
        if (sf::Text* text = currentTextState())
            text->setFillColor(colour);
        return;
    default:
        return;
    }
}

void NEntity::addTween(int /*line*/, Tween tween) {
    auto* vars = Services::SysVars();
    const bool game = vars && vars->gameMode;
    tweens.set(std::move(tween), game);
    if (!game || (vars && vars->textProgressMode == 2))
        execTweens(mainLine());
}

void NEntity::execTweens(int editorLine) {
    auto& entries = tweens.entries();
    const bool editor = editing();
    for (auto it = entries.begin(); it != entries.end();) {
        if (editor && it->first > editorLine) {
            OutputDebugStringN(L"[NEntity::execTweens] editorline:%i < tweenExecLine:%i. name: %s \n",
                               editorLine, it->first, name.c_str());
            entries.erase(it, entries.end());
            return;
        }
        if (Tween::execTween(this, it->second, it->first))
            it = entries.erase(it);
        else
            ++it;
    }
}

// ---------------------------------------------------------------------------------------------
// NSprite

NSprite::NSprite(std::uint8_t kind, std::wstring entityName, int layerNumber)
    : NEntity(kind, std::move(entityName), layerNumber) {
    m_SpriteStates.set(sSprite(), false);
}

void NSprite::Update() {
    if (editing()) {
        sSprite& state = m_SpriteStates.get();
        // A background always fills the view, whatever its own size. (A state without texture
        // only occurs for an entity rewound past its creation, which the next rewind removes.)
        if (nType == NTYPE_BG && state.m_pTexture)
            fitToView(state);
    }
    NEntity::Update();
}

void NSprite::Draw(int) {
    if (sSprite* sprite = getCurrentSprite())
        drawEntitySprite(*sprite, incamera);
}

int NSprite::getCreatedLine() {
    assert(m_SpriteStates.empty() == false && "m_SpriteStates.empty() == false");
    return m_SpriteStates.firstLine();
}

sSprite* NSprite::getCurrentSprite() {
    sSprite& state = m_SpriteStates.get();
    if (!state.m_pTexture) {
        OutputDebugStringN(L"\n ERROR (NWSprite::getCurrentSprite) sprite:%s has no texture loaded. \n",
                           name.c_str());
        return nullptr;
    }
    return &state;
}

sSprite* NSprite::newState(int line) {
    if (editing())
        m_SpriteStates.eraseFrom(currentScriptType() == SCRIPT_CALLED ? line + 1 : line);
    assert(m_SpriteStates.empty() == false && "m_SpriteStates.empty( ) == false");
    sSprite copy = m_SpriteStates.get();
    return &m_SpriteStates.set(std::move(copy), false);
}

// ---------------------------------------------------------------------------------------------
// NCamera

NCamera::NCamera() {
    nType = NTYPE_CAMERA;
}

void NCamera::Update() {
    if (editing())
        m_SpriteStates.trim();
    NEntity::Update();
}

sSprite* NCamera::newCameraState(int line) {
    if (editing())
        m_SpriteStates.eraseFrom(line);
    sSprite copy = m_SpriteStates.get();
    return &m_SpriteStates.set(std::move(copy), false);
}

// ---------------------------------------------------------------------------------------------
// Drawing

void fitToView(sSprite& sprite) {
    if (!Services::pRenderWindow)
        return;
    const sf::Vector2f view = Services::pRenderWindow->getView().getSize();
    const sf::IntRect rect = sprite.getTextureRect();
    if (rect.width <= 0 || rect.height <= 0)
        return;
    const float sx = view.x / static_cast<float>(rect.width);
    const float sy = view.y / static_cast<float>(rect.height);
    if (sx != 1.0f || sy != 1.0f)
        sprite.setScale(sx, sy);
}

void drawEntitySprite(const sSprite& sprite, bool inCamera) {
    if (!Services::pRenderWindow)
        return;
    ActivateRenderWindow();
    sf::RenderStates states = sf::RenderStates::Default;
    if (inCamera && Services::SysVars() && Services::Entities()->pCamera)
        states.transform = Services::Entities()->pCamera->getCurrentSprite()->getTransform();
    sf::RenderTarget& target = Services::RenderTarget();
    const auto* vars = Services::SysVars();
    if (vars && vars->boundingBoxDisplay) {
        const sf::IntRect rect = sprite.getTextureRect();
        sf::RectangleShape box(sf::Vector2f(static_cast<float>(rect.width), static_cast<float>(rect.height)));
        box.setOrigin(sprite.getOrigin());
        box.setPosition(sprite.getPosition());
        box.setScale(sprite.getScale());
        box.setFillColor(sf::Color(0, 0, 0, 0));
        box.setOutlineColor(sf::Color(255, 0, 0, 255));
        box.setOutlineThickness(-4.f);
        target.draw(box, states);
    }
    target.draw(sprite, states);
}

} // namespace crv
