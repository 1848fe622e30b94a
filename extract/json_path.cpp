#include "extract/json_path.h"

#include "extract/encoding.h"
#include "extract/json_literal.h"

namespace melkora {
namespace {

constexpr uint32_t k_max_array_index = 0xFFFFFFFEu;

bool is_space(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_lead_byte(char c) {
    return static_cast<unsigned char>(c) >= 0x80;
}

bool is_identifier_start(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$' || is_lead_byte(c);
}

bool is_identifier_part(char c) {
    return is_identifier_start(c) || is_digit(c);
}

int hex_value(char c) {
    if (is_digit(c)) {
        return c - '0';
    }
    if ((c | 0x20) >= 'a' && (c | 0x20) <= 'f') {
        return (c | 0x20) - 'a' + 10;
    }
    return -1;
}

void append_unit(std::string& out, unsigned unit) {
    if (unit < 0x80) {
        out.push_back(static_cast<char>(unit));
    } else if (unit < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (unit >> 6)));
        out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (unit >> 12)));
        out.push_back(static_cast<char>(0x80 | ((unit >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (unit & 0x3F)));
    }
}

class PathParser {
public:
    explicit PathParser(std::string_view text) : text_(text) {}

    std::optional<PathKeys> run(bool after_dot) {
        PathKeys keys;
        skip_space();
        if (after_dot && !member_name(keys)) {
            return std::nullopt;
        }
        for (skip_space(); pos_ < text_.size(); skip_space()) {
            const char c = text_[pos_++];
            const bool ok = c == '.' ? (skip_space(), member_name(keys)) : c == '[' && bracket(keys);
            if (!ok) {
                return std::nullopt;
            }
        }
        return keys;
    }

private:
    char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

    void skip_space() {
        while (is_space(peek())) {
            ++pos_;
        }
    }

    // Steps over one character of the code page: two bytes from a lead byte.
    void step_character() {
        pos_ += (is_lead_byte(text_[pos_]) && pos_ + 1 < text_.size()) ? 2 : 1;
    }

    bool member_name(PathKeys& keys) {
        if (!is_identifier_start(peek())) {
            return false;
        }
        const std::size_t start = pos_;
        while (pos_ < text_.size() && is_identifier_part(text_[pos_])) {
            step_character();
        }
        keys.push_back({to_engine_text(text_.substr(start, pos_ - start)), false, 0});
        return true;
    }

    bool bracket(PathKeys& keys) {
        skip_space();
        const char c = peek();
        const bool ok = (c == '\'' || c == '"') ? quoted_name(keys) : index(keys);
        if (!ok) {
            return false;
        }
        skip_space();
        return peek() == ']' && (++pos_, true);
    }

    // A decimal integer, optionally negative; its name is its decimal text.
    bool index(PathKeys& keys) {
        const bool negative = peek() == '-';
        if (negative) {
            ++pos_;
            skip_space();
        }
        const std::size_t start = pos_;
        uint64_t value = 0;
        while (is_digit(peek()) && pos_ - start < 16) {
            value = value * 10 + static_cast<uint64_t>(text_[pos_++] - '0');
        }
        if (pos_ == start || is_identifier_part(peek()) || peek() == '.' ||
            (text_[start] == '0' && pos_ - start > 1)) {
            return false;
        }
        PathKey key;
        key.name = std::to_string(value);
        if (negative && value != 0) key.name.insert(key.name.begin(), '-');
        key.is_index = !negative && value <= k_max_array_index;
        key.index = key.is_index ? static_cast<uint32_t>(value) : 0;
        keys.push_back(std::move(key));
        return true;
    }

    bool quoted_name(PathKeys& keys) {
        const char quote = text_[pos_++];
        std::string name;
        std::size_t plain_from = pos_;
        while (pos_ < text_.size() && text_[pos_] != quote) {
            if (text_[pos_] == '\n' || text_[pos_] == '\r') {
                return false;
            }
            if (text_[pos_] != '\\') {
                step_character();
                continue;
            }
            name += to_engine_text(text_.substr(plain_from, pos_ - plain_from));
            ++pos_;
            if (!escape(name)) {
                return false;
            }
            plain_from = pos_;
        }
        if (pos_ >= text_.size()) {
            return false;
        }
        name += to_engine_text(text_.substr(plain_from, pos_ - plain_from));
        ++pos_;
        keys.push_back({std::move(name), false, 0});
        return true;
    }

    bool escape(std::string& name) {
        if (pos_ >= text_.size()) {
            return false;
        }
        const char c = text_[pos_];
        const char next = pos_ + 1 < text_.size() ? text_[pos_ + 1] : '\0';
        switch (c) {
            case 'b': name.push_back('\b'); break;
            case 'f': name.push_back('\f'); break;
            case 'n': name.push_back('\n'); break;
            case 'r': name.push_back('\r'); break;
            case 't': name.push_back('\t'); break;
            case 'v': name.push_back('\v'); break;
            case '0':
                if (is_digit(next)) {
                    return false;
                }
                name.push_back('\0');
                break;
            case 'x': return hex_escape(name, 2);
            case 'u': return hex_escape(name, 4);
            case '\r': pos_ += next == '\n' ? 1 : 0; break;
            case '\n': break;
            default: {
                if (is_digit(c)) {
                    return false;  // legacy octal: not worth reading in a path
                }
                const std::size_t start = pos_;
                step_character();
                name += to_engine_text(text_.substr(start, pos_ - start));
                return true;
            }
        }
        ++pos_;
        return true;
    }

    bool hex_escape(std::string& name, std::size_t digits) {
        unsigned unit = 0;
        for (std::size_t i = 1; i <= digits; ++i) {
            const int h = pos_ + i < text_.size() ? hex_value(text_[pos_ + i]) : -1;
            if (h < 0) {
                return false;
            }
            unit = unit * 16 + static_cast<unsigned>(h);
        }
        pos_ += digits + 1;
        append_unit(name, unit);
        return true;
    }

    std::string_view text_;
    std::size_t pos_ = 0;
};

}  // namespace

std::string to_engine_text(std::string_view cp936) {
    const std::string utf8 = cp936_to_utf8(cp936);
    std::string out;
    out.reserve(utf8.size());
    append_cesu8(out, utf8);
    return out;
}

std::optional<PathKeys> parse_path(std::string_view text, bool after_dot) {
    return PathParser(text).run(after_dot);
}

}  // namespace melkora
