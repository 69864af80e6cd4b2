#pragma once
// Entities: everything the engine shows or plays. Every mutable property is a LineHistory so the
// editor can rewind the scene to any line.

#include "core/LineHistory.hpp"
#include "motion/Tween.hpp"
#include "resources/ResourcePool.hpp"

#include <SFML/Graphics/Sprite.hpp>

#include <cstdint>
#include <memory>
#include <string>

namespace crv {

/** Entity kinds, stored as numbers in save slots. */
enum NType : std::uint8_t {
    NTYPE_NONE = 0,
    NTYPE_ALL = 1,
    NTYPE_CG = 2,
    NTYPE_BG = 3,
    NTYPE_TEXTBOX = 4,
    NTYPE_BUTTON = 5,
    NTYPE_SFX = 6,
    NTYPE_VOICE = 7,
    NTYPE_SYSBUTTON = 8,
    NTYPE_TRACKBAR = 9,
    NTYPE_CAMERA = 10,
    NTYPE_BACKLOG = 11,
    NTYPE_BGM = 12,
    NTYPE_WAITICON = 13,
};

/** One displayed state of an image: an SFML sprite plus the pooled texture it shows. */
struct sSprite : public sf::Sprite {
    std::shared_ptr<Texture> m_pTexture;
    /** Binds the image file (relative to the images directory) from the texture pool; false
        (logged) leaves the state unchanged. */
    bool loadTexture(const std::wstring& filename);
};

class NEntity {
public:
    NEntity();
    NEntity(std::uint8_t kind, std::wstring name, int layer);
    virtual ~NEntity() = default;

    virtual void Update();
    virtual void Draw(int line) = 0;
    virtual int getCreatedLine() { return -1; }
    virtual sSprite* getCurrentSprite() { return nullptr; }
    virtual sSprite* newState(int /*line*/) { return nullptr; }
    virtual std::wstring getSrcScriptName() { return {}; }

    bool isHidden() { return hidden.get(); }
    void setHidden(bool flag) { hidden.set(flag, false); }
    int getLayer() { return layer.get(); }
    void setLayer(int n) { layer.set(n, false); }
    std::uint8_t getType() const { return nType; }
    const std::wstring& getName() const { return name; }
    void setInCamera(bool flag) { incamera = flag; }
    void setShowInSaveScreenshot(bool flag) { showInSaveScreenshot = flag; }

    void addTween(int line, Tween tween);
    void execTweens(int editorLine);
    void clearTweens() { tweens.clear(); }

    LineHistory<Tween> tweens;
    LineHistory<int> layer{-1};
    std::uint8_t nType = NTYPE_NONE;
    std::wstring name;
    std::wstring reserved;
    bool incamera = true;
    bool showInSaveScreenshot = true;
    LineHistory<bool> hidden{false};
    std::uint8_t creatorScriptType = 1;
};

/** Images: backgrounds, character images and the wait-input icon. */
class NSprite : public NEntity {
public:
    NSprite(std::uint8_t kind, std::wstring name, int layer);

    void Update() override;
    void Draw(int line) override;
    int getCreatedLine() override;
    sSprite* getCurrentSprite() override;
    sSprite* newState(int line) override;

    /** Binds an image to the current state. */
    bool loadTexture(const std::wstring& filename) { return m_SpriteStates.get().loadTexture(filename); }

    LineHistory<sSprite> m_SpriteStates;
};

/** The camera: its current state only carries the transform that scene drawing goes through. */
class NCamera : public NEntity {
public:
    NCamera();
    void Update() override;
    void Draw(int) override {}
    sSprite* getCurrentSprite() override { return &m_SpriteStates.get(); }
    sSprite* newCameraState(int line);

    LineHistory<sSprite> m_SpriteStates;
};

/** The backlog of past lines. (Grows with the text subsystem.) */
class NBacklog : public NEntity {
public:
    NBacklog() = default;
    void Update() override {}
    void Draw(int) override {}
    int getCreatedLine() override { return 0; }
};

/** Draws one sprite state into the render target, through the camera when inCamera is set, with
    the editor's bounding box when that display is on. */
void drawEntitySprite(const sSprite& sprite, bool inCamera);

} // namespace crv
