#pragma once
// The dispatch table of script commands: which handler runs for which vocabulary slot.
//
// A handler receives one CmdCall: the parser executing the line, the line's tokens (token 0 is the
// command word, quotes joined, references expanded, the synchronous full stop removed) and the
// line's text. It returns an int whose meaning the row's CmdResult gives: a duration in
// milliseconds for timed commands, the line to continue from for jumps, nothing otherwise.
// A subsystem plugs in by naming its handler in its row of the table in Parser_Parse.cpp.

#include "script/NHelper.hpp"

#include <cstdint>
#include <string>
#include <vector>

namespace crv {

class Parser;

/** Everything a command handler gets to see of the line it executes. */
struct CmdCall {
    Parser& parser;
    Tokens& tokens;
    const std::wstring& line;
};

/** A command handler; its result is read as the table row's CmdResult says. */
using CmdHandler = int (*)(CmdCall& call);

/** What a handler's result means for the dispatcher. */
enum class CmdResult : std::uint8_t {
    None,         ///< ignored
    Duration,     ///< milliseconds the line waits for when written with a leading full stop
    WaitDuration, ///< anything but -1 is a duration the line always waits for (wait)
    AlwaysSync,   ///< a duration the line always waits for (alphaFadein, alphaFadeout)
    Jump,         ///< non-zero: the line to continue from; ends the line at once
};

/** One row of the table: the vocabulary slot, its handler and how its result is used. */
struct CmdEntry {
    int slot;
    CmdHandler handler;
    CmdResult result;
    bool gameModeOnly;
};

/** The table in dispatch order: the first row whose command matches the line runs. Mutable so
    that tests can put a probe into a row. */
std::vector<CmdEntry>& CommandTable();

/** The fifteen arguments a text line hands to the text-area builder ("text", name, x, y, layer,
    width, height, font, size, speed, style, shadow, colour, vertical, text); inCamera is false when
    the noCamera option word stands before the text. tokens must have at least 8 entries. */
std::vector<std::wstring> BuildTextArguments(const Tokens& tokens, bool& inCamera);

/** Joins quoted words into one token each and expands variable references in every word. */
Tokens JoinQuotedTokens(const Tokens& words);

} // namespace crv
