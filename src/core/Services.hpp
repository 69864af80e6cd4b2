#pragma once
// The engine's registry: one process-wide owner of the window, the parsers, the vocabulary, the
// job queue and the stack of novel states.

#include "core/JobQueue.hpp"
#include "core/NovelState.hpp"

#include <SFML/Graphics/RenderWindow.hpp>

#include <deque>
#include <memory>
#include <string>

namespace crv {

class NParser;
class Parser;
class NovelCommands;

class Services {
public:
    Services() = delete;

    static std::unique_ptr<sf::RenderWindow> pRenderWindow;
    static std::unique_ptr<crv::NParser> pNParser;
    static std::deque<std::shared_ptr<NovelState>> m_NovelStates;
    static std::unique_ptr<NovelCommands> pNCommands;
    static JobQueue jobs;

    /** The current state's record, or null before the first novel state exists. */
    static crv::SysVars* SysVars() {
        return m_NovelStates.empty() ? nullptr : &m_NovelStates.back()->sysVars;
    }
    /** The oldest state's record (settings that must survive a return to editing), or null. */
    static crv::SysVars* BaseSysVars() {
        return m_NovelStates.empty() ? nullptr : &m_NovelStates.front()->sysVars;
    }
    /** The current state's entity registry; the state stack must not be empty. */
    static crv::Entities* Entities();
    /** The parser stack; it must exist. */
    static crv::NParser* NParser();
    /** The top parser of the stack. */
    static std::shared_ptr<Parser> CurParser();
    /** The bottom parser of the stack: the main script. */
    static std::shared_ptr<Parser> MainParser();
    /** The render window as a drawing target; it must exist. */
    static sf::RenderTarget& RenderTarget();

    /** Builds the vocabulary, the first state, mounts the data and reads settings and globals. */
    static void InitNovelState(bool application);
    /** Pushes a copy of the current state, which becomes current. */
    static void PushNovelStateCopy();
    /** Drops every state but the first. */
    static void RevertNovelState();
    /** Removes every entity of the current state (camera, backlog and wait icon stay). */
    static void RemoveEntities();
    /** Editor rewind: removes what the script created at line or later. */
    static void RemoveEntitiesFromLine(int line);
    /** Mounts a directory or archive at the end of the search path; false (logged) on failure. */
    static bool AddPathToPhysfs(const std::string& path);
};

// The frame loop and the window (Services_Engine.cpp).

/** One engine step; render and handleEvents switch drawing and event handling on. */
void UpdateEngine(bool render, bool handleEvents);
/** Shuts the engine down; a second call only writes its notice. */
void CloseEngine();
/** Queues a job that executes one script line in trigger mode on the current parser. */
void TriggerParseExec(const std::wstring& text);
/** Makes the render window's drawing context current (up to 10 attempts). */
void ActivateRenderWindow();
/** Creates the application window or switches it: 0 Fullscreen, 1 Window, 2 FullWindow. */
void SetWindowMode(int mode, unsigned width, unsigned height);
/** Editor: resizes the render child window and resets the view. */
void SetEngineResolution(int width, int height);
/** The pacing rule: whether a frame may be drawn after `elapsedMs` of the counting window with
    `renderCount` frames drawn in it. */
bool PacingAllowsFrame(long long elapsedMs, int renderCount);
/** Frames that passed pacing since the engine started (the draw pass ran when drawing was on). */
long long PacedFrameCount();
/** The script line a user-defined message box runs when confirmed (set by the dialog command). */
std::wstring& PendingUserDialogSlot();
std::wstring PendingUserDialog();

} // namespace crv
