#include "scene/Entity.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "script/Parser.hpp"

#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTarget.hpp>

namespace crv {

namespace {
bool editing() {
    const auto* vars = Services::SysVars();
    return vars && !vars->gameMode;
}
std::uint8_t currentScriptType() {
    return Services::pNParser ? Services::CurParser()->getScriptType() : static_cast<std::uint8_t>(SCRIPT_MAIN);
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
    if (Services::pNParser)
        execTweens(Services::MainParser()->getReadLineNo());
}

void NEntity::addTween(int line, Tween tween) {
    auto* vars = Services::SysVars();
    const bool game = vars && vars->gameMode;
    tweens.set(std::move(tween), game);
    if ((!game || (vars && vars->textProgressMode == 2)) && Services::pNParser)
        execTweens(line);
}

void NEntity::execTweens(int editorLine) {
    auto& entries = tweens.entries();
    for (auto it = entries.begin(); it != entries.end();) {
        if (editing() && it->first > editorLine) {
            OutputDebugStringN(L"[NEntity::execTweens] editorline:%i < tweenExecLine:%i. name: %s \n",
                               editorLine, it->first, name.c_str());
            entries.erase(it, entries.end());
            return;
        }
        if (it->second.step(*this))
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
        if (nType == NTYPE_BG && state.m_pTexture && Services::pRenderWindow) {
            const sf::Vector2f view = Services::pRenderWindow->getView().getSize();
            const sf::IntRect rect = state.getTextureRect();
            if (rect.width > 0 && rect.height > 0) {
                const float sx = view.x / static_cast<float>(rect.width);
                const float sy = view.y / static_cast<float>(rect.height);
                if (sx != 1.0f || sy != 1.0f)
                    state.setScale(sx, sy);
            }
        }
    }
    NEntity::Update();
}

void NSprite::Draw(int) {
    if (sSprite* sprite = getCurrentSprite())
        drawEntitySprite(*sprite, incamera);
}

int NSprite::getCreatedLine() {
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

void drawEntitySprite(const sSprite& sprite, bool inCamera) {
    if (!Services::pRenderWindow)
        return;
    ActivateRenderWindow();
    sf::RenderStates states = sf::RenderStates::Default;
    if (inCamera && Services::SysVars() && Services::Entities()->pCamera)
        states.transform = Services::Entities()->pCamera->m_SpriteStates.get().getTransform();
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
