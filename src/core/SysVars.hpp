#pragma once
// The record of system variables: everything about a play-through that is not an entity.

#include "core/Clock.hpp"
#include "core/LineHistory.hpp"

#include <SFML/Graphics/Color.hpp>

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace crv {

class NSprite;
class NEntity;

/** Where one kind of media lives: a directory prefix and the archive that may stand for it. */
struct PathPair {
    std::wstring dir;
    std::wstring archive;
};

/** A key or mouse trigger: the script line to run and the main-script line that set it. */
struct Trigger {
    int triggerLine = 0;
    std::wstring trigger_function;
};

/** A running timer (the timer command creates it, the frame loop fires it). */
struct TimerEntry {
    std::wstring name;
    SteadyClock::time_point start{};
    long long duration = 0; // milliseconds
    std::wstring command;
    bool repeat = false;
    bool fired = false;
};

/** Images that fill in for those a button line does not name. */
struct ButtonBasicResources {
    std::wstring untouched;
    std::wstring touched;
    std::wstring clicked;
};

/** The chosen entity of the editor: (chosen, name, nType). */
using ChosenEntity = std::tuple<bool, std::wstring, int>;

struct SysVars {
    /** Builds the record; typeKeywords come from the vocabulary, which must exist already. */
    SysVars();

    PathPair fonts{L"Fonts/", L"Fonts.crvdat"};
    PathPair images{L"Images/", L"Images.crvdat"};
    PathPair scripts{L"Scripts/", L"Scripts.crvdat"};
    PathPair bgm{L"BGM/", L"BGM.crvdat"};
    PathPair sfx{L"SFX/", L"SFX.crvdat"};
    PathPair voices{L"Voices/", L"Voices.crvdat"};
    std::wstring saveDir = L"SaveData/";
    std::map<int, std::wstring> typeKeywords;
    std::shared_ptr<NSprite> editorInteractable;
    ChosenEntity chosenEntity{false, L"", 0};
    std::map<std::wstring, int> keyNames{{L"ctrl", 37}};
    std::map<int, Trigger> keyTriggers;
    std::map<std::wstring, int> mouseKeyNames{{L"l.click", 0}, {L"r.click", 1}, {L"wheel.up", 2}};
    std::map<int, Trigger> mouseTriggers;
    unsigned long parentWindow = 0;
    unsigned long renderWindowHandle = 0;
    void* instance = nullptr;
    std::int32_t updatesPerSecond = 0;
    std::int32_t framesPerSecond = 0;
    std::wstring windowTitle;
    std::uint8_t windowMode = 0;
    std::uint8_t renderMode = 0;
    float renderWindowProportion = 1.0f;
    bool isApplication = false;
    bool gameOver = false;
    bool gameMode = false;
    // True from the start so messages between the first state and InitNovelSettings are kept.
    bool loggingEnabled = true;
    std::wstring msgboxScript;
    std::wstring sysWaitInputIcon;
    std::int32_t textProgressMode = 0;
    std::int32_t sysMasterVolume = 100;
    std::int32_t sysBgmVolume = 100;
    std::int32_t sysSfxVolume = 100;
    std::int32_t sysVoiceVolume = 100;
    std::int32_t sysTextSpeed = 0;
    std::int32_t sysAutoSpeed = 0;
    std::int32_t sysAutoWait = 0;
    std::pair<std::wstring, std::int32_t> transition{L"", 0};
    bool transitionStart = false;
    bool transitionFadeIn = false;
    std::int32_t gameStartLine = 0;
    std::uint8_t gameStartParserState = 0;
    std::wstring gameStartScript;
    bool tweenAnimationDisplay = true;
    bool playMusicDuringEdit = true;
    bool boundingBoxDisplay = false;
    std::pair<bool, std::shared_ptr<NEntity>> trackbarDrag{false, nullptr};
    std::vector<std::wstring> aliveRegionScripts;
    std::vector<std::shared_ptr<TimerEntry>> timers;
    LineHistory<ButtonBasicResources> buttonBasicResources;
    LineHistory<bool> backlogDisplayed{false};
    LineHistory<sf::Color> clearColour{sf::Color(0, 0, 0, 255)};
    LineHistory<std::wstring> backlogTextbox{L""};
    LineHistory<std::wstring> currentTextbox{L""};
    LineHistory<bool> textAutoWait{false};
    std::wstring currentMsgbox;
    std::map<std::wstring, std::wstring> variables;
};

} // namespace crv
