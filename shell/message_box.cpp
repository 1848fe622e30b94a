#include "shell/message_box.h"

#include <QApplication>
#include <QMessageBox>

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "shell/qt_text.h"
#include "shell/test_hook.h"

namespace melkora {

namespace {

MessageBoxAnswerer& installed_answerer() {
    static MessageBoxAnswerer answerer;
    return answerer;
}

QMessageBox::Icon qt_icon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::information: return QMessageBox::Information;
        case MessageIcon::question: return QMessageBox::Question;
        case MessageIcon::warning: return QMessageBox::Warning;
        case MessageIcon::error: return QMessageBox::Critical;
        case MessageIcon::none: break;
    }
    return QMessageBox::NoIcon;
}

QMessageBox::StandardButtons qt_buttons(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::ok_cancel: return QMessageBox::Ok | QMessageBox::Cancel;
        case MessageButtons::yes_no: return QMessageBox::Yes | QMessageBox::No;
        case MessageButtons::yes_no_cancel: return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
        case MessageButtons::retry_cancel: return QMessageBox::Retry | QMessageBox::Cancel;
        case MessageButtons::ok: break;
    }
    return QMessageBox::Ok;
}

MessageAnswer answer_of(int button, MessageButtons buttons) {
    switch (button) {
        case QMessageBox::Ok: return MessageAnswer::ok;
        case QMessageBox::Cancel: return MessageAnswer::cancel;
        case QMessageBox::Yes: return MessageAnswer::yes;
        case QMessageBox::No: return MessageAnswer::no;
        case QMessageBox::Retry: return MessageAnswer::retry;
        default: return closing_answer(buttons);
    }
}

MessageAnswer show_box(const MessageBoxCall& call) {
    QMessageBox box(qt_icon(call.icon), to_qstring(call.caption), to_qstring(call.text), qt_buttons(call.buttons),
                    QApplication::activeWindow());
    return answer_of(box.exec(), call.buttons);
}

std::optional<MessageAnswer> parse_answer(const std::string& word) {
    if (word == "ok") return MessageAnswer::ok;
    if (word == "cancel") return MessageAnswer::cancel;
    if (word == "yes") return MessageAnswer::yes;
    if (word == "no") return MessageAnswer::no;
    if (word == "retry") return MessageAnswer::retry;
    return std::nullopt;
}

// A line per box for a watching test: caption and text in UTF-8, line breaks written as \r \n.
void trace_box(const MessageBoxCall& call) {
    std::string line = "message_box caption=" + ansi_to_utf8(call.caption) + " text=";
    for (const char c : ansi_to_utf8(call.text)) {
        if (c == '\r') line += "\\r";
        else if (c == '\n') line += "\\n";
        else line += c;
    }
    trace_for_tests(line);
}

// Answers from the environment, taken in order; a test that starts the real program uses them.
std::optional<MessageAnswer> scripted_answer(const MessageBoxCall& call) {
    static std::optional<std::vector<std::string>> answers = scripted_answers_for_tests();
    static std::size_t next = 0;
    if (!answers) return std::nullopt;
    const std::string word = next < answers->size() ? (*answers)[next++] : std::string();
    return parse_answer(word).value_or(closing_answer(call.buttons));
}

}  // namespace

MessageAnswer closing_answer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::ok: return MessageAnswer::ok;
        case MessageButtons::yes_no: return MessageAnswer::no;
        case MessageButtons::ok_cancel:
        case MessageButtons::yes_no_cancel:
        case MessageButtons::retry_cancel: break;
    }
    return MessageAnswer::cancel;
}

MessageAnswer message_box(const Text& text, MessageIcon icon, MessageButtons buttons, const Text& caption) {
    const MessageBoxCall call{text, caption.empty() ? ansi("信息：") : caption, icon, buttons};
    trace_box(call);
    if (const MessageBoxAnswerer& answerer = installed_answerer()) return answerer(call);
    if (const std::optional<MessageAnswer> answer = scripted_answer(call)) return *answer;
    return show_box(call);
}

ScopedMessageBoxAnswerer::ScopedMessageBoxAnswerer(MessageBoxAnswerer answerer)
    : previous_(std::exchange(installed_answerer(), std::move(answerer))) {}

ScopedMessageBoxAnswerer::~ScopedMessageBoxAnswerer() { installed_answerer() = std::move(previous_); }

}  // namespace melkora
