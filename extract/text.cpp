#include "extract/text.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdint>
#include <memory>
#include <utility>

#include "extract/encoding.h"

namespace melkora {
namespace {

// ---- character-wise marker search -------------------------------------------------------------

// A Text ends at its first zero byte, as the zero-terminated strings it stands for do.
std::string_view up_to_zero(std::string_view text) {
    return text.substr(0, text.find('\0'));
}

bool is_lead_byte(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

char fold_ascii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool matches_at(std::string_view text, std::size_t pos, std::string_view marker, bool ignore_case) {
    for (std::size_t i = 0; i < marker.size(); ++i) {
        char a = text[pos + i];
        char b = marker[i];
        if (ignore_case ? fold_ascii(a) != fold_ascii(b) : a != b) {
            return false;
        }
    }
    return true;
}

// Visits every character start from `pos` at which the marker could still fit, in order, until
// `visit` returns true; a lead byte with nothing after it ends the walk. Returns the position at
// which the walk stopped with true, or npos.
template <typename Visit>
std::size_t walk_candidates(std::string_view text, std::size_t pos, std::size_t marker_size, Visit visit) {
    const std::size_t n = text.size();
    while (pos < n && n - pos >= marker_size) {
        const bool lead = is_lead_byte(text[pos]);
        if (lead && pos + 1 >= n) {
            break;
        }
        if (visit(pos)) {
            return pos;
        }
        pos += lead ? 2 : 1;
    }
    return std::string_view::npos;
}

// ---- iconv ------------------------------------------------------------------------------------

struct IconvCloser {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvHandle = std::unique_ptr<void, IconvCloser>;

enum class Charset { cp936, utf8, utf16le };

const char* iconv_name(Charset c) {
    switch (c) {
        case Charset::cp936: return "GB18030";
        case Charset::utf8: return "UTF-8";
        case Charset::utf16le: return "UTF-16LE";
    }
    return "";
}

// What a character that cannot be converted becomes: U+FFFD when decoding into Unicode, the
// converter's default character "?" when encoding into a code page.
std::string_view replacement_in(Charset c) {
    switch (c) {
        case Charset::cp936: return "?";
        case Charset::utf8: return "\xEF\xBF\xBD";
        case Charset::utf16le: return std::string_view("\xFD\xFF", 2);
    }
    return "?";
}

std::size_t unit_size(Charset c) {
    return c == Charset::utf16le ? 2 : 1;
}

// Opening a descriptor costs far more than a short conversion, and JsonDoc converts every text it
// hands out; each thread keeps one descriptor per direction.
iconv_t descriptor(Charset from, Charset to) {
    thread_local std::array<std::array<IconvHandle, 3>, 3> cache;
    IconvHandle& slot = cache[static_cast<int>(from)][static_cast<int>(to)];
    if (!slot) {
        iconv_t cd = iconv_open(iconv_name(to), iconv_name(from));
        if (cd == reinterpret_cast<iconv_t>(-1)) {
            return cd;
        }
        slot.reset(cd);
    }
    iconv_t cd = static_cast<iconv_t>(slot.get());
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    return cd;
}

std::string convert(std::string_view input, Charset from, Charset to) {
    iconv_t cd = descriptor(from, to);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        return {};
    }
    std::string out(input.size() * 2 + 16, '\0');
    char* in_ptr = const_cast<char*>(input.data());
    std::size_t in_left = input.size();
    std::size_t used = 0;
    while (in_left > 0) {
        char* out_ptr = out.data() + used;
        std::size_t out_left = out.size() - used;
        const std::size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
        used = out.size() - out_left;
        if (rc != static_cast<std::size_t>(-1)) {
            break;
        }
        if (errno == E2BIG) {
            out.resize(out.size() * 2);
            continue;
        }
        // EILSEQ: skip one unit of the bad sequence; EINVAL: the input ends inside a character.
        out.resize(used);
        out.append(replacement_in(to));
        used = out.size();
        const std::size_t skip = errno == EILSEQ ? std::min(unit_size(from), in_left) : in_left;
        in_ptr += skip;
        in_left -= skip;
        out.resize(used + in_left * 2 + 16);
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
}

bool is_ascii(std::string_view text) {
    for (char c : text) {
        if (is_lead_byte(c)) {
            return false;
        }
    }
    return true;
}

// ---- UTF-16 helpers ---------------------------------------------------------------------------

std::string_view up_to_zero_unit(std::string_view utf16le) {
    const std::size_t units = utf16le.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        if (utf16le[2 * i] == '\0' && utf16le[2 * i + 1] == '\0') {
            return utf16le.substr(0, 2 * i);
        }
    }
    return utf16le.substr(0, units * 2);
}

char16_t unit_at(std::string_view utf16le, std::size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(utf16le[2 * i]) |
                                 (static_cast<unsigned char>(utf16le[2 * i + 1]) << 8));
}

void put_unit(std::string& out, char16_t u) {
    out.push_back(static_cast<char>(u & 0xFF));
    out.push_back(static_cast<char>(u >> 8));
}

// The precomposed letters code page 936 holds (the pinyin vowels and a few more), by base letter
// and combining mark: a decomposed letter must come out as the one the code page has.
struct Composition {
    char16_t base;
    char16_t mark;
    char16_t composed;
};
constexpr Composition k_compositions[] = {
    {u'a', 0x0304, 0x0101}, {u'a', 0x0301, 0x00E1}, {u'a', 0x030C, 0x01CE}, {u'a', 0x0300, 0x00E0},
    {u'e', 0x0304, 0x0113}, {u'e', 0x0301, 0x00E9}, {u'e', 0x030C, 0x011B}, {u'e', 0x0300, 0x00E8},
    {u'e', 0x0302, 0x00EA}, {u'i', 0x0304, 0x012B}, {u'i', 0x0301, 0x00ED}, {u'i', 0x030C, 0x01D0},
    {u'i', 0x0300, 0x00EC}, {u'o', 0x0304, 0x014D}, {u'o', 0x0301, 0x00F3}, {u'o', 0x030C, 0x01D2},
    {u'o', 0x0300, 0x00F2}, {u'u', 0x0304, 0x016B}, {u'u', 0x0301, 0x00FA}, {u'u', 0x030C, 0x01D4},
    {u'u', 0x0300, 0x00F9}, {u'u', 0x0308, 0x00FC}, {0x00FC, 0x0304, 0x01D6}, {0x00FC, 0x0301, 0x01D8},
    {0x00FC, 0x030C, 0x01DA}, {0x00FC, 0x0300, 0x01DC}, {u'm', 0x0301, 0x1E3F}, {u'n', 0x0301, 0x0144},
    {u'n', 0x030C, 0x0148}, {u'n', 0x0300, 0x01F9},
};

char16_t composed(char16_t base, char16_t mark) {
    for (const Composition& c : k_compositions) {
        if (c.base == base && c.mark == mark) {
            return c.composed;
        }
    }
    return 0;
}

std::string compose_for_code_page(std::string_view utf16le) {
    std::string out;
    out.reserve(utf16le.size());
    const std::size_t units = utf16le.size() / 2;
    for (std::size_t i = 0; i < units; ++i) {
        char16_t u = unit_at(utf16le, i);
        while (i + 1 < units) {
            const char16_t c = composed(u, unit_at(utf16le, i + 1));
            if (c == 0) {
                break;
            }
            u = c;
            ++i;
        }
        put_unit(out, u);
    }
    return out;
}

}  // namespace

// ---- encoding.h -------------------------------------------------------------------------------

std::string cp936_to_utf8(std::string_view text) {
    return is_ascii(text) ? std::string(text) : convert(text, Charset::cp936, Charset::utf8);
}

Text utf8_to_cp936(std::string_view utf8) {
    return is_ascii(utf8) ? Text(utf8) : convert(utf8, Charset::utf8, Charset::cp936);
}

// ---- text.h -----------------------------------------------------------------------------------

int find_marker(std::string_view text, std::string_view marker, int start, bool ignore_case) {
    text = up_to_zero(text);
    marker = up_to_zero(marker);
    const std::size_t from = start < 1 ? 0 : static_cast<std::size_t>(start - 1);
    if (from >= text.size()) {
        return -1;
    }
    if (marker.empty()) {
        return 1;
    }
    const std::size_t at = walk_candidates(text, from, marker.size(), [&](std::size_t pos) {
        return matches_at(text, pos, marker, ignore_case);
    });
    return at == std::string_view::npos ? -1 : static_cast<int>(at + 1);
}

int find_marker_last(std::string_view text, std::string_view marker) {
    text = up_to_zero(text);
    marker = up_to_zero(marker);
    int last = -1;
    walk_candidates(text, 0, marker.size(), [&](std::size_t pos) {
        if (matches_at(text, pos, marker, false)) {
            last = static_cast<int>(pos + 1);
        }
        return false;
    });
    return last;
}

Text replace_quote_markers(std::string_view text) {
    Text out;
    std::size_t from = 0;
    int found;
    while ((found = find_marker(text, k_quote_marker, static_cast<int>(from) + 1)) != -1) {
        const std::size_t at = static_cast<std::size_t>(found - 1);
        out.append(text.substr(from, at - from));
        out.push_back('"');
        from = at + k_quote_marker.size();
    }
    out.append(text.substr(from));
    return out;
}

Text text_left_of(std::string_view text, std::string_view marker, int start, bool ignore_case) {
    const int p = find_marker(text, marker, start, ignore_case);
    return p == -1 ? Text() : Text(text.substr(0, static_cast<std::size_t>(p - 1)));
}

Text text_between(std::string_view text, std::string_view left, std::string_view right, int start,
                  bool ignore_case) {
    text = up_to_zero(text);
    const Text left_marker = replace_quote_markers(up_to_zero(left));
    const Text right_marker = replace_quote_markers(up_to_zero(right));
    const int p = find_marker(text, left_marker, start, ignore_case);
    if (p == -1) {
        return {};
    }
    const int s = p + static_cast<int>(left_marker.size());
    const int q = find_marker(text, right_marker, s, ignore_case);
    if (q == -1) {
        return {};
    }
    return Text(text.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(q - s)));
}

