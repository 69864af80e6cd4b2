#pragma once
// One script being read, and the stack of them.

#include "core/Clock.hpp"
#include "core/LineHistory.hpp"

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

class Parser {
public:
    Parser(std::wstring scriptname, const std::wstring& text, std::uint8_t scriptType);
    ~Parser();
    Parser(const Parser&) = delete;
    Parser& operator=(const Parser&) = delete;

    /** Reads and executes lines until a wait, the end, a pushed parser or line untilLine (-1: no
        limit). */
    void ReadScript(int untilLine);
    /** Whether the read loop must stop before the next line. */
    bool ReadScriptBreak();
    /** Records that the command just executed moved the read position. */
    void ReadScriptJumpedToLine(int line);
    /** Once per frame: ends a finished synchronous wait and continues reading. */
    void AutoContScript_ifNeeded();
    /** Positions the parser so that the next line read is line. */
    void GotoLine(int line);
    /** Executes one line; tokens null means the current line's tokens. Returns the line the
        parser should now be at. */
    int ParseTokens(const std::wstring& line, const std::vector<std::wstring>* tokens, bool trigger);
    /** The editor's way to hand the main parser new text. */
    void setScriptText(const std::wstring& scriptname, const std::wstring& text, bool reset);
    /** Replaces this parser's script with another file, optionally at a bookmark. */
    void GoToScript(const std::wstring& scriptname, const std::wstring& bookmark);

    int getReadLineNo() const { return readlineno; }
    void setReadLineNo(int line) { readlineno = line; }
    std::int8_t getParserState() const { return m_ParserState; }
    void setParserState(std::int8_t state) { m_ParserState = state; }
    std::uint8_t getScriptType() const { return script_type; }
    const std::wstring& getScriptName() const { return scriptname; }
    std::vector<std::wstring>& getCurLineTokens() { return curlineTokens; }
    bool isEndOfText() const { return m_infile.eof() || m_infile.peek() == std::wistringstream::traits_type::eof(); }
    int getParserIdx() const { return m_parserIdx; }
    void setParserIdx(int idx) { m_parserIdx = idx; }

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
    long long syncDuration = 0;
    int syncLine = 0;
};

/** The stack of parsers: the main script at the front, the current parser at the back. */
class NParser {
public:
    NParser();
    NParser(const std::wstring& scriptname, const std::wstring& text);

    std::shared_ptr<Parser> getCurParser() const { return m_parserDeque.back(); }
    std::shared_ptr<Parser> getMainParser() const { return m_parserDeque.front(); }
    int getParserCount() const { return static_cast<int>(m_parserDeque.size()); }
    void pushParser(std::shared_ptr<Parser> parser);
    void popParser();
    void resetToMainParser();

    std::deque<std::shared_ptr<Parser>> m_parserDeque;
};

} // namespace crv
