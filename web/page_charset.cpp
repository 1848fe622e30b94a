#include "web/page_charset.h"

#include <iconv.h>

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

}  // namespace

DeclaredCharset declared_charset(std::string_view page_text) {
    RegexObject regex;
    DeclaredCharset found;
    found.searched = regex.execute("<meta.+?charset=[^\\w]?([-\\w]+)", page_text.substr(0, k_charset_window));
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
