#pragma once
// One script being read, and the stack of them.

#include "core/Clock.hpp"
#include "core/LineHistory.hpp"

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace crv {

/** Parser states; stored as numbers in save slots. */
enum ParserState : std::int8_t {
    PARSE_STOP = 0,       ///< reading is off for good
    PARSE_CONT = 1,       ///< reading may go on
    PARSE_FIN = 2,        ///< a pass finished; waits to be continued
    PARSE_SCRIPT_FIN = 3, ///< the script has ended
    SYNC_EXEC = 4,        ///< waiting for a synchronous command to run out
    WAIT_BTNSEL = 5,      ///< waiting for a button choice
    WAIT_MSGBOXSEL = 6,   ///< waiting for a message-box choice
};

/** Script kinds. */
enum ScriptType : std::uint8_t {
    SCRIPT_MAIN = 1,
    SCRIPT_CALLED = 2,
    SCRIPT_MSGBOX = 5,
};

/**
 * One script: its text, the line last executed, the tokens of the current line, the script
 * variables of its entry bookmark, the text-passage flag per line and the state that says whether
 * reading may go on. Lines are numbered from 1; the text is split at line feeds only.
 */
class Parser : public std::enable_shared_from_this<Parser> {
public:
    /** Loads text (a leading byte-order mark is dropped); the parser starts in PARSE_FIN at line 0. */
    Parser(std::wstring scriptname, const std::wstring& text, std::uint8_t scriptType);
    ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    /** Reads and executes lines until a wait, the end, a pushed parser or line untilLine (-1: no
        limit). Does nothing once the game is over or the parser is stopped. */
    void ReadScript(int untilLine);
    /** Whether the read loop must stop before the next line. */
    bool ReadScriptBreak();
    /** Records that the command just executed moved the read position to line. */
    void ReadScriptJumpedToLine(int line);
    /** Once per frame in game mode: ends a finished synchronous wait and continues reading. */
    void AutoContScript_ifNeeded();
    /** Positions the parser so that the next line read is line (0 and 1: the first line). In the
        editor the main parser also removes what was created at line or later. */
    void GotoLine(int line);
    /** Positions the parser after the bookmark name and adds its declared script variables;
        returns the bookmark's line, or -1 (logged, position restored) when there is none. */
    int GotoBookmark(const std::wstring& name);
    /** Replaces this parser's script with Scripts/scriptname, at bookmark when not empty. A file
        that cannot be read is logged and changes nothing. */
    void GoToScript(const std::wstring& scriptname, const std::wstring& bookmark);
    /** Gives the declared script variables their values, in order; too few values is logged and
        assigns nothing. */
    void PushScriptVarNames(const std::vector<std::wstring>& values);
    /** Executes one line; tokens null or empty means the current line's tokens. Returns the line
        the parser should now be at. Never throws. */
    int ParseTokens(const std::wstring& line, const std::vector<std::wstring>* tokens, bool trigger);
    /** The editor's way to hand the main parser new text: another name starts over at line 1,
        the same name re-reads from the current line (or line 1 with reset). */
    void setScriptText(const std::wstring& scriptname, const std::wstring& text, bool reset);

    int getReadLineNo() const { return readlineno; }
    void setReadLineNo(int line) { readlineno = line; }
    std::int8_t getParserState() const { return m_ParserState; }
    void setParserState(std::int8_t state) { m_ParserState = state; }
    std::uint8_t getScriptType() const { return script_type; }
    const std::wstring& getScriptName() const { return scriptname; }
    std::vector<std::wstring>& getCurLineTokens() { return curlineTokens; }
    std::vector<std::pair<std::wstring, std::wstring>>& getScriptVars() { return m_script_vars; }
    LineHistory<bool>& getParsingScenario() { return parsing_scenario; }
    int getRefLine() const { return refline; }
    void setRefLine(int line) { refline = line; }
    bool isEndOfText() const {
        return m_infile.eof() || m_infile.peek() == std::wistringstream::traits_type::eof();
    }
    int getParserIdx() const { return m_parserIdx; }
    void setParserIdx(int idx) { m_parserIdx = idx; }
    /** Number of lines of the loaded text (a final line without a line feed counts). */
    int getLineCount() const { return static_cast<int>(m_lineStarts.size()); }
    /** Most lines one game-mode pass executes without a wait before it yields to the next frame
        (a script looping without waiting keeps the window alive). */
    static void setMaxLinesPerPass(int lines) { s_maxLinesPerPass = lines > 0 ? lines : 1; }
    static int getMaxLinesPerPass() { return s_maxLinesPerPass; }
    /** True while a read pass of this parser runs (a handler then needs no pass of its own). */
    bool isReading() const { return m_readDepth > 0; }

    int m_parserIdx = -1;
    int readlineno = 0;
    int readUntilLine = 0;
    std::vector<std::wstring> curlineTokens;
    int refline = 0;
    std::wstring scriptname;
    mutable std::wistringstream m_infile;
    std::vector<std::pair<std::wstring, std::wstring>> m_script_vars;
    LineHistory<bool> parsing_scenario{false};
    std::int8_t m_ParserState = PARSE_FIN;
    std::uint8_t script_type = SCRIPT_MAIN;
    SteadyClock::time_point syncStart{};
    std::chrono::milliseconds syncDuration{0};
    int syncLine = 0;

private:
    /** Loads text into m_infile and indexes its line starts, so that moving to a line costs the
        same wherever the line is. */
    void loadText(const std::wstring& text);
    /** Reads the next line (without its line feed) from m_infile. */
    void readLine(std::wstring& line);
    /** Runs the first matching row of the dispatch table (Parser_Parse.cpp); returns the handler's
        duration, sets sync when the line must wait and jumpLine when it moved the parser. */
    int dispatch(std::vector<std::wstring>& tokens, const std::wstring& line, bool& sync, int& jumpLine);

    std::vector<std::size_t> m_lineStarts; // offset of each line's first character
    std::size_t m_textLength = 0;
    int m_readDepth = 0; // read passes running on this parser
    static inline int s_maxLinesPerPass = 10000;
};

/** The stack of parsers: the main script at the front, the current parser at the back. Never
    left empty once constructed with a script. */
class NParser {
public:
    /** Placeholder only: logs a warning and holds no parser. */
    NParser();
    /** Creates the main parser for scriptname and text and pushes it. */
    NParser(const std::wstring& scriptname, const std::wstring& text);

    std::shared_ptr<Parser> getCurParser() const { return m_parserDeque.back(); }
    std::shared_ptr<Parser> getMainParser() const { return m_parserDeque.front(); }
    int getParserCount() const { return static_cast<int>(m_parserDeque.size()); }
    /** Pushes parser on top (it becomes the current parser); null is refused with a log line. */
    void pushParser(std::shared_ptr<Parser> parser);
    /** Removes the current parser; the main parser is never removed (logged). */
    void popParser();
    /** Removes every parser but the main one. */
    void resetToMainParser();
    /** Makes parser the only one (loading a save slot); null is refused with a log line. */
    void replaceAllParsers(std::shared_ptr<Parser> parser);
    /** Marks every parser above the main one as finished (they are popped by the frame loop). */
    void finishPushedParsers();
    /** Index of the parser reading scriptname (exact name), or -1. */
    int findParser(const std::wstring& scriptname) const;
    bool hasParser(const std::wstring& scriptname) const { return findParser(scriptname) != -1; }

    std::deque<std::shared_ptr<Parser>> m_parserDeque;
};

} // namespace crv
