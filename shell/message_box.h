#pragma once
// The program's one message box: modal, over the active window, with a fixed text, an icon, a
// set of buttons and a caption; it returns the button that was pressed.
#include <functional>

#include "extract/text.h"

namespace melkora {

enum class MessageIcon { none, information, question, warning, error };
enum class MessageButtons { ok, ok_cancel, yes_no, yes_no_cancel, retry_cancel };
// Closing a box (its close box or Escape) answers with its cancelling button: cancel, or no for
// a Yes/No box, or ok for a box with OK alone.
enum class MessageAnswer { ok, cancel, yes, no, retry };

struct MessageBoxCall {
    Text text;
    Text caption;  // as shown: "信息：" when the caller gave none
    MessageIcon icon = MessageIcon::none;
    MessageButtons buttons = MessageButtons::ok;
};

// An empty caption stands for "no caption of its own".
MessageAnswer message_box(const Text& text, MessageIcon icon = MessageIcon::none,
                          MessageButtons buttons = MessageButtons::ok, const Text& caption = {});

// Tests answer the boxes instead of a user. While an answerer is installed no box is shown.
using MessageBoxAnswerer = std::function<MessageAnswer(const MessageBoxCall&)>;

class ScopedMessageBoxAnswerer {
public:
    explicit ScopedMessageBoxAnswerer(MessageBoxAnswerer answerer);
    ~ScopedMessageBoxAnswerer();
    ScopedMessageBoxAnswerer(const ScopedMessageBoxAnswerer&) = delete;
    ScopedMessageBoxAnswerer& operator=(const ScopedMessageBoxAnswerer&) = delete;

private:
    MessageBoxAnswerer previous_;
};

// What closing the box gives for a set of buttons.
MessageAnswer closing_answer(MessageButtons buttons);

}  // namespace melkora
