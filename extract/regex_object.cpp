#define PCRE2_CODE_UNIT_WIDTH 16
#include "extract/regex_object.h"

#include <pcre2.h>

#include <optional>
#include <vector>

namespace melkora {

namespace {

// Bounds that turn a pattern which backtracks without end into a failed execute instead of a
// frozen window; real patterns over a page head stay far below them.
constexpr uint32_t k_match_limit = 2'000'000;
constexpr uint32_t k_heap_limit_kib = 32 * 1024;

struct CodeFree {
    void operator()(pcre2_code_16* code) const { pcre2_code_free_16(code); }
};
struct MatchDataFree {
    void operator()(pcre2_match_data_16* data) const { pcre2_match_data_free_16(data); }
};
struct MatchContextFree {
    void operator()(pcre2_match_context_16* context) const { pcre2_match_context_free_16(context); }
};
struct CompileContextFree {
    void operator()(pcre2_compile_context_16* context) const { pcre2_compile_context_free_16(context); }
};

std::u16string to_utf16(std::string_view text) {
    const ByteArray bytes = ansi_to_utf16(text, true);
    std::u16string out(bytes.size() / 2, u'\0');
    for (std::size_t i = 0; i < out.size(); ++i) {
        out[i] = static_cast<char16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                       (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
    }
    return out;
}

Text to_text(std::u16string_view units) {
    ByteArray bytes;
    bytes.reserve(units.size() * 2);
    for (char16_t u : units) {
        bytes.push_back(static_cast<char>(u & 0xFF));
        bytes.push_back(static_cast<char>(u >> 8));
    }
    return utf16_to_multibyte(bytes, 0);
}

PCRE2_SPTR16 units_of(const std::u16string& text) {
    return reinterpret_cast<PCRE2_SPTR16>(text.data());
}

}  // namespace

struct RegexObject::Compiled {
    Text pattern;
    bool ignore_case = true;
    bool global = true;
    std::unique_ptr<pcre2_code_16, CodeFree> code;  // empty when the pattern was rejected
    uint32_t capture_count = 0;
};

struct RegexObject::Matches {
    struct Span {
        std::size_t index = 0;
        std::size_t length = 0;
    };
    struct Match {
        Span whole;
        std::vector<std::optional<Span>> groups;
    };
    std::vector<Match> items;
};

namespace {

using Compiled = RegexObject::Compiled;
using Matches = RegexObject::Matches;

std::shared_ptr<Compiled> compile(Text pattern, bool ignore_case, bool multiline, bool global) {
    auto compiled = std::make_shared<Compiled>();
    compiled->ignore_case = ignore_case;
    compiled->global = global;
    const std::u16string units = to_utf16(pattern);
    compiled->pattern = std::move(pattern);

    std::unique_ptr<pcre2_compile_context_16, CompileContextFree> context(pcre2_compile_context_create_16(nullptr));
    if (!context) {
        return compiled;
    }
    pcre2_set_newline_16(context.get(), PCRE2_NEWLINE_LF);
    const uint32_t options = (ignore_case ? PCRE2_CASELESS : 0u) | (multiline ? PCRE2_MULTILINE : 0u) |
                             PCRE2_ALT_BSUX | PCRE2_DOLLAR_ENDONLY | PCRE2_MATCH_UNSET_BACKREF |
                             PCRE2_NEVER_BACKSLASH_C;
    int error = 0;
    PCRE2_SIZE error_offset = 0;
    compiled->code.reset(
        pcre2_compile_16(units_of(units), units.size(), options, &error, &error_offset, context.get()));
    if (compiled->code) {
        pcre2_pattern_info_16(compiled->code.get(), PCRE2_INFO_CAPTURECOUNT, &compiled->capture_count);
    }
    return compiled;
}

Matches::Match read_match(const PCRE2_SIZE* ovector, uint32_t capture_count) {
    Matches::Match match;
    match.whole = {ovector[0], ovector[1] - ovector[0]};
    for (uint32_t g = 1; g <= capture_count; ++g) {
        const PCRE2_SIZE start = ovector[2 * g];
        if (start == PCRE2_UNSET) {
            match.groups.emplace_back();
        } else {
            match.groups.push_back(Matches::Span{start, ovector[2 * g + 1] - start});
        }
    }
    return match;
}

// All matches (or the first one) left to right; after an empty match the next search starts one
// unit further on, as ECMAScript's global matching does. Nullopt when matching gave up.
std::optional<Matches> collect_matches(const Compiled& compiled, const std::u16string& subject) {
    std::unique_ptr<pcre2_match_data_16, MatchDataFree> data(
        pcre2_match_data_create_from_pattern_16(compiled.code.get(), nullptr));
    std::unique_ptr<pcre2_match_context_16, MatchContextFree> context(pcre2_match_context_create_16(nullptr));
    if (!data || !context) {
        return std::nullopt;
    }
    pcre2_set_match_limit_16(context.get(), k_match_limit);
    pcre2_set_heap_limit_16(context.get(), k_heap_limit_kib);
    Matches matches;
    std::size_t start = 0;
    while (start <= subject.size()) {
        const int rc = pcre2_match_16(compiled.code.get(), units_of(subject), subject.size(), start, 0,
                                      data.get(), context.get());
        if (rc == PCRE2_ERROR_NOMATCH) {
            break;
        }
        if (rc < 0) {
            return std::nullopt;
        }
        const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer_16(data.get());
        matches.items.push_back(read_match(ovector, compiled.capture_count));
        if (!compiled.global) {
            break;
        }
        start = ovector[1] > ovector[0] ? ovector[1] : ovector[1] + 1;
    }
    return matches;
}

std::u16string_view span_of(const std::u16string& subject, const Matches::Span& span) {
    return std::u16string_view(subject).substr(span.index, span.length);
}

bool is_digit(char16_t c) {
    return c >= u'0' && c <= u'9';
}

// One "$" reference of the replacement at `i` (which holds "$"); appends what it stands for and
// returns the number of units it took, or 0 when the "$" is an ordinary character.
std::size_t expand_reference(std::u16string_view replacement, std::size_t i, const Matches::Match& match,
                             const std::u16string& subject, std::u16string& out) {
    if (i + 1 >= replacement.size()) {
        return 0;
    }
    const char16_t next = replacement[i + 1];
    const std::size_t end = match.whole.index + match.whole.length;
    switch (next) {
        case u'$': out.push_back(u'$'); return 2;
        case u'&': out.append(span_of(subject, match.whole)); return 2;
        case u'`': out.append(std::u16string_view(subject).substr(0, match.whole.index)); return 2;
        case u'\'': out.append(std::u16string_view(subject).substr(end)); return 2;
        default: break;
    }
    if (!is_digit(next)) {
        return 0;
    }
    const std::size_t groups = match.groups.size();
    std::size_t number = static_cast<std::size_t>(next - u'0');
    std::size_t taken = 2;
    if (i + 2 < replacement.size() && is_digit(replacement[i + 2])) {
        const std::size_t two_digits = number * 10 + static_cast<std::size_t>(replacement[i + 2] - u'0');
        if (two_digits >= 1 && two_digits <= groups) {
            number = two_digits;
            taken = 3;
        }
    }
    if (number < 1 || number > groups) {
        return 0;
    }
    if (const auto& group = match.groups[number - 1]) {
        out.append(span_of(subject, *group));
    }
    return taken;
}

void expand_replacement(std::u16string_view replacement, const Matches::Match& match, const std::u16string& subject,
                        std::u16string& out) {
    for (std::size_t i = 0; i < replacement.size();) {
        const std::size_t taken =
            replacement[i] == u'$' ? expand_reference(replacement, i, match, subject, out) : 0;
        if (taken == 0) {
            out.push_back(replacement[i]);
            ++i;
        } else {
            i += taken;
        }
    }
}

}  // namespace

bool RegexObject::execute(std::string_view pattern, std::string_view subject, bool case_sensitive, bool multiline,
                          bool global, bool quote_marker) {
    regex_.reset();
    matches_.reset();
    Text pattern_text(pattern.substr(0, pattern.find('\0')));
    if (quote_marker) {
        pattern_text = replace_quote_markers(pattern_text);
    }
    auto compiled = compile(std::move(pattern_text), !case_sensitive, multiline, global);
    regex_ = compiled;
    subject_ = to_utf16(subject);
    if (!compiled->code) {
        return false;
    }
    auto matches = collect_matches(*compiled, subject_);
    if (!matches) {
        return false;
    }
    matches_ = std::make_shared<const Matches>(std::move(*matches));
    return true;
}

Text RegexObject::get_pattern() const {
    return regex_ ? regex_->pattern : Text();
}

Text RegexObject::replace(std::string_view replacement) const {
    if (!regex_ || !regex_->code) {
        return {};
    }
    const auto matches = collect_matches(*regex_, subject_);
    if (!matches) {
        return {};
    }
    const std::u16string replacement_units = to_utf16(replacement);
    std::u16string out;
    std::size_t copied = 0;
    for (const Matches::Match& match : matches->items) {
        out.append(subject_, copied, match.whole.index - copied);
        expand_replacement(replacement_units, match, subject_, out);
        copied = match.whole.index + match.whole.length;
    }
    out.append(subject_, copied);
    return to_text(out);
}

int RegexObject::match_count() const {
    return matches_ ? static_cast<int>(matches_->items.size()) : 0;
}

int RegexObject::byte_offset(std::size_t unit_index) const {
    return static_cast<int>(to_text(std::u16string_view(subject_).substr(0, unit_index)).size());
}

Text RegexObject::match_text(int match_number, int& position, bool want_position) const {
    if (match_number < 1 || match_number > match_count()) {
        if (want_position) {
            position = -1;
        }
        return {};
    }
    const Matches::Match& match = matches_->items[static_cast<std::size_t>(match_number - 1)];
    Text text = to_text(span_of(subject_, match.whole));
    if (want_position) {
        position = byte_offset(match.whole.index);
    }
    return text;
}

Text RegexObject::match_text(int match_number) const {
    int unused = 0;
    return match_text(match_number, unused, false);
}

Text RegexObject::submatch(int match_number, int group_number, int& position, bool want_position) const {
    const Matches::Match* match = match_number >= 1 && match_number <= match_count()
                                      ? &matches_->items[static_cast<std::size_t>(match_number - 1)]
                                      : nullptr;
    if (!match || group_number < 1 || static_cast<std::size_t>(group_number) > match->groups.size()) {
        if (want_position) {
            position = -1;
        }
        return {};
    }
    const auto& group = match->groups[static_cast<std::size_t>(group_number - 1)];
    Text text = group ? to_text(span_of(subject_, *group)) : Text();
    if (want_position) {
        position = byte_offset(group ? group->index : match->whole.index);
    }
    return text;
}

Text RegexObject::submatch(int match_number, int group_number) const {
    int unused = 0;
    return submatch(match_number, group_number, unused, false);
}

int RegexObject::submatch_count() const {
    return match_count() > 0 ? static_cast<int>(matches_->items.front().groups.size()) : 0;
}

}  // namespace melkora
