#include "script/NovelCommands.hpp"

namespace crv {

NovelCommands::NovelCommands() {
    strings = {
        {L"Types_all", L"all"},         {L"Types_bg", L"bg"},         {L"Types_cg", L"cg"},
        {L"Types_textbox", L"textbox"}, {L"Types_sysButton", L"sysbutton"}, {L"Types_bgm", L"bgm"},
        {L"Types_sfx", L"sfx"},         {L"Types_voice", L"voice"},   {L"Types_backlog", L"backlog"},
        {L"Types_camera", L"camera"},
    };
}

std::wstring NovelCommands::getString(const std::wstring& key) const {
    auto it = strings.find(key);
    return it == strings.end() ? std::wstring() : it->second;
}

} // namespace crv
