/*
 * engine.h - the C interface of the Corvel visual-novel engine (libEngine.so).
 *
 * A host loads the library (linking it, or with dlopen) and drives it through these calls, all on
 * one thread: the thread that also owns the render window's OpenGL context.
 *
 * Two kinds of host exist:
 *  - a launcher plays a finished novel in a top-level window the engine creates ("application" mode):
 *      PHYSFS_init(argv0); CreateRenderWindow(..., L"application", windowMode);
 *      while (!getGameOver()) UpdateRenderWindow();
 *      DestroyRenderWindow();
 *  - an editor embeds the render view as an X11 child of one of its windows (any other mode string):
 *      CreateRenderWindow(...); InitNovelSettings(...);
 *      once per frame UpdateRenderWindow(), and between frames the editor hooks below;
 *      DestroyRenderWindow();
 *
 * Conventions for every call:
 *  - Strings are NUL-terminated wide strings (UTF-32 here, one wchar_t per code point).
 *    A null string pointer reads as an empty string.
 *  - Nothing throws across this interface; failures are written to the log file "debug.txt" in the
 *    current directory (and to standard error when CRV_DEBUG_OUTPUT is set).
 *  - A call made out of order (before CreateRenderWindow/InitNovelSettings or after
 *    DestroyRenderWindow) does nothing harmful: at most it writes a log line and returns a default.
 *
 * The library also exports the PhysFS API (PHYSFS_init, PHYSFS_mount, PHYSFS_openRead, ...): it links
 * the system's libphysfs, so a host shares the engine's single file-system instance. Declare those
 * calls with <physfs.h> or look them up with dlsym on the engine's handle.
 */
#ifndef CORVEL_ENGINE_H
#define CORVEL_ENGINE_H

#include <stdbool.h>
#include <stdint.h>
#include <wchar.h>

#if defined(CRV_BUILDING_ENGINE)
#define CRV_API __attribute__((visibility("default")))
#else
#define CRV_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/** Opaque host instance: stored, never used. */
typedef void* CrvInstance;
/** An X11 window id; 0 means none. */
typedef unsigned long CrvWindow;

/** Engine information record, filled by getDLLInformation. */
typedef struct {
    int32_t mouseX;           /**< mouse position in scene coordinates, truncated toward zero */
    int32_t mouseY;           /**< same, vertical */
    int32_t updatesPerSecond; /**< engine updates counted in the last completed second */
    int32_t framesPerSecond;  /**< frames drawn in the last completed second */
    int32_t reserved;         /**< no defined meaning; do not rely on it */
} CrvEngineInfo;

/** The entity the author clicked in the editor, filled by getDLLInformation. */
typedef struct {
    int32_t chosen; /**< 1 if an entity was chosen since the choice was last consumed, else 0 */
    int32_t width;  /**< texture width in pixels (images only) */
    int32_t height; /**< texture height in pixels (images only) */
    int32_t nType;  /**< entity kind: 2 image (cg), 3 background, 4 text box, ... */
} CrvChosenEntity;

/* ---------------------------------------------------------------------------------------------
 * Lifecycle and version
 * ------------------------------------------------------------------------------------------- */

/** Returns the version string "0.8.2-t2"; the same pointer on every call. */
CRV_API const wchar_t* getDLLVersion(void);

/** Copies the version string and a terminating NUL into buffer (at least 9 characters) and returns
    its length (8). A null buffer is refused: nothing is written and 0 is returned. */
CRV_API int fillDLLVersion(wchar_t* buffer);

/** Installs the crash handler for SIGSEGV, SIGBUS, SIGFPE, SIGILL and SIGABRT: it writes
    "crash.txt" in the current directory (signal, backtrace, path of debug.txt) and re-raises the
    signal. A second call does nothing. CreateRenderWindow calls it first. */
CRV_API void SetupBugTrapExceptionHandler(void);

/** Creates the render window.
    mode "application" (exactly; any other text, including a null pointer, means editor mode):
      a top-level window of windowMode (0 fullscreen, 1 framed window centred on the screen,
      2 borderless window covering the desktop) of width x height; then InitNovelSettings runs with the
      same arguments and the main script starts. Returns 0.
    editor mode: an X11 child window of `parent`, at (0, 0), width x height, created unmapped (the host
      maps it). Returns its id, or 0 if it cannot be created (a bad parent id, sizes below 1, no
      display): then the notice "ERROR creating render window!" goes to standard error and the log.
    The window title is title + " -Corvel " + the version. scriptFile names the main script relative
    to "Scripts/"; scriptText is its text. */
