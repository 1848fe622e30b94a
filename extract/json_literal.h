#pragma once
// Turns a data literal, written the way service answers and embedded page arrays write them, into
// strict JSON for the engine's JSON decoder, without running anything.
//
// Accepted: standard JSON, plus the forms of a script literal that such answers use: member names
// without quotes (identifiers, also non-ASCII, and decimal integers), strings in single quotes with
// the script escapes (\' \v \xHH, legacy octal, line continuations, \c for any other c), raw tab and
// other control characters inside strings, numbers with a leading "+", a leading or trailing ".",
// leading zeros (legacy octal when all digits are octal) or in hexadecimal, a trailing comma in
// an object or array, script whitespace (NBSP, BOM, ideographic space, U+2028/2029) and comments.
// Refused: everything else, including calls, operators, assignments, functions, identifiers as
// values (undefined, NaN, Infinity), array holes, and nesting deeper than k_max_literal_depth.
#include <string>
#include <string_view>

namespace melkora {

inline constexpr int k_max_literal_depth = 400;

enum class LiteralStatus { value, empty, refused };

struct StrictJson {
    LiteralStatus status = LiteralStatus::refused;
    // For status value: strict JSON in UTF-8, except that characters beyond U+FFFF are written
    // as surrogate pairs (CESU-8), the engine's own form.
    std::string json;
};

// utf8 must be valid UTF-8 (as the code page converter produces it).
StrictJson literal_to_strict_json(std::string_view utf8);

// Copies UTF-8 into out, writing four-byte sequences as CESU-8 surrogate pairs.
void append_cesu8(std::string& out, std::string_view utf8);

}  // namespace melkora
