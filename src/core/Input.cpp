#include "core/Input.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "scene/Entity.hpp"
#include "script/Parser.hpp"

#include <SFML/Window/Mouse.hpp>

namespace crv {

namespace {

void EditorMouse(const sf::Event& event) {
    auto* vars = Services::SysVars();
    auto image = vars->editorInteractable;
    if (!image)
        return;
    sSprite* sprite = image->getCurrentSprite();
    if (!sprite)
        return;
    auto choose = [&] {
        vars->chosenEntity = {true, sprite->m_pTexture ? sprite->m_pTexture->name : image->getName(), NTYPE_CG};
    };
    if (event.type == sf::Event::MouseMoved) {
        const sf::FloatRect local = sprite->getLocalBounds();
        sprite->setPosition(MousePosition() - sf::Vector2f(local.width / 2.f, local.height / 2.f));
        choose();
    } else if (event.type == sf::Event::MouseButtonPressed && event.mouseButton.button == sf::Mouse::Left) {
        choose();
        vars->editorInteractable.reset();
        OutputDebugStringN(L"chosen manipulate entity coordinates \n");
    }
}

void queueTriggerCheck(int code, bool isMouse) {
    Services::jobs.push([code, isMouse] { CheckTrigger(code, isMouse); });
}

void GameMouse(const sf::Event& event) {
    auto* vars = Services::SysVars();
    if (event.type == sf::Event::MouseWheelScrolled || event.type == sf::Event::MouseWheelMoved) {
        const float delta = event.type == sf::Event::MouseWheelMoved ? static_cast<float>(event.mouseWheel.delta)
                                                                      : event.mouseWheelScroll.delta;
        if (event.type == sf::Event::MouseWheelScrolled)
            return; // SFML reports each wheel step twice; the older event is the one handled
        if (delta < 0) {
            OutputDebugStringN(L"\nINPUT MOUSE HWEEL::DOWN \n");
            OutputDebugStringN(L"UpdateMouse::TRIGGER READSCRIPT:-1 \n");
            QueueReadOn();
        } else if (delta > 0) {
            OutputDebugStringN(L"\nINPUT MOUSE HWEEL::UP \n");
            if (auto it = vars->mouseKeyNames.find(L"wheel.up"); it != vars->mouseKeyNames.end())
                queueTriggerCheck(it->second, true);
        }
        return;
    }
    if (event.type == sf::Event::MouseButtonPressed && event.mouseButton.button == sf::Mouse::Left) {
        OutputDebugStringN(L"\nINPUT MOUSE CLICK::LEFT \n");
        OutputDebugStringN(L"UpdateMouse::TRIGGER READSCRIPT:-1 \n");
        QueueReadOn();
    } else if (event.type == sf::Event::MouseButtonPressed && event.mouseButton.button == sf::Mouse::Right) {
        OutputDebugStringN(L"\nINPUT MOUSE CLICK::RIGHT \n");
        auto* vars = Services::SysVars();
        if (vars->textProgressMode == 1 || vars->textProgressMode == 2) {
            vars->textProgressMode = 0;
            OutputDebugStringN(L"(Services::UpdateMouse) TEXT AUTO/SKIP CLEARED. \n");
        } else if (auto it = vars->mouseKeyNames.find(L"r.click"); it != vars->mouseKeyNames.end()) {
            queueTriggerCheck(it->second, true);
        }
    }
}

} // namespace

sf::Vector2f MousePosition() {
    if (!Services::pRenderWindow)
        return {};
    const sf::Vector2i pixel = sf::Mouse::getPosition(*Services::pRenderWindow);
    return Services::pRenderWindow->mapPixelToCoords(pixel);
}

void QueueReadOn() {
    if (!Services::pNParser)
        return;
    std::shared_ptr<Parser> parser = Services::CurParser();
    Services::jobs.push([parser] { parser->ReadScript(-1); });
}

void UpdateKeyboard(const sf::Event& event) {
    if (event.type != sf::Event::KeyPressed)
        return;
    if (event.key.code == sf::Keyboard::Space || event.key.code == sf::Keyboard::Enter) {
        OutputDebugStringN(event.key.code == sf::Keyboard::Space ? L"\nINPUT KEYBOARD::SPACE \n"
                                                                  : L"\nINPUT KEYBOARD::ENTER \n");
        OutputDebugStringN(L"UpdateKeyboard::TRIGGER READSCRIPT:-1 \n");
        QueueReadOn();
        return;
    }
    queueTriggerCheck(static_cast<int>(event.key.code), false);
}

bool CheckTrigger(int code, bool isMouse) {
    auto* vars = Services::SysVars();
    if (!vars || !Services::pNParser)
        return false;
    if (Services::CurParser()->getParserState() == WAIT_MSGBOXSEL)
        return false;
    auto& triggers = isMouse ? vars->mouseTriggers : vars->keyTriggers;
    auto it = triggers.find(code);
    if (it == triggers.end()) {
        OutputDebugStringN(L"WARNING. TRIGGER NOT FOUND. key:%i, type:%s \n", code, isMouse ? L"mouse" : L"keyboard");
        return false;
    }
    const int line = Services::MainParser()->getReadLineNo();
    if (!vars->gameMode && line < it->second.triggerLine) {
        OutputDebugStringN(L"trigger:'%s' trigger-line:%i > cur-readlinno:%i. remove \n",
                           it->second.trigger_function.c_str(), it->second.triggerLine, line);
        triggers.erase(it);
        return false;
    }
    OutputDebugStringN(L"trigger:'%s' exists. trigger-line:%i execute. \n", it->second.trigger_function.c_str(),
                       it->second.triggerLine);
    TriggerParseExec(it->second.trigger_function);
    return true;
}

void DispatchMouse(const sf::Event& event) {
    auto* vars = Services::SysVars();
    if (!vars)
        return;
    if (vars->gameMode)
        GameMouse(event);
    else
        EditorMouse(event);
}

} // namespace crv
