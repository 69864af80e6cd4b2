#include "core/Text.hpp"

#include <utf8.h>

#include <iterator>

namespace crv {

std::wstring toWide(std::string_view utf8) {
    std::string valid;
    utf8::replace_invalid(utf8.begin(), utf8.end(), std::back_inserter(valid));
    std::wstring out;
    out.reserve(valid.size());
    utf8::unchecked::utf8to32(valid.begin(), valid.end(), std::back_inserter(out));
    return out;
}

std::string toNarrow(std::wstring_view wide) {
    std::string out;
    out.reserve(wide.size());
    for (wchar_t c : wide) {
        auto cp = static_cast<std::uint32_t>(c);
        if (cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
            cp = 0xFFFD;
        utf8::unchecked::append(cp, std::back_inserter(out));
    }
    return out;
}

} // namespace crv
