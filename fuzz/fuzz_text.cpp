// Marker search, extraction and the code-page conversions over arbitrary bytes.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "extract/text.h"

namespace {

using namespace melkora;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

std::string_view up_to_zero(std::string_view s) {
    return s.substr(0, s.find('\0'));
}

// Well-formed UTF-8 without surrogates and without zero bytes converts to code page 936 and
// back unchanged; private-use characters are left out, as GB18030 gave two dozen of their codes
// to standard characters.
bool is_clean_utf8(std::string_view s) {
    for (std::size_t i = 0; i < s.size();) {
        const auto b = static_cast<unsigned char>(s[i]);
        std::size_t n = b < 0x80 ? 1 : (b >= 0xC2 && b < 0xE0) ? 2 : (b >= 0xE0 && b < 0xF0) ? 3 : (b >= 0xF0 && b < 0xF5) ? 4 : 0;
        if (n == 0 || b == 0 || i + n > s.size()) {
            return false;
        }
        unsigned code = n == 1 ? b : b & (0xFFu >> (n + 1));
        for (std::size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(s[i + k]);
            if ((c & 0xC0) != 0x80) {
                return false;
            }
            code = (code << 6) | (c & 0x3Fu);
        }
        const unsigned minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < minimum[n] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF) ||
            (code >= 0xE000 && code <= 0xF8FF)) {
            return false;
        }
        i += n;
    }
    return true;
}

void fuzz_search(std::string_view text, std::string_view marker, std::string_view right, int start, bool ignore_case) {
    const std::string_view whole = up_to_zero(text);
    const int p = find_marker(text, marker, start, ignore_case);
    check(p == -1 || (p >= 1 && static_cast<std::size_t>(p) <= whole.size()));
    if (p != -1 && !ignore_case) {
        check(whole.substr(static_cast<std::size_t>(p - 1)).starts_with(up_to_zero(marker)));
    }
    const int last = find_marker_last(text, marker);
    check(last == -1 || (last >= 1 && static_cast<std::size_t>(last) <= whole.size()));
    check(text_left_of(text, marker, start, ignore_case).size() <= whole.size());
    check(text_between(text, marker, right, start, ignore_case).size() <= whole.size());
    check(text_between_outer(text, marker, right).size() <= whole.size());
}

void fuzz_conversions(std::string_view text) {
    const ByteArray utf16 = ansi_to_utf16(text);
    check(utf16.size() % 2 == 0);
    utf16_to_ansi(utf16);
    utf16_to_ansi(text);
    utf16_to_multibyte(text, 65001);
    multibyte_to_utf16(text, 936);
    const Text converted = utf8_to_ansi(text);
    check(converted.find('\0') == std::string::npos);
    if (is_clean_utf8(up_to_zero(text))) {
        check(ansi_to_utf8(converted) == up_to_zero(text));
    }
    ansi_to_utf8(text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string marker = input.ConsumeRandomLengthString(12);
    const std::string right = input.ConsumeRandomLengthString(12);
    const int start = input.ConsumeIntegralInRange(-3, 64);
    const bool ignore_case = input.ConsumeBool();
    const std::string text = input.ConsumeRemainingBytesAsString();
    fuzz_search(text, marker, right, start, ignore_case);
    fuzz_conversions(text);
    return 0;
}
