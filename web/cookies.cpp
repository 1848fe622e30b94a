#include "web/cookies.h"

#include <algorithm>

namespace melkora {

namespace {

constexpr std::string_view k_ideographic_space = "\xA1\xA1";

// Bytes taken by the character at index i: a lead byte of 0x80 or more takes the byte after it.
std::size_t char_size(std::string_view text, std::size_t i) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte >= 0x80 && i + 1 < text.size() && text[i + 1] != '\0') return 2;
    return 1;
}

// Bytes of the blank at index i, 0 when the character there is not a blank.
std::size_t blank_size(std::string_view text, std::size_t i) {
    if (text[i] == ' ') return 1;
    if (char_size(text, i) == 2 && text.substr(i, 2) == k_ideographic_space) return 2;
    return 0;
}

bool ends_with(std::string_view text, std::string_view tail) {
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

bool starts_with_ignoring_case(std::string_view text, std::string_view head) {
    if (text.size() < head.size()) return false;
    return std::equal(head.begin(), head.end(), text.begin(), [](char a, char b) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
        return lower(a) == lower(b);
    });
}

Text remove_all_ignoring_case(std::string_view text, std::string_view marker) {
    Text out;
    int from = 1;
    for (int at = find_marker(text, marker, from, true); at >= from; at = find_marker(text, marker, from, true)) {
        out.append(text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(at - from)));
        from = at + static_cast<int>(marker.size());
    }
    if (static_cast<std::size_t>(from - 1) < text.size()) out.append(text.substr(static_cast<std::size_t>(from - 1)));
    return out;
}

void drop_last_two(Text& text) { text.resize(text.size() >= 2 ? text.size() - 2 : 0); }

// The cookie of one "Set-Cookie" line: its first name=value pair.
Text cookie_of_line(std::string_view line) {
    if (find_marker(line, ";") != -1) return trim_blanks(text_between(line, "Set-Cookie:", ";"));
    return trim_blanks(remove_all_ignoring_case(line, "Set-Cookie:"));
}

}  // namespace

Text trim_blanks(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size()) {
        const std::size_t blank = blank_size(text, first);
        if (blank == 0) break;
        first += blank;
    }
    // The end is found walking forward, so a trail byte is never mistaken for a blank.
    std::size_t end = first;
    for (std::size_t i = first; i < text.size();) {
        const std::size_t step = char_size(text, i);
        if (blank_size(text, i) == 0) end = i + step;
        i += step;
    }
    return Text(text.substr(first, end - first));
}

Text remove_blanks(std::string_view text) {
    Text out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t blank = blank_size(text, i);
        if (blank != 0) {
            i += blank;
            continue;
        }
        const std::size_t step = char_size(text, i);
        out.append(text.substr(i, step));
        i += step;
    }
    return out;
}

std::vector<Text> split_text(std::string_view text, std::string_view separator) {
    std::vector<Text> pieces;
    if (text.empty()) return pieces;
    separator = separator.substr(0, separator.find('\0'));  // a text ends at its first zero
    if (separator.empty()) {
        pieces.emplace_back(text);
        return pieces;
    }
    int from = 1;
    for (int at = find_marker(text, separator, from); at >= from; at = find_marker(text, separator, from)) {
        pieces.emplace_back(text.substr(static_cast<std::size_t>(from - 1), static_cast<std::size_t>(at - from)));
        from = at + static_cast<int>(separator.size());
    }
    if (static_cast<std::size_t>(from - 1) < text.size()) pieces.emplace_back(text.substr(static_cast<std::size_t>(from - 1)));
    return pieces;
}

Text cookie_name(std::string_view item) {
    const int equals = find_marker(item, "=");
    if (equals == -1) return trim_blanks(item);
    return trim_blanks(item.substr(0, static_cast<std::size_t>(equals - 1)));
}

Text join_unique(std::string_view text, std::string_view separator) {
    separator = separator.substr(0, separator.find('\0'));
    std::vector<Text> taken;
    Text out;
    for (auto& piece : split_text(text, separator)) {
        if (std::find(taken.begin(), taken.end(), piece) != taken.end()) continue;
        out.append(piece).append(separator);
        taken.push_back(std::move(piece));
    }
    out.resize(out.size() >= separator.size() ? out.size() - separator.size() : 0);
    return out;
}

Text merge_cookies(Text& sent, Text& received) {
    sent = remove_blanks(sent);
    received = remove_blanks(received);
    std::vector<Text> merged = split_text(received, ";");
    std::vector<Text> merged_names;
    for (const auto& item : merged) merged_names.push_back(cookie_name(item));
    for (auto& item : split_text(sent, ";")) {
        Text name = cookie_name(item);
        if (std::find(merged_names.begin(), merged_names.end(), name) != merged_names.end()) continue;
        merged_names.push_back(std::move(name));
        merged.push_back(std::move(item));
    }
    Text joined;
    for (const auto& item : merged) {
        if (!ends_with(item, "=deleted")) joined.append(item).append("; ");
    }
    drop_last_two(joined);
    sent = join_unique(joined, "; ");
    return sent;
}

ResponseLines read_response_lines(std::string_view header_block, const std::function<void()>& after_each_line) {
    ResponseLines found;
    for (const auto& line : split_text(header_block, "\r\n")) {
        if (text_left_of(line, ": ") == "Set-Cookie") found.cookies.append(cookie_of_line(line)).append("; ");
        if (starts_with_ignoring_case(line, "Location: ")) found.location = line.substr(10);
        if (after_each_line) after_each_line();
    }
    drop_last_two(found.cookies);
    return found;
}

}  // namespace melkora
