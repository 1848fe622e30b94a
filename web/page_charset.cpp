#include "web/page_charset.h"

#include <iconv.h>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <string>

#include "extract/regex_object.h"

namespace melkora {

namespace {

constexpr std::size_t k_charset_window = 1024;

struct IconvDeleter {
    void operator()(void* descriptor) const { iconv_close(static_cast<iconv_t>(descriptor)); }
};
using Converter = std::unique_ptr<void, IconvDeleter>;

Converter open_converter(std::string_view charset) {
    const std::string from(charset);
    iconv_t descriptor = iconv_open("GB18030", from.c_str());
    if (descriptor == reinterpret_cast<iconv_t>(-1)) return nullptr;
    return Converter(descriptor);
}

// A byte-wise look for "charset=" in any letter case: every match the regex could make is one.
bool may_name_charset(std::string_view window) {
    constexpr std::string_view name = "charset";
    for (auto equals = window.find('='); equals != std::string_view::npos; equals = window.find('=', equals + 1)) {
        if (equals < name.size()) continue;
        const std::string_view before = window.substr(equals - name.size(), name.size());
        const bool same = std::equal(before.begin(), before.end(), name.begin(), [](char a, char b) {
            return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
        });
        if (same) return true;
    }
    return false;
}

}  // namespace

DeclaredCharset declared_charset(std::string_view page_text) {
    const std::string_view window = page_text.substr(0, k_charset_window);
    // Most answers (JSON above all) name no charset at all; they need no regex compiled for them.
    if (!may_name_charset(window)) return {Text(), true};
    RegexObject regex;
    DeclaredCharset found;
    found.searched = regex.execute("<meta.+?charset=[^\\w]?([-\\w]+)", window);
    if (found.searched) found.name = regex.submatch(1, 1);
    return found;
}

std::optional<Text> decode_page(std::string_view body, std::string_view charset) {
    const Converter converter = open_converter(charset);
    if (!converter) return std::nullopt;
    auto* descriptor = static_cast<iconv_t>(converter.get());
    Text decoded;
    decoded.reserve(body.size() + body.size() / 2);
    std::string chunk(16 * 1024, '\0');
    char* in = const_cast<char*>(body.data());
    std::size_t in_left = body.size();
    while (in_left > 0) {
        char* out = chunk.data();
        std::size_t out_left = chunk.size();
        const std::size_t result = iconv(descriptor, &in, &in_left, &out, &out_left);
        decoded.append(chunk.data(), chunk.size() - out_left);
        if (result == static_cast<std::size_t>(-1) && errno != E2BIG) {
            // An invalid or cut-off sequence: a "?" stands in for its first byte.
            decoded.push_back('?');
            ++in;
            --in_left;
        }
    }
    char* out = chunk.data();
    std::size_t out_left = chunk.size();
    iconv(descriptor, nullptr, nullptr, &out, &out_left);
    decoded.append(chunk.data(), chunk.size() - out_left);
    const auto zero = decoded.find('\0');
    if (zero != Text::npos) decoded.resize(zero);
    return decoded;
}

}  // namespace melkora
