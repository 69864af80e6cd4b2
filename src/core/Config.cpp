#include "core/Config.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/Text.hpp"
#include "scene/Entities.hpp"
#include "scene/Entity.hpp"

#include <pugixml.hpp>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <sstream>

namespace crv {

namespace {

constexpr const char* kConfigFile = "Config.xml";
// Same folder as Config.xml, so the rename that replaces it never crosses file systems.
constexpr const char* kConfigTempFile = "Config.xml.tmp";

std::function<bool()>& commitHook() {
    static std::function<bool()> hook;
    return hook;
}

// An engine library must not block its host on a dialog: the notice goes to stderr and the log.
void notifyMissingConfig() {
    const std::wstring notice = L"Config.xml file not found. cur-directory:";
    std::fprintf(stderr, "%s\n", toNarrow(notice).c_str());
    LogText(notice + L"\n");
}

bool loadDocument(pugi::xml_document& doc) {
    if (doc.load_file(kConfigFile, pugi::parse_default, pugi::encoding_auto))
        return true;
    notifyMissingConfig();
    return false;
}

std::wstring readText(const pugi::xml_node& node, const char* attribute) {
    return toWide(node.attribute(attribute).as_string());
}

// Base 10 as wcstol reads it; missing or empty is 0.
std::int32_t readInt(const pugi::xml_node& node, const char* attribute) {
    const std::wstring text = readText(node, attribute);
    const long value = std::wcstol(text.c_str(), nullptr, 10);
    return static_cast<std::int32_t>(std::clamp<long>(value, INT_MIN, INT_MAX));
}

struct Setting {
    const char* attribute;
    std::int32_t SysVars::*field;
    int scale;
};

// The setting a trackbar's track variable names, or null.
const Setting* settingFor(const std::wstring& trackVariable, const SysVars& vars) {
    static const Setting master{"sysMasterVolume", &SysVars::sysMasterVolume, 100};
    static const Setting bgm{"sysBgmVolume", &SysVars::sysBgmVolume, 100};
    static const Setting sfx{"sysSfxVolume", &SysVars::sysSfxVolume, 100};
    static const Setting voice{"sysVoiceVolume", &SysVars::sysVoiceVolume, 100};
    static const Setting textSpeed{"sysTextSpeed", &SysVars::sysTextSpeed, 100};
    static const Setting autoSpeed{"sysAutoSpeed", &SysVars::sysAutoSpeed, 100};
    static const Setting autoWait{"sysAutoWait", &SysVars::sysAutoWait, 5000};

    const auto typeWord = [&](int nType) {
        const auto it = vars.typeKeywords.find(nType);
        return it != vars.typeKeywords.end() && !it->second.empty() && it->second == trackVariable;
    };
    if (trackVariable == L"master_vol")
        return &master;
    if (typeWord(12))
        return &bgm;
    if (typeWord(6))
        return &sfx;
    if (typeWord(7))
        return &voice;
    if (trackVariable == L"textSpeed")
        return &textSpeed;
    if (trackVariable == L"autoSpeed")
        return &autoSpeed;
    if (trackVariable == L"autoWait")
        return &autoWait;
    return nullptr;
}

bool writeAll(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Writes the document next to Config.xml and renames it over the old file: a crash at any moment
// leaves either the old file or the new one, never a half-written one. No fsync: trackbars write on
// every pointer move, and the rename already protects against the process dying.
bool saveDocument(const pugi::xml_document& doc) {
    std::ostringstream text;
    doc.save(text, "\t", pugi::format_default, pugi::encoding_auto);
    const std::string bytes = text.str();

    struct stat old {};
    const mode_t mode = ::stat(kConfigFile, &old) == 0 ? (old.st_mode & 0777) : 0644;
    const int fd = ::open(kConfigTempFile, O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        OutputDebugStringN(L"WARNING. (WriteConfigSetting) cannot write %s: %s \n",
                           toWide(kConfigTempFile).c_str(), toWide(std::strerror(errno)).c_str());
        return false;
    }
    const bool written = writeAll(fd, bytes);
    const int writeErrno = errno;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed) {
        OutputDebugStringN(L"WARNING. (WriteConfigSetting) cannot write %s: %s \n",
                           toWide(kConfigTempFile).c_str(),
                           toWide(std::strerror(written ? errno : writeErrno)).c_str());
        ::unlink(kConfigTempFile);
        return false;
    }
    if (const auto& hook = commitHook(); hook && !hook()) {
        ::unlink(kConfigTempFile);
        return false;
    }
    if (::rename(kConfigTempFile, kConfigFile) != 0) {
        OutputDebugStringN(L"WARNING. (WriteConfigSetting) cannot replace %s: %s \n",
                           toWide(kConfigFile).c_str(), toWide(std::strerror(errno)).c_str());
        ::unlink(kConfigTempFile);
        return false;
    }
    return true;
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
    vars->msgboxScript = readText(root.child("Settings"), "MsgboxScript");
    vars->sysWaitInputIcon = readText(game, "sysWaitInputIcon");
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
    vars->msgboxScript = readText(root.child("Settings"), "MsgboxScript");
    vars->sysWaitInputIcon = readText(root.child("GameSettings"), "sysWaitInputIcon");
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

bool WriteConfigSetting(const std::wstring& trackVariable, double fraction) {
    auto* vars = Services::SysVars();
    if (!vars)
        return false;
    const Setting* setting = settingFor(trackVariable, *vars);
    if (!setting)
        return false;
    pugi::xml_document doc;
    if (!loadDocument(doc))
        return false;

    // A drag can overshoot the track; NaN would make the conversion undefined.
    const double f = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    const auto value = static_cast<std::int32_t>(setting->scale * f);
    vars->*(setting->field) = value;
    if (auto* base = Services::BaseSysVars())
        base->*(setting->field) = value;

    pugi::xml_node root = doc.child("Ferncastle");
    if (!root) {
        // A second root element would make the file unreadable XML: keep the value in memory only.
        if (doc.document_element()) {
            OutputDebugStringN(
                L"WARNING. (WriteConfigSetting) %s has no Ferncastle root element; not written \n",
                toWide(kConfigFile).c_str());
            return false;
        }
        root = doc.append_child("Ferncastle");
    }
    pugi::xml_node game = root.child("GameSettings");
    if (!game)
        game = root.append_child("GameSettings");
    pugi::xml_attribute attribute = game.attribute(setting->attribute);
    if (!attribute)
        attribute = game.append_attribute(setting->attribute);
    attribute.set_value(static_cast<int>(value));
    return saveDocument(doc);
}

void SetConfigCommitHook(std::function<bool()> hook) {
    commitHook() = std::move(hook);
}

} // namespace crv
