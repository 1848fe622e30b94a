#pragma once
// Reads the path expressions JsonDoc is given ("data.img", "[0].hash", "data['play_url']")
// without a script engine: a path is a chain of member names after dots, integer indices in
// brackets and quoted names in brackets, as script text would read it. Anything else (calls,
// operators, computed indices) is not a path, and the operation then fails as an invalid
// expression would.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace melkora {

struct PathKey {
    std::string name;     // in the engine's encoding (UTF-8 with surrogate pairs as CESU-8)
    bool is_index = false;
    uint32_t index = 0;   // when is_index: name holds the same number in decimal
};

using PathKeys = std::vector<PathKey>;

// The expression text that follows the variable name, as code page 936 text. With after_dot the
// join has already put a "." before the text, so it must begin with a member name.
std::optional<PathKeys> parse_path(std::string_view text, bool after_dot);

// Converts code page 936 text to the engine's encoding.
std::string to_engine_text(std::string_view cp936);

}  // namespace melkora
