#include "script/Parser.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"

namespace crv {

Parser::Parser(std::wstring name, const std::wstring& text, std::uint8_t scriptType)
    : scriptname(std::move(name)), m_infile(text), script_type(scriptType) {
    if (script_type == SCRIPT_MAIN)
        OutputDebugStringN(L"[Parser] CREATING MAIN PARSER... \n");
    LogText(L"\n[Parser] CONSTRUCTOR: script opened. filename: \"" + scriptname + L"\" \n");
}

Parser::~Parser() {
    OutputDebugStringN(L"[~Parser] DESTRUCTION complete. final_script:\"%s\" \n", scriptname.c_str());
}

void Parser::ReadScript(int untilLine) {
    auto* vars = Services::SysVars();
    if ((vars && vars->gameOver) || m_ParserState == PARSE_STOP)
        return;
    readUntilLine = untilLine;
    readlineno += 1;
    curlineTokens.clear();
    if (m_ParserState == PARSE_FIN)
        m_ParserState = PARSE_CONT;
    while (!ReadScriptBreak()) {
        std::wstring line;
        std::getline(m_infile, line);
        curlineTokens.clear();
        std::wistringstream words(line);
        for (std::wstring word; words >> word;)
            curlineTokens.push_back(word);
        if (!curlineTokens.empty()) {
            const int next = ParseTokens(line, &curlineTokens, false);
            if (next != readlineno)
                ReadScriptJumpedToLine(next);
        }
        readlineno += 1;
    }
    readlineno -= 1;
    if (m_ParserState == PARSE_CONT)
        m_ParserState = PARSE_FIN;
}

bool Parser::ReadScriptBreak() {
    if (isEndOfText() || m_ParserState != PARSE_CONT)
        return true;
    return readUntilLine != -1 && readlineno > readUntilLine;
}

void Parser::ReadScriptJumpedToLine(int line) {
    readlineno = line;
}

void Parser::AutoContScript_ifNeeded() {}

void Parser::GotoLine(int line) {
    m_infile.clear();
    m_infile.seekg(0);
    for (int i = 1; i < line; ++i)
        m_infile.ignore(std::numeric_limits<std::streamsize>::max(), L'\n');
    readlineno = line - 1;
}

int Parser::ParseTokens(const std::wstring&, const std::vector<std::wstring>*, bool) {
    return readlineno;
}

void Parser::setScriptText(const std::wstring& name, const std::wstring& text, bool reset) {
    scriptname = name;
    m_infile.clear();
    m_infile.str(text);
    GotoLine(reset ? 1 : std::max(readlineno, 1));
}

void Parser::GoToScript(const std::wstring&, const std::wstring&) {}

NParser::NParser() {
    DebugOutput(L"WARNING: NParser CONSTRUCTOR CALLED WITH NO ARGUMENTS \n");
}

NParser::NParser(const std::wstring& scriptname, const std::wstring& text) {
    pushParser(std::make_shared<Parser>(scriptname, text, SCRIPT_MAIN));
}

void NParser::pushParser(std::shared_ptr<Parser> parser) {
    m_parserDeque.push_back(std::move(parser));
    m_parserDeque.back()->setParserIdx(static_cast<int>(m_parserDeque.size()) - 1);
}

void NParser::popParser() {
    if (!m_parserDeque.empty())
        m_parserDeque.pop_back();
}

void NParser::resetToMainParser() {
    while (m_parserDeque.size() > 1)
        m_parserDeque.pop_back();
}

} // namespace crv
