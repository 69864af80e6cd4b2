#pragma once
// The command vocabulary: command words, option words, type words and message texts.

#include <map>
#include <string>

namespace crv {

class NovelCommands {
public:
    /** Builds the vocabulary from Commands.xml in the current directory. */
    NovelCommands();

    /** The word or text stored under key ("Types_bg", "Msg_endGame", ...), or empty. */
    std::wstring getString(const std::wstring& key) const;

    std::map<std::wstring, std::wstring> strings;
};

} // namespace crv
