#pragma once
// What lets a test that starts the real program watch it and answer its message boxes. Both
// come from the environment, so the program still reads no command line:
//   MELKORA_TEST_TRACE    a file that receives one line per notable step (boxes, exit routine)
//   MELKORA_TEST_ANSWERS  comma-separated answers (yes, no, ok, cancel) that the message-box
//                         routine gives instead of showing boxes; an empty item, or the end of
//                         the list, answers as if the box had been closed.
// Without them the program behaves as a user sees it.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace melkora {

void trace_for_tests(std::string_view line);

// The answers, when the environment asks for scripted boxes.
std::optional<std::vector<std::string>> scripted_answers_for_tests();

}  // namespace melkora
