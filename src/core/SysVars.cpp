#include "core/SysVars.hpp"

#include "core/Services.hpp"
#include "script/NovelCommands.hpp"

namespace crv {

SysVars::SysVars() {
    const NovelCommands* words = Services::pNCommands.get();
    auto word = [&](const wchar_t* key) { return words ? words->getString(key) : std::wstring(); };
    typeKeywords = {
        {1, word(L"Types_all")},       {3, word(L"Types_bg")},     {2, word(L"Types_cg")},
        {4, word(L"Types_textbox")},   {5, L"button"},             {8, word(L"Types_sysButton")},
        {12, word(L"Types_bgm")},      {6, word(L"Types_sfx")},    {7, word(L"Types_voice")},
        {11, word(L"Types_backlog")},  {10, word(L"Types_camera")},
    };
}

} // namespace crv
