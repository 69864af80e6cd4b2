#include "script/NHelper.hpp"

#include "core/Log.hpp"
#include "core/Services.hpp"
#include "script/Parser.hpp"

#include <climits>

namespace crv::NHelper {

namespace {
// Main-script line of the last "not a number" warning; one warning per line is enough.
int g_lastWarningLine = -1;
bool g_warned = false;

int mainLine() {
    if (!Services::pNParser || Services::pNParser->m_parserDeque.empty())
        return 0;
    return Services::pNParser->getMainParser()->getReadLineNo();
}

bool digitsOnly(const std::wstring& token, std::size_t from) {
    for (std::size_t i = from; i < token.size(); ++i)
        if (token[i] < L'0' || token[i] > L'9')
            return false;
    return true;
}
} // namespace

Tokens splitWords(const std::wstring& line) {
    Tokens words;
    std::size_t i = 0;
    const std::size_t n = line.size();
    while (i < n) {
        while (i < n && isSpace(line[i]))
            ++i;
        const std::size_t start = i;
        while (i < n && !isSpace(line[i]))
            ++i;
        if (i > start)
            words.emplace_back(line, start, i - start);
    }
    return words;
}

bool isNumber(const std::wstring& token, bool allowSign) {
    std::size_t from = 0;
    if (allowSign && token.size() > 1 && (token[0] == L'+' || token[0] == L'-'))
        from = 1;
    if (digitsOnly(token, from))
        return true;
    const int line = mainLine();
    if (!g_warned || g_lastWarningLine != line) {
        OutputDebugStringN(L"WARNING. TOKEN NOT A NUMBER \n");
        g_warned = true;
        g_lastWarningLine = line;
    }
    return false;
}

bool isNumber(const Tokens& tokens, bool allowSign) {
    for (const auto& token : tokens)
        if (!isNumber(token, allowSign))
            return false;
    return true;
}

bool toInt32(const std::wstring& text, int& out) {
    std::size_t i = 0;
    bool negative = false;
    if (!text.empty() && (text[0] == L'+' || text[0] == L'-')) {
        negative = text[0] == L'-';
        i = 1;
    }
    if (i >= text.size())
        return false;
    long long value = 0;
    for (; i < text.size(); ++i) {
        const wchar_t c = text[i];
        if (c < L'0' || c > L'9')
            return false;
        value = value * 10 + (c - L'0');
        if (value > static_cast<long long>(INT_MAX) + 1)
            return false;
    }
    if (negative)
        value = -value;
    if (value > INT_MAX || value < INT_MIN)
        return false;
    out = static_cast<int>(value);
    return true;
}

void resetNumberWarning() {
    g_warned = false;
    g_lastWarningLine = -1;
}

} // namespace crv::NHelper
