#include "extract/json_literal.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace melkora {
namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_hex_digit(char c) {
    return is_digit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

int hex_value(char c) {
    if (is_digit(c)) {
        return c - '0';
    }
    return (c | 0x20) - 'a' + 10;
}

bool is_identifier_start(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' ||
           static_cast<unsigned char>(c) >= 0x80;
}

bool is_identifier_part(char c) {
    return is_identifier_start(c) || is_digit(c);
}

// Length of the UTF-8 sequence that starts with this byte (1 for a stray byte).
std::size_t sequence_length(unsigned char lead) {
    if (lead >= 0xF0) {
        return 4;
    }
    if (lead >= 0xE0) {
        return 3;
    }
    return lead >= 0xC0 ? 2 : 1;
}

void append_unit_as_cesu8(std::string& out, unsigned unit) {
    out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
    out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
}

void append_four_byte_as_cesu8(std::string& out, std::string_view seq) {
    const unsigned code = ((static_cast<unsigned char>(seq[0]) & 0x07u) << 18) |
                          ((static_cast<unsigned char>(seq[1]) & 0x3Fu) << 12) |
                          ((static_cast<unsigned char>(seq[2]) & 0x3Fu) << 6) |
                          (static_cast<unsigned char>(seq[3]) & 0x3Fu);
    const unsigned offset = code - 0x10000;
    append_unit_as_cesu8(out, 0xD800 + (offset >> 10));
    append_unit_as_cesu8(out, 0xDC00 + (offset & 0x3FF));
}

void append_control_escape(std::string& out, unsigned code) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "\\u%04x", code);
    out.append(buffer);
}

// Script whitespace beyond ASCII, as UTF-8: NBSP, BOM, the Zs spaces and the line separators.
std::size_t unicode_space_length(std::string_view rest) {
    static constexpr std::string_view k_spaces[] = {
        "\xC2\xA0", "\xEF\xBB\xBF", "\xE3\x80\x80", "\xE1\x9A\x80", "\xE2\x80\xA8", "\xE2\x80\xA9",
        "\xE2\x80\xAF", "\xE2\x81\x9F"};
    for (std::string_view space : k_spaces) {
        if (rest.starts_with(space)) {
            return space.size();
        }
    }
    // U+2000..U+200A
    if (rest.size() >= 3 && rest[0] == '\xE2' && rest[1] == '\x80' && static_cast<unsigned char>(rest[2]) >= 0x80 &&
        static_cast<unsigned char>(rest[2]) <= 0x8A) {
        return 3;
    }
    return 0;
}

std::size_t line_separator_length(std::string_view rest) {
    return (rest.starts_with("\xE2\x80\xA8") || rest.starts_with("\xE2\x80\xA9")) ? 3 : 0;
}

class Transcoder {
public:
    explicit Transcoder(std::string_view in) : in_(in) { out_.reserve(in.size() + in.size() / 8 + 16); }

    StrictJson run() {
        if (!skip_space()) {
            return {};
        }
        if (at_end()) {
            return {LiteralStatus::empty, {}};
        }
        if (!value() || !skip_space() || !at_end()) {
            return {};
        }
        return {LiteralStatus::value, std::move(out_)};
    }

private:
    bool at_end() const { return pos_ >= in_.size(); }
    char peek(std::size_t ahead = 0) const { return pos_ + ahead < in_.size() ? in_[pos_ + ahead] : '\0'; }
    std::string_view rest() const { return in_.substr(pos_); }

    // Skips whitespace and comments; false for a comment that never ends. A line comment must end
    // in a line break: the literal stood inside a call, whose closing bracket it would swallow.
    bool skip_space() {
        while (!at_end()) {
            const char c = in_[pos_];
            if (c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f') {
                ++pos_;
            } else if (c == '/' && peek(1) == '/') {
                if (!skip_line_comment()) {
                    return false;
                }
            } else if (c == '/' && peek(1) == '*') {
                const std::size_t end = in_.find("*/", pos_ + 2);
                if (end == std::string_view::npos) {
                    return false;
                }
                pos_ = end + 2;
            } else if (const std::size_t n = unicode_space_length(rest())) {
                pos_ += n;
            } else {
                break;
            }
        }
        return true;
    }

    bool skip_line_comment() {
        for (pos_ += 2; !at_end(); ++pos_) {
            if (in_[pos_] == '\n' || in_[pos_] == '\r' || line_separator_length(rest()) != 0) {
                return true;
            }
        }
        return false;
    }

    bool value() {
        const char c = peek();
        if (c == '{' || c == '[') {
            if (++depth_ > k_max_literal_depth) {
                return false;
            }
            const bool ok = c == '{' ? object() : array();
            --depth_;
            return ok;
        }
        if (c == '"' || c == '\'') {
            return string();
        }
        if (is_digit(c) || c == '-' || c == '+' || c == '.') {
            return number();
        }
        return keyword("true") || keyword("false") || keyword("null");
    }

