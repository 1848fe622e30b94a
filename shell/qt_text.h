#pragma once
// The one crossing between the program's code page 936 texts and the toolkit's QString.
#include <QString>

#include <string_view>

#include "extract/text.h"

namespace melkora {

QString to_qstring(std::string_view text);
Text from_qstring(const QString& text);

// A UTF-8 literal of the sources on its way to a widget; it passes through code page 936 like
// every other text of the window.
QString ui_text(std::string_view utf8_literal);

}  // namespace melkora
