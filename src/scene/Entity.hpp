#pragma once
// Entities: everything the engine shows or plays. Every mutable property is a LineHistory so the
// editor can rewind the scene to any line.

#include "core/LineHistory.hpp"
#include "motion/Tween.hpp"
#include "resources/ResourcePool.hpp"

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Sprite.hpp>

namespace sf {
class Text;
}

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

/**
 * The base of every entity. Entities are owned through shared pointers; every mutable property is a
 * LineHistory so that the editor can rewind the scene to any line.
 */
class NEntity {
public:
    /** Kind 0, no name, no layer entry (the camera and the backlog set their own kind). */
    NEntity();
    /** Kind and name fixed for life; layer recorded as the first layer entry. */
    NEntity(std::uint8_t kind, std::wstring name, int layer);
    virtual ~NEntity() = default;

    /** Every frame: restores the layer list of an editor rewind (posted as a job) and steps tweens. */
    virtual void Update();
    /** Draws the current state into the render target. */
    virtual void Draw(int line) = 0;
    /** The main-script line of the first state, or -1. */
    virtual int getCreatedLine() { return -1; }
    /** The current drawable sprite state, or null. */
    virtual sSprite* getCurrentSprite() { return nullptr; }
    /** Records a new current state for line and returns it, or null for kinds without sprites. */
    virtual sSprite* newState(int /*line*/) { return nullptr; }
    /** The script that created the entity (buttons), or empty. */
    virtual std::wstring getSrcScriptName() { return {}; }

    /** Colour by kind: the sprite's or text's colour; audio kinds report their volume as alpha. An
        entity without a drawable logs and gives (0, 0, 0, 0). Buttons and audio entities override. */
    virtual sf::Color getColor();
    /** Sets the colour of the kinds that have one (cg, bg, trackbar sprite, text box text); other
        kinds ignore it. Buttons and audio entities override. */
    virtual void setColor(const sf::Color& colour);

    // Hooks of the text box (the base has no text): its current text state, the skin sprite of
    // that state, and giving a new state a private copy of a skin shared with older states.
    virtual sf::Text* currentTextState() { return nullptr; }
    virtual sSprite* currentSkin() { return nullptr; }
    virtual void detachCurrentSkin() {}

    bool isHidden() { return hidden.get(); }
    void setHidden(bool flag) { hidden.set(flag, false); }
    int getLayer() { return layer.get(); }
    void setLayer(int n) { layer.set(n, false); }
    std::uint8_t getType() const { return nType; }
    const std::wstring& getName() const { return name; }
    void setInCamera(bool flag) { incamera = flag; }
    void setShowInSaveScreenshot(bool flag) { showInSaveScreenshot = flag; }

    /** Stores tween under line's key (appended in game mode); in the editor and in skip progress it
        is stepped at once, so its effect shows without waiting for a frame. */
    void addTween(int line, Tween tween);
    /** Steps every tween in key order and drops the finished ones; in the editor, tweens started
        after editorLine are dropped (logged) without being stepped. */
    void execTweens(int editorLine);
    /** Drops every tween. */
    void clearTweens() { tweens.clear(); }
    /** The tween with the largest key, or null when none runs. */
    Tween* lastTween() { return tweens.empty() ? nullptr : &tweens.entries().rbegin()->second; }

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

    /** Binds an image to the current state; false (logged) leaves it unchanged. */
    bool loadTexture(const std::wstring& filename) { return m_SpriteStates.get().loadTexture(filename); }

    LineHistory<sSprite> m_SpriteStates;
};

/** The camera: its current state is never drawn; it only carries the transform that everything
    drawn inside the camera goes through. */
class NCamera : public NEntity {
public:
    NCamera();
    void Update() override;
    void Draw(int) override {}
    sSprite* getCurrentSprite() override { return &m_SpriteStates.get(); }
    /** Records a copy of the current state for line (later lines' states erased in the editor) and
        returns it. */
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

/** Stretches a sprite over the render window's view (backgrounds); a sprite that already has the
    view's size keeps scale (1, 1). */
void fitToView(sSprite& sprite);

/** Draws one sprite state into the render target, through the camera when inCamera is set, with
    the editor's bounding box when that display is on. */
void drawEntitySprite(const sSprite& sprite, bool inCamera);

} // namespace crv
