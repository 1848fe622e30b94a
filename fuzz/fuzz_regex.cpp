// RegexObject over arbitrary patterns and subjects: no crash, no runaway, and every position
// handed out points at the text it belongs to.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdlib>
#include <string>

#include "extract/regex_object.h"

namespace {

using namespace melkora;

void check(bool condition) {
    if (!condition) {
        std::abort();
    }
}

bool has_surrogates(std::string_view utf16le) {
    for (std::size_t i = 1; i < utf16le.size(); i += 2) {
        const auto high = static_cast<unsigned char>(utf16le[i]);
        if (high >= 0xD8 && high <= 0xDF) {
            return true;
        }
    }
    return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string pattern = input.ConsumeRandomLengthString(48);
    const std::string replacement = input.ConsumeRandomLengthString(16);
    const bool case_sensitive = input.ConsumeBool();
    const bool multiline = input.ConsumeBool();
    const bool global = input.ConsumeBool();
    const bool quote_marker = input.ConsumeBool();
    const std::string subject = input.ConsumeRemainingBytesAsString();

    RegexObject regex;
    const bool executed = regex.execute(pattern, subject, case_sensitive, multiline, global, quote_marker);
    regex.get_pattern();
    regex.replace(replacement);
    regex.submatch_count();
    if (!executed) {
        check(regex.match_count() == 0);
        return 0;
    }
    // Positions index the subject as the object holds it: invalid bytes already replaced.
    const ByteArray units = ansi_to_utf16(subject, true);
    const Text held = utf16_to_multibyte(units, 0);
    const bool exact = !has_surrogates(units);
    const int count = regex.match_count();
    for (int m = 1; m <= count && m <= 16; ++m) {
        int position = -9;
        const Text text = regex.match_text(m, position, true);
        check(position >= 0 && static_cast<std::size_t>(position) <= held.size());
        if (exact) {
            check(held.compare(static_cast<std::size_t>(position), text.size(), text) == 0);
        }
        for (int g = 1; g <= regex.submatch_count() && g <= 4; ++g) {
            const Text group = regex.submatch(m, g, position, true);
            check(position >= 0 && static_cast<std::size_t>(position) <= held.size());
            if (exact && !group.empty()) {
                check(held.compare(static_cast<std::size_t>(position), group.size(), group) == 0);
            }
        }
    }
    return 0;
}