    bool keyword(std::string_view word) {
        if (!rest().starts_with(word) || is_identifier_part(peek(word.size()))) {
            return false;
        }
        out_.append(word);
        pos_ += word.size();
        return true;
    }

    // Shared by objects and arrays: items separated by commas, one trailing comma allowed.
    template <typename Item>
    bool items(char close, Item item) {
        out_.push_back(in_[pos_++]);
        if (!skip_space()) {
            return false;
        }
        bool first = true;
        while (peek() != close) {
            if (!first) {
                out_.push_back(',');
            }
            first = false;
            if (!item() || !skip_space()) {
                return false;
            }
            if (peek() == ',') {
                ++pos_;
                if (!skip_space()) {
                    return false;
                }
            } else if (peek() != close) {
                return false;
            }
        }
        out_.push_back(close);
        ++pos_;
        return true;
    }

    bool array() {
        return items(']', [this] { return value(); });
    }

    bool object() {
        return items('}', [this] {
            if (!member_name() || !skip_space() || peek() != ':') {
                return false;
            }
            out_.push_back(':');
            ++pos_;
            return skip_space() && value();
        });
    }

    bool member_name() {
        const char c = peek();
        if (c == '"' || c == '\'') {
            return string();
        }
        const std::size_t start = pos_;
        if (is_digit(c)) {
            while (is_digit(peek())) {
                ++pos_;
            }
            // Only plain decimal integers: their name is their own text.
            if ((in_[start] == '0' && pos_ - start > 1) || is_identifier_part(peek()) || peek() == '.') {
                return false;
            }
        } else if (is_identifier_start(c)) {
            while (!at_end() && is_identifier_part(peek()) && unicode_space_length(rest()) == 0) {
                pos_ += sequence_length(static_cast<unsigned char>(peek()));
            }
            pos_ = std::min(pos_, in_.size());
        } else {
            return false;
        }
        out_.push_back('"');
        append_cesu8(out_, in_.substr(start, pos_ - start));
        out_.push_back('"');
        return true;
    }

    bool string() {
        const char quote = in_[pos_++];
        out_.push_back('"');
        while (!at_end()) {
            const char c = in_[pos_];
            const auto byte = static_cast<unsigned char>(c);
            if (c == quote) {
                ++pos_;
                out_.push_back('"');
                return true;
            }
            if (c == '\\') {
                if (!escape()) {
                    return false;
                }
            } else if (c == '\n' || c == '\r' || line_separator_length(rest()) != 0) {
                return false;
            } else if (byte < 0x20) {
                append_control_escape(out_, byte);
                ++pos_;
            } else if (c == '"') {
                out_.append("\\\"");
                ++pos_;
            } else if (byte >= 0xF0) {
                if (pos_ + 4 > in_.size()) {
                    return false;
                }
                append_four_byte_as_cesu8(out_, in_.substr(pos_, 4));
                pos_ += 4;
            } else {
                append_plain_run(quote);
            }
        }
        return false;
    }

    // Copies the run of bytes that need no rewriting in one go: most of a large answer.
    void append_plain_run(char quote) {
        const std::size_t from = pos_;
        while (pos_ < in_.size()) {
            const auto b = static_cast<unsigned char>(in_[pos_]);
            if (b < 0x20 || b >= 0xF0 || b == '\\' || b == '"' || b == static_cast<unsigned char>(quote) ||
                (b == 0xE2 && line_separator_length(rest()) != 0)) {
                break;
            }
            ++pos_;
        }
        out_.append(in_.substr(from, pos_ - from));
    }

    bool escape() {
        ++pos_;
        if (at_end()) {
            return false;
        }
        const char c = in_[pos_];
        switch (c) {
            case '"': case '\\': case '/': case 'b': case 'f': case 'n': case 'r': case 't':
                out_.push_back('\\');
                out_.push_back(c);
                ++pos_;
                return true;
            case '\'': out_.push_back('\''); ++pos_; return true;
            case 'v': append_control_escape(out_, 0x0B); ++pos_; return true;
            case 'x': return hex_escape(2);
            case 'u': return hex_escape(4);
            case '\r':
                pos_ += peek(1) == '\n' ? 2 : 1;
                return true;
            case '\n': ++pos_; return true;
            default: break;
        }
        if (c >= '0' && c <= '7') {
            octal_escape();
            return true;
        }
        if (const std::size_t n = line_separator_length(rest())) {
            pos_ += n;
            return true;
        }
        // Any other escaped character stands for itself; a control byte must still leave as an
        // escape, since the engine's JSON reader refuses it raw inside a string.
        if (static_cast<unsigned char>(c) < 0x20) {
            append_control_escape(out_, static_cast<unsigned char>(c));
            ++pos_;
            return true;
        }
        const std::size_t n = sequence_length(static_cast<unsigned char>(c));
        if (pos_ + n > in_.size()) {
            return false;
        }
        append_cesu8(out_, in_.substr(pos_, n));
        pos_ += n;
        return true;
    }

