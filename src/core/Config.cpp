#include "core/Config.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/Text.hpp"
#include "scene/Entity.hpp"

#include <pugixml.hpp>

#include <cstdio>
#include <cwchar>

namespace crv {

namespace {

bool loadDocument(pugi::xml_document& doc) {
    if (doc.load_file("Config.xml"))
        return true;
    const std::wstring notice = L"Config.xml file not found. cur-directory:";
    std::fprintf(stderr, "%s\n", toNarrow(notice).c_str());
    LogText(notice + L"\n");
    return false;
}

int readInt(const pugi::xml_node& node, const char* attribute) {
    const std::wstring text = toWide(node.attribute(attribute).as_string());
    return static_cast<int>(std::wcstol(text.c_str(), nullptr, 10));
}

} // namespace

bool ReadConfig() {
    auto* vars = Services::SysVars();
    if (!vars)
        return false;
    pugi::xml_document doc;
    if (!loadDocument(doc))
        return false;
    const pugi::xml_node root = doc.child("Ferncastle");
    const pugi::xml_node game = root.child("GameSettings");
    vars->msgboxScript = toWide(root.child("Settings").attribute("MsgboxScript").as_string());
    vars->sysWaitInputIcon = toWide(game.attribute("sysWaitInputIcon").as_string());
    vars->sysMasterVolume = readInt(game, "sysMasterVolume");
    vars->sysBgmVolume = readInt(game, "sysBgmVolume");
    vars->sysSfxVolume = readInt(game, "sysSfxVolume");
    vars->sysVoiceVolume = readInt(game, "sysVoiceVolume");
    vars->sysTextSpeed = readInt(game, "sysTextSpeed");
    vars->sysAutoSpeed = readInt(game, "sysAutoSpeed");
    vars->sysAutoWait = readInt(game, "sysAutoWait");
    return true;
}

bool ReadEditorConfig() {
    auto* vars = Services::SysVars();
    if (!vars)
        return false;
    pugi::xml_document doc;
    if (!loadDocument(doc))
        return false;
    const pugi::xml_node root = doc.child("Ferncastle");
    vars->msgboxScript = toWide(root.child("Settings").attribute("MsgboxScript").as_string());
    vars->sysWaitInputIcon = toWide(root.child("GameSettings").attribute("sysWaitInputIcon").as_string());
    LoadWaitInputIcon();
    return true;
}

void LoadWaitInputIcon() {
    auto* vars = Services::SysVars();
    if (!vars || vars->sysWaitInputIcon.empty())
        return;
    auto& icon = Services::Entities()->pWaitIcon;
    if (icon)
        icon->loadTexture(vars->sysWaitInputIcon);
}

} // namespace crv
