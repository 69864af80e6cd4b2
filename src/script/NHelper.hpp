#pragma once
// Small helpers of the script syntax: word splitting and the number check of numeric tokens.

#include <string>
#include <vector>

namespace crv {

using Tokens = std::vector<std::wstring>;

namespace NHelper {

/** Splits a line into words at white space (space, tab, CR, LF, VT, FF); never yields empty words. */
Tokens splitWords(const std::wstring& line);

/** Whether c is white space for the script syntax. */
inline bool isSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

/** True when every token is a decimal number (an empty token passes; with allowSign one leading
    + or - is allowed on tokens longer than one character). On the first failing token it logs
    "WARNING. TOKEN NOT A NUMBER" at most once per main-script line and returns false. */
bool isNumber(const Tokens& tokens, bool allowSign);
/** The same check for one token. */
bool isNumber(const std::wstring& token, bool allowSign);

/** Converts a decimal text (optional sign) to a 32-bit integer; false, without touching out, when
    the text is not a number or lies outside the 32-bit range. Never throws. */
bool toInt32(const std::wstring& text, int& out);

/** Forgets the line of the last number warning (a new session starts quiet). */
void resetNumberWarning();

} // namespace NHelper
} // namespace crv