    bool hex_escape(std::size_t digits) {
        unsigned code = 0;
        for (std::size_t i = 1; i <= digits; ++i) {
            const char h = peek(i);
            if (!is_hex_digit(h)) {
                return false;
            }
            code = code * 16 + static_cast<unsigned>(hex_value(h));
        }
        pos_ += digits + 1;
        if (digits == 4) {
            out_.append(in_.substr(pos_ - 6, 6));
        } else if (code < 0x20 || code == '"' || code == '\\' || code >= 0x80) {
            append_control_escape(out_, code);
        } else {
            out_.push_back(static_cast<char>(code));
        }
        return true;
    }

    // Legacy octal escapes: up to three digits from 0-3, up to two from 4-7.
    void octal_escape() {
        const std::size_t max_digits = in_[pos_] <= '3' ? 3 : 2;
        unsigned code = 0;
        std::size_t taken = 0;
        while (taken < max_digits && peek(taken) >= '0' && peek(taken) <= '7') {
            code = code * 8 + static_cast<unsigned>(peek(taken) - '0');
            ++taken;
        }
        pos_ += taken;
        append_control_escape(out_, code);
    }

    bool number() {
        const std::size_t start = pos_;
        bool canonical = true;
        if (peek() == '+') {
            canonical = false;
            ++pos_;
        } else if (peek() == '-') {
            ++pos_;
        }
        const std::size_t body = pos_;
        double hex_value_of = 0;
        if (peek() == '0' && (peek(1) == 'x' || peek(1) == 'X')) {
            if (!scan_hex(hex_value_of)) {
                return false;
            }
            return finish_number(start, body, false, true, hex_value_of);
        }
        const std::size_t int_digits = scan_digits();
        if (int_digits > 1 && in_[body] == '0') {
            canonical = false;
        }
        std::size_t frac_digits = 0;
        if (peek() == '.') {
            ++pos_;
            frac_digits = scan_digits();
            canonical = canonical && int_digits > 0 && frac_digits > 0;
        }
        if (int_digits == 0 && frac_digits == 0) {
            return false;
        }
        if (peek() == 'e' || peek() == 'E') {
            ++pos_;
            if (peek() == '+' || peek() == '-') {
                ++pos_;
            }
            const std::size_t exponent_digits = scan_digits();
            if (exponent_digits == 0) {
                return false;
            }
            // The engine's decoder refuses exponents of many digits, which a script reads as
            // infinity or zero; such numbers are written out again.
            canonical = canonical && exponent_digits <= 5;
        }
        return finish_number(start, body, canonical, false, 0);
    }

    std::size_t scan_digits() {
        const std::size_t from = pos_;
        while (is_digit(peek())) {
            ++pos_;
        }
        return pos_ - from;
    }

    bool scan_hex(double& value_out) {
        pos_ += 2;
        const std::size_t from = pos_;
        while (is_hex_digit(peek())) {
            value_out = value_out * 16 + hex_value(peek());
            ++pos_;
        }
        return pos_ > from;
    }

    bool finish_number(std::size_t start, std::size_t body, bool canonical, bool is_hex, double hex_magnitude) {
        if (is_identifier_part(peek())) {
            return false;
        }
        const std::string_view text = in_.substr(start, pos_ - start);
        if (canonical) {
            out_.append(text);
            return true;
        }
        const bool negative = in_[start] == '-';
        double magnitude = hex_magnitude;
        if (!is_hex) {
            const std::string digits(in_.substr(body, pos_ - body));
            magnitude = legacy_octal(digits) ? octal_value(digits) : std::strtod(digits.c_str(), nullptr);
        }
        append_number(negative ? -magnitude : magnitude);
        return true;
    }

    static bool legacy_octal(const std::string& digits) {
        if (digits.size() < 2 || digits[0] != '0') {
            return false;
        }
        for (char d : digits) {
            if (d < '0' || d > '7') {
                return false;
            }
        }
        return true;
    }

    static double octal_value(const std::string& digits) {
        double v = 0;
        for (char d : digits) {
            v = v * 8 + (d - '0');
        }
        return v;
    }

    void append_number(double v) {
        if (std::isinf(v)) {
            out_.append(v < 0 ? "-1e999" : "1e999");
            return;
        }
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, "%.17g", v);
        out_.append(buffer);
    }

    std::string_view in_;
    std::size_t pos_ = 0;
    int depth_ = 0;
    std::string out_;
};

}  // namespace

void append_cesu8(std::string& out, std::string_view utf8) {
    std::size_t plain_from = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        if (static_cast<unsigned char>(utf8[i]) >= 0xF0 && i + 4 <= utf8.size()) {
            out.append(utf8.substr(plain_from, i - plain_from));
            append_four_byte_as_cesu8(out, utf8.substr(i, 4));
            i += 4;
            plain_from = i;
        } else {
            ++i;
        }
    }
    out.append(utf8.substr(plain_from));
}

StrictJson literal_to_strict_json(std::string_view utf8) {
    return Transcoder(utf8).run();
}

}  // namespace melkora