Text text_between_outer(std::string_view text, std::string_view left, std::string_view right) {
    text = up_to_zero(text);
    left = up_to_zero(left);
    const int p = find_marker(text, left);
    const int q = find_marker_last(text, right);
    if (p == -1 || q == -1) {
        return {};
    }
    const int s = p + static_cast<int>(left.size());
    if (q <= s) {
        return {};
    }
    return Text(text.substr(static_cast<std::size_t>(s - 1), static_cast<std::size_t>(q - s)));
}

ByteArray ansi_to_utf16(std::string_view text, bool drop_terminator) {
    text = up_to_zero(text);
    if (text.empty()) {
        return {};
    }
    ByteArray out = convert(text, Charset::cp936, Charset::utf16le);
    if (!drop_terminator) {
        out.append(2, '\0');
    }
    return out;
}

Text utf16_to_ansi(std::string_view utf16le) {
    const std::string units = compose_for_code_page(up_to_zero_unit(utf16le));
    return Text(up_to_zero(convert(units, Charset::utf16le, Charset::cp936)));
}

Text utf8_to_ansi(std::string_view utf8) {
    // ASCII reads the same in both encodings; a details answer is all ASCII.
    const std::string_view text = up_to_zero(utf8);
    if (is_ascii(text)) {
        return Text(text);
    }
    return utf16_to_multibyte(multibyte_to_utf16(text, 65001), 936);
}

ByteArray multibyte_to_utf16(std::string_view text, int code_page) {
    text = up_to_zero(text);
    ByteArray out;
    if (code_page == 65001) {
        out = convert(text, Charset::utf8, Charset::utf16le);
    } else if (code_page == 0 || code_page == 936) {
        out = convert(text, Charset::cp936, Charset::utf16le);
    } else {
        return {};
    }
    out.append(2, '\0');
    return out;
}

Text utf16_to_multibyte(std::string_view utf16le, int code_page) {
    const std::string_view units = up_to_zero_unit(utf16le);
    Text out;
    if (code_page == 65001) {
        out = convert(units, Charset::utf16le, Charset::utf8);
    } else if (code_page == 0 || code_page == 936) {
        out = convert(units, Charset::utf16le, Charset::cp936);
    } else {
        return {};
    }
    return Text(up_to_zero(out));
}

Text ansi(std::string_view utf8_literal) {
    return utf8_to_ansi(utf8_literal);
}

std::string ansi_to_utf8(std::string_view text) {
    return cp936_to_utf8(up_to_zero(text));
}

}  // namespace melkora