CRV_API CrvWindow CreateRenderWindow(CrvInstance instance, CrvWindow parent, int width, int height,
                                     const wchar_t* title, const wchar_t* scriptFile,
                                     const wchar_t* scriptText, const wchar_t* mode,
                                     unsigned char windowMode);

/** Creates the parser stack and the novel state (vocabulary, mounting of the data folders and
    archives, Config.xml, global variables). An editor calls it once after CreateRenderWindow; in
    application mode CreateRenderWindow calls it itself. title is not used. Without a render window
    it only logs. */
CRV_API void InitNovelSettings(CrvInstance instance, CrvWindow parent, const wchar_t* title,
                               const wchar_t* scriptFile, const wchar_t* scriptText,
                               const wchar_t* mode, unsigned char windowMode);

/** Runs one engine step: window events, entity updates, queued work, drawing (at most one frame per
    14 ms), reading on. Call it once per host frame. Does nothing before InitNovelSettings. */
CRV_API void UpdateRenderWindow(void);

/** Shuts the engine down and destroys its window; a second call only writes a notice. A fresh
    CreateRenderWindow may follow. */
CRV_API void DestroyRenderWindow(void);

/** Writes text to the log unchanged (a '%' is written as it is). */
CRV_API void OutputDebugStringN(const wchar_t* text);

/* ---------------------------------------------------------------------------------------------
 * Editor hooks and queries
 * ------------------------------------------------------------------------------------------- */

/** Hands the editor's script text and cursor line to the engine; the scene is rebuilt as of that
    line. lineno is 1-based, or -1 for "to the end"; other values are refused with a log line.
    resetScript true reloads the text (a full reset if the file or line changed). */
CRV_API void setNovelScriptText(const wchar_t* text, const wchar_t* filename, int lineno,
                                bool resetScript);

/** Editor: true plays from the cursor line on a copy of the novel state; false drops that copy and
    returns to the line after the one play started from. Application mode: only sets the flag. */
CRV_API void setGameMode(bool play);

/** Editor: shows the image filename (relative to "Images/") under the mouse for placing it; the next
    left click drops it and makes it the chosen entity. */
CRV_API void AddCG(const wchar_t* filename);

/** Fills info (mouse, update and frame rates) and writes the main parser's state to *parserState.
    With wantChosen, also reports the entity the author clicked: its name goes to chosenName (a
    buffer the caller sizes for the name and a NUL) and its record to chosen. A chosen image is
    reported once, with its texture size; other kinds are reported until consumed. Null pointers are
    skipped. */
CRV_API void getDLLInformation(CrvEngineInfo* info, int* parserState, wchar_t* chosenName,
                               CrvChosenEntity* chosen, bool wantChosen);

/** Editor: resizes the render child window and resets the view to width x height. Refused (log
    line) in application mode and for sizes below 1. */
CRV_API void setEngineResolution(int width, int height);

/** Stores the render window's proportion (default 1.0); nothing computed depends on it yet. */
CRV_API void setRenderWindowProportion(float proportion);
/** Editor: lets tweens animate (default true). */
CRV_API void setTweenAnimationDisplay(bool on);
/** Editor: lets music play while editing (default true). */
CRV_API void setPlayMusicDuringEdit(bool on);
/** Draws bounding boxes around images (red) and texts (green) (default false). */
CRV_API void setBoundingBoxDisplay(bool on);
/** True once the novel has ended (end-game command or confirmed end-game box); false before
    InitNovelSettings. */
CRV_API bool getGameOver(void);

/* Inert calls kept for hosts written against older versions: they do nothing and return 0/false. */
CRV_API void setGameOver(bool gameOver);
CRV_API void setEngineFullscreen(bool on);
CRV_API bool getEngineFullscreen(void);
CRV_API int getEngineWidth(void);
CRV_API int getEngineHeight(void);
CRV_API int getEngineColour(void);

/* ---------------------------------------------------------------------------------------------
 * Corvel additions
 * ------------------------------------------------------------------------------------------- */

/** Writes the window's current contents (the last frame drawn) to a PNG file at path (a disk path,
    relative to the current directory). Returns false, with a log line, if there is no render window,
    the path is empty or the file cannot be written. The file is written to a temporary name and
    renamed, so an existing file is never left half-written. */
CRV_API bool crvSaveFrame(const wchar_t* path);

#ifdef __cplusplus
}
#endif

#endif /* CORVEL_ENGINE_H */
