#pragma once
// Conversions at the engine's edges: narrow text is UTF-8, wide text is one wchar_t per code point.

#include <string>
#include <string_view>

namespace crv {

/** Decodes UTF-8; invalid sequences become U+FFFD. */
std::wstring toWide(std::string_view utf8);
/** Encodes as UTF-8; code points that cannot be encoded become U+FFFD. */
std::string toNarrow(std::wstring_view wide);
/** Null-safe view of a host string: a null pointer reads as empty. */
inline std::wstring_view hostString(const wchar_t* text) {
    return text ? std::wstring_view(text) : std::wstring_view();
}

} // namespace crv
