#include "script/NovelCommands.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "core/Text.hpp"
#include "script/Parser.hpp"

#include <pugixml.hpp>

namespace crv {

// ---------------------------------------------------------------------------------------------
// NovelCommand

NovelCommand::NovelCommand(std::wstring w, int minCount, int maxCount, bool isPrefix)
    : minTokens(minCount), maxTokens(maxCount == 0 ? minCount : maxCount), word(std::move(w)),
      prefix(isPrefix) {
    if (prefix)
        check = [this] { return checkPrefix(); };
    else
        check = [this] { return checkWord(); };
}

bool NovelCommand::matches(const std::vector<std::wstring>& tokens) const {
    // An emptied word (a Commands.xml entry without a name) retires the command.
    if (tokens.empty() || word.empty())
        return false;
    const std::wstring& first = tokens.front();
    if (prefix ? first.compare(0, word.size(), word) != 0 : first != word)
        return false;
    const int count = static_cast<int>(tokens.size());
    return (count >= minTokens && (maxTokens >= count || maxTokens == -1)) || minTokens == -1;
}

namespace {
const std::vector<std::wstring>* currentTokens() {
    if (!Services::pNParser || Services::pNParser->m_parserDeque.empty())
        return nullptr;
    return &Services::pNParser->getCurParser()->getCurLineTokens();
}
} // namespace

bool NovelCommand::checkWord() const {
    const auto* tokens = currentTokens();
    return tokens && matches(*tokens);
}

bool NovelCommand::checkPrefix() const {
    const auto* tokens = currentTokens();
    return tokens && matches(*tokens);
}

// ---------------------------------------------------------------------------------------------
// The built-in vocabulary

namespace {
struct BuiltIn {
    const wchar_t* word;
    int minTokens;
    int maxTokens; // 0: exactly minTokens
    bool prefix;
};

// In slot order (slot 1 first). sysButton copies the count rule of button.
// clang-format off
constexpr BuiltIn kBuiltIns[CMD_SLOT_COUNT] = {
    {L"wait", 1, -1, false},          {L"bookmark", -1, -1, false},    {L"jump", 2, -1, false},
    {L"script", 2, -1, false},        {L"keyTrigger", 2, -1, false},   {L"remove", 1, -1, false},
    {L"clear", 1, 0, false},          {L"bg", 2, 4, false},            {L"cg", 6, 8, false},
    {L"button", 5, -1, false},        {L"sysButton", 5, -1, false},    {L"btnText", 5, -1, false},
    {L"btnBasicRes", 4, -1, false},   {L"onBtnTouch", 3, -1, false},   {L"btnAliveRegion", 1, 0, false},
    {L"\"", -1, -1, true},            {L"-\"", -1, -1, true},          {L"~", -1, -1, true},
    {L"textbox", 9, 10, false},       {L"useTextbox", 2, 0, false},    {L"textFont", 2, 0, false},
    {L"textSize", 2, 0, false},       {L"textColour", 4, 0, false},    {L"textSpeed", 2, 0, false},
    {L"textBold", 2, 0, false},       {L"textShadow", 2, 5, false},    {L"textboxSkin", 4, 0, false},
    {L"textWaitIcon", 2, 0, false},   {L"textWordWrap", 2, 0, false},  {L"textDir", 2, 0, false},
    {L"textAutoWait", 2, 0, false},   {L"textProgress", 2, 0, false},  {L"text", 8, -1, false},
    {L"backlogConfig", 2, 0, false},  {L"backlogReset", 1, 0, false},  {L"move", 4, -1, false},
    {L"fadein", 2, -1, false},        {L"fadeout", 2, -1, false},      {L"rotate", 3, -1, false},
    {L"zoom", 3, -1, false},          {L"alpha", 3, -1, false},        {L"cameraReset", 1, 0, false},
    {L"layer", 3, 0, false},          {L"image", 3, 0, false},         {L"rgb", 5, 6, false},
    {L"alphaFadein", 2, 3, false},    {L"alphaFadeout", 2, 3, false},  {L"bgm", 2, 3, false},
    {L"soundEffect", 3, 4, false},    {L"voice", 2, 0, false},         {L"volume", 3, 0, false},
    {L"var", 4, -1, false},           {L"if", 6, 9, false},            {L"endGame", -1, -1, false},
    {L"clearRGB", 4, 0, false},       {L"trackbar", 8, -1, false},     {L"dialog", 3, -1, false},
    {L"timer", 4, -1, false},         {L"timerEnd", 2, -1, false},     {L"createDummyCG", 6, -1, false},
};
// clang-format on

void insertFirst(std::map<std::wstring, std::wstring>& map, std::wstring key, std::wstring value) {
    map.emplace(std::move(key), std::move(value)); // emplace keeps an existing key: the first entry wins
}
} // namespace

const std::map<std::wstring, std::wstring>& NovelCommands::defaultStrings() {
    static const std::map<std::wstring, std::wstring> defaults = {
        {L"Msg_saveOverwrite", L"Overwrite this save?"},
        {L"Msg_saveDelete", L"Delete this save?"},
        {L"Msg_loadConfirm", L"Load this save? Progress since the last save will be lost."},
        {L"Msg_endGame", L"Quit the game?"},
        {L"Types_all", L"all"},
        {L"Types_bg", L"bg"},
        {L"Types_cg", L"cg"},
        {L"Types_textbox", L"textbox"},
        {L"Types_sysButton", L"sysButton"},
        {L"Types_bgm", L"bgm"},
        {L"Types_sfx", L"sfx"},
        {L"Types_voice", L"voice"},
        {L"Types_backlog", L"backlog"},
        {L"Types_camera", L"camera"},
        {L"CmdOptions_noCamera", L"noCamera"},
        {L"CmdOptions_repeat", L"repeat"},
        {L"CmdOptions_buttonSelect", L"buttonSelect"},
        {L"CmdOptions_msgboxSelect", L"msgboxSelect"},
        {L"CmdOptions_vertical", L"vertical"},
        {L"CmdOptions_none", L"none"},
    };
    return defaults;
}

NovelCommands::NovelCommands() {
    for (int i = 0; i < CMD_SLOT_COUNT; ++i) {
        const BuiltIn& b = kBuiltIns[i];
        int minCount = b.minTokens;
        int maxCount = b.maxTokens;
        if (i + 1 == CMD_SYSBUTTON) {
            minCount = m_slots[CMD_BUTTON - 1]->minTokens;
            maxCount = m_slots[CMD_BUTTON - 1]->maxTokens;
        }
        auto command = std::make_shared<NovelCommand>(b.word, minCount, maxCount, b.prefix);
        commands.emplace(b.word, command);
        m_slots[static_cast<std::size_t>(i)] = std::move(command);
    }
    if (!load("Commands.xml")) {
        for (const auto& [key, value] : defaultStrings())
            insertFirst(strings, key, value);
    }
}

NovelCommands::~NovelCommands() {
    commands.clear();
    for (auto& handle : m_slots)
        handle.reset();
    OutputDebugStringN(L"[~NovelCommands] DESTRUCTION COMPLETE\n");
}

bool NovelCommands::load(const char* path) {
    pugi::xml_document doc;
    const pugi::xml_parse_result result = doc.load_file(path);
    if (!result) {
        // The vocabulary is built before the first novel state, when the log takes messages as they
        // stand: build the text here.
        LogText(L"WARNING. (NovelCommands) Commands.xml could not be read: " + toWide(result.description()) +
                L". using the built-in English vocabulary \n");
        return false;
    }
    const pugi::xml_node root = doc.child("ScriptStrings");
    if (!root) {
        OutputDebugStringN(L"WARNING. (NovelCommands) Commands.xml has no ScriptStrings element. using the "
                           L"built-in English vocabulary \n");
        return false;
    }
    for (const pugi::xml_node entry : root.child("DisplayStrings").children())
        if (const pugi::xml_attribute name = entry.attribute("name"))
            insertFirst(strings, toWide(name.value()), toWide(entry.attribute("jap").value()));

    for (const pugi::xml_node entry : root.child("Commands").children()) {
        const pugi::xml_attribute cmd = entry.attribute("cmd");
        if (!cmd)
            continue;
        auto it = commands.find(toWide(cmd.value()));
        if (it == commands.end())
            continue;
        std::wstring word = toWide(entry.attribute("name").value());
        // A word never holds a space: the rest of the entry is a note for the translator.
        const std::size_t space = word.find(L' ');
        if (space != std::wstring::npos)
            word.erase(space);
        it->second->word = std::move(word);
    }

    const pugi::xml_node keywords = root.child("Keywords");
    for (const pugi::xml_node entry : keywords.child("Types").children())
        if (const pugi::xml_attribute name = entry.attribute("name"))
            insertFirst(strings, L"Types_" + toWide(name.value()), toWide(entry.attribute("jap").value()));
    for (const pugi::xml_node entry : keywords.child("CmdOptions").children())
        if (const pugi::xml_attribute name = entry.attribute("name"))
            insertFirst(strings, L"CmdOptions_" + toWide(name.value()),
                        toWide(entry.attribute("jap").value()));
    return true;
}

std::wstring NovelCommands::getString(const std::wstring& key) const {
    auto it = strings.find(key);
    return it == strings.end() ? std::wstring() : it->second;
}

std::wstring NovelCommands::wordOf(const std::wstring& builtIn) const {
    auto it = commands.find(builtIn);
    return it == commands.end() ? std::wstring() : it->second->word;
}

} // namespace crv
