#pragma once
// The command vocabulary: command words with their token-count rules, option words, type words
// and message texts.

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace crv {

/** One script command: the word that selects it and the number of tokens its line must have. */
class NovelCommand {
public:
    /** maxTokens 0 means "exactly minTokens"; -1 means no bound (minTokens -1: any count). A prefix
        command matches every first token that begins with its word. */
    NovelCommand(std::wstring word, int minTokens, int maxTokens, bool prefix);

    /** Whether tokens form a line of this command (word and count rule). */
    bool matches(const std::vector<std::wstring>& tokens) const;
    /** Exact matcher over the current parser's tokens. */
    bool checkWord() const;
    /** Prefix matcher over the current parser's tokens. */
    bool checkPrefix() const;

    int minTokens;
    int maxTokens;
    std::wstring word;
    bool prefix;
    /** Bound to checkWord or checkPrefix: reads the current parser's curlineTokens. */
    std::function<bool()> check;
};

/** Slot numbers of the sixty commands; the dispatcher addresses commands by slot. */
// clang-format off
enum CommandSlot : int {
    CMD_WAIT = 1, CMD_BOOKMARK, CMD_JUMP, CMD_SCRIPT, CMD_KEYTRIGGER, CMD_REMOVE, CMD_CLEAR, CMD_BG, CMD_CG,
    CMD_BUTTON, CMD_SYSBUTTON, CMD_BTNTEXT, CMD_BTNBASICRES, CMD_ONBTNTOUCH, CMD_BTNALIVEREGION,
    CMD_LINE_NEW, CMD_LINE_CONT, CMD_TILDE, CMD_TEXTBOX, CMD_USETEXTBOX, CMD_TEXTFONT, CMD_TEXTSIZE,
    CMD_TEXTCOLOUR, CMD_TEXTSPEED, CMD_TEXTBOLD, CMD_TEXTSHADOW, CMD_TEXTBOXSKIN, CMD_TEXTWAITICON,
    CMD_TEXTWORDWRAP, CMD_TEXTDIR, CMD_TEXTAUTOWAIT, CMD_TEXTPROGRESS, CMD_TEXT, CMD_BACKLOGCONFIG,
    CMD_BACKLOGRESET, CMD_MOVE, CMD_FADEIN, CMD_FADEOUT, CMD_ROTATE, CMD_ZOOM, CMD_ALPHA, CMD_CAMERARESET,
    CMD_LAYER, CMD_IMAGE, CMD_RGB, CMD_ALPHAFADEIN, CMD_ALPHAFADEOUT, CMD_BGM, CMD_SOUNDEFFECT, CMD_VOICE,
    CMD_VOLUME, CMD_VAR, CMD_IF, CMD_ENDGAME, CMD_CLEARRGB, CMD_TRACKBAR, CMD_DIALOG, CMD_TIMER,
    CMD_TIMEREND, CMD_CREATEDUMMYCG,
    CMD_SLOT_COUNT = CMD_CREATEDUMMYCG
};
// clang-format on

class NovelCommands {
public:
    /** Builds every command with its built-in word, then reads Commands.xml from the current
        directory. A missing or malformed file is logged and the built-in English words are used. */
    NovelCommands();
    ~NovelCommands();
    NovelCommands(const NovelCommands&) = delete;
    NovelCommands& operator=(const NovelCommands&) = delete;

    /** The word or text stored under key ("Types_bg", "Msg_endGame", ...); empty when missing. */
    std::wstring getString(const std::wstring& key) const;
    /** The command in slot 1..60; slot must be valid. */
    NovelCommand& slot(int number) { return *m_slots.at(static_cast<std::size_t>(number - 1)); }
    const NovelCommand& slot(int number) const { return *m_slots.at(static_cast<std::size_t>(number - 1)); }
    /** The current word of the command whose built-in word is builtIn, or empty. */
    std::wstring wordOf(const std::wstring& builtIn) const;

    /** The built-in English words and texts used when Commands.xml cannot be read. */
    static const std::map<std::wstring, std::wstring>& defaultStrings();

    std::map<std::wstring, std::wstring> strings;
    std::map<std::wstring, std::shared_ptr<NovelCommand>> commands;

private:
    /** Reads Commands.xml; false when it is missing or malformed. */
    bool load(const char* path);

    std::array<std::shared_ptr<NovelCommand>, CMD_SLOT_COUNT> m_slots;
};

} // namespace crv
