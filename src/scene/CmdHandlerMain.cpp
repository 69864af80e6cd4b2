#include "scene/CmdHandlerMain.hpp"

#include "resources/PhysFsStream.hpp"

#include "core/Clock.hpp"
#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/Text.hpp"
#include "motion/Tween.hpp"
#include "resources/ResourcePool.hpp"
#include "scene/CmdHandlerLayer.hpp"
#include "scene/Entities.hpp"
#include "scene/Entity.hpp"
#include "script/NHelper.hpp"
#include "script/NovelCommands.hpp"
#include "script/Parser.hpp"

#include <SFML/Graphics/CircleShape.hpp>
#include <SFML/Graphics/Font.hpp>
#include <SFML/Graphics/RectangleShape.hpp>
#include <SFML/Graphics/RenderTexture.hpp>
#include <SFML/Graphics/Text.hpp>

#include <unistd.h>

#include <cmath>
#include <cwchar>
#include <filesystem>

namespace crv {

namespace {

bool playing() {
    return history::gameMode();
}

int mainLine() {
    return history::currentLine();
}

std::wstring noCameraWord() {
    return Services::pNCommands ? Services::pNCommands->getString(L"CmdOptions_noCamera") : std::wstring();
}

bool isNoCamera(const std::wstring& option) {
    const std::wstring word = noCameraWord();
    return !word.empty() && option == word;
}

std::wstring imagesDir() {
    const auto* vars = Services::SysVars();
    return vars ? vars->images.dir : L"Images/";
}

// The pooled texture of file (relative to the images folder), or null when there is none; a missing
// one is logged with the texture binding's own line. Holding it keeps it pooled for the next bind.
std::shared_ptr<Texture> pooledImage(const std::wstring& file) {
    std::shared_ptr<Texture> texture;
    if (!TexturePool().get(texture, imagesDir() + file))
        OutputDebugStringN(L"texture does not exist:%s \n", file.c_str());
    return texture;
}

// An integer token as the cg command reads it: the number check first (logged once per line),
// then a conversion that cannot overflow.
bool integerToken(const std::wstring& token, int& out) {
    if (!NHelper::isNumber(token, true))
        return false;
    if (NHelper::toInt32(token, out))
        return true;
    OutputDebugStringN(L"WARNING. NUMBER OUT OF RANGE:%s \n", token.c_str());
    return false;
}

// Output names of createDummyCG stay inside the images folder: no "..", no absolute path.
bool staysInImagesFolder(std::wstring name) {
    for (auto& c : name)
        if (c == L'\\')
            c = L'/';
    if (name.empty() || name.front() == L'/' || name.back() == L'/' || name.find(L"..") != std::wstring::npos)
        return false;
    return std::filesystem::path(toNarrow(name)).is_relative();
}

} // namespace

// ---------------------------------------------------------------------------------------------
// bg, cg

void HandleCG_InsRm(std::uint8_t kind, const std::wstring& name, const std::wstring& file, double x, double y,
                    std::int32_t layer, const std::wstring& option) {
    if (!Services::SysVars())
        return;
    ActivateRenderWindow();
    const int line = mainLine();

    std::shared_ptr<NEntity> entity = getEntityWithName(name, true);
    sSprite* sprite = nullptr;
    const bool isNew = !entity;
    if (isNew) {
        auto image = std::make_shared<NSprite>(kind, name, layer);
        if (!image->loadTexture(file))
            return;
        sprite = image->getCurrentSprite();
        if (!sprite)
            return;
        if (!InsNovelEntity(image, layer, name))
            return;
        entity = image;
    } else {
        if (entity->getType() != NTYPE_CG && entity->getType() != NTYPE_BG) {
            OutputDebugStringN(
                L"\nERROR. (HandleCG_InsRm) entity:'%s' is already assigned to an entity not a cg or bg \n",
                name.c_str());
            return;
        }
        auto* image = static_cast<NSprite*>(entity.get());
        sprite = image->newState(line);
        if (!sprite)
            return;
        setOriginKeepPlace(sprite, sf::Vector2f(0.f, 0.f));
        if (!image->loadTexture(file))
            return;
        if (image->isHidden()) {
            image->setColor(sf::Color(255, 255, 255, 255));
        } else {
            const sf::Color c = sprite->getColor();
            image->setColor(sf::Color(c.r, c.g, c.b, 255));
        }
        sprite->setScale(1.f, 1.f);
        sprite->setRotation(0.f);
        image->clearTweens();
        image->setHidden(false);
        Tokens tokens{L"layer", name, std::to_wstring(layer)};
        ExecuteLayer(tokens, -1);
        image->setLayer(layer);
    }

    entity->setInCamera(!isNoCamera(option));
    // "^name" images are left out of save-slot screenshots; "^" alone is an ordinary name.
    entity->setShowInSaveScreenshot(!(name.size() >= 2 && name[0] == L'^'));
    sprite->setPosition(static_cast<float>(x), static_cast<float>(y));

    if (isNew) {
        // A new image starts nearly transparent and becomes opaque at its first tween step: at
        // once in the editor and while skipping, in the next frame while playing.
        const sf::Color c = sprite->getColor();
        entity->setColor(sf::Color(c.r, c.g, c.b, 1));
        entity->addTween(line, Tween(Alpha, static_cast<double>(timeGetTime()), 0.0, 0, 255, false, false));
    }
    if (kind == NTYPE_BG)
        fitToView(*sprite);
}

void ExecuteBG(Tokens& tokens) {
    const std::size_t n = tokens.size();
    if (n < 2)
        return;
    const bool systemForm = n == 2 || (n == 3 && isNoCamera(tokens[2]));
    if (systemForm) {
        // Hiding every background before a missing file is found would blank the scene: check the
        // file first.
        const std::shared_ptr<Texture> texture = pooledImage(tokens[1]);
        if (!texture)
            return;
        for (auto& background : getEntitiesWithNType(NTYPE_BG, false))
            background->setHidden(true);
        HandleCG_InsRm(NTYPE_BG, L"sys_BG", tokens[1], 0.0, 0.0, 0, n == 3 ? tokens[2] : L"");
        return;
    }
    HandleCG_InsRm(NTYPE_BG, tokens[1], tokens[2], 0.0, 0.0, 0, n >= 4 ? tokens[3] : L"");
}

void ExecuteCG(Tokens& tokens) {
    if (tokens.size() < 6)
        return;
    int x = 0;
    int y = 0;
    int layer = 0;
    if (!integerToken(tokens[3], x) || !integerToken(tokens[4], y) || !integerToken(tokens[5], layer))
        return;
    HandleCG_InsRm(NTYPE_CG, tokens[1], tokens[2], static_cast<double>(x), static_cast<double>(y), layer,
                   tokens.size() == 7 ? tokens[6] : L"");
}

void ExecuteClear(Tokens&) {
    if (!playing())
        return;
    OutputDebugStringN(L"\n[ExecuteClear] RemoveEntities - START \n");
    Services::RemoveEntities();
}

void ExecuteRemove(Tokens&) {}

// ---------------------------------------------------------------------------------------------
// createDummyCG

void ExecuteCreateDummyCG(Tokens& tokens) {
    if (!playing() || tokens.size() < 6)
        return;
    int W = 0;
    int H = 0;
    if (!integerToken(tokens[3], W) || !integerToken(tokens[4], H))
        return;
    if (!staysInImagesFolder(tokens[1])) {
        OutputDebugStringN(L"\n[ExecuteCreateDummyCG] ERROR. Output name leaves the images folder:%s \n\n",
                           tokens[1].c_str());
        return;
    }
    const float r = static_cast<float>(W) / 200.f * 50.f;
    const sf::Color purple(150, 50, 250, 255);

    sf::RenderTexture canvas;
    if (W <= 0 || H <= 0 || !canvas.create(static_cast<unsigned>(W), static_cast<unsigned>(H))) {
        OutputDebugStringN(L"\n[ExecuteCreateDummyCG] ERROR. Cannot create an image of %ix%i \n\n", W, H);
        ActivateRenderWindow();
        return;
    }
    canvas.clear(sf::Color::Transparent);
    const float x0 = static_cast<float>(std::floor((W - 2.0 * r) * 0.5));

    sf::CircleShape head(r, 30);
    head.setFillColor(purple);
    head.setPosition(x0, 0.f);
    // A picture lower than its head gets no body rather than one drawn upwards over the head.
    sf::RectangleShape body(sf::Vector2f(2.f * r, std::max(0.f, static_cast<float>(H) - 2.f * r)));
    body.setFillColor(purple);
    body.setPosition(x0, 2.f * r);

    const auto* vars = Services::SysVars();
    const std::wstring fontPath = (vars ? vars->fonts.dir : L"Fonts/") + tokens[2];
    sf::Font font;
    // The font name comes from the script: it must not reach outside the novel's folder.
    const std::optional<std::string> fontDiskPath = NovelDiskPath(fontPath);
    const bool fontLoaded = fontDiskPath && font.loadFromFile(*fontDiskPath);
    if (!fontLoaded)
        OutputDebugStringN(L"\n[ExecuteCreateDummyCG] ERROR. Font failed to load. \n\n");

    const auto centre = [W](sf::Text& text, float y) {
        const float x = static_cast<float>(std::floor((W - text.getLocalBounds().width) * 0.5));
        text.setPosition(x, y);
    };
    sf::Text title;
    if (fontLoaded)
        title.setFont(font);
    title.setString(sf::String(tokens[5]));
    title.setCharacterSize(24);
    title.setFillColor(sf::Color(255, 255, 255, 255));
    title.setStyle(sf::Text::Bold);
    centre(title, 2.f * r + 20.f);
    sf::Text subtitle(title);
    subtitle.setCharacterSize(40);
    subtitle.setString(sf::String(tokens.size() > 6 ? tokens[6] : L""));
    centre(subtitle, 20.f);

    canvas.draw(head);
    canvas.draw(body);
    canvas.draw(title);
    canvas.draw(subtitle);
    float y = 2.f * r + 70.f;
    for (std::size_t i = 7; i < tokens.size(); ++i) {
        title.setString(sf::String(tokens[i]));
        centre(title, y);
        canvas.draw(title);
        y += 35.f;
    }
    canvas.display();
    const sf::Image image = canvas.getTexture().copyToImage();
    ActivateRenderWindow();

    // Written beside its final name and renamed, so an existing image is never left half written.
    namespace fs = std::filesystem;
    std::wstring relative = tokens[1];
    for (auto& c : relative)
        if (c == L'\\')
            c = L'/';
    const fs::path target = fs::path(toNarrow(imagesDir() + relative + L".png"));
    // Appended piece by piece: GCC 12 at -O2 misreads "." + string as an overlapping copy.
    std::string tempName(".");
    tempName += target.stem().string();
    tempName += '.';
    tempName += std::to_string(::getpid());
    tempName += ".tmp.png";
    const fs::path temp = target.parent_path() / tempName;
    std::error_code ec;
    if (!target.parent_path().empty())
        fs::create_directories(target.parent_path(), ec);
    bool saved = image.saveToFile(temp.string());
    if (saved) {
        fs::rename(temp, target, ec);
        saved = !ec;
    }
    if (!saved) {
        fs::remove(temp, ec);
        OutputDebugStringN(L"\n[ExecuteCreateDummyCG] ERROR. Failed to save image \n\n");
    }
}

} // namespace crv
