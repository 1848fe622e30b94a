#pragma once
// A regular expression run over a code page 936 subject, in the dialect of the scripting
// regex component: ECMAScript-style syntax, "\w" as [A-Za-z0-9_], "." matching anything but a
// line feed. Match indices count UTF-16 units; the positions handed out are 0-based byte offsets
// into the code page 936 subject.
#include <memory>
#include <string>
#include <string_view>

#include "extract/text.h"

namespace melkora {

class RegexObject {
public:
    // Compiles the pattern afresh and collects the matches over the subject. False, with no
    // matches, when the pattern is rejected or matching gives up (a pattern that would backtrack
    // without end); a valid pattern that matches nothing gives true.
    bool execute(std::string_view pattern, std::string_view subject, bool case_sensitive = false,
                 bool multiline = true, bool global = true, bool quote_marker = false);

    Text get_pattern() const;
    // The subject with the matches replaced: $1..$99, $&, $`, $', $$ as in ECMAScript.
    Text replace(std::string_view replacement) const;
    int match_count() const;

    // match_number and group_number count from 1. With want_position, `position` receives the
    // 0-based byte offset of the match or group in the subject (a group that took no part in the
    // match gives the match's offset), or -1 when there is no such match or group; without it,
    // `position` is left alone. The offset is the byte length of the subject before the match,
    // not a search for the matched text: a search from the UTF-16 index lands inside two-byte
    // characters and finds earlier copies of the text.
    Text match_text(int match_number, int& position, bool want_position) const;
    Text match_text(int match_number) const;
    Text submatch(int match_number, int group_number, int& position, bool want_position) const;
    Text submatch(int match_number, int group_number) const;
    int submatch_count() const;

    struct Compiled;
    struct Matches;

private:
    int byte_offset(std::size_t unit_index) const;

    // Shared by copies: both are immutable once execute has built them.
    std::shared_ptr<const Compiled> regex_;
    std::shared_ptr<const Matches> matches_;
    std::u16string subject_;
};

}  // namespace melkora
